#include "convert/title_line.h"

#include <gtest/gtest.h>

namespace marvek {
namespace {

struct Cut {
  const char* line;
  const char* start;
  const char* end;
  const char* text;
};

TEST(ParseTitleLine, CutsFieldsAndDropsEveryFormattingCodeWhereverItStands) {
  const Cut cases[] = {
      {"{100}{250}Hello|World", "100", "250", "Hello|World"},
      {"{100}{250}{y:i}Hello", "100", "250", "Hello"},
      {"{1}{2}Senator|{y:i}our approach", "1", "2", "Senator|our approach"},
      {"{1}{2}{c:$0000ff}{y:b,u}{f:DeJaVuSans}{s:12}Very good", "1", "2", "Very good"},
      {"{1}{2}ten hours {y:i}style code", "1", "2", "ten hours style code"},
      {"{1}{2}{Y:i}a{y:}b{P:0}", "1", "2", "ab"},  // either case, an empty value, at the end
      // Only "{", a letter, ":" and a "}" make a code; the rest of the text stays as it is.
      {"{100}{250}Hi {b}there", "100", "250", "Hi {b}there"},
      {"{1}{2}{1:i}a{y;i}b{yy:i}c{:i}", "1", "2", "{1:i}a{y;i}b{yy:i}c{:i}"},
      {"{1}{2}a{y:i", "1", "2", "a{y:i"},  // no "}": no code
      {"{1}{2}{y:{b}c", "1", "2", "c"},    // a code ends at its first "}"
      {"{1}{1}}25", "1", "1", "}25"},      // a lone "}" stays
      {"{100}{250}", "100", "250", ""},
      {"x{1}y{2}z", "1", "2", "z"},    // anything outside the braces is skipped
      {"{1}{2}a{b", "1", "2", "a{b"},  // a "{" with no "}" after it stays
      {"{}{}", "", "", ""},            // empty fields pass; reading them is not the scanner's job
      {"{ 7 }{x}}}", " 7 ", "x", "}}"},
      {"{1}{1}25", "1", "1", "25"},
  };
  for (const Cut& c : cases) {
    SCOPED_TRACE(c.line);
    const auto parsed = ParseTitleLine(c.line);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->start, c.start);
    EXPECT_EQ(parsed->end, c.end);
    EXPECT_EQ(parsed->text, c.text);
  }
}

TEST(ParseTitleLine, RejectsALineMissingAnyOfTheFourBraces) {
  for (const char* line : {"", "100}{250}Hi", "{100{250Hi", "{100}250}Hi", "{100}{250Hi", "{"}) {
    SCOPED_TRACE(line);
    EXPECT_FALSE(ParseTitleLine(line).has_value());
  }
}

TEST(ParseTitleLine, KeepsEveryTextByteIncludingZeroAndHighBytes) {
  const std::string line("{1}{2}\xE8\x00\xFF\x9A", 10);
  const auto parsed = ParseTitleLine(line);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->text, std::string("\xE8\x00\xFF\x9A", 4));
}

}  // namespace
}  // namespace marvek
