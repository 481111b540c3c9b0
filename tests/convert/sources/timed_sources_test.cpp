// The rules of the timed sources, held at the conversion's entrance: ASS and WebVTT text as the
// display shows it, the order and merging of events, frames at the display's rate, and the
// refusals that name what was left out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/sources/ffmpeg_source.h"
#include "support/decoded_conversion.h"

namespace marvek {
namespace {

using testing::ConvertAndDecode;

// "{start}{end}text" for every title the display plays.
std::vector<std::string> Shown(const testing::DecodedConversion& c) {
  std::vector<std::string> shown;
  for (const DecodedTitle& t : c.titles) {
    shown.push_back("{" + std::to_string(t.start) + "}{" + std::to_string(t.end) + "}" + t.utf8);
  }
  return shown;
}

ConversionOptions At25(bool repair = false) {
  ConversionOptions options;
  options.displayRate = FrameRate{25, 1};
  options.repair = repair;
  return options;
}

std::string Ass(const std::string& events) {
  return "[Script Info]\nScriptType: v4.00+\n\n[Events]\n"
         "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n" +
         events;
}

struct Case {
  const char* what;
  std::string file;
  std::vector<std::string> shown;
};

TEST(TimedSources, GiveTheTitlesTheirRulesGive) {
  const Case cases[] = {
      {"ASS codes",
       Ass("Dialogue: 0,0:00:01.00,0:00:02.00,D,,0,0,0,,{\\i1}Hi{\\i0}\\Nyou\\nall\\hthere\n"),
       {"{25}{50}Hi|you all there"}},
      {"ASS drawings and comments are left out, \\pos is no drawing",
       Ass("Comment: 0,0:00:01.00,0:00:02.00,D,,0,0,0,,note\n"
           "Dialogue: 0,0:00:01.00,0:00:02.00,D,,0,0,0,,{\\p1}m 0 0 l 9 9{\\p0}\n"
           "Dialogue: 0,0:00:03.00,0:00:04.00,D,,0,0,0,,{\\pos(1,2)}Kept, with a comma\n"),
       {"{75}{100}Kept, with a comma"}},
      {"ASS fractions are decimal; halves of a frame go up",
       Ass("Dialogue: 0,0:00:01.766,0:00:02.02,D,,0,0,0,,a\n"
           "Dialogue: 0,0:01:00.1,0:01:00.5,D,,0,0,0,,b\n"),
       {"{44}{51}a", "{1503}{1513}b"}},
      {"SSA fields named in another order",
       "[Script Info]\n[Events]\nFormat: Marked, Start, End, Text\r"
       "Dialogue: Marked=0,0:00:02.00,0:00:03.00,Over, here\r",
       {"{50}{75}Over, here"}},
      {"order by start, ties in file order; same start and end merge in file order",
       Ass("Dialogue: 0,0:00:05.00,0:00:06.00,D,,0,0,0,,late\n"
           "Dialogue: 0,0:00:01.00,0:00:03.00,D,,0,0,0,,one\n"
           "Dialogue: 0,0:00:01.00,0:00:02.00,D,,0,0,0,,other\n"
           "Dialogue: 0,0:00:01.00,0:00:03.00,D,,0,0,0,,two\n"),
       {"{25}{75}one|two", "{75}{75}other", "{125}{150}late"}},
      {"lines trimmed, empty lines and events dropped",
       Ass("Dialogue: 0,0:00:01.00,0:00:02.00,D,,0,0,0,,  a \t\\N \\N\tb  \n"
           "Dialogue: 0,0:00:03.00,0:00:04.00,D,,0,0,0,, {\\b1} \\N\n"),
       {"{25}{50}a|b"}},
      {"WebVTT tags, references, identifiers, settings and notes",
       "WEBVTT - film\n\nNOTE a note\nover two lines\n\nid 1\n"
       "00:01.000 --> 00:02.000 align:start line:0\n"
       "<v Roger Bingham><i>Hi</i> &amp; bye&#39;s&lrm; &lt;3 &quot;&apos;&#x41;\n",
       {"{25}{50}Hi & bye's <3 \"'A"}},
      {"a WebVTT cue's text ends at a line with an arrow; hours are optional",
       "\xEF\xBB\xBFWEBVTT\r\n\r\n00:01.000 --> 00:02.000\r\nA\r\n"
       "00:01:00.000 --> 00:01:01.000\r\nB\r\n",
       {"{25}{50}A", "{1500}{1525}B"}},
      {"WebVTT timing lines the standard's parser drops",
       "WEBVTT\n\n0:01.000 --> 00:02.000\nx\n\n00:01,000 --> 00:02.000\nx\n\n"
       "00:60.000 --> 01:02.000\nx\n\n00:01.00 --> 00:02.000\nx\n\n"
       "00:03.000 --> 00:04.000\nkept\n",
       {"{75}{100}kept"}},
  };
  for (const Case& c : cases) {
    const auto converted = ConvertAndDecode(c.file, CharMode::PlainLetters, At25());
    EXPECT_EQ(converted.result.outcome, ConversionOutcome::Converted)
        << c.what << ": " << converted.result.reason;
    EXPECT_EQ(Shown(converted), c.shown) << c.what;
  }
}

TEST(TimedSources, RefuseWhatTheyCannotConvertSayingWhy) {
  const std::string negative = Ass("Dialogue: 0,-0:00:01.00,0:00:02.00,D,,0,0,0,,early\n");
  const struct {
    const char* what;
    std::string file;
    ConversionOptions options;
    LineFault fault;
    std::string reason;
  } cases[] = {
      {"no rate",
       Ass("Dialogue: 0,0:00:01.00,0:00:02.00,D,,0,0,0,,x\n"),
       {},
       LineFault::TimesWithoutRate,
       "this is an ASS file, whose times need the display's frame rate"},
      {"only what is left out",
       Ass("Comment: 0,0:00:01.00,0:00:02.00,D,,0,0,0,,a\n"
           "Dialogue: 0,0:00:01.00,0:00:02.00,D,,0,0,0,,{\\p2}m 0 0\n"
           "Dialogue: 0,0:00:0x.00,0:00:02.00,D,,0,0,0,,b\n"),
       At25(), LineFault::NoTitle,
       "no title in the file; left out: 1 drawing, 1 comment, 1 cue whose timing cannot be read"},
      {"WebVTT of bad timings", "WEBVTT\n\n00:01 --> 00:02\nx\n\n00:01.000 --> 00:02.0000\nx\n",
       At25(), LineFault::NoTitle,
       "no title in the file; left out: 2 cues whose timing cannot be read"},
      {"a time before 0", negative, At25(), LineFault::FrameBeforeZero,
       "the title starts before 00:00:00,000"},
  };
  for (const auto& c : cases) {
    const auto refused = ConvertAndDecode(c.file, CharMode::PlainLetters, c.options);
    EXPECT_EQ(refused.result.outcome, ConversionOutcome::Incorrect) << c.what;
    EXPECT_EQ(refused.result.fault, c.fault) << c.what;
    EXPECT_EQ(refused.result.reason, c.reason) << c.what;
  }
  // Repair follows the brace layout: the title starts at frame 0.
  EXPECT_EQ(Shown(ConvertAndDecode(negative, CharMode::PlainLetters, At25(true))),
            std::vector<std::string>{"{0}{50}early"});
}

TEST(TimedSources, ReadLegacyEncodingsAndFfmpegFormatsAsUtf8) {
  // Windows-1250: "Žluťoučký kůň" in an SSA file, and in SAMI, which only FFmpeg reads.
  const std::string words = "\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2";
  const auto ass =
      ConvertAndDecode(Ass("Dialogue: 0,0:00:01.00,0:00:02.00,D,,0,0,0,," + words + "\n"),
                       CharMode::PlainLetters, At25());
  EXPECT_EQ(Shown(ass), std::vector<std::string>{"{25}{50}Zlutoucky kun"});
  const auto sami = ConvertAndDecode("<SAMI><BODY>\n<SYNC Start=1000><P>" + words +
                                         "&#39;s<br>two</P>\n"
                                         "<SYNC Start=2000><P>&nbsp;</P>\n</BODY></SAMI>\n",
                                     CharMode::PlainLetters, At25());
  if (!FfmpegReadersBuiltIn()) {
    EXPECT_EQ(sami.result.outcome, ConversionOutcome::Incorrect);
    return;
  }
  EXPECT_EQ(sami.result.outcome, ConversionOutcome::Converted) << sami.result.reason;
  EXPECT_EQ(Shown(sami), std::vector<std::string>{"{25}{50}Zlutoucky kun's|two"});
}

}  // namespace
}  // namespace marvek
