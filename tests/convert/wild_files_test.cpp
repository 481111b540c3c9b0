// Title files from the wild (other projects' test data, kept beside the repository, never in it):
// each read strictly, which converts it or refuses it at one known line, and with repair, which
// always converts it. Prints a table of what happened to each.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "convert/title_image.h"
#include "display/image_decoder.h"
#include "support/recording_panel.h"

namespace marvek {
namespace {

enum class Layout { Braces, SubRip, Mpl2 };

struct WildFile {
  const char* name;
  Layout layout;
  // The strict reading: 0 when it converts, else the line it refuses and why.
  std::size_t refusedLine;
  LineFault fault;
  std::size_t titlesWithRepair;  // bridges and repeats of a long title not counted
};

constexpr LineFault kConverts = LineFault::None;

// What each file does. An MPL2 file ([0][6]...) is taken for a brace file: refused, and with
// repair left without titles. Reading that layout is a matter of its own.
const WildFile kFiles[] = {
    {"01-gaupol-negative-frames.sub", Layout::Braces, 1, LineFault::FrameBeforeZero, 9},
    {"02-pysubtools-slovene-cp1250.sub", Layout::Braces, 0, kConverts, 1068},
    {"04-pysubtools-english-crlf.sub", Layout::Braces, 0, kConverts, 1562},
    {"05-pysubtools-czech-lotr1-cp1250.sub", Layout::Braces, 0, kConverts, 548},
    {"07-pysubtools-czech-lotr2b-fpsbrace.sub", Layout::Braces, 0, kConverts, 182},
    {"08-mantas-styles-noeol.sub", Layout::Braces, 0, kConverts, 2},
    {"09-subsrt-ms-frames.sub", Layout::Braces, 0, kConverts, 5},
    {"10-srtconvert-natto.sub", Layout::Braces, 0, kConverts, 10},
    {"11-gravity-polish-slash-italics.txt", Layout::Braces, 13, LineFault::FrameNotNumber, 660},
    {"13-subconvert-stacked-codes.txt", Layout::Braces, 0, kConverts, 3},
    {"14-jubler-midline-code-unicode.sub", Layout::Braces, 0, kConverts, 5},
    {"15-subtitlesparser-friends-polish-cp1250.sub", Layout::Braces, 333, LineFault::BlankLine,
     332},
    {"17-subtitlesparser-http-header-mobutu.sub", Layout::Braces, 1, LineFault::MissingBrace, 790},
    {"18-subtitlesparser-matrix-french-empty-text.sub", Layout::Braces, 0, kConverts, 1722},
    {"20-subtitlesparser-header-23976.sub", Layout::Braces, 1, LineFault::MissingBrace, 388},
    {"21-subtitlesparser-gangs-fps12500.sub", Layout::Braces, 0, kConverts, 748},
    {"23-subtitlesparser-freaks-latin1.sub", Layout::Braces, 0, kConverts, 714},
    {"25-subtitlesparser-got-mpl2-named-srt.srt", Layout::Mpl2, 1, LineFault::FrameNotNumber, 0},
    {"26-subtitleedit-serbian-latin-cp1250.srt", Layout::SubRip, 0, kConverts, 1132},
    {"28-pysubtools-croatian-cp1250.srt", Layout::SubRip, 0, kConverts, 482},
    {"29-pysubtools-czech-mixed-eol.srt", Layout::SubRip, 0, kConverts, 877},
    {"30-pysubtools-utf16le-bom.srt", Layout::SubRip, 0, kConverts, 606},
    {"32-subtitlesparser-jpod-russian-cp1251.srt", Layout::SubRip, 0, kConverts, 733},
    {"33-pysubtools-font-color-utf8.srt", Layout::SubRip, 0, kConverts, 1846},
    {"34-pysubtools-an-tags-gbk.srt", Layout::SubRip, 0, kConverts, 1059},
};

std::string Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The titles an image plays: empty records that bridge a gap, and the repeats of a long title,
// are not counted.
std::size_t TitlesPlayed(const ByteString& unfilled) {
  ByteString image = unfilled;
  PadTitleImage(image);
  const DecodedImage decoded = DecodeTitleImage(image);
  EXPECT_TRUE(decoded.ok());
  std::size_t titles = 0;
  std::int64_t previousEnd = 0;
  const DecodedTitle* previous = nullptr;
  for (const DecodedTitle& title : decoded.titles) {
    const bool bridge = title.text.empty() && title.start == title.end &&
                        title.start - previousEnd == kLargestBridgeGap;
    const bool repeat = previous != nullptr && title.start == previousEnd &&
                        previous->end - previous->start == kLargestFrameCount &&
                        title.text == previous->text;
    titles += !bridge && !repeat;
    previousEnd = title.end;
    previous = &title;
  }
  return titles;
}

TEST(WildFiles, ConvertStrictlyOrAtTheirKnownLineAndAlwaysWithRepair) {
  // The folder beside the repository; MARVEK_WILD_FILES in the environment names another.
  const char* const named = std::getenv("MARVEK_WILD_FILES");
  const std::filesystem::path folder = named != nullptr ? named : MARVEK_WILD_FILES;
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << folder << " is not there";
  std::printf("\n| file | strict reading | titles with repair | what repair did |\n");
  std::printf("|---|---|---|---|\n");
  for (const WildFile& file : kFiles) {
    SCOPED_TRACE(file.name);
    const std::filesystem::path path = folder / file.name;
    if (!std::filesystem::exists(path)) {
      ADD_FAILURE() << "missing";
      continue;
    }
    const std::string bytes = Read(path);
    ConversionOptions options;
    if (file.layout == Layout::SubRip) options.subRipRate = FrameRate{25, 1};
    testing::RecordingPanel panel;
    const ConversionResult strict = ConvertTitleBytes(bytes, CharMode::DeviceCodes, panel, options);
    EXPECT_EQ(strict.lineNumber, file.refusedLine) << strict.reason;
    EXPECT_EQ(strict.fault, file.fault);
    EXPECT_EQ(strict.outcome,
              file.refusedLine == 0 ? ConversionOutcome::Converted : ConversionOutcome::Incorrect);

    options.repair = true;
    const ConversionResult repaired =
        ConvertTitleBytes(bytes, CharMode::DeviceCodes, panel, options);
    ASSERT_EQ(repaired.outcome, ConversionOutcome::Converted);
    EXPECT_EQ(TitlesPlayed(repaired.image), file.titlesWithRepair);
    if (file.refusedLine == 0) {
      // What repair changes in a file the strict reading takes, it says.
      EXPECT_TRUE(repaired.image == strict.image || !repaired.repairs.empty());
    }
    const std::string strictText =
        strict.outcome == ConversionOutcome::Converted
            ? "converts, " + std::to_string(TitlesPlayed(strict.image)) + " titles"
            : "line " + std::to_string(strict.lineNumber) + ": " + strict.reason;
    const std::string titles = repaired.outcome == ConversionOutcome::Converted
                                   ? std::to_string(TitlesPlayed(repaired.image))
                                   : "refused";
    std::string rate;
    if (repaired.fileFrameRate) {
      rate = "; frame-rate line " + FrameRateText(*repaired.fileFrameRate);
    }
    std::printf("| %s | %s | %s | %s%s |\n", file.name, strictText.c_str(), titles.c_str(),
                RepairStatusLine(repaired.repairs).c_str(), rate.c_str());
  }
}

}  // namespace
}  // namespace marvek
