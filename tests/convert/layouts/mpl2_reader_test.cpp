#include "convert/layouts/mpl2_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace marvek {
namespace {

TEST(Mpl2Layout, IsToldFromTheFirstLineThatIsNotBlank) {
  EXPECT_TRUE(LooksLikeMpl2("[0][6]Hi\n[6][21]There"));
  EXPECT_TRUE(LooksLikeMpl2("\r\n  \r\n[10][25]"));
  EXPECT_TRUE(LooksLikeMpl2("[10][25]"));  // the text may be empty
  for (const char* other : {"", "{0}{6}Hi", "[0]{6}Hi", "[][6]Hi", "[0][]Hi", "[0][6", "[a][6]Hi",
                            "[-5][6]Hi", "x[0][6]Hi", "Content-Type: text/plain\n[0][6]",
                            "1\n00:00:01,000 --> 00:00:02,000\n[0][6]"}) {
    EXPECT_FALSE(LooksLikeMpl2(other)) << other;
  }
}

TEST(Mpl2Text, DropsCodesTagsAndTheItalicMarkAtTheStartOfEachLine) {
  const auto text = [](std::string_view raw) {
    ByteString out;
    AppendMpl2Text(raw, out);
    return out;
  };
  EXPECT_EQ(text("/Italic|plain|/italic again"), "Italic|plain|italic again");
  // Codes before the mark do not hide it; only one "/" is the mark.
  EXPECT_EQ(text("{y:i}/One|{c:$ff7070}/Two|//Three"), "One|Two|/Three");
  EXPECT_EQ(text("{c:$0000ff}{s:22}Subtitles|{y:u}http://x.org||Cersei:|<i>Problem.</i>"),
            "Subtitles|http://x.org||Cersei:|Problem.");
  EXPECT_EQ(text("<font color=\"#fff\">{\\an8}Top</font>"), "Top");
  // A "/" within a line, and braces that are no code, stay for the conversion to judge.
  EXPECT_EQ(text("either/or {b}bold{1:x}"), "either/or {b}bold{1:x}");
  EXPECT_EQ(text(""), "");
}

}  // namespace
}  // namespace marvek
