#include "convert/letters/display_letters.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <locale.h>

#include <cwctype>
#include <string>

#include "convert/encoding/text_encoding.h"
#include "convert/title_image.h"
#include "display/image_decoder.h"
#include "support/recording_panel.h"

namespace marvek {
namespace {

// č ć š ž đ Č Ć Š Ž Đ in Windows-1250.
constexpr std::string_view kTenLetters = "\xE8\xE6\x9A\x9E\xF0\xC8\xC6\x8A\x8E\xD0";

std::string Written(std::string_view windows1250) {
  DisplayLetters letters;
  return std::string(letters.Write(windows1250));
}

// How the system's converter spells `c` in ASCII, taking away its marks; empty when it cannot.
std::string SystemAsciiSpelling(char32_t c) {
  iconv_t cd = iconv_open("ASCII//TRANSLIT", "UTF-32LE");
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  char in[4] = {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF), 0, 0};
  char out[16] = {};
  char* inp = in;
  char* outp = out;
  std::size_t inLeft = 4, outLeft = sizeof out;
  const std::size_t done = iconv(cd, &inp, &inLeft, &outp, &outLeft);
  iconv_close(cd);
  return done == static_cast<std::size_t>(-1) ? std::string() : std::string(out, outp);
}

TEST(DisplayLetters, EveryLatinLetterKeepsTheBaseLettersTheSystemConverterGivesIt) {
  // The system's converter takes the marks off letters in a UTF-8 locale.
  const locale_t utf8 = newlocale(LC_ALL_MASK, "C.UTF-8", nullptr);
  if (utf8 == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
  const locale_t previous = uselocale(utf8);
  int letters = 0;
  for (int b = 0x80; b < 0x100; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    const char32_t c = Windows1250ToUnicode(byte);
    if (c == 0 || kTenLetters.find(static_cast<char>(byte)) != std::string_view::npos) continue;
    // µ is the micro sign, a Greek letter, and ˇ a mark on its own: no base letter, so "?".
    if (!std::iswalpha(static_cast<wint_t>(c)) || c == U'µ' || c == U'ˇ') continue;
    ++letters;
    const char* spelling = DisplaySpelling(byte);
    ASSERT_NE(spelling, nullptr) << "byte " << b;
    EXPECT_EQ(spelling, SystemAsciiSpelling(c)) << "byte " << b;
  }
  uselocale(previous);
  freelocale(utf8);
  EXPECT_EQ(letters, 71);  // every letter of Windows-1250 beyond ASCII, less the ten
}

TEST(DisplayLetters, QuotationMarksDashesAndSpacesBecomeTheirAsciiSigns) {
  // „Da“ – rekao je… «ne» ‚x‘ ’y’ ‹z› —, with a no-break space before the last dash.
  EXPECT_EQ(Written("\x84"
                    "Da\x93 \x96 rekao je\x85 \xABne\xBB \x82x\x91 \x92y\x92 \x8Bz\x9B\xA0\x97"),
            "\"Da\" - rekao je... \"ne\" 'x' 'y' 'z' -");
  // ” closes a quotation too.
  EXPECT_EQ(Written("\x94"), "\"");
}

TEST(DisplayLetters, EveryOtherSignAndEveryUnusedByteIsAQuestionMark) {
  // € ‰ † ‡ • ™ ˇ ˘ ¤ ¦ § ¨ © ¬ ® ° ± ˛ ´ µ ¶ · ¸ ˝ × ÷ ˙, and the five bytes that stand for
  // nothing in Windows-1250.
  const std::string signs =
      "\x80\x89\x86\x87\x95\x99\xA1\xA2\xA4\xA6\xA7\xA8\xA9\xAC\xAE\xB0\xB1\xB2\xB4\xB5\xB6\xB7"
      "\xB8\xBD\xD7\xF7\xFF\x81\x83\x88\x90\x98";
  EXPECT_EQ(Written(signs), std::string(signs.size(), '?'));
}

TEST(DisplayLetters, AsciiAndTheTenLettersComeBackAsTheSameBytesUncopied) {
  DisplayLetters letters;
  // Every ASCII byte, control bytes included, and the ten letters at every place against the
  // eight-byte steps of the scan.
  std::string text;
  for (int b = 1; b < 0x80; ++b) text += static_cast<char>(b);
  for (std::size_t i = 0; i < 24; ++i) text.insert(i * 6, 1, kTenLetters[i % kTenLetters.size()]);
  const std::string_view written = letters.Write(text);
  EXPECT_EQ(written.data(), text.data());
  EXPECT_EQ(written.size(), text.size());
  EXPECT_FALSE(letters.changedAny());

  EXPECT_EQ(letters.Write("r\xE9sz \xE8"), "resz \xE8");  // é would show as đ
  EXPECT_TRUE(letters.changedAny());
  EXPECT_EQ(letters.Write("ok"), "ok");
  EXPECT_TRUE(letters.changedAny());  // once changed, the conversion says so
}

// The image of a one-title file of `text`, in Windows-1250 and device codes.
ByteString Image(const std::string& text) {
  testing::RecordingPanel panel;
  return ConvertTitleBytes("{0}{25}" + text + "\n", CharMode::DeviceCodes, panel,
                           {.encoding = TextEncoding::Windows1250})
      .image;
}

TEST(DisplayLetters, ALetterToWriteIsFoundWhereverItStandsInALine) {
  // After runs of ASCII and of the ten letters of every length, so that the byte to change falls
  // on each place of the steps the text is looked at in, and in texts of every length up to
  // beyond the usual title's.
  for (std::size_t before = 0; before < 80; ++before) {
    for (const char kept : {'a', '\xE8'}) {
      const std::string head(before, kept);
      const std::string tail(before * 7 % 41, 'z');
      EXPECT_EQ(Written(head + "\xDF" + tail), head + "ss" + tail) << before;
      EXPECT_EQ(Written(head + "\x85" + tail + "\xF3"), head + "..." + tail + "o") << before;
      // A title's letters are also looked at while its device codes are written.
      EXPECT_EQ(Image(head + "\xDF" + tail), Image(head + "ss" + tail)) << before;
    }
  }
}

// A title file converted in `mode`, with the text of its only title as the display shows it.
struct Shown {
  ConversionResult result;
  std::string text;
};

Shown Convert(std::string_view file, CharMode mode) {
  testing::RecordingPanel panel;
  Shown shown{ConvertTitleBytes(file, mode, panel), {}};
  ByteString image = shown.result.image;
  PadTitleImage(image);
  const DecodedImage decoded = DecodeTitleImage(image);
  if (decoded.titles.size() == 1) shown.text = decoded.titles[0].utf8;
  return shown;
}

TEST(DisplayLetters, TheDisplayShowsWhatTheAudienceReadsInBothModes) {
  // rész, čaša, Đak in Windows-1250: é is the display's code for đ when sent as it stands.
  const std::string file =
      "{0}{25}r\xE9sz \xE8"
      "a\x9A"
      "a \xD0"
      "ak\r\n";
  const Shown device = Convert(file, CharMode::DeviceCodes);
  EXPECT_EQ(device.text, "resz čaša Đak");
  EXPECT_TRUE(device.result.lettersSimplified);
  EXPECT_EQ(Convert(file, CharMode::PlainLetters).text, "resz casa Djak");

  // The same from UTF-8, with letters that Windows-1250 lacks: they take their base letters
  // before the display's rule sees them.
  const Shown utf8 = Convert("{0}{25}Æsir œuvre Øre „né“ ß ♪\r\n", CharMode::DeviceCodes);
  EXPECT_EQ(utf8.result.encoding, TextEncoding::Utf8);
  EXPECT_EQ(utf8.text, "AEsir oeuvre Ore \"ne\" ss ?");

  // Only the ten letters: nothing to say.
  const Shown plain = Convert(
      "{0}{25}\xE8"
      "a\x9A"
      "a\r\n",
      CharMode::DeviceCodes);
  EXPECT_EQ(plain.text, "čaša");
  EXPECT_FALSE(plain.result.lettersSimplified);
}

}  // namespace
}  // namespace marvek
