#include "convert/title_image.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <utility>

#include "display/image_decoder.h"
#include "support/recording_panel.h"
#include "support/temp_dir.h"

namespace marvek {
namespace {

using testing::RecordingPanel;
using testing::TempDir;

std::string Fill(std::size_t n) {
  return std::string(n, '\xFF');
}

// Writes `contents` to a real file and converts it.
struct Converted {
  ConversionResult result;
  RecordingPanel panel;
};

Converted ConvertFile(std::string_view contents, CharMode mode = CharMode::DeviceCodes) {
  TempDir dir;
  Converted c;
  c.result = ConvertTitleFile(dir.Write("titles.sub", contents), mode, c.panel);
  return c;
}

ByteString Filled(ByteString image) {
  PadTitleImage(image);
  return image;
}

TEST(TitleImage, RecordsAreHeaderTextAndTerminatorInFileOrder) {
  auto one = ConvertFile("{0}{25}Hi");
  ASSERT_EQ(one.result.outcome, ConversionOutcome::Converted);
  EXPECT_EQ(Filled(one.result.image), std::string("\x00\x00\x00\x19Hi{", 7) + Fill(9));

  // The second gap counts from the end of the first title.
  auto two = ConvertFile("{100}{150}A\r\n{200}{250}B\r\n");
  EXPECT_EQ(two.result.image, std::string("\x00\x64\x00\x32"
                                          "A{"
                                          "\x00\x32\x00\x32"
                                          "B{",
                                          12));

  // A title line traced from the file to the display: gap 60, duration 150, čaša in device codes.
  auto road = ConvertFile(
      "{0}{40}A\r\n{100}{250}\xE8"
      "a\x9A"
      "a\r\n");
  EXPECT_EQ(road.result.image.substr(6), std::string("\x00\x3C\x00\x96\xC0\x61\xEA\x61\x7B", 9));

  auto empty = ConvertFile("{10}{20}");
  EXPECT_EQ(empty.result.image, std::string("\x00\x0A\x00\x0A{", 5));

  auto digits = ConvertFile("{1}{1}25");  // a text of digits is a title like any other
  EXPECT_EQ(digits.result.image, std::string("\x00\x01\x00\x00"
                                             "25{",
                                             7));

  auto plain = ConvertFile(
      "{0}{1}gra\xF0"
      "a",
      CharMode::PlainLetters);
  EXPECT_EQ(plain.result.image, std::string("\x00\x00\x00\x01gradja{", 11));
}

TEST(TitleImage, FillIsOneToSixteenBytesOfFF) {
  // Records that end exactly on a block boundary still get a whole block of fill.
  auto exact = ConvertFile("{0}{0}elevenbytes");
  ASSERT_EQ(exact.result.image.size(), 16u);
  EXPECT_EQ(Filled(exact.result.image), exact.result.image + Fill(16));

  auto nothing = ConvertFile("");
  EXPECT_EQ(nothing.result.outcome, ConversionOutcome::Converted);
  EXPECT_TRUE(nothing.result.image.empty());
  EXPECT_TRUE(nothing.panel.progress.empty());
  EXPECT_EQ(Filled(""), Fill(16));

  for (std::size_t n = 0; n < 50; ++n) {
    const ByteString image = Filled(std::string(n, 'a'));
    EXPECT_EQ(image.size() % 16, 0u);
    EXPECT_GE(image.size() - n, 1u);
    EXPECT_LE(image.size() - n, 16u);
  }
}

TEST(TitleImage, EncodeFrameCountIsBigEndian) {
  EXPECT_EQ(EncodeFrameCount(0), (std::array<char, 2>{0, 0}));
  EXPECT_EQ(EncodeFrameCount(100), (std::array<char, 2>{0, 0x64}));
  EXPECT_EQ(EncodeFrameCount(4660), (std::array<char, 2>{0x12, 0x34}));
  EXPECT_EQ(EncodeFrameCount(65535), (std::array<char, 2>{'\xFF', '\xFF'}));
}

TEST(TitleImage, ABlankOrBrokenLineEndsTheConversionIncorrectNamingItsLine) {
  struct Bad {
    const char* file;
    std::size_t line;
    LineFault fault;
    const char* reason;
  };
  const Bad bad[] = {
      {"{1}{2}a\r\n\r\n{3}{4}b\r\n", 2, LineFault::BlankLine, "the line is blank"},
      {"{1}{2}a\r\n \t\r\n", 2, LineFault::BlankLine, "the line is blank"},
      {"\r\n", 1, LineFault::BlankLine, "the line is blank"},
      {"{1}{2}a\r\n{100}250}Hi\r\n", 2, LineFault::MissingBrace,
       "not in the {start}{end}text layout: \"{100}250}Hi\""},
      {"{1}{2}a\n{100}{250Hi", 2, LineFault::MissingBrace,
       "not in the {start}{end}text layout: \"{100}{250Hi\""},
      // The start of the line is shown, at most 40 characters, its control characters visible.
      {"Content-Type: text/plain\r\n\r\n{1}{2}a", 1, LineFault::MissingBrace,
       "not in the {start}{end}text layout: \"Content-Type: text/plain\""},
      {"no\ttitle\x01 here, and a long line that goes on and on\n", 1, LineFault::MissingBrace,
       "not in the {start}{end}text layout: "
       "\"no\\x09title\\x01 here, and a long line that goe...\""},
      {"\xE8"
       "a\x9A"
       "a\n",
       1, LineFault::MissingBrace, "not in the {start}{end}text layout: \"čaša\""},
      // Quoted in the letters of its file: sixteen of them make it a Windows-1252 file.
      {"Tr\xE8s bien \xE0 la gare, d\xE9j\xE0 l\xE0 ; \xE9t\xE9, o\xF9 \xE7"
       "a, \xE9l\xE8ve, fr\xE8re, \xE0 c\xF4t\xE9 \xE0\n",
       1, LineFault::MissingBrace,
       "not in the {start}{end}text layout: \"Très bien à la gare, déjà là ; été, où ç...\""},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.file);
    auto c = ConvertFile(b.file);
    EXPECT_EQ(c.result.outcome, ConversionOutcome::Incorrect);
    EXPECT_EQ(c.result.lineNumber, b.line);
    EXPECT_EQ(c.result.fault, b.fault);
    EXPECT_EQ(c.result.reason, b.reason);
    EXPECT_TRUE(c.result.repairable);
    EXPECT_TRUE(c.result.image.empty());
  }
  auto second = ConvertFile("{1}{2}a\r\nnot a title\r\n{3}{4}b");
  EXPECT_EQ(second.result.lineNumber, 2u);
  EXPECT_EQ(second.panel.progress.size(), 1u);  // only the good first line reported progress
}

TEST(TitleImage, FrameFieldsMustBeDecimalNumbers) {
  auto spaced = ConvertFile("{ 100\t}{\t250 }x");
  ASSERT_EQ(spaced.result.outcome, ConversionOutcome::Converted);
  EXPECT_EQ(spaced.result.image, std::string("\x00\x64\x00\x96x{", 6));

  struct Bad {
    const char* file;
    LineFault fault;
    const char* reason;
  };
  const Bad bad[] = {
      {"{}{2}c", LineFault::FrameNotNumber, "start frame \"\" is not a number"},
      {"{1}{ }c", LineFault::FrameNotNumber, "end frame \" \" is not a number"},
      {"{-5}{2}c", LineFault::FrameBeforeZero, "start frame \"-5\" is before frame 0"},
      {"{1}{-0}c", LineFault::FrameNotNumber, "end frame \"-0\" is not a number"},
      {"{-5}{x}c", LineFault::FrameBeforeZero, "start frame \"-5\" is before frame 0"},
      {"{1}{+5}c", LineFault::FrameNotNumber, "end frame \"+5\" is not a number"},
      {"{1 2}{5}c", LineFault::FrameNotNumber, "start frame \"1 2\" is not a number"},
      {"{- 2}{5}c", LineFault::FrameNotNumber, "start frame \"- 2\" is not a number"},
      {"{2147483648}{5}c", LineFault::FrameTooLarge,
       "start frame \"2147483648\" is larger than 2147483647"},
      {"{1}{-99999999999999999999999}c", LineFault::FrameTooLarge,
       "end frame \"-99999999999999999999999\" is larger than 2147483647"},
      {"{1}{2}a{b", LineFault::TerminatorInText,
       "title text holds \"{\", which the display reads as the end of a title"},
      {"{100}{250}Hi {b}there", LineFault::TerminatorInText,
       "title text holds \"{\", which the display reads as the end of a title"},
      {"{1}{2}a{y:i}b{c", LineFault::TerminatorInText,
       "title text holds \"{\", which the display reads as the end of a title"},
      {"{1}{2}SUBHEAVEN.ORG{60825}{60900}Best watched", LineFault::TerminatorInText,
       "a second title {60825}{60900} runs on in the text"},
  };
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.file);
    auto c = ConvertFile(std::string("{0}{1}a\r\n{0}{1}b\r\n") + b.file);
    EXPECT_EQ(c.result.outcome, ConversionOutcome::Incorrect);
    EXPECT_EQ(c.result.lineNumber, 3u);
    EXPECT_EQ(c.result.fault, b.fault);
    EXPECT_EQ(c.result.reason, b.reason);
  }
  auto longField = ConvertFile("{" + std::string(1000, 'x') + "}{2}c");
  EXPECT_EQ(longField.result.reason,
            "start frame \"" + std::string(24, 'x') + "...\" is not a number");
}

