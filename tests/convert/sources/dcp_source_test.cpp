// DCP subtitles: Interop and SMPTE documents, and a DCP folder of reels, converted and read back
// from the image as the display reads it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "command/convert_upload.h"
#include "convert/title_image.h"
#include "support/decoded_conversion.h"
#include "support/temp_dir.h"
#include "support/test_values.h"

namespace marvek {
namespace {

using Strings = std::vector<std::string>;
using testing::DecodedConversion;

ConversionOptions AtRate(const char* rate, bool repair = false) {
  ConversionOptions options;
  if (rate != nullptr) options.displayRate = testing::Rate(rate);
  options.repair = repair;
  return options;
}

// The titles as "start-end text".
Strings Shown(const DecodedConversion& c) {
  Strings shown;
  for (const DecodedTitle& t : c.titles) {
    shown.push_back(std::to_string(t.start) + "-" + std::to_string(t.end) + " " + t.utf8);
  }
  return shown;
}

DecodedConversion ConvertFile(const std::string& path, const ConversionOptions& options) {
  return testing::ConvertFileAndDecode(path, CharMode::DeviceCodes, options);
}

DecodedConversion ConvertText(const std::string& xml, const ConversionOptions& options) {
  return testing::ConvertAndDecode(xml, CharMode::DeviceCodes, options);
}

std::string Wild(const char* name) {
  return (std::filesystem::path(MARVEK_WILD_FILES) / name).string();
}

// Interop files from other projects, at 24 frames a second: ticks of 4 ms to the nearest frame,
// lines from the top of the screen down whatever their VAlign, <Font> runs and <Space> as text.
TEST(DcpSubtitles, RealInteropFilesConvertToTheirTitles) {
  struct Case {
    const char* name;
    Strings titles;
  };
  const Case cases[] = {
      {"48-libdcp-interop-nested-font-space.xml",
       {"139-179 My jacket was  Idi Amin's",
        "185-267 My corset was H.M. The Queen's|My large wonderbra",
        "273-318 Once belonged to the Shah", "322-377 And these are Roy Hattersley's jeans"}},
      {"49-libdcp-interop-top-direction.xml",
       {"990-1037 At afternoon tea with John Peel|I enquired if his accent was real",
        "1204-1250 He said \"out of the house|I'm incredibly scouse",
        "1508-1537 At home it depends how I feel.\"|I spent a long weekend in Brighton",
        "1804-1828 With the legendary Miss Enid Blyton|She said \"you be Noddy",
        "1941-1975 and I'll show you my body\"|But Big Ears kept turning the light on.",
        "2099-2132 That curious creature the Sphinx|Is smarter than anyone thinks",
        "2470-2526 It sits there and smirks|And you don't think it works",
        "2534-2577 Then when you're not looking, it winks.|When it snows you will find Sister "
        "Sledge",
        "2582-2608 Out mooning, at night, on the ledge|One storey down",
        "2714-2785 Is the maestro, James Brown|Displaying his meat and two veg.",
        "3020-3051 HELLO|WORLD"}},
      {"50-cinecanvas2srt-interop-stylesheet.xml",
       {"395-466 It's funny you think about|the process of making the game, -",
        "468-539 and you're taking|an incredible amount of things.",
        "542-653 Thousands of great ideas.|You can't just have a hundred.",
        "658-760 You have to have thousands of ideas.|Or 10,000."}},
      {"51-libdcp-interop-font-runs.xml", {"20-147 This is wrong."}},
  };
  for (const Case& c : cases) {
    const std::string path = Wild(c.name);
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no real files at " << MARVEK_WILD_FILES;
    const DecodedConversion converted = ConvertFile(path, AtRate("24"));
    ASSERT_EQ(converted.result.outcome, ConversionOutcome::Converted)
        << c.name << ": " << converted.result.reason;
    EXPECT_EQ(Shown(converted), c.titles) << c.name;
    EXPECT_EQ(converted.result.sourceFormat, "DCP subtitle");
  }
}

// Interop times in ticks of 4 ms or in milliseconds, at 25 frames a second; anything else is no
// time.
TEST(DcpSubtitles, InteropTimesAreTicksOrMilliseconds) {
  struct Case {
    const char* in;
    const char* out;
    const char* shown;  // nullptr: refused
  };
  const Case cases[] = {
      {"00:00:01:125", "00:00:02.040", "38-51 t"},  // 37.5 frames rounds up
      {"00:00:01.5", "00:10:00:249", "38-15025 t"}, {"00:60:00:000", "01:00:00:000", nullptr},
      {"00:00:00:250", "00:00:01:000", nullptr},    {"0:0:1", "00:00:02:000", nullptr},
  };
  for (const Case& c : cases) {
    const DecodedConversion converted =
        ConvertText(std::string("<DCSubtitle><Subtitle TimeIn=\"") + c.in + "\" TimeOut=\"" +
                        c.out + "\"><Text>t</Text></Subtitle></DCSubtitle>",
                    AtRate("25"));
    EXPECT_EQ(Shown(converted), c.shown ? Strings{c.shown} : Strings{}) << c.in;
  }
}

// A SMPTE document in each namespace and spelling: times in units of TimeCodeRate counted from
// StartTime, EditRate as the display's rate unless one is given, lines ordered by Valign and
// Vposition, ruby and pictures.
TEST(DcpSubtitles, SmpteDocumentsTakeTheirRateAndStartTime) {
  const std::string body = R"(
  <EditRate>25 1</EditRate><TimeCodeRate>25</TimeCodeRate><StartTime>00:00:01:00</StartTime>
  <SubtitleList><Font ID="f" Italic="yes">
    <Subtitle TimeIn="00:00:03:00" TimeOut="00:00:04:13">
      <Text Valign="bottom" Vposition="10">bottom 10</Text>
      <Text Valign="top" Vposition="10">top 10</Text>
      <Text Vposition="-20">  centre -20 </Text>
      <Text Valign="bottom" Vposition="50">bottom 50</Text>
      <Text Valign="center">centre</Text>
    </Subtitle>
    <Subtitle TimeIn="00:00:02:00" TimeOut="00:00:02:12"><Text>A<Space Size="0.5"/>B</Text></Subtitle>
    <Subtitle TimeIn="00:00:05:00" TimeOut="00:00:06:00"><Image>urn:uuid:1</Image></Subtitle>
    <Subtitle TimeIn="00:00:06:00" TimeOut="00:00:07:00">
      <Text><Ruby><Rb>kanji</Rb><Rt>furigana</Rt></Ruby> here</Text>
    </Subtitle>
  </Font></SubtitleList>)";
  const Strings atTheirRate{"25-37 A B", "50-88 top 10|centre -20|bottom 50|centre|bottom 10",
                            "125-150 kanji here"};
  for (const char* open :
       {R"(<SubtitleReel xmlns="http://www.smpte-ra.org/schemas/428-7/2007/DCST">)",
        R"(<SubtitleReel xmlns="http://www.smpte-ra.org/schemas/428-7/2010/DCST">)"}) {
    const std::string xml =
        std::string("<?xml version=\"1.0\"?>\n") + open + body + "</SubtitleReel>";
    const DecodedConversion own = ConvertText(xml, AtRate(nullptr));
    ASSERT_EQ(own.result.outcome, ConversionOutcome::Converted) << own.result.reason;
    EXPECT_EQ(Shown(own), atTheirRate);
    EXPECT_EQ(own.result.rateFrom, "the DCP subtitles");
    // The operator's rate wins.
    const DecodedConversion given = ConvertText(xml, AtRate("50"));
    EXPECT_EQ(Shown(given).front(), "50-74 A B");
    EXPECT_EQ(given.result.rateFrom, "");
  }
  // The 2014 namespace with a prefix, and a time code counting 24 a second at a rate of 48.
  const std::string prefixed = R"(<dcst:SubtitleReel
      xmlns:dcst="http://www.smpte-ra.org/schemas/428-7/2014/DCST">
    <dcst:EditRate>48 1</dcst:EditRate><dcst:TimeCodeRate>24</dcst:TimeCodeRate>
    <dcst:SubtitleList><dcst:Subtitle TimeIn="00:00:01:12" TimeOut="00:00:02:00">
      <dcst:Text>prefixed</dcst:Text></dcst:Subtitle></dcst:SubtitleList></dcst:SubtitleReel>)";
  EXPECT_EQ(Shown(ConvertText(prefixed, AtRate(nullptr))), Strings{"72-96 prefixed"});
}

// What refuses a DCP subtitle document, and what repair does with it.
TEST(DcpSubtitles, RefusesWhatCannotBeReadAndSaysWhy) {
  const auto interop = [](const std::string& subtitles) {
    return "<?xml version=\"1.0\"?>\n<DCSubtitle Version=\"1.0\">\n" + subtitles +
           "</DCSubtitle>\n";
  };
  const std::string good = R"(<Subtitle TimeIn="00:00:01:000" TimeOut="00:00:02:125">)"
                           "<Text>good</Text></Subtitle>\n";
  struct Case {
    std::string xml;
    const char* rate;
    std::size_t line;
    LineFault fault;
    std::string reason;
    Strings repaired;  // with repair; empty when repair refuses too
  };
  const Case cases[] = {
      {interop(good),
       nullptr,
       1,
       LineFault::TimesWithoutRate,
       "this is a DCP subtitle file, whose times need the display's frame rate",
       {}},
      {interop(R"(<Subtitle TimeIn="00:00:01:000" TimeOut="00:00:02:000"><Image>a.png</Image>)"
               "</Subtitle>\n"),
       "25",
       1,
       LineFault::NoTitle,
       "no title in the file: its titles are pictures, not text",
       {}},
      {interop(good + R"(<Subtitle TimeIn="00:00:03:250" TimeOut="00:00:04:000"><Text>x</Text>)"
                      "</Subtitle>\n"),
       "25",
       4,
       LineFault::SourceLayout,
       "TimeIn \"00:00:03:250\" is not a time such as 00:01:02:125",
       {"25-63 good"}},
      {interop(good + "<Subtitle>\n"),
       "25",
       5,
       LineFault::SourceLayout,
       "the XML cannot be read: Start-end tags mismatch",
       {}},
      {R"(<SubtitleReel><TimeCodeRate>25</TimeCodeRate><StartTime>00:00:02:00</StartTime>
          <Subtitle TimeIn="00:00:01:00" TimeOut="00:00:03:00"><Text>early</Text></Subtitle>
          </SubtitleReel>)",
       "25",
       2,
       LineFault::FrameBeforeZero,
       "the title starts before 00:00:00,000",
       {"0-25 early"}},
  };
  for (const Case& c : cases) {
    const DecodedConversion strict = ConvertText(c.xml, AtRate(c.rate));
    EXPECT_EQ(strict.result.outcome, ConversionOutcome::Incorrect) << c.reason;
    EXPECT_EQ(strict.result.lineNumber, c.line) << c.reason;
    EXPECT_EQ(strict.result.fault, c.fault) << c.reason;
    EXPECT_EQ(strict.result.reason, c.reason);
    const DecodedConversion repaired = ConvertText(c.xml, AtRate(c.rate, true));
    EXPECT_EQ(repaired.result.outcome,
              c.repaired.empty() ? ConversionOutcome::Incorrect : ConversionOutcome::Converted)
        << c.reason;
    EXPECT_EQ(Shown(repaired), c.repaired) << c.reason;
  }
  // A refusal of the whole file names its first line, as the line layouts' refusals do.
  EXPECT_EQ(RefusalLines(ConvertText(cases[1].xml, AtRate("25")).result, {}),
            Strings{"Line 1: no title in the file: its titles are pictures, not text"});
}

