#include "convert/encoding_detector.h"

#include <gtest/gtest.h>

#include "convert/title_image.h"
#include "convert/utf16_reader.h"
#include "support/recording_panel.h"
#include "support/temp_dir.h"

namespace marvek {
namespace {

// `lines` titles of Croatian in ISO-8859-2: š ž Š Ž are the bytes B9 BE A9 AE there.
std::string Iso8859_2Titles(int lines) {
  std::string out;
  for (int i = 0; i < lines; ++i) {
    out += "{" + std::to_string(i * 10) + "}{" + std::to_string(i * 10 + 5) +
           "}\xA9to \xE6"
           "e\xB9 raditi? \xAE"
           "ao mi je, \xB9kola po\xE8inje u \xB9"
           "est.\r\n";
  }
  return out;
}

TEST(EncodingDetection, AByteOrderMarkDecides) {
  EXPECT_EQ(DetectTextEncoding("\xEF\xBB\xBF{1}{2}\xE8"), TextEncoding::Utf8);
  EXPECT_EQ(DetectTextEncoding("\xFF\xFE{\0"), TextEncoding::Utf16LittleEndian);
  EXPECT_EQ(DetectTextEncoding(std::string_view("\xFE\xFF\0{", 4)), TextEncoding::Utf16BigEndian);
}

TEST(EncodingDetection, Iso8859_2IsReadWhereTheGuardsAllowIt) {
  EXPECT_EQ(DetectTextEncoding(Iso8859_2Titles(40)), TextEncoding::Iso8859_2);
  // Too few letters to go on: Windows-1250 stands.
  EXPECT_EQ(DetectTextEncoding(Iso8859_2Titles(1)), TextEncoding::Windows1250);
  // Letters that are the same bytes in both: read as Windows-1250, nothing to say.
  std::string same;
  for (int i = 0; i < 40; ++i)
    same +=
        "{1}{2}\xC6"
        "ao \xD0"
        "uro, \xE8"
        "ekaj ve\xE6 jednom\r\n";
  EXPECT_EQ(DetectTextEncoding(same), TextEncoding::Windows1250);
}

TEST(EncodingDetection, AControlByteAnywhereRulesOutIso8859_2) {
  // The š of Windows-1250 (0x9A) far past what uchardet sees: the whole file is looked at.
  std::string titles = Iso8859_2Titles(4000);
  ASSERT_GT(titles.size(), 4 * EncodingDetector::kSampleLimit);
  titles += "{99999}{99999}\x9A\r\n";
  EXPECT_EQ(DetectTextEncoding(titles), TextEncoding::Windows1250);

  const testing::TempDir dir;
  testing::RecordingPanel panel;
  const ConversionResult fromFile =
      ConvertTitleFile(dir.Write("late.sub", titles), CharMode::PlainLetters, panel);
  EXPECT_EQ(fromFile.encoding, TextEncoding::Windows1250);
  const ConversionResult iso =
      ConvertTitleFile(dir.Write("iso.sub", Iso8859_2Titles(4000)), CharMode::PlainLetters, panel);
  EXPECT_EQ(iso.encoding, TextEncoding::Iso8859_2);
}

TEST(Utf16Reading, CharactersCutByTheRoomComeWholeOverTwoCalls) {
  // "{č}😀", an unpaired low surrogate, and an odd last byte.
  const std::string_view file("{\0\x0D\x01}\0\x3D\xD8\x00\xDE\x00\xDCx", 13);
  Utf16Reader reader(file, false);
  std::string utf8;
  char one;
  while (reader.Read(&one, 1) == 1) utf8 += one;
  EXPECT_EQ(utf8, "{\xC4\x8D}\xF0\x9F\x98\x80\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(Utf16Units(utf8), 7u);  // the file's 13 bytes, the odd one counted as a unit
}

}  // namespace
}  // namespace marvek
