#include "convert/encoding/encoding_detector.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "convert/encoding/utf16_reader.h"
#include "convert/title_image.h"
#include "support/recording_panel.h"
#include "support/temp_dir.h"
#include "support/test_values.h"

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

// `lines` titles of French in Windows-1252, where ’ à é è Ç œ are the bytes 92 E0 E9 E8 C7 9C.
std::string FrenchTitles(int lines) {
  std::string out;
  for (int i = 0; i < lines; ++i) {
    out += "{" + std::to_string(i * 10) + "}{" + std::to_string(i * 10 + 5) +
           "}C\x92"
           "est \xE0 toi de d\xE9"
           "cider, mon fr\xE8re.|\xC7"
           "a va, mon c\x9C"
           "ur ?\r\n";
  }
  return out;
}

// `lines` titles of German in Windows-1252: ö ü ß ä are the same bytes in Windows-1250.
std::string GermanTitles(int lines) {
  std::string out;
  for (int i = 0; i < lines; ++i) {
    out += "{" + std::to_string(i * 10) + "}{" + std::to_string(i * 10 + 5) +
           "}Sch\xF6ne Gr\xFC\xDF"
           "e an das M\xE4"
           "dchen, sie wei\xDF es.\r\n";
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

TEST(EncodingDetection, Windows1252IsReadWhereTheGuardsAllowIt) {
  EXPECT_EQ(DetectTextEncoding(FrenchTitles(40)), TextEncoding::Windows1252);
  // Too few letters to go on: Windows-1250 stands.
  EXPECT_EQ(DetectTextEncoding(FrenchTitles(2)), TextEncoding::Windows1250);
  // Letters that are the same bytes in both: read as Windows-1250, nothing to say.
  EXPECT_EQ(DetectTextEncoding(GermanTitles(40)), TextEncoding::Windows1250);

  // German far past what uchardet sees, then one French line: the guard reads the whole file,
  // from memory and from the file, and the è makes it Windows-1252.
  std::string titles = GermanTitles(3000);
  ASSERT_GT(titles.size(), 4 * EncodingDetector::kSampleLimit);
  titles += FrenchTitles(1);
  EXPECT_EQ(DetectTextEncoding(titles), TextEncoding::Windows1252);
  const testing::TempDir dir;
  testing::RecordingPanel panel;
  const ConversionResult fromFile =
      ConvertTitleFile(dir.Write("late.sub", titles), CharMode::PlainLetters, panel);
  EXPECT_EQ(fromFile.encoding, TextEncoding::Windows1252);
}

using testing::NameOf;

TEST(EncodingDetection, RealFilesAreReadInTheEncodingTheirLettersNeed) {
  // The folder beside the repository; MARVEK_WILD_FILES in the environment names another.
  const char* const named = std::getenv("MARVEK_WILD_FILES");
  const std::filesystem::path folder = named != nullptr ? named : MARVEK_WILD_FILES;
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << folder << " is not there";
  // What each file is written in, as its language and bytes show. A file whose bytes above
  // 0x7F mean the same in Windows-1250, or too few of them, is read as Windows-1250: 17 holds
  // three ’ of Windows-1252, 20 one ó. 34 is Chinese, which is read as Windows-1250 for want of
  // anything better.
  const std::pair<const char*, TextEncoding> files[] = {
      {"02-pysubtools-slovene-cp1250.sub", TextEncoding::Windows1250},
      {"05-pysubtools-czech-lotr1-cp1250.sub", TextEncoding::Windows1250},
      {"07-pysubtools-czech-lotr2b-fpsbrace.sub", TextEncoding::Windows1250},
      {"11-gravity-polish-slash-italics.txt", TextEncoding::Utf8},
      {"14-jubler-midline-code-unicode.sub", TextEncoding::Utf8},
      {"15-subtitlesparser-friends-polish-cp1250.sub", TextEncoding::Windows1250},
      {"17-subtitlesparser-http-header-mobutu.sub", TextEncoding::Windows1250},
      {"18-subtitlesparser-matrix-french-empty-text.sub", TextEncoding::Windows1252},
      {"20-subtitlesparser-header-23976.sub", TextEncoding::Windows1250},
      {"23-subtitlesparser-freaks-latin1.sub", TextEncoding::Windows1252},
      {"25-subtitlesparser-got-mpl2-named-srt.srt", TextEncoding::Utf8},
      {"26-subtitleedit-serbian-latin-cp1250.srt", TextEncoding::Windows1250},
      {"28-pysubtools-croatian-cp1250.srt", TextEncoding::Windows1250},
      {"29-pysubtools-czech-mixed-eol.srt", TextEncoding::Windows1250},
      {"30-pysubtools-utf16le-bom.srt", TextEncoding::Utf16LittleEndian},
      {"32-subtitlesparser-jpod-russian-cp1251.srt", TextEncoding::Windows1251},
      {"33-pysubtools-font-color-utf8.srt", TextEncoding::Utf8},
      {"34-pysubtools-an-tags-gbk.srt", TextEncoding::Windows1250},
  };
  std::printf("\n%-50s %s\n", "File", "Read as");
  for (const auto& [name, expected] : files) {
    std::ifstream in(folder / name, std::ios::binary);
    if (!in) continue;
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    const TextEncoding got = DetectTextEncoding(bytes);
    std::printf("%-50s %s\n", name, NameOf(got));
    EXPECT_EQ(NameOf(got), std::string(NameOf(expected))) << name;
  }
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