TEST(TitleImage, FrameNumbersOfEveryLengthAreReadExactly) {
  // Titles 65001 frames apart from 0 up to the largest frame number: every digit count from one
  // to ten, with and without blanks, each gap 65000 and each title one frame long.
  std::string file;
  std::int64_t frame = 0;
  for (int i = 0; frame + 65001 <= kLargestFrameNumber; ++i, frame += 65001) {
    const std::string start = std::to_string(frame), end = std::to_string(frame + 1);
    file += i % 5 == 0 ? "{ " + start + "}{" + end + "\t}x\n" : "{" + start + "}{" + end + "}x\n";
  }
  auto c = ConvertFile(file);
  ASSERT_EQ(c.result.outcome, ConversionOutcome::Converted) << c.result.reason;
  const std::string first("\x00\x00\x00\x01x{", 6);
  const std::string next("\xFD\xE8\x00\x01x{", 6);  // gap 65000, one frame
  ASSERT_EQ(c.result.image.size() % 6, 0u);
  EXPECT_EQ(c.result.image.substr(0, 6), first);
  for (std::size_t at = 6; at < c.result.image.size(); at += 6) {
    ASSERT_EQ(c.result.image.substr(at, 6), next) << "record " << at / 6;
  }
}

TEST(TitleImage, OverlappingTitlesFollowOnTheDisplaysClock) {
  // The second title starts before the first has ended: it follows at once with what is left.
  auto overlap = ConvertFile("{100}{200}A\n{150}{250}B\n{300}{310}C");
  EXPECT_EQ(overlap.result.image, std::string("\x00\x64\x00\x64"
                                              "A{"
                                              "\x00\x00\x00\x32"
                                              "B{"
                                              "\x00\x32\x00\x0A"
                                              "C{",
                                              18));
  // A title ending before it starts, or within one already shown, lasts no frames.
  auto backwards = ConvertFile("{200}{100}A\n{150}{180}B\n{250}{260}C");
  EXPECT_EQ(backwards.result.image, std::string("\x00\xC8\x00\x00"
                                                "A{"
                                                "\x00\x00\x00\x00"
                                                "B{"
                                                "\x00\x32\x00\x0A"
                                                "C{",
                                                18));

  auto longest = ConvertFile("{65535}{131070}A");
  EXPECT_EQ(longest.result.image, std::string("\xFF\xFF\xFF\xFF"
                                              "A{",
                                              6));
}

