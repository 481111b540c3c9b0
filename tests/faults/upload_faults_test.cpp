// The upload end to end: real-looking title files reach the display byte for byte and read back
// as the titles that were written; a display pulled out mid-upload stops it cleanly; and no path,
// failing or not, leaves a descriptor open.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>

#include "convert/encoding/text_encoding.h"
#include "convert/title_image.h"
#include "display/image_decoder.h"
#include "fault_station.h"
#include "upload/block_upload.h"
#include "upload/serial_link.h"

namespace marvek {
namespace {

using testing::FaultStation;
using testing::OpenDescriptors;
using testing::RecordingPanel;
using Strings = std::vector<std::string>;

// A title as written in the file and as the display must show it.
struct Title {
  std::int64_t start, end;  // as in the file
  std::string text;         // UTF-8, without the formatting code
};

// Letters of Windows-1250, the ten the modes treat among them, and others that the display
// lacks, among them some whose Windows-1250 byte is one of the display's own codes (é í).
const char* const kWords[] = {
    "Čaša", "ćevapčići", "Đurđevdan", "žuto", "Šibenik", "gospođa", "ŽELJKO", "Ćiro",  "Grüß",
    "álom", "łódź",      "kůň",       "Ő",    "ťava",    "ŠUMA",    "đak",    "Dobro", "jutro",
    "kaže", "on",        "a",         "?",    "…",       "€",       "rész",   "híd",
};

// About four hundred titles of one to eight words: some two lines long, some overlapping the one
// before, some ending before they start, some with blanks in their frame fields or a formatting
// code. The same seed gives the same titles.
std::vector<Title> MakeTitles(unsigned seed) {
  std::mt19937 random(seed);
  const auto below = [&](unsigned n) { return static_cast<int>(random() % n); };
  std::vector<Title> titles;
  std::int64_t frame = below(500);
  for (int i = 0; i < 400; ++i) {
    Title t;
    t.start = frame + below(300) - (below(6) == 0 ? 250 : 0);
    if (t.start < 0) t.start = 0;
    t.end = std::max<std::int64_t>(0, t.start + (below(20) == 0 ? -below(50) : 20 + below(200)));
    for (int w = below(8); w >= 0; --w) {
      t.text += kWords[below(std::size(kWords))];
      t.text += w == 0 ? "" : below(7) == 0 ? "|" : " ";
    }
    frame = std::max(frame, t.end);
    titles.push_back(std::move(t));
  }
  return titles;
}

// UTF-8 text in Windows-1250; every letter of kWords has its byte there.
std::string ToWindows1250(std::string_view utf8) {
  ByteString out;
  AppendUtf8AsWindows1250(utf8, out);
  return out;
}

std::string TitleFile(const std::vector<Title>& titles, bool utf8, bool byteOrderMark) {
  std::string file = byteOrderMark ? "\xEF\xBB\xBF" : "";
  int n = 0;
  for (const Title& t : titles) {
    ++n;
    const std::string start = std::to_string(t.start);
    const std::string end = std::to_string(t.end);
    file += n % 11 == 0 ? "{ " + start + "}{" + end + "\t}" : "{" + start + "}{" + end + "}";
    if (n % 4 == 0) file += "{y:i}";
    file += utf8 ? t.text : ToWindows1250(t.text);
    file += n % 3 == 0 && !utf8 ? "\n" : "\r\n";
  }
  return file;
}

// Replaces every `letter.first` in `text` by `letter.second`.
void Spell(std::string& text, const std::pair<const char*, const char*>& letter) {
  for (std::size_t at; (at = text.find(letter.first)) != std::string::npos;) {
    text.replace(at, std::string_view(letter.first).size(), letter.second);
  }
}

// What the display shows of `text` in `mode`: the letters it lacks as their base letters, … as
// ... and € as ?; in plain letters č ć š ž đ and their capitals spelled out as well.
std::string Shown(std::string text, CharMode mode) {
  const std::pair<const char*, const char*> lacking[] = {
      {"ü", "u"}, {"ß", "ss"}, {"á", "a"}, {"ł", "l"}, {"ó", "o"}, {"ź", "z"},   {"ů", "u"},
      {"ň", "n"}, {"Ő", "O"},  {"ť", "t"}, {"é", "e"}, {"í", "i"}, {"…", "..."}, {"€", "?"},
  };
  for (const auto& letter : lacking) Spell(text, letter);
  if (mode == CharMode::DeviceCodes) return text;
  const std::pair<const char*, const char*> plain[] = {
      {"Č", "C"}, {"č", "c"},  {"Ć", "C"},  {"ć", "c"}, {"Ž", "Z"},
      {"ž", "z"}, {"Đ", "Dj"}, {"đ", "dj"}, {"Š", "S"}, {"š", "s"},
  };
  for (const auto& letter : plain) Spell(text, letter);
  return text;
}

TEST(NothingLost, RealLookingTitleFilesReachTheDisplayFrameByFrameAndReadBackAsWritten) {
  FaultStation station;
  struct Variant {
    const char* what;
    bool utf8, byteOrderMark;
    CharMode mode;
    unsigned seed;
  };
  for (const Variant v :
       {Variant{"Windows-1250, device codes", false, false, CharMode::DeviceCodes, 1},
        Variant{"Windows-1250, plain letters", false, false, CharMode::PlainLetters, 2},
        Variant{"UTF-8, device codes", true, false, CharMode::DeviceCodes, 3},
        Variant{"UTF-8 with BOM, plain letters", true, true, CharMode::PlainLetters, 4}}) {
    SCOPED_TRACE(v.what);
    const std::vector<Title> titles = MakeTitles(v.seed);
    const std::string contents = TitleFile(titles, v.utf8, v.byteOrderMark);
    const std::string file = station.dir.Write(std::to_string(v.seed) + ".sub", contents);
    const std::size_t receivedBefore = station.display.Received().size();
    RecordingPanel panel;
    station.Press(file, v.mode, panel);
    ASSERT_EQ(panel.statuses.back(), "Finised.");

    // Every frame carries the next block of the image, and nothing else came.
    RecordingPanel quiet;
    ByteString image = ConvertTitleBytes(contents, v.mode, quiet).image;
    PadTitleImage(image);
    const sim::Upload upload = station.display.TakeUpload();
    ASSERT_EQ(upload.frames.size(), image.size() / 16);
    for (std::size_t k = 0; k < upload.frames.size(); ++k) {
      ASSERT_EQ(upload.frames[k], "L" + image.substr(16 * k, 16)) << "frame " << k;
    }
    EXPECT_TRUE(upload.problems.empty());
    EXPECT_EQ(station.display.Received().size() - receivedBefore, 17 * upload.frames.size());

    // Read back, the titles are those of the file, placed on the display's clock.
    const DecodedImage decoded = DecodeTitleImage(upload.image);
    EXPECT_TRUE(decoded.ok()) << DescribeImage(decoded);
    ASSERT_EQ(decoded.titles.size(), titles.size());
    std::int64_t previousEnd = 0;
    for (std::size_t i = 0; i < titles.size(); ++i) {
      const std::int64_t shownFrom = std::max(titles[i].start, previousEnd);
      previousEnd = std::max(shownFrom, titles[i].end);
      ASSERT_EQ(decoded.titles[i].start, shownFrom) << "title " << i + 1;
      ASSERT_EQ(decoded.titles[i].end, previousEnd) << "title " << i + 1;
      ASSERT_EQ(decoded.titles[i].utf8, Shown(titles[i].text, v.mode)) << "title " << i + 1;
    }
  }
}

TEST(UploadFaults, ADisplayPulledOutMidUploadStopsItAtThatFrameAndFreesThePort) {
  sim::SimOptions unplug;
  unplug.hangupAfter = 5;  // the fifth frame goes unanswered and the line drops
  FaultStation station(unplug);
  const std::string contents = TitleFile(MakeTitles(5), false, false);
  const std::string file = station.dir.Write("film.sub", contents);
  RecordingPanel panel;
  station.Press(file, CharMode::DeviceCodes, panel);
  EXPECT_EQ(panel.StatusesAndBeeps(),
            (Strings{"Converting " + file, "<beep>", "File successfull converted.",
                     "Letters and signs the display cannot show written as plain ones.",
                     "Uploading...", "Serial port error: the device is gone (Input/output error)",
                     "Upload aborted !", "<beep>"}));
  RecordingPanel quiet;
  const ByteString image = ConvertTitleBytes(contents, CharMode::DeviceCodes, quiet).image;
  const std::vector<ByteString> frames = station.display.Frames();
  ASSERT_EQ(frames.size(), 5u);
  for (std::size_t k = 0; k < frames.size(); ++k)
    EXPECT_EQ(frames[k], "L" + image.substr(16 * k, 16));
  // The bar stopped at the fourth acknowledged block, before its return to 0.
  const std::vector<float>& p = panel.progress;
  ASSERT_GE(p.size(), 2u);
  EXPECT_FLOAT_EQ(p[p.size() - 2],
                  4 * 16 * 100.0f / static_cast<float>((image.size() / 16 + 1) * 16));
}

TEST(Descriptors, AThousandConversionsAndPortOpensThatFailAtEachStepLeaveNoneBehind) {
  testing::TempDir dir;
  namespace fs = std::filesystem;
  const std::string good = dir.Write("good.sub", "{1}{2}a\r\n{3}{4}b");
  const std::string bad = dir.Write("bad.sub", "{1}{2}a\r\n{x}{4}b\r\n");
  const std::string plain = dir.Write("plain.txt", "not a port");
  const std::string folder = (dir.path() / "folder").string();
  const std::string fifo = (dir.path() / "fifo").string();
  const std::string missing = (dir.path() / "missing").string();
  fs::create_directory(folder);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  sim::TitleDisplaySim display;
  ASSERT_FALSE(display.Start().has_value());
  RecordingPanel quiet;
  ByteString image = ConvertTitleBytes("{1}{2}a", CharMode::DeviceCodes, quiet).image;
  PadTitleImage(image);

  const auto before = OpenDescriptors();
  for (int i = 0; i < 1000; ++i) {
    RecordingPanel panel;
    ASSERT_EQ(ConvertTitleFile(good, CharMode::DeviceCodes, panel).outcome,
              ConversionOutcome::Converted);
    ASSERT_EQ(ConvertTitleFile(bad, CharMode::DeviceCodes, panel).outcome,
              ConversionOutcome::Incorrect);
    for (const std::string& unreadable : {folder, fifo, missing}) {
      ASSERT_EQ(ConvertTitleFile(unreadable, CharMode::DeviceCodes, panel).outcome,
                ConversionOutcome::Unreadable);
    }
    SerialLink link;
    // Refused at open(), and after it at tcgetattr().
    ASSERT_EQ(link.Open(FromOperatorChoice(folder, "9600")).error, EISDIR);
    ASSERT_EQ(link.Open(FromOperatorChoice(fifo, "9600")).error, ENOTTY);
    ASSERT_EQ(link.Open(FromOperatorChoice(plain, "9600")).error, ENOTTY);
    ASSERT_TRUE(link.Open(FromOperatorChoice(display.PortPath(), "115200")));
    ASSERT_EQ(UploadTitleImage(image, link, panel).outcome, UploadOutcome::Uploaded);
    // Opening again closes the open port first; the destructor closes the last one.
    ASSERT_TRUE(link.Open(FromOperatorChoice(display.PortPath(), "9600")));
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
}  // namespace marvek
