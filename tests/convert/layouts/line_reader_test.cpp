#include "convert/layouts/line_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

#include "convert/encoding/text_encoding.h"
#include "convert/layouts/byte_search.h"
#include "support/temp_dir.h"

namespace marvek {
namespace {

using testing::TempDir;

struct Line {
  std::string text;
  std::size_t endLength;
  bool last;
  std::size_t braces;
  bool slash = false;
  bool operator==(const Line&) const = default;
};

std::vector<Line> ReadAll(LineReader& reader) {
  std::vector<Line> lines;
  FileLine line;
  while (reader.Next(line)) {
    lines.push_back({std::string(line.text), line.endLength, line.last, line.braces, line.slash});
  }
  EXPECT_EQ(reader.error(), 0);
  return lines;
}

// Contents whose line ends and braces fall on every kind of boundary.
const std::string kTricky = "{1}{2}a\r\n{3}{4}{y:i}b\r{5}{6}c\n\n\r\n{7}{8}" +
                            std::string(40, 'x') + "/\r\r\n{9}{10}}{\r\n";

TEST(LineReader, CutsAtCrLfLoneCrAndLoneLf) {
  LineReader reader(std::string_view("{1}{2}a\r\nb\rc\nd\r\n\r\ne"));
  const std::vector<Line> expected = {{"{1}{2}a", 2, false, 4}, {"b", 1, false, 0},
                                      {"c", 1, false, 0},       {"d", 2, false, 0},
                                      {"", 2, false, 0},        {"e", 0, true, 0}};
  EXPECT_EQ(ReadAll(reader), expected);

  // A line end at the very end opens no further line, and marks the line before it as the last.
  LineReader ending(std::string_view("x\r\n"));
  EXPECT_EQ(ReadAll(ending), (std::vector<Line>{{"x", 2, true, 0}}));
  LineReader empty(std::string_view(""));
  EXPECT_TRUE(ReadAll(empty).empty());
}

TEST(LineReader, AFileReadInPiecesOfAnySizeGivesTheSameLines) {
  TempDir dir;
  const std::string path = dir.Write("tricky.sub", kTricky);
  LineReader whole{std::string_view(kTricky)};
  const std::vector<Line> expected = ReadAll(whole);
  ASSERT_EQ(expected.size(), 8u);
  // Blocks smaller than a line make it grow; blocks of every size put a CR LF, a brace and the
  // end of the file on a boundary somewhere.
  for (std::size_t block = 1; block <= kTricky.size() + 1; ++block) {
    SCOPED_TRACE(block);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    LineReader reader(fd, block);
    EXPECT_EQ(ReadAll(reader), expected);
    ::close(fd);
  }
}

TEST(FindLineEnd, BothStepWidthsFindTheSameEndBracesAndSlash) {
  // Random bytes rich in line ends, braces and slashes, searched from every start: both widths
  // and a plain byte loop must agree on where the line ends and on the signs before it.
  std::mt19937 random(7);
  const char alphabet[] = "ab{}\r\n\xE8 /";
  std::string bytes(300, ' ');
  for (char& c : bytes) c = alphabet[random() % (sizeof alphabet - 1)];
  for (int spread = 0; spread < 3; ++spread) {
    if (spread > 0) {  // fewer line ends and slashes: steps without one
      for (char& c : bytes) {
        if ((c == '\r' || c == '\n' || c == '/') && random() % 8 != 0) c = 'x';
      }
    }
    for (std::size_t from = 0; from < bytes.size(); ++from) {
      const char* p = bytes.data() + from;
      const char* end = bytes.data() + bytes.size();
      std::size_t expectedBraces = 0;
      bool expectedSlash = false;
      const char* expected = p;
      for (; expected != end && *expected != '\r' && *expected != '\n'; ++expected) {
        expectedBraces += *expected == '{' || *expected == '}';
        expectedSlash |= *expected == '/';
      }
      std::size_t wide = 0, narrow = 0, chosen = 0;
      bool wideSlash = false, narrowSlash = false, chosenSlash = false;
      if (__builtin_cpu_supports("avx2")) {
        ASSERT_EQ(FindLineEndAvx2(p, end, wide, wideSlash), expected);
        ASSERT_EQ(wide, expectedBraces);
        ASSERT_EQ(wideSlash, expectedSlash);
      }
      ASSERT_EQ(FindLineEndSse2(p, end, narrow, narrowSlash), expected);
      ASSERT_EQ(FindLineEnd(p, end, chosen, chosenSlash), expected);
      ASSERT_EQ(narrow, expectedBraces);
      ASSERT_EQ(chosen, expectedBraces);
      ASSERT_EQ(narrowSlash, expectedSlash);
      ASSERT_EQ(chosenSlash, expectedSlash);
    }
  }
}

TEST(Utf8Detector, ASequenceCutBetweenPiecesIsJudgedAsAWhole) {
  const std::string samples[] = {
      "plain \xC4\x8D"
      "a\xC5\xA1"
      "a \xE2\x82\xAC \xF0\x9F\x98\x80 end",  // valid, 2 to 4 bytes
      "\xE8"
      "a\x9A"
      "a",            // Windows-1250
      "ok \xE2\x82",  // cut off at the end
      "\xE2\x82x",    // broken in the middle
      "ascii only",
  };
  for (const std::string& sample : samples) {
    for (std::size_t piece = 1; piece <= sample.size(); ++piece) {
      SCOPED_TRACE(sample + " / " + std::to_string(piece));
      Utf8Detector detector;
      for (std::size_t at = 0; at < sample.size(); at += piece) {
        detector.Feed(std::string_view(sample).substr(at, piece));
      }
      EXPECT_EQ(detector.LooksLikeUtf8(), LooksLikeUtf8(sample));
    }
  }
}

}  // namespace
}  // namespace marvek