TEST(TitleImage, LongGapsAndLongTitlesAreSentExactlyInSeveralRecords) {
  // A gap beyond 65535 frames: empty records of 0xFEFF frames, then the title with the rest.
  EXPECT_EQ(ConvertFile("{70000}{70010}x").result.image,
            std::string("\xFE\xFF\x00\x00{\x12\x71\x00\x0Ax{", 11));
  // A title beyond 65535 frames: its text again for the rest, with no gap.
  EXPECT_EQ(ConvertFile("{0}{70000}x").result.image,
            std::string("\x00\x00\xFF\xFFx{\x00\x00\x11\x71x{", 12));
  // The limits themselves stay one record.
  EXPECT_EQ(ConvertFile("{10}{20}A\n{65555}{65556}B").result.image, std::string("\x00\x0A\x00\x0A"
                                                                                "A{\xFF\xFF\x00\x01"
                                                                                "B{",
                                                                                12));
  // Exactly twice 65535 frames is two full records and no empty third.
  EXPECT_EQ(ConvertFile("{0}{131070}y").result.image,
            std::string("\x00\x00\xFF\xFFy{\x00\x00\xFF\xFFy{", 12));

  // A gap and a title of two billion frames between them: the display's clock comes out at the
  // very frames of the file, and no record starts with the fill byte.
  for (const CharMode mode : {CharMode::DeviceCodes, CharMode::PlainLetters}) {
    auto far = ConvertFile("{5}{6}a\n{2000000000}{2147483647}\xF0x", mode);
    ASSERT_EQ(far.result.outcome, ConversionOutcome::Converted) << far.result.reason;
    ByteString image = far.result.image;
    PadTitleImage(image);
    const DecodedImage decoded = DecodeTitleImage(image);
    ASSERT_TRUE(decoded.ok()) << decoded.problems.front();
    ASSERT_EQ(decoded.titles.front().text, "a");
    const std::string text = mode == CharMode::DeviceCodes ? "\xE9x" : "djx";
    std::size_t bridges = 0;
    std::size_t copies = 0;
    std::int64_t shownUntil = 6;
    for (std::size_t i = 1; i < decoded.titles.size(); ++i) {
      const DecodedTitle& title = decoded.titles[i];
      if (title.text.empty()) {
        ASSERT_EQ(copies, 0u) << "an empty record after the title, " << i;
        EXPECT_EQ(title.start, title.end);
        ++bridges;
      } else {
        ASSERT_EQ(title.text, text);
        EXPECT_EQ(title.start, copies == 0 ? 2000000000 : shownUntil);
        ++copies;
      }
      shownUntil = title.end;
    }
    EXPECT_EQ(shownUntil, 2147483647);
    EXPECT_EQ(bridges, 30637u);  // (1999999994 - 65535) / 65279, rounded up
    EXPECT_EQ(copies, 2251u);    // 147483647 / 65535, rounded up
    for (std::size_t at = 0; at < far.result.image.size();) {
      ASSERT_NE(far.result.image[at], '\xFF') << "a record at " << at << " starts with 0xFF";
      at = far.result.image.find('{', at + 4) + 1;
    }
  }
}

