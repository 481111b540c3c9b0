#include "convert/char_mode.h"

#include <gtest/gtest.h>

namespace marvek {
namespace {

// Windows-1250 spellings of the words used below.
const std::string kGradja =
    "gra\xF0"
    "a";  // građa
const std::string kDjak =
    "\xD0"
    "ak";  // Đak
const std::string kCasa =
    "\xE8"
    "a\x9A"
    "a";  // čaša

TEST(ApplyCharMode, PlainLettersSpellsTheLettersOut) {
  EXPECT_EQ(ApplyCharMode(kGradja, CharMode::PlainLetters), "gradja");
  EXPECT_EQ(ApplyCharMode(kDjak, CharMode::PlainLetters), "Djak");
  EXPECT_EQ(ApplyCharMode(kCasa, CharMode::PlainLetters), "casa");
  // The letter after an expanded đ is still converted; the inserted j is not looked at again.
  EXPECT_EQ(ApplyCharMode("\xF0\x9A", CharMode::PlainLetters), "djs");
  EXPECT_EQ(ApplyCharMode("\xC8\xE8\xC6\xE6\x8E\x9E\xD0\xF0\x8A\x9A", CharMode::PlainLetters),
            "CcCcZzDjdjSs");
}

TEST(ApplyCharMode, DeviceCodesReplacesEachLetterByItsCode) {
  EXPECT_EQ(ApplyCharMode("\xC8\xE8\x8A", CharMode::DeviceCodes), "\xE0\xC0\xEE");
  EXPECT_EQ(ApplyCharMode("\xC8\xE8\xC6\xE6\x8E\x9E\xD0\xF0\x8A\x9A", CharMode::DeviceCodes),
            "\xE0\xC0\xEB\xE2\xEC\xCC\xED\xE9\xEE\xEA");
  EXPECT_EQ(ApplyCharMode(kCasa, CharMode::DeviceCodes),
            "\xC0"
            "a\xEA"
            "a");
}

TEST(ApplyCharMode, LeavesEveryOtherByteAloneInBothModes) {
  const std::string letters = "\xC8\xE8\xC6\xE6\x8E\x9E\xD0\xF0\x8A\x9A";
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    if (letters.find(one) != std::string::npos) continue;
    SCOPED_TRACE(b);
    EXPECT_EQ(ApplyCharMode(one, CharMode::DeviceCodes), one);
    EXPECT_EQ(ApplyCharMode(one, CharMode::PlainLetters), one);
  }
  // é (0xE9) is also the device code of đ, and stays é: the tool does not mark the difference.
  EXPECT_EQ(ApplyCharMode("caf\xE9", CharMode::DeviceCodes), "caf\xE9");
  EXPECT_EQ(ApplyCharMode("", CharMode::DeviceCodes), "");
  EXPECT_EQ(ApplyCharMode("", CharMode::PlainLetters), "");
}

// Long texts go through wider paths than a byte at a time: each byte value, at each place of texts
// of every length up to 40 among letters and plain bytes, comes out as it does alone.
TEST(ApplyCharMode, EveryByteAtEveryPlaceOfALongTextAsAlone) {
  const std::string filler =
      "\x9A"
      "ab\xC8"
      "cd\xE9"
      "ef \xD0";
  for (std::size_t length = 1; length <= 40; ++length) {
    std::string text;
    while (text.size() < length) text += filler;
    text.resize(length);
    for (int b = 0; b < 256; ++b) {
      for (std::size_t at = 0; at < length; ++at) {
        std::string probe = text;
        probe[at] = static_cast<char>(b);
        std::string want;
        for (const char c : probe) want += ApplyCharMode(std::string(1, c), CharMode::DeviceCodes);
        ASSERT_EQ(ApplyCharMode(probe, CharMode::DeviceCodes), want)
            << "byte " << b << " at " << at << " of " << length;
      }
    }
  }
}

TEST(AppendCharMode, AppendsAfterWhatIsAlreadyThere) {
  std::string out = "head:";
  AppendCharMode(
      "\xF0"
      "a",
      CharMode::PlainLetters, out);
  AppendCharMode("\xF0", CharMode::DeviceCodes, out);
  EXPECT_EQ(out, "head:dja\xE9");
}

}  // namespace
}  // namespace marvek
