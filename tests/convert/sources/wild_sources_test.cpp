// ASS, SSA, WebVTT and SAMI files from the wild (other projects' test data, kept beside the
// repository, never in it): each converts at 25 frames a second, giving the titles the rules give.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "convert/sources/ffmpeg_source.h"
#include "convert/title_image.h"
#include "display/image_decoder.h"
#include "support/recording_panel.h"

namespace marvek {
namespace {

struct WildSource {
  const char* name;
  std::size_t titles;  // titles with text the display plays, the repeats of a long title counted
  std::vector<std::string> some;  // "{start}{end}text" of a few of them
};

const WildSource kSources[] = {
    {"36-pysubs2-creep-typical.ass",
     38,
     {"{494}{548}When you were here be fore", "{5694}{5767}I don't be long here"}},
    {"37-libass-aegisub-overrides.ass",
     32,
     {"{0}{125}This is a test of the ASS format and some basic features in it.",
      "{1300}{1350}Large inter-letter spacing"}},
    {"38-mantas-aegisub-comments-noeol.ass",
     2,
     {"{3435}{3510}Senator, we're making|our final approach into Coruscant."}},
    {"39-subtitlesparser-hp2-spanish-cp1252.ssa", 622, {"{50}{88}?Ayudenme!"}},
    {"40-astisub-cr-only-junk-lines.ssa",
     3,
     {"{0}{94}Did one of the last stories strike you as more interesting than the other?",
      "{268}{352}at a busy bus stop or anywhere else for that matter."}},
    {"41-gaupol-style-note-hoursless.vtt",
     10,
     {"{24}{84}So, one day when I was 17, I left.", "{116}{166}There I was in Paris."}},
    {"42-subtitlesparser-bom-crlf-notes.vtt",
     2,
     {"{25}{100}Never drink liquid nitrogen.",
      "{125}{225}- It will perforate your stomach.|- You could die."}},
    {"43-webvttpy-swedish-notes.vtt",
     3,
     {"{3375}{3500}- Ta en kopp varmt te.|- Det ar inte varmt.", "{3625}{3750}- Ta en kopp"}},
    {"44-webvttpy-class-timestamp-tags.vtt",
     3,
     {"{413}{463}When the moon hits your eye", "{513}{538}That's amore"}},
    {"45-mantas-voice-noeol.vtt", 1, {"{225}{275}We are in New York City"}},
    {"46-mantas-french-lang-tags.vtt", 1, {"{0}{250}Sur les playground, ici a Montpellier"}},
    {"47-subtitlesparser-over-24-hours.vtt", 47, {"{25}{100}Never drink liquid nitrogen."}},
    {"52-mantas-sami-nbsp-clear.smi",
     2,
     {"{3435}{3510}Senator, we're making|our final approach into Coruscant.",
      "{93513}{93563}Very good, Lieutenant."}},
};

TEST(WildSources, ConvertToTheTitlesTheRulesGive) {
  const std::filesystem::path folder = MARVEK_WILD_FILES;
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no " << folder;
  for (const WildSource& source : kSources) {
    testing::RecordingPanel panel;
    ConversionOptions options;
    options.displayRate = FrameRate{25, 1};
    const ConversionResult result =
        ConvertTitleFile((folder / source.name).string(), CharMode::PlainLetters, panel, options);
    if (std::string_view(source.name).ends_with(".smi") && !FfmpegReadersBuiltIn()) {
      EXPECT_EQ(result.reason, kFfmpegLeftOut);  // a build without FFmpeg says so
      continue;
    }
    ASSERT_EQ(result.outcome, ConversionOutcome::Converted) << source.name << ": " << result.reason;
    ByteString image = result.image;
    PadTitleImage(image);
    std::vector<std::string> shown;
    for (const DecodedTitle& t : DecodeTitleImage(image).titles) {
      if (t.utf8.empty()) continue;  // a record that bridges a long gap
      shown.push_back("{" + std::to_string(t.start) + "}{" + std::to_string(t.end) + "}" + t.utf8);
    }
    EXPECT_EQ(shown.size(), source.titles) << source.name;
    for (const std::string& title : source.some) {
      EXPECT_NE(std::find(shown.begin(), shown.end(), title), shown.end())
          << source.name << " lacks " << title;
    }
  }
}

}  // namespace
}  // namespace marvek
