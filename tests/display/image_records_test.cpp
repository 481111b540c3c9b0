#include "display/image_records.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "display/image_decoder.h"

namespace marvek {
namespace {

// The index reads every image as the decoder does: the same titles, at the same frames, with the
// same texts, however the header bytes fall and whatever follows the records.
TEST(ImageRecords, ReadTheSameTitlesAsTheDecoder) {
  std::mt19937 random(7);
  // Bytes that matter most: the terminator, the fill, and header values around them.
  const char alphabet[] = {'{', '\xFF', '\x7B', '\x00', 'a', '\xC0', '|', '\x01'};
  for (int round = 0; round < 2000; ++round) {
    std::string image;
    const int length = static_cast<int>(random() % 64);
    for (int i = 0; i < length; ++i) image.push_back(alphabet[random() % sizeof alphabet]);
    const DecodedImage decoded = DecodeTitleImage(image);
    const std::vector<ImageRecord> records = IndexTitleImage(image);
    ASSERT_EQ(records.size(), decoded.titles.size()) << round;
    for (std::size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(records[i].start, decoded.titles[i].start) << round;
      EXPECT_EQ(records[i].end, decoded.titles[i].end) << round;
      EXPECT_EQ(image.substr(records[i].textOffset, records[i].textLength), decoded.titles[i].text)
          << round;
    }
  }
}

}  // namespace
}  // namespace marvek