TEST(TitleImage, ATitleTooLongToRepeatIsRefusedWithItsSize) {
  // 600 letters for two billion frames would be 32769 records, 20 MB: refused, not sent.
  const std::string text(600, 'a');
  auto huge = ConvertFile("{0}{1}x\n{0}{2147483647}" + text);
  EXPECT_EQ(huge.result.outcome, ConversionOutcome::Incorrect);
  EXPECT_EQ(huge.result.lineNumber, 2u);
  EXPECT_EQ(huge.result.fault, LineFault::TooManyCopies);
  EXPECT_EQ(huge.result.reason,
            "title lasts 2147483646 frames; its 32769 records of 605 bytes would take more than "
            "4 MB of the image");
  // Up to the limit the title is repeated; a single record of any length is never refused.
  auto many = ConvertFile("{0}{" + std::to_string(100 * 65535) + "}" + std::string(40000, 'b'));
  EXPECT_EQ(many.result.outcome, ConversionOutcome::Converted);
  EXPECT_EQ(many.result.image.size(), 100u * 40005);
  auto single = ConvertFile("{0}{65535}" + std::string(5'000'000, 'c'));
  EXPECT_EQ(single.result.outcome, ConversionOutcome::Converted);
}

TEST(TitleImage, AnyLineEndGivesTheSameRecords) {
  const std::string expected = ConvertFile("{1}{2}a\r\n{3}{4}b\r\n{5}{6}c").result.image;
  EXPECT_EQ(ConvertFile("{1}{2}a\n{3}{4}b\n{5}{6}c\n").result.image, expected);
  EXPECT_EQ(ConvertFile("{1}{2}a\r{3}{4}b\r{5}{6}c\r").result.image, expected);
  EXPECT_EQ(ConvertFile("{1}{2}a\r\n{3}{4}b\n{5}{6}c\r").result.image, expected);
  // A CR followed by CR LF leaves a blank line between, which is rejected.
  EXPECT_EQ(ConvertFile("{1}{2}a\r\r\n{3}{4}b").result.outcome, ConversionOutcome::Incorrect);
}