// A DCP folder: ASSETMAP, CPL, and the Interop subtitles of its reels.
class DcpFolder : public ::testing::Test {
 protected:
  // A composition of two reels of 24 frames a second: the first 480 frames long (500 from entry
  // point 20), the second's subtitles in `secondReel`.
  void MakeDcp(const std::string& secondReel) {
    dir_.Write("ASSETMAP.xml", R"(<?xml version="1.0"?>
<AssetMap xmlns="http://www.digicine.com/PROTO-ASDCP-AM-20040311#"><AssetList>
  <Asset><Id>urn:uuid:AAAA</Id><PackingList>true</PackingList>
    <ChunkList><Chunk><Path>pkl.xml</Path></Chunk></ChunkList></Asset>
  <Asset><Id>urn:uuid:cccc</Id><ChunkList><Chunk><Path>cpl.xml</Path></Chunk></ChunkList></Asset>
  <Asset><Id>urn:uuid:5001</Id><ChunkList><Chunk><Path>sub1.xml</Path></Chunk></ChunkList></Asset>
  <Asset><Id>urn:uuid:5002</Id><ChunkList><Chunk><Path>)" +
                                   secondReel + R"(</Path></Chunk></ChunkList></Asset>
</AssetList></AssetMap>)");
    dir_.Write("pkl.xml", "<PackingList/>");
    dir_.Write("cpl.xml", R"(<?xml version="1.0"?>
<CompositionPlaylist xmlns="http://www.digicine.com/PROTO-ASDCP-CPL-20040511#"><ReelList>
  <Reel><AssetList>
    <MainPicture><Id>urn:uuid:0001</Id><EditRate>24 1</EditRate>
      <IntrinsicDuration>500</IntrinsicDuration><EntryPoint>20</EntryPoint></MainPicture>
    <MainSubtitle><Id>urn:uuid:5001</Id><EditRate>24 1</EditRate></MainSubtitle>
  </AssetList></Reel>
  <Reel><AssetList>
    <MainPicture><Id>urn:uuid:0002</Id><EditRate>24 1</EditRate><Duration>240</Duration>
    </MainPicture>
    <MainSubtitle><Id>urn:uuid:5002</Id><EditRate>24 1</EditRate></MainSubtitle>
  </AssetList></Reel>
</ReelList></CompositionPlaylist>)");
    dir_.Write("sub1.xml", Subtitles("00:00:01:000", "00:00:02:000", "reel one"));
    dir_.Write("sub2.xml", Subtitles("00:00:01:000", "00:00:02:125", "reel two"));
  }

  static std::string Subtitles(const char* in, const char* out, const char* text) {
    return std::string(R"(<DCSubtitle Version="1.0"><Subtitle TimeIn=")") + in + "\" TimeOut=\"" +
           out + "\"><Text>" + text + "</Text></Subtitle></DCSubtitle>";
  }

  std::string folder() const { return dir_.path().string(); }
  testing::TempDir dir_;
};

