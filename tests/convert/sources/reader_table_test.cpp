// The table of readers, held at the conversion's entrance: each kind of file goes to the reader
// of its kind, from memory and from a file alike.
#include <gtest/gtest.h>

#include <string>

#include "convert/title_image.h"
#include "support/recording_panel.h"
#include "support/temp_dir.h"

namespace marvek {
namespace {

TEST(ReaderTable, EachKindOfFileGoesToItsReader) {
  const struct {
    const char* what;
    std::string file;
    TitleLayout layout;
    std::string format;  // the result's sourceFormat: empty for the line layouts
  } cases[] = {
      {"braces", "{1}{25}a\n", TitleLayout::Braces, ""},
      // A broken brace file stays the brace reader's, which names its line, even where a reader
      // of whole documents might make something of it.
      {"broken braces", "{1}{x}a\n{26}{50}b\n{51}{75}c\n", TitleLayout::Braces, ""},
      {"SubRip after a saved header",
       "HTTP/1.1 200 OK\nContent-Type: text/plain\n\n1\n00:00:01,000 --> 00:00:02,000\na\n",
       TitleLayout::SubRip, ""},
      {"MPL2", "\n[10][20]a\n", TitleLayout::Mpl2, ""},
      {"DCP subtitles",
       "<DCSubtitle Version=\"1.0\"><Subtitle TimeIn=\"00:00:01:000\" "
       "TimeOut=\"00:00:02:000\"><Text>a</Text></Subtitle></DCSubtitle>",
       TitleLayout::Timed, "DCP subtitle"},
      {"ASS",
       "[Script Info]\n[Events]\nFormat: Start, End, Text\nDialogue: 0:00:01.00,0:00:02.00,a\n",
       TitleLayout::Timed, "ASS"},
      // Its cue opens as a SubRip title would; its first line tells it.
      {"WebVTT", "WEBVTT\n\n1\n00:00:01.000 --> 00:00:02.000\na\n", TitleLayout::Timed, "WebVTT"},
      {"text no reader knows", "hello\n", TitleLayout::Braces, ""},
  };
  const testing::TempDir dir;
  const ConversionOptions options{.displayRate = FrameRate{25, 1}};
  for (const auto& c : cases) {
    testing::RecordingPanel panel;
    const ConversionResult fromBytes =
        ConvertTitleBytes(c.file, CharMode::PlainLetters, panel, options);
    const ConversionResult fromFile =
        ConvertTitleFile(dir.Write("titles", c.file), CharMode::PlainLetters, panel, options);
    for (const ConversionResult* result : {&fromBytes, &fromFile}) {
      EXPECT_EQ(result->timing.layout, c.layout) << c.what;
      EXPECT_EQ(result->sourceFormat, c.format) << c.what;
      EXPECT_NE(result->outcome, ConversionOutcome::Unreadable) << c.what;
    }
    EXPECT_EQ(fromBytes.image, fromFile.image) << c.what;
  }
}

}  // namespace
}  // namespace marvek