TEST(TitleImage, ProgressRisesAfterEveryLineAndEndsWithoutTheLastLineEnd) {
  const std::string crlf = "{1}{2}a\r\n{3}{4}bb\r\n{5}{6}ccc\r\n";
  auto c = ConvertFile(crlf);
  const float length = static_cast<float>(crlf.size());
  ASSERT_EQ(c.panel.progress.size(), 3u);
  EXPECT_FLOAT_EQ(c.panel.progress[0], 9 / length * 100);
  EXPECT_FLOAT_EQ(c.panel.progress[1], 19 / length * 100);
  EXPECT_FLOAT_EQ(c.panel.progress[2], (length - 2) / length * 100);

  EXPECT_EQ(ConvertFile("{1}{2}a\r\n{3}{4}b").panel.progress.back(), 100.0f);
  auto lf = ConvertFile("{1}{2}a\n{3}{4}b\n");
  EXPECT_FLOAT_EQ(lf.panel.progress.back(), 15.0f / 16.0f * 100);
  EXPECT_FLOAT_EQ(lf.panel.progress.front(), 8.0f / 16.0f * 100);

  // The pass never hands control back to the window.
  EXPECT_EQ(c.panel.processEventsCalls, 0);
}

TEST(TitleImage, Utf8FilesAreReadAsUtf8AndWindows1250FilesAsTheyStand) {
  // čaša đak, once with the byte order mark and once without.
  const std::string utf8Text =
      "\xC4\x8D"
      "a\xC5\xA1"
      "a \xC4\x91"
      "ak";
  for (const std::string prefix : {"", "\xEF\xBB\xBF"}) {
    auto c = ConvertFile(prefix + "{0}{1}" + utf8Text + "\r\n", CharMode::PlainLetters);
    ASSERT_EQ(c.result.outcome, ConversionOutcome::Converted);
    EXPECT_EQ(c.result.encoding, TextEncoding::Utf8);
    EXPECT_EQ(c.result.image, std::string("\x00\x00\x00\x01"
                                          "casa djak{",
                                          14));
  }
  auto device = ConvertFile("{0}{1}" + utf8Text + " \xE2\x98\x83");  // a snowman has no letter
  EXPECT_EQ(device.result.image, std::string("\x00\x00\x00\x01\xC0"
                                             "a\xEA"
                                             "a \xE9"
                                             "ak ?{",
                                             15));

  auto ansi = ConvertFile(
      "{0}{1}\xE8"
      "a\x9A"
      "a");
  EXPECT_EQ(ansi.result.encoding, TextEncoding::Windows1250);
  EXPECT_EQ(ansi.result.image, std::string("\x00\x00\x00\x01\xC0"
                                           "a\xEA"
                                           "a{",
                                           9));

  // The mark alone is an empty file; with it the first line's progress includes its bytes.
  EXPECT_TRUE(ConvertFile("\xEF\xBB\xBF").result.image.empty());
  EXPECT_EQ(ConvertFile("\xEF\xBB\xBF{0}{1}x").panel.progress.back(), 100.0f);
}

TEST(TitleImage, AFileReadInManyBlocksGivesTheImageOfItsBytes) {
  // About a megabyte of titles with letters, formatting codes and mixed line ends, so that line
  // ends, braces and letters fall on the reader's block boundaries.
  std::string contents;
  const std::string ends[] = {"\r\n", "\n", "\r"};
  std::size_t lastEnd = 0;
  for (int i = 0; contents.size() < 1'000'000; ++i) {
    contents += "{" + std::to_string(i * 10) + "}{" + std::to_string(i * 10 + 5) + "}";
    if (i % 7 == 0) contents += "{y:i}";
    contents += std::string(static_cast<std::size_t>(i % 97), 'a') + "\xE8\xF0" + ends[i % 3];
    lastEnd = ends[i % 3].size();
  }
  for (const CharMode mode : {CharMode::DeviceCodes, CharMode::PlainLetters}) {
    RecordingPanel memoryPanel;
    const ConversionResult fromMemory = ConvertTitleBytes(contents, mode, memoryPanel);
    auto fromFile = ConvertFile(contents, mode);
    ASSERT_EQ(fromFile.result.outcome, ConversionOutcome::Converted);
    EXPECT_TRUE(fromFile.result.image == fromMemory.image);
    EXPECT_EQ(fromFile.panel.progress, memoryPanel.progress);
    EXPECT_FLOAT_EQ(fromFile.panel.progress.back(),
                    static_cast<float>(contents.size() - lastEnd) / contents.size() * 100);
  }
}