TEST_F(DcpFolder, OffsetsEachReelByTheReelsBeforeIt) {
  MakeDcp("sub2.xml");
  const DecodedConversion c = ConvertFile(folder(), AtRate(nullptr));
  ASSERT_EQ(c.result.outcome, ConversionOutcome::Converted) << c.result.reason;
  EXPECT_EQ(Shown(c), (Strings{"24-48 reel one", "504-540 reel two"}));
  EXPECT_EQ(ConvertedLines(c.result, {}),
            (Strings{"Title file read as UTF-8.", "Titles read from 2 reels of the DCP.",
                     "Display's frame rate 24 taken from the DCP.",
                     "Times read at 24 frames a second."}));
  // Its ASSETMAP or its CPL, chosen in a file dialog, stands for the folder; so does an asset map
  // saved under another name.
  std::filesystem::copy_file(dir_.path() / "ASSETMAP.xml", dir_.path() / "map.sub");
  for (const char* chosen : {"ASSETMAP.xml", "cpl.xml", "map.sub"}) {
    EXPECT_EQ(Shown(ConvertFile((dir_.path() / chosen).string(), {})), Shown(c)) << chosen;
  }
  // The operator's rate over the CPL's: the offset is 20 s whatever the display's rate.
  EXPECT_EQ(Shown(ConvertFile(folder(), AtRate("25"))).back(), "525-563 reel two");
}

