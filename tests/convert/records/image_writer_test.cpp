#include "convert/records/image_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace marvek {
namespace {

// Records of every size against guesses too small, about right and too large: the image holds
// what was there before and every record in order, whatever the buffer and the image did.
TEST(ImageWriterTest, ImageHoldsEveryRecordInOrderWhateverTheGuess) {
  for (const std::size_t expected : {std::size_t{0}, std::size_t{300}, std::size_t{1} << 20}) {
    for (const std::size_t length : {std::size_t{1}, std::size_t{300}, std::size_t{200'000}}) {
      ByteString image = "kept";
      std::string want = image;
      ImageWriter writer(image, expected);
      for (int i = 0; i < 40; ++i) {
        // Every other record is short: long and short ones follow each other.
        const std::string record(i % 2 == 0 ? length : 7, static_cast<char>('a' + i % 26));
        char* to = writer.Room(record.size());
        std::memcpy(to, record.data(), record.size());
        writer.Advance(to + record.size());
        want += record;
        ASSERT_EQ(writer.written(), want.size());
      }
      writer.Finish();
      EXPECT_EQ(image, want) << "guess " << expected << ", records of " << length;
    }
  }
}

}  // namespace
}  // namespace marvek
