#include "cli/title_report.h"

#include <gtest/gtest.h>

#include <string>

#include "upload/block_upload.h"

namespace marvek::cli {
namespace {

// A decoded image of `titles` titles, `blocks` blocks long, the first from frame 10.
DecodedImage Image(std::size_t titles, std::size_t blocks) {
  DecodedImage image;
  for (std::size_t i = 0; i < titles; ++i) {
    const auto start = static_cast<std::int64_t>(10 + 100 * i);
    image.titles.push_back({start, start + 50, "a", "a"});
  }
  image.imageLength = blocks * 16;
  return image;
}

TEST(CheckReport, CountsTitlesBlocksAndFramesAndTimesTheLine) {
  EXPECT_EQ(CheckReport(Image(1, 1), 9600),
            "Titles: 1\nImage: 16 bytes, 1 block\nFrames: 10 to 60\n"
            "Upload at 9600 bit/s: about 0.02 s on the line\n");
  EXPECT_EQ(CheckReport(Image(0, 1), 115200),
            "Titles: 0\nImage: 16 bytes, 1 block\nFrames: none\n"
            "Upload at 115200 bit/s: about 0.00 s on the line\n");
  // 1,000 blocks at 9600 bit/s: 18.75 s; 10,000: 187.5 s.
  EXPECT_EQ(CheckReport(Image(3, 1000), 9600),
            "Titles: 3\nImage: 16000 bytes, 1000 blocks\nFrames: 10 to 260\n"
            "Upload at 9600 bit/s: about 18.8 s on the line\n");
  EXPECT_TRUE(CheckReport(Image(3, 10000), 9600).ends_with("about 3 min 8 s on the line\n"));
}

TEST(LineSeconds, CountsTheFrameOutAndTheAnswerBackAtTenBitsAByte) {
  EXPECT_DOUBLE_EQ(LineSeconds(1, 9600), 180.0 / 9600);
  EXPECT_DOUBLE_EQ(LineSeconds(1000, 115200), 1000 * 180.0 / 115200);
  EXPECT_EQ(LineSeconds(5, 0), 0);
}

TEST(TitlesAsTitleFile, WritesOneLineATitleAndGuardsABraceInTheText) {
  DecodedImage image;
  image.titles.push_back({0, 25, "", "Hi"});
  image.titles.push_back({30, 40, "", "a}b"});
  EXPECT_EQ(TitlesAsTitleFile(image), "{0}{25}Hi\n{30}{40}{}a}b\n");
}

}  // namespace
}  // namespace marvek::cli