TEST_F(DcpFolder, RefusesAReelItCannotReadAndNamesWhatToGive) {
  struct Case {
    const char* secondReel;  // the path the ASSETMAP gives for the second reel's subtitles
    std::string mxfBytes;    // written there when not empty
    std::string reason;
  };
  const Case cases[] = {
      {"sub2.mxf", "",
       "reel 2's subtitles are SMPTE subtitles wrapped in an MXF track file (sub2.mxf), which "
       "cannot be read here: give the subtitle XML itself"},
      {"track.bin", std::string("\x06\x0E\x2B\x34\x02\x05\x01\x01", 8),
       "reel 2's subtitles are SMPTE subtitles wrapped in an MXF track file (track.bin), which "
       "cannot be read here: give the subtitle XML itself"},
      {"../sub2.xml", "", "reel 2's subtitles are not among the files of the ASSETMAP"},
  };
  for (const Case& c : cases) {
    MakeDcp(c.secondReel);
    if (!c.mxfBytes.empty()) dir_.Write(c.secondReel, c.mxfBytes);
    const DecodedConversion refused = ConvertFile(folder(), AtRate(nullptr));
    EXPECT_EQ(refused.result.outcome, ConversionOutcome::Unreadable) << c.secondReel;
    EXPECT_EQ(refused.result.reason, c.reason);
  }
  // A folder that is no DCP is no title file, as before.
  const testing::TempDir empty;
  EXPECT_EQ(ConvertFile(empty.path().string(), {}).result.reason, "Is a directory");
}

}  // namespace
}  // namespace marvek
