#include "convert/encoding/text_encoding.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <utility>

#include "support/utf8_of.h"

namespace marvek {
namespace {

using testing::Utf8Of;

// The system's own converter, as an independent check of our tables.
std::string IconvToUtf8(unsigned char byte, const char* codePage) {
  iconv_t cd = iconv_open("UTF-8", codePage);
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
  char in[1] = {static_cast<char>(byte)};
  char out[8] = {};
  char* inp = in;
  char* outp = out;
  size_t inLeft = 1, outLeft = sizeof out;
  const size_t done = iconv(cd, &inp, &inLeft, &outp, &outLeft);
  iconv_close(cd);
  if (done == static_cast<size_t>(-1)) return "<none>";
  return std::string(out, sizeof out - outLeft);
}

TEST(SingleByteEncodings, OurReadingAgreesWithTheSystemConverterOnEveryByte) {
  for (const auto& [encoding, codePage] : {std::pair{TextEncoding::Windows1250, "CP1250"},
                                           std::pair{TextEncoding::Iso8859_2, "ISO-8859-2"},
                                           std::pair{TextEncoding::Windows1251, "CP1251"},
                                           std::pair{TextEncoding::Windows1252, "CP1252"}}) {
    for (int b = 0; b < 256; ++b) {
      SCOPED_TRACE(std::string(codePage) + " byte " + std::to_string(b));
      const char32_t c = SingleByteCharacter(encoding, static_cast<unsigned char>(b));
      const std::string ours = (c == 0 && b != 0) ? "<none>" : Utf8Of(c);
      EXPECT_EQ(ours, IconvToUtf8(static_cast<unsigned char>(b), codePage));
    }
  }
}

TEST(Windows1250, EveryLetterSurvivesTheRoundTripThroughUtf8) {
  for (int b = 1; b < 256; ++b) {
    const char32_t c = Windows1250ToUnicode(static_cast<unsigned char>(b));
    if (c == 0) continue;
    std::string back;
    AppendUtf8AsWindows1250(Utf8Of(c), back);
    EXPECT_EQ(back, std::string(1, static_cast<char>(b))) << "byte " << b;
  }
}

TEST(Utf8Transcoding, MissingLettersAndBrokenSequencesBecomeQuestionMarks) {
  std::string out;
  AppendUtf8AsWindows1250(
      "\xC4\x8D"
      "a\xC5\xA1"
      "a",
      out);  // čaša
  EXPECT_EQ(out,
            "\xE8"
            "a\x9A"
            "a");
  out.clear();
  AppendUtf8AsWindows1250("\xE2\x82\xAC \xE2\x98\x83 \xF0\x9F\x98\x80 \xC3", out);  // € ☃ 😀 broken
  EXPECT_EQ(out, "\x80 ? ? ?");
  out.clear();
  AppendUtf8AsWindows1250("\xED\xA0\x80", out);  // a surrogate is malformed: one "?" a byte
  EXPECT_EQ(out, "???");
}

TEST(Utf8Detection, NeedsValidUtf8WithAtLeastOneMultiByteLetter) {
  EXPECT_TRUE(
      LooksLikeUtf8("{1}{2}\xC4\x8D"
                    "a\xC5\xA1"
                    "a"));
  EXPECT_TRUE(LooksLikeUtf8("a long stretch of plain ASCII text before \xC4\x8D"));
  EXPECT_FALSE(LooksLikeUtf8("{1}{2}plain ASCII only"));
  EXPECT_FALSE(LooksLikeUtf8(""));
  EXPECT_FALSE(
      LooksLikeUtf8("{1}{2}\xE8"
                    "a\x9A"
                    "a"));                            // čaša in Windows-1250
  EXPECT_FALSE(LooksLikeUtf8("\xC4\x8D then \xE8"));  // one stray byte spoils it
  EXPECT_FALSE(LooksLikeUtf8("\xC0\x80"));            // overlong
  EXPECT_FALSE(LooksLikeUtf8("\xF4\x90\x80\x80"));    // above U+10FFFF
  EXPECT_TRUE(HasUtf8ByteOrderMark("\xEF\xBB\xBF{1}{2}x"));
  EXPECT_FALSE(HasUtf8ByteOrderMark("\xEF\xBB"));
}

}  // namespace
}  // namespace marvek
