#include "cli/title_report.h"

#include <gtest/gtest.h>

#include <string>

#include "upload/block_upload.h"

namespace marvek::cli {
namespace {

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