TEST(TitleImage, AFileThatCannotBeReadIsUnreadableWithTheSystemsReason) {
  TempDir dir;
  RecordingPanel panel;
  auto missing = ConvertTitleFile((dir.path() / "nope.txt").string(), CharMode::DeviceCodes, panel);
  EXPECT_EQ(missing.outcome, ConversionOutcome::Unreadable);
  EXPECT_EQ(missing.reason, "No such file or directory");

  auto folder = ConvertTitleFile(dir.path().string(), CharMode::DeviceCodes, panel);
  EXPECT_EQ(folder.outcome, ConversionOutcome::Unreadable);
  EXPECT_EQ(folder.reason, "Is a directory");

  // A named pipe with no writer must neither hang nor be read.
  const std::string fifo = (dir.path() / "pipe.sub").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto pipe = ConvertTitleFile(fifo, CharMode::DeviceCodes, panel);
  EXPECT_EQ(pipe.outcome, ConversionOutcome::Unreadable);
  EXPECT_EQ(pipe.reason, "not a regular file");

  if (::geteuid() != 0) {  // root reads whatever the permissions say
    const std::string locked = dir.Write("locked.sub", "{1}{2}x");
    ::chmod(locked.c_str(), 0);
    auto denied = ConvertTitleFile(locked, CharMode::DeviceCodes, panel);
    EXPECT_EQ(denied.outcome, ConversionOutcome::Unreadable);
    EXPECT_EQ(denied.reason, "Permission denied");
  }
  EXPECT_TRUE(panel.progress.empty());
}

// A file that another program cuts or writes while it is read is neither the old file nor the
// new one: it is not converted, and a file cut short does not stop the program.
TEST(TitleImage, AFileChangedWhileItIsReadIsUnreadable) {
  std::string brace;
  for (int i = 0; brace.size() < 1'000'000; ++i) {
    brace += "{" + std::to_string(i * 10) + "}{" + std::to_string(i * 10 + 5) + "}Hallo\n";
  }
  const std::string webvtt = "WEBVTT\n\n00:00:01.000 --> 00:00:02.000\nHallo\n";
  const auto cut = [](std::size_t length) {
    return
        [length](const std::string& path) { ::truncate(path.c_str(), static_cast<off_t>(length)); };
  };
  const auto writeOn = [](const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
    EXPECT_EQ(::write(fd, "\n", 1), 1);
    ::close(fd);
  };
  const struct {
    const char* change;
    const std::string& contents;
    std::function<void(const std::string&)> make;
  } cases[] = {
      {"a brace file cut short", brace, cut(0)},
      {"a brace file cut in the middle", brace, cut(500'000)},
      {"a brace file written on", brace, writeOn},
      {"a WebVTT file written on", webvtt, writeOn},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.change);
    TempDir dir;
    const std::string path = dir.Write("titles.sub", c.contents);
    // The change comes once the reading has begun.
    struct ChangingPanel : RecordingPanel {
      std::function<void()> change;
      void SetProgress(float percent) override {
        if (change) std::exchange(change, nullptr)();
        RecordingPanel::SetProgress(percent);
      }
    } changing;
    changing.change = [&] { c.make(path); };
    const ConversionResult result =
        ConvertTitleFile(path, CharMode::DeviceCodes, changing, {.displayRate = FrameRate{25, 1}});
    EXPECT_EQ(result.outcome, ConversionOutcome::Unreadable);
    EXPECT_EQ(result.reason,
              "the file changed while it was read; convert it again once it is saved");
    EXPECT_TRUE(result.image.empty());
  }
}

}  // namespace
}  // namespace marvek
