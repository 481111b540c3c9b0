#include "fuzz/title_properties.h"

#include <iconv.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "convert/char_mode.h"
#include "convert/encoding/text_encoding.h"
#include "convert/layouts/line_reader.h"
#include "convert/layouts/mpl2_reader.h"
#include "convert/layouts/subrip_reader.h"
#include "convert/letters/windows1250_transcoder.h"
#include "convert/line_source.h"
#include "convert/sources/dcp_subtitle_reader.h"
#include "convert/title_image.h"
#include "convert/title_line.h"
#include "convert/title_readers.h"
#include "display/image_decoder.h"
#include "shared/operator_panel.h"
#include "support/utf8_of.h"

namespace marvek::fuzz {
namespace {

// Keeps the first property that failed; later failures add nothing to it.
class Verdict {
 public:
  bool Expect(bool holds, std::string_view what) {
    if (!holds && failure_.empty()) failure_ = std::string(what);
    return holds;
  }
  bool failed() const { return !failure_.empty(); }
  std::string Take(std::string_view context) {
    return failed() ? std::string(context) + ": " + failure_ : std::string();
  }

 private:
  std::string failure_;
};

// ---- The reference: each rule written out plainly, one byte at a time. ----

// The ten letters as Windows-1250 bytes, with the display's code and the plain spelling of each.
struct Letter {
  char windows1250, deviceCode;
  std::string_view plain;
};
constexpr Letter kLetters[] = {
    {'\xC8', '\xE0', "C"},  {'\xE8', '\xC0', "c"},   // Č č
    {'\xC6', '\xEB', "C"},  {'\xE6', '\xE2', "c"},   // Ć ć
    {'\x8E', '\xEC', "Z"},  {'\x9E', '\xCC', "z"},   // Ž ž
    {'\xD0', '\xED', "Dj"}, {'\xF0', '\xE9', "dj"},  // Đ đ
    {'\x8A', '\xEE', "S"},  {'\x9A', '\xEA', "s"},   // Š š
};

// What the display gets in `mode` for the byte `c`.
std::string_view InCharMode(const char& c, CharMode mode) {
  for (const Letter& l : kLetters) {
    if (l.windows1250 == c) {
      return mode == CharMode::DeviceCodes ? std::string_view(&l.deviceCode, 1) : l.plain;
    }
  }
  return {&c, 1};
}

ByteString ReferenceCharMode(std::string_view text, CharMode mode) {
  ByteString out;
  for (const char& c : text) out += InCharMode(c, mode);
  return out;
}

// Whether `shown` is `text` in `mode`, compared as it goes rather than written out first.
bool ShownInCharMode(std::string_view shown, std::string_view text, CharMode mode) {
  std::size_t at = 0;
  for (const char& c : text) {
    const std::string_view letter = InCharMode(c, mode);
    if (shown.substr(at, letter.size()) != letter) return false;
    at += letter.size();
  }
  return at == shown.size();
}

// The length of the well-formed UTF-8 sequence at `at`, after Unicode's table of well-formed
// byte sequences, with its character in `c`; 0 when none starts there.
std::size_t WellFormedAt(std::string_view s, std::size_t at, char32_t& c) {
  const auto byte = [&](std::size_t k) -> unsigned {
    return at + k < s.size() ? static_cast<unsigned char>(s[at + k]) : 0x100u;
  };
  const auto within = [](unsigned x, unsigned low, unsigned high) { return x >= low && x <= high; };
  const unsigned lead = byte(0);
  if (lead < 0x80) {
    c = lead;
    return 1;
  }
  std::size_t length = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;  // the range of the second byte
  if (within(lead, 0xC2, 0xDF)) {
    length = 2;
  } else if (lead == 0xE0) {
    length = 3, low = 0xA0;
  } else if (lead == 0xED) {
    length = 3, high = 0x9F;
  } else if (within(lead, 0xE1, 0xEF)) {
    length = 3;
  } else if (lead == 0xF0) {
    length = 4, low = 0x90;
  } else if (lead == 0xF4) {
    length = 4, high = 0x8F;
  } else if (within(lead, 0xF1, 0xF3)) {
    length = 4;
  } else {
    return 0;
  }
  if (!within(byte(1), low, high)) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (!within(byte(k), 0x80, 0xBF)) return 0;
  }
  c = lead & (length == 2 ? 0x1Fu : length == 3 ? 0x0Fu : 0x07u);
  for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (byte(k) & 0x3Fu);
  return length;
}

// Valid UTF-8 holding at least one character above ASCII.
bool IsUtf8Text(std::string_view s) {
  bool multiByte = false;
  for (std::size_t at = 0; at < s.size();) {
    char32_t c = 0;
    const std::size_t length = WellFormedAt(s, at, c);
    if (length == 0) return false;
    multiByte |= length > 1;
    at += length;
  }
  return multiByte;
}

// What the display gets for the characters it cannot show, each listed after its spelling.
const std::pair<std::string_view, std::string_view> kDisplaySpellings[] = {
    {"a", "áâăäą"}, {"A", "ÁÂĂÄĄ"}, {"c", "ç"},    {"C", "Ç"},      {"d", "ď"},    {"D", "Ď"},
    {"e", "éęëě"},  {"E", "ÉĘËĚ"},  {"i", "íî"},   {"I", "ÍÎ"},     {"l", "ĺľł"},  {"L", "ĹĽŁ"},
    {"n", "ńň"},    {"N", "ŃŇ"},    {"o", "óôőö"}, {"O", "ÓÔŐÖ"},   {"r", "ŕř"},   {"R", "ŔŘ"},
    {"s", "śş"},    {"S", "ŚŞ"},    {"t", "ťţ"},   {"T", "ŤŢ"},     {"u", "úůűü"}, {"U", "ÚŮŰÜ"},
    {"y", "ý"},     {"Y", "Ý"},     {"z", "źż"},   {"Z", "ŹŻ"},     {"ss", "ß"},   {"\"", "„“”«»"},
    {"'", "‘’‚‹›"}, {"...", "…"},   {"-", "–—"},   {" ", "\u00A0"},
};

// A Windows-1250 byte as the display gets it: ASCII and the ten letters as they are, the
// characters above by their spelling, anything else "?".
std::string DisplaySpelling(unsigned char b) {
  bool tenLetters = false;
  for (const Letter& l : kLetters) tenLetters |= static_cast<unsigned char>(l.windows1250) == b;
  if (b < 0x80 || tenLetters) return std::string(1, static_cast<char>(b));
  const char32_t u = Windows1250ToUnicode(b);
  std::string_view spelling = "?";
  for (const auto& [spelled, characters] : kDisplaySpellings) {
    for (std::size_t at = 0; at < characters.size();) {
      char32_t listed = 0;
      const std::size_t length = WellFormedAt(characters, at, listed);
      if (u != 0 && listed == u) spelling = spelled;
      at += length;
    }
  }
  return std::string(spelling);
}

// Windows-1250 text as the display gets it, byte by byte.
ByteString ReferenceDisplayLetters(std::string_view text) {
  static const auto spellings = [] {
    std::vector<std::string> table;
    for (int b = 0; b < 256; ++b) table.push_back(DisplaySpelling(static_cast<unsigned char>(b)));
    return table;
  }();
  ByteString out;
  for (const char c : text) out += spellings[static_cast<unsigned char>(c)];
  return out;
}

// The characters of a single-byte code page, from the system's converter: 0 where none.
std::vector<char32_t> SystemCodePage(const char* name) {
  std::vector<char32_t> table(256, 0);
  iconv_t cd = iconv_open("UTF-32LE", name);
  if (cd == reinterpret_cast<iconv_t>(-1)) return table;
  for (int b = 0; b < 256; ++b) {
    char in[1] = {static_cast<char>(b)};
    unsigned char out[4] = {};
    char* inp = in;
    char* outp = reinterpret_cast<char*>(out);
    std::size_t inLeft = 1, outLeft = 4;
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<std::size_t>(-1)) {
      table[b] = out[0] | out[1] << 8 | out[2] << 16;
    }
  }
  iconv_close(cd);
  return table;
}

// The characters of `text` in `encoding` (UTF-16 text comes here decoded to UTF-8); each byte
// that starts no sequence or stands for nothing is kMalformedUtf8.
std::u32string ReferenceDecode(std::string_view s, TextEncoding encoding) {
  static const std::vector<char32_t> iso8859_2 = SystemCodePage("ISO-8859-2");
  static const std::vector<char32_t> windows1251 = SystemCodePage("CP1251");
  static const std::vector<char32_t> windows1252 = SystemCodePage("CP1252");
  std::u32string out;
  if (encoding == TextEncoding::Iso8859_2 || encoding == TextEncoding::Windows1251 ||
      encoding == TextEncoding::Windows1252) {
    const auto& table = encoding == TextEncoding::Iso8859_2     ? iso8859_2
                        : encoding == TextEncoding::Windows1251 ? windows1251
                                                                : windows1252;
    for (const char c : s) {
      const char32_t u = table[static_cast<unsigned char>(c)];
      out += (u == 0 && c != 0) ? kMalformedUtf8 : u;
    }
    return out;
  }
  for (std::size_t at = 0; at < s.size();) {
    char32_t c = 0;
    const std::size_t length = WellFormedAt(s, at, c);
    out += length == 0 ? kMalformedUtf8 : c;
    at += length == 0 ? 1 : length;
  }
  return out;
}

// Characters to Windows-1250: their own byte where Windows-1250 has it, "?" for a malformed
// byte. Text with characters that Windows-1250 lacks (Cyrillic, other Latin letters) is written
// by the transcoder, whose spelling rules have tests of their own.
ByteString ReferenceWrite(std::u32string_view text) {
  static const auto reverse = [] {
    std::vector<unsigned char> table(0x10000, 0);
    for (unsigned b = 0x80; b <= 0xFF; ++b) {
      const char32_t c = Windows1250ToUnicode(static_cast<unsigned char>(b));
      if (c != 0) table[c] = static_cast<unsigned char>(b);
    }
    return table;
  }();
  ByteString out;
  for (const char32_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c == kMalformedUtf8) {
      out += '?';
    } else if (c < reverse.size() && reverse[c] != 0) {
      out += static_cast<char>(reverse[c]);
    } else {
      ByteString written;
      AppendCharactersAsWindows1250(text, written);
      return written;
    }
  }
  return out;
}

struct ReferenceLine {
  std::string_view text;
  std::size_t endLength;
  bool last;
};

// Lines ended by CR LF, a lone CR or a lone LF; a line end at the very end opens no new line.
std::vector<ReferenceLine> SplitLines(std::string_view bytes) {
  std::vector<ReferenceLine> lines;
  lines.reserve(1 + static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n') +
                                             std::count(bytes.begin(), bytes.end(), '\r')));
  std::size_t from = 0;
  while (from < bytes.size()) {
    std::size_t at = from;
    while (at < bytes.size() && bytes[at] != '\r' && bytes[at] != '\n') ++at;
    std::size_t endLength = 0;
    if (at < bytes.size()) {
      endLength = bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n' ? 2 : 1;
    }
    lines.push_back({bytes.substr(from, at - from), endLength, false});
    from = at + endLength;
  }
  if (!lines.empty()) lines.back().last = true;
  return lines;
}

// A frame field: decimal digits, after an optional "-", with spaces or tabs around them, at most
// 2147483647 either way; "-0" is no number.
struct ReferenceField {
  bool number = false;
  std::int64_t value = 0;
  LineFault strict = LineFault::None;  // why the strict reading refuses it
};

ReferenceField ReadFrame(std::string_view field) {
  ReferenceField f;
  const std::size_t first = field.find_first_not_of(" \t");
  if (first != std::string_view::npos) {
    field = field.substr(first, field.find_last_not_of(" \t") - first + 1);
  } else {
    field = {};
  }
  const bool negative = field.starts_with('-');
  if (negative) field.remove_prefix(1);
  if (field.empty() || field.find_first_not_of("0123456789") != std::string_view::npos) {
    f.strict = LineFault::FrameNotNumber;
    return f;
  }
  const std::size_t significant = field.find_first_not_of('0');
  const std::string_view digits =
      significant == std::string_view::npos ? "0" : field.substr(significant);
  if (digits.size() > 10 || (digits.size() == 10 && digits > "2147483647")) {
    f.strict = LineFault::FrameTooLarge;
    return f;
  }
  for (const char d : digits) f.value = f.value * 10 + (d - '0');
  if (negative && f.value == 0) {
    f.strict = LineFault::FrameNotNumber;
    return f;
  }
  f.number = true;
  if (negative) {
    f.value = -f.value;
    f.strict = LineFault::FrameBeforeZero;
  }
  return f;
}

// The text less every "{", letter, ":", anything but "}", "}", read from left to right.
std::string WithoutCodes(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    const char letter = i + 1 < text.size() ? text[i + 1] : '\0';
    const bool isLetter = (letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z');
    if (c == '{' && isLetter && i + 2 < text.size() && text[i + 2] == ':') {
      const std::size_t close = text.find('}', i + 3);
      if (close != std::string_view::npos) {
        i = close + 1;
        continue;
      }
    }
    out += c;
    ++i;
  }
  return out;
}

// "{" 1 to 10 digits "}" at `at` making at most 2147483647, twice: a title running on.
bool RunOnAt(std::string_view text, std::size_t at, std::size_t& length, std::int64_t& start,
             std::int64_t& end) {
  std::size_t i = at;
  for (std::int64_t* value : {&start, &end}) {
    if (i >= text.size() || text[i] != '{') return false;
    std::size_t digits = 0;
    *value = 0;
    while (i + 1 + digits < text.size() && text[i + 1 + digits] >= '0' &&
           text[i + 1 + digits] <= '9') {
      if (++digits > 10) return false;
      *value = *value * 10 + (text[i + digits] - '0');
    }
    if (digits == 0 || i + 1 + digits >= text.size() || text[i + 1 + digits] != '}' ||
        *value > 2147483647) {
      return false;
    }
    i += digits + 2;
  }
  length = i - at;
  return true;
}

// A frame-rate line's text: without braces and blanks around, a rate from 1 to 200 written with
// digits and at most one point, at most six decimals.
std::optional<std::pair<std::int64_t, std::int64_t>> RateOf(std::string_view text) {
  if (text.size() > 32) return std::nullopt;
  std::string kept;
  for (const char c : text) {
    if (c != '{' && c != '}') kept += c;
  }
  const std::size_t first = kept.find_first_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  kept = kept.substr(first, kept.find_last_not_of(" \t") - first + 1);
  std::int64_t numerator = 0;
  std::int64_t denominator = 1;
  bool point = false;
  bool digit = false;
  for (const char c : kept) {
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      digit = true;
      numerator = numerator * 10 + (c - '0');
      if (point) denominator *= 10;
      if (denominator > 1000000 || numerator > 1000000000) return std::nullopt;
    } else {
      return std::nullopt;
    }
  }
  if (!digit || numerator < denominator || numerator > 200 * denominator) return std::nullopt;
  return std::pair{numerator, denominator};
}

// Records in a row with the same text, as the display reads them: record i shows from
// start + i × step for `length` frames. The text is in Windows-1250 as the display's letters
// have it, before the character mode, which only the check of the records applies: one
// reference serves both modes. One run stands for the many records of a long title or a
// long gap, so that the reference costs what the file does, not what its image does.
struct ExpectedTitle {
  std::int64_t start = 0;
  std::int64_t length = 0;
  std::int64_t step = 0;
  std::int64_t count = 1;
  ByteString text;
};

struct ExpectedProblem {
  std::size_t line = 0;
  RepairKind kind = RepairKind::NotATitle;
  bool refused = false;
  bool operator==(const ExpectedProblem&) const = default;
};

// What the conversion must give: the records, the first line the strict reading refuses, the
// progress after each line read, and what repair does.
struct Expected {
  TextEncoding encoding = TextEncoding::Windows1250;
  std::vector<ExpectedTitle> titles;
  std::size_t badLine = 0;  // 0 when the strict reading takes every line
  LineFault fault = LineFault::None;
  std::vector<double> progress;
  std::optional<std::pair<std::int64_t, std::int64_t>> rate;  // of a frame-rate line
  std::vector<ExpectedProblem> problems;                      // in the order of the lines
  bool timed = false;       // the file opens like SubRip or MPL2, whose times need a frame rate
  bool simplified = false;  // a character the display cannot show was written otherwise
  bool noTitle = false;     // repair left out every line of a file that has lines
  // Where the strict reading stops, at the first line it refuses: the progress it has reported
  // and the frame-rate line it has found by then. A reading to the end serves it as well.
  std::size_t strictProgress = 0;
  std::optional<std::pair<std::int64_t, std::int64_t>> strictRate;
};

using testing::Utf8Of;

// A UTF-16 body as UTF-8, with the file bytes that each UTF-8 byte came from: an unpaired
// surrogate or an odd last byte is U+FFFD.
struct DecodedUtf16 {
  std::string utf8;
  std::vector<std::size_t> fileBytes;  // per byte of utf8: the bytes of its character in the
                                       // file, on the character's first byte, 0 on the rest
};

DecodedUtf16 ReferenceUtf16(std::string_view body, bool bigEndian) {
  DecodedUtf16 d;
  const auto unit = [&](std::size_t at) -> char32_t {
    const auto a = static_cast<unsigned char>(body[at]);
    const auto b = static_cast<unsigned char>(body[at + 1]);
    return bigEndian ? (char32_t{a} << 8 | b) : (char32_t{b} << 8 | a);
  };
  for (std::size_t at = 0; at < body.size();) {
    char32_t c = 0xFFFD;
    std::size_t used = 1;
    if (at + 1 < body.size()) {
      const char32_t u = unit(at);
      used = 2;
      if (u < 0xD800 || u > 0xDFFF) {
        c = u;
      } else if (u <= 0xDBFF && at + 3 < body.size() && unit(at + 2) >= 0xDC00 &&
                 unit(at + 2) <= 0xDFFF) {
        c = 0x10000 + ((u - 0xD800) << 10) + (unit(at + 2) - 0xDC00);
        used = 4;
      }
    }
    const std::string utf8 = Utf8Of(c);
    d.utf8 += utf8;
    d.fileBytes.push_back(c == 0xFFFD ? 2 : used);  // the reader counts two a unit
    d.fileBytes.resize(d.utf8.size(), 0);
    at += used;
  }
  return d;
}

// How a reading goes on: the strict one stops at the first line it refuses unless every
// problem is wanted; repair reads every line.
struct Reading {
  bool repair = false;
  bool toTheEnd = false;
};

// The fault of a file of times without a frame rate when the first line of `head` that opens a
// title, blank lines and lines of no layout passed over, opens a SubRip or an MPL2 title; None
// when it opens a brace title or no line does.
LineFault TimedLayoutOf(std::string_view head) {
  for (std::size_t at = 0; at < head.size();) {
    const std::size_t end = head.find_first_of("\r\n", at);
    const std::string_view line = head.substr(at, end - at);
    if (const std::size_t text = line.find_first_not_of(" \t"); text != std::string_view::npos) {
      if (LooksLikeSubRip(head.substr(at))) return LineFault::SubRipWithoutRate;
      if (LooksLikeMpl2(head.substr(at))) return LineFault::Mpl2WithoutRate;
      if (line[text] == '{' && ScanTitleLine(line)) return LineFault::None;
    }
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  return LineFault::None;
}

// What the conversion must give when the file is read in `encoding`, which for a file with no
// byte order mark and no UTF-8 is the single-byte encoding that the conversion chose.
Expected Reference(std::string_view bytes, TextEncoding singleByte, Reading reading) {
  Expected e;
  std::string_view body = bytes;
  std::size_t consumed = 0;
  if (const auto mark = FindByteOrderMark(bytes)) {
    e.encoding = mark->encoding;
    consumed = mark->length;
    body.remove_prefix(mark->length);
  } else if (IsUtf8Text(bytes)) {
    e.encoding = TextEncoding::Utf8;
  } else {
    e.encoding = singleByte;
  }
  // The layout is told from the first 4 KB of the file after its byte order mark.
  std::string_view head = body.substr(0, 4096);
  std::string decodedHead;
  DecodedUtf16 utf16;
  if (IsUtf16(e.encoding)) {
    const bool bigEndian = e.encoding == TextEncoding::Utf16BigEndian;
    decodedHead = ReferenceUtf16(head, bigEndian).utf8;
    head = decodedHead;
    utf16 = ReferenceUtf16(body, bigEndian);
    body = utf16.utf8;
  }
  // The bytes of the file that the body's bytes [from, to) came from.
  const auto fileBytes = [&](std::size_t from, std::size_t to) {
    if (!IsUtf16(e.encoding)) return to - from;
    std::size_t n = 0;
    for (std::size_t i = from; i < to; ++i) n += utf16.fileBytes[i];
    return n;
  };

  // A file whose first title opens like SubRip, or as "[start][end]text" with times in tenths
  // of a second (MPL2), is refused as a whole: it needs a frame rate to be read.
  if (const LineFault timed = TimedLayoutOf(head); timed != LineFault::None) {
    e.timed = true;
    e.badLine = 1;
    e.fault = timed;
    return e;
  }

  const TextEncoding textEncoding = IsUtf16(e.encoding) ? TextEncoding::Utf8 : e.encoding;
  std::int64_t previousEnd = 0;  // the display's clock
  bool titleSeen = false;
  const std::vector<ReferenceLine> lines = SplitLines(body);
  e.progress.reserve(lines.size());
  e.titles.reserve(lines.size());
  e.problems.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t number = i + 1;
    const std::string_view line = lines[i].text;
    LineFault lineFault = LineFault::None;
    const auto problem = [&](RepairKind kind, LineFault fault) {
      e.problems.push_back({number, kind, fault != LineFault::None});
      if (lineFault == LineFault::None) lineFault = fault;
    };
    const auto repairing = [&] { return reading.repair || lineFault != LineFault::None; };
    const bool careful = reading.repair || reading.toTheEnd;

    // One title of the line: its frames and its text with its codes.
    const auto title = [&](std::int64_t start, std::int64_t end, std::string_view raw, bool first) {
      std::string text = WithoutCodes(raw);
      if (first && start >= 0 && start <= 1 && end >= 0 && end <= 1) {
        if (const auto rate = RateOf(text)) {
          e.rate = rate;
          problem(RepairKind::FrameRateLine, LineFault::None);
          if (repairing()) return;
        }
      }
      if (end <= 0 && careful) {
        problem(RepairKind::EndsAtOrBeforeZero, LineFault::None);
        if (repairing()) return;
      }
      if (text.find('{') != std::string::npos) {
        problem(RepairKind::BracesInText, LineFault::TerminatorInText);
      } else if (careful && text.find('}') != std::string::npos) {
        problem(RepairKind::BracesInText, LineFault::None);
      }
      bool slash = !text.empty() && text[0] == '/';
      for (std::size_t k = 0; k + 1 < text.size(); ++k)
        slash |= text[k] == '|' && text[k + 1] == '/';
      if (slash && careful) {
        problem(RepairKind::SlashAtLineStart, LineFault::None);
        if (repairing()) {
          std::string kept;
          for (std::size_t k = 0; k < text.size(); ++k) {
            if (text[k] == '/' && (k == 0 || text[k - 1] == '|')) continue;
            kept += text[k];
          }
          text = kept;
        }
      }
      if (repairing()) {
        for (char& c : text) c = c == '{' ? '(' : c == '}' ? ')' : c;
      }
      const ByteString transcoded = e.encoding == TextEncoding::Windows1250
                                        ? ByteString()
                                        : ReferenceWrite(ReferenceDecode(text, textEncoding));
      const std::string_view inWindows1250 =
          e.encoding == TextEncoding::Windows1250 ? std::string_view(text) : transcoded;
      ByteString written = ReferenceDisplayLetters(inWindows1250);
      e.simplified |= written != inWindows1250;
      const std::int64_t shownFrom = start > previousEnd ? start : previousEnd;
      std::int64_t duration = end > shownFrom ? end - shownFrom : 0;
      std::int64_t copies = (duration + 65534) / 65535;
      const auto recordBytes = static_cast<std::int64_t>(written.size() + 5);
      if (copies > 1 && copies * recordBytes > 4 * 1024 * 1024) {
        problem(RepairKind::TitleShortened, LineFault::TooManyCopies);
        copies = std::max<std::int64_t>(1, 4 * 1024 * 1024 / recordBytes);
        duration = std::min(duration, copies * 65535);
      }
      // Empty records of 0xFEFF frames bridge a gap beyond 65535 frames: as many as it takes to
      // bring what is left of it to 65535 or less.
      const std::int64_t gap = shownFrom - previousEnd;
      if (gap > 65535) {
        e.titles.push_back({previousEnd + 0xFEFF, 0, 0xFEFF, (gap - 65535 + 0xFEFE) / 0xFEFF, ""});
      }
      // The text once for every 65535 frames: whole records of 65535, then one of the rest; a
      // title of no frames still gets its record.
      const std::int64_t whole = duration / 65535;
      const std::int64_t rest = duration % 65535;
      if (whole > 0) e.titles.push_back({shownFrom, 65535, 65535, whole, written});
      if (rest > 0 || whole == 0)
        e.titles.push_back({shownFrom + whole * 65535, rest, 0, 1, std::move(written)});
      previousEnd = shownFrom + duration;
    };

    const std::size_t blank = line.find_first_not_of(" \t");
    // "{", "}", "{", "}" in turn; the text is all that follows.
    const std::size_t open1 = line.find('{');
    const std::size_t close1 = open1 == std::string_view::npos ? open1 : line.find('}', open1 + 1);
    const std::size_t open2 =
        close1 == std::string_view::npos ? close1 : line.find('{', close1 + 1);
    const std::size_t close2 = open2 == std::string_view::npos ? open2 : line.find('}', open2 + 1);
    if (blank == std::string_view::npos) {
      problem(RepairKind::BlankLine, LineFault::BlankLine);
    } else if (close2 == std::string_view::npos) {
      problem(RepairKind::NotATitle, LineFault::MissingBrace);
    } else {
      const ReferenceField start = ReadFrame(line.substr(open1 + 1, close1 - open1 - 1));
      const ReferenceField end = ReadFrame(line.substr(open2 + 1, close2 - open2 - 1));
      if (!start.number || !end.number) {
        problem(RepairKind::NotATitle, start.strict != LineFault::None ? start.strict : end.strict);
      } else {
        bool first = !titleSeen;
        titleSeen = true;
        std::int64_t from = start.value;
        bool keep = true;
        if (start.value < 0 || end.value < 0) {
          problem(end.value <= 0 ? RepairKind::EndsAtOrBeforeZero : RepairKind::StartBeforeZero,
                  LineFault::FrameBeforeZero);
          keep = end.value > 0;
          first = first && start.value >= 0;
          from = from < 0 ? 0 : from;
        }
        std::string_view raw = line.substr(close2 + 1);
        std::int64_t to = end.value;
        while (keep) {
          std::size_t runOn = std::string_view::npos;
          std::size_t length = 0;
          std::int64_t nextStart = 0;
          std::int64_t nextEnd = 0;
          for (std::size_t k = 0; k < raw.size() && runOn == std::string_view::npos; ++k) {
            if (RunOnAt(raw, k, length, nextStart, nextEnd)) runOn = k;
          }
          title(from, to, raw.substr(0, runOn), first);
          if (runOn == std::string_view::npos) break;
          problem(RepairKind::RunTogether, LineFault::TerminatorInText);
          raw.remove_prefix(runOn + length);
          from = nextStart;
          to = nextEnd;
          first = false;
        }
      }
    }
    if (lineFault != LineFault::None && e.badLine == 0) {
      e.badLine = number;
      e.fault = lineFault;
      e.strictProgress = e.progress.size();
      e.strictRate = e.rate;
      if (!reading.repair && !reading.toTheEnd) return e;
    }
    const auto from = static_cast<std::size_t>(line.data() - body.data());
    consumed += fileBytes(from, from + line.size() + (lines[i].last ? 0 : lines[i].endLength));
    e.progress.push_back(consumed >= bytes.size() ? 100.0
                                                  : 100.0 * static_cast<double>(consumed) /
                                                        static_cast<double>(bytes.size()));
  }
  e.noTitle = reading.repair && !lines.empty() && e.titles.empty();
  return e;
}

// The guards around the guess among the single-byte encodings, which hold whatever it guessed.
void CheckSingleByteChoice(std::string_view bytes, TextEncoding chosen, Verdict& v) {
  if (!v.Expect(chosen == TextEncoding::Windows1250 || chosen == TextEncoding::Iso8859_2 ||
                    chosen == TextEncoding::Windows1251 || chosen == TextEncoding::Windows1252,
                "a file with no mark and no UTF-8 was read in another encoding")) {
    return;
  }
  static const std::vector<char32_t> iso8859_2 = SystemCodePage("ISO-8859-2");
  static const std::vector<char32_t> windows1251 = SystemCodePage("CP1251");
  static const std::vector<char32_t> windows1252 = SystemCodePage("CP1252");
  const auto& table = chosen == TextEncoding::Iso8859_2     ? iso8859_2
                      : chosen == TextEncoding::Windows1251 ? windows1251
                                                            : windows1252;
  std::size_t high = 0;
  bool controls = false;
  bool sameLetters = true;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) continue;
    ++high;
    controls |= b < 0xA0;
    const char32_t in1250 = Windows1250ToUnicode(b);
    sameLetters &= in1250 != 0 && in1250 == table[b];
  }
  if (chosen == TextEncoding::Windows1250) return;
  v.Expect(high >= 16, "a file with few bytes above 0x7F was not read as Windows-1250");
  v.Expect(!(controls && chosen == TextEncoding::Iso8859_2),
           "a file with bytes 0x80 to 0x9F was read as ISO-8859-2");
  v.Expect(!sameLetters, "a file whose letters are the same in Windows-1250 was read otherwise");
}

// ---- The code under test. ----

class ProgressPanel : public OperatorPanel {
 public:
  // Room for the progress of a usual input at once: growing it step by step would cost the fuzzer
  // more than the conversion of a few lines.
  ProgressPanel() { progress.reserve(64); }
  void AddStatus(const std::string&) override {}
  void SetProgress(float percent) override { progress.push_back(percent); }
  void SetInputsEnabled(bool) override {}
  void Beep() override {}
  void ProcessEvents() override {}

  std::vector<float> progress;
};

struct Run {
  CharMode mode = CharMode::DeviceCodes;
  ConversionResult result;
  std::vector<float> progress;
};

// Bytes that no reader of whole documents takes, as the line layouts get them: what
// ConvertTitleBytes does with them once those readers have declined, in the encoding it chose.
// The first conversion of an input goes through ConvertTitleBytes and shows that they decline; the
// readers' choice and the line layout do not depend on the mode or the reading asked, and asking
// FFmpeg's probe, the XML parser, uchardet and the layout probes again for every other conversion
// would cost the fuzzer more than the conversion itself.
class LineInput {
 public:
  LineInput(std::string_view bytes, TextEncoding encoding) : encoding_(encoding) {
    input_.head = bytes.substr(0, kTitleHeadLength);
    // The head and a byte order mark before it, as the entrance gives it to the line readers.
    input_.text = LineText(bytes.substr(0, kTitleHeadLength + 3), {.encoding = encoding});
    input_.length = bytes.size();
    input_.bytes = bytes;
    reader_ = &ChooseLineReader(input_.text);
  }

  // A conversion with `options` besides the encoding.
  ConversionResult Convert(CharMode mode, OperatorPanel& panel, ConversionOptions options) const {
    options.encoding = encoding_;
    return ConvertTitleLines(input_, *reader_, mode, panel, options);
  }
  std::string_view bytes() const { return input_.bytes; }
  TextEncoding encoding() const { return encoding_; }

 private:
  TitleInput input_;
  const TitleReader* reader_ = nullptr;
  TextEncoding encoding_;
};

// A conversion from memory with the progress it reported: through the entrance when `lines` is
// null, by the line layouts alone otherwise.
Run ConvertRun(std::string_view bytes, const LineInput* lines, CharMode mode,
               const ConversionOptions& options) {
  Run run;
  run.mode = mode;
  ProgressPanel panel;
  run.result = lines == nullptr ? ConvertTitleBytes(bytes, mode, panel, options)
                                : lines->Convert(mode, panel, options);
  run.progress = std::move(panel.progress);
  return run;
}

// A file in memory holding `bytes`, removed with its descriptor.
class MemoryFile {
 public:
  explicit MemoryFile(std::string_view bytes) : fd_(::memfd_create("titles", MFD_CLOEXEC)) {
    for (std::string_view rest = bytes; fd_ >= 0 && !rest.empty();) {
      const ssize_t n = ::write(fd_, rest.data(), rest.size());
      if (n <= 0) {
        ::close(fd_);
        fd_ = -1;
        break;
      }
      rest.remove_prefix(static_cast<std::size_t>(n));
    }
  }
  ~MemoryFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  int fd() const { return fd_; }
  // A path that opens the file anew, from its start.
  std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

// The repair report the problems come to: each kind counted once a line, with its first lines.
RepairReport ReportOf(const std::vector<ExpectedProblem>& problems) {
  RepairReport report;
  for (const ExpectedProblem& p : problems) {
    const bool counted = std::any_of(problems.begin(), problems.end(), [&](const auto& q) {
      return &q < &p && q.line == p.line && q.kind == p.kind;
    });
    if (counted) continue;
    RepairReport::Count& count = report.kinds[static_cast<std::size_t>(p.kind)];
    if (count.lines < RepairReport::kFirstLinesKept) count.first[count.lines] = p.line;
    ++count.lines;
  }
  return report;
}

bool SameReport(const RepairReport& a, const RepairReport& b) {
  for (std::size_t k = 0; k < kRepairKinds; ++k) {
    if (a.kinds[k].lines != b.kinds[k].lines || a.kinds[k].first != b.kinds[k].first) return false;
  }
  return true;
}

// Images of more records than this are read only by CheckRecords.
constexpr std::int64_t kDecodedRecords = 256;

// Reads the records of `image` as the display does, each against the reference's runs: two
// bytes of frames waited after the previous title, two of frames shown, the text, "{".
class RecordCheck {
 public:
  RecordCheck(std::string_view image, CharMode mode, Verdict& v)
      : image_(image), mode_(mode), v_(v) {}

  // Reads the records of `run`; false at the first that differs.
  bool Run(const ExpectedTitle& run) {
    for (std::int64_t i = 0; i < run.count; ++i) {
      const std::size_t from = at_;
      if (!Record(run, i)) return false;
      // Past the first, a run's records are the same bytes, each waiting step - length frames
      // after the one before it: once the second is read, the rest are checked as its copies in
      // one comparison, so that a title of 32769 records costs the check no more than its
      // conversion. Where they are not copies, they are read one by one to say how they differ.
      const std::size_t size = at_ - from;
      const auto copies = static_cast<std::size_t>(run.count - 2);
      if (i == 1 && run.count > 2 && copies <= (image_.size() - at_) / size &&
          image_.compare(at_, copies * size, image_.substr(from, copies * size)) == 0) {
        at_ += copies * size;
        clock_ = run.start + (run.count - 1) * run.step + run.length;
        return true;
      }
    }
    return true;
  }
  void Finish() { v_.Expect(at_ == image_.size(), "the image holds more records"); }

 private:
  // Reads record `i` of `run`.
  bool Record(const ExpectedTitle& run, std::int64_t i) {
    const std::size_t end = at_ + 4 > image_.size() ? image_.npos : image_.find('{', at_ + 4);
    if (!v_.Expect(end != image_.npos, "the image holds fewer records")) return false;
    const std::int64_t start = clock_ + Word(at_);
    v_.Expect(start == run.start + i * run.step, "a title starts at another frame");
    v_.Expect(Word(at_ + 2) == run.length, "a title lasts other frames");
    v_.Expect(ShownInCharMode(image_.substr(at_ + 4, end - at_ - 4), run.text, mode_),
              "a title's text differs");
    clock_ = start + run.length;
    at_ = end + 1;
    return !v_.failed();
  }
  std::int64_t Word(std::size_t at) const {
    return std::int64_t{static_cast<unsigned char>(image_[at])} << 8 |
           static_cast<unsigned char>(image_[at + 1]);
  }

  std::string_view image_;
  CharMode mode_;
  Verdict& v_;
  std::size_t at_ = 0;
  std::int64_t clock_ = 0;
};

void CheckRecords(std::string_view image, const std::vector<ExpectedTitle>& runs, CharMode mode,
                  Verdict& v) {
  RecordCheck check(image, mode, v);
  for (const ExpectedTitle& run : runs) {
    if (!check.Run(run)) return;
  }
  check.Finish();
}

void CheckAgainstReference(const Run& run, const Expected& e, Reading reading, Verdict& v) {
  const CharMode mode = run.mode;
  const ConversionResult& r = run.result;
  v.Expect(r.outcome != ConversionOutcome::Unreadable, "bytes in memory were unreadable");
  v.Expect(r.encoding == e.encoding, "the encoding differs from the reference's");
  // The strict reading stops at the first line it refuses.
  const bool stops = !reading.repair && !reading.toTheEnd && e.badLine != 0;
  const std::size_t progressReports = stops ? e.strictProgress : e.progress.size();
  v.Expect(run.progress.size() == progressReports,
           "progress was not reported once after each line read");
  for (std::size_t i = 0; i < run.progress.size() && i < progressReports; ++i) {
    v.Expect(run.progress[i] <= 100.0f, "progress went above 100");
    v.Expect(i == 0 || run.progress[i] >= run.progress[i - 1], "progress fell");
    const double off = run.progress[i] - e.progress[i];
    v.Expect(off < 1e-3 && off > -1e-3, "progress is not consumed / length * 100");
  }
  if (v.failed()) return;
  const bool rate = r.fileFrameRate.has_value();
  const auto& wantRate = stops ? e.strictRate : e.rate;
  v.Expect(
      rate == wantRate.has_value() && (!rate || (r.fileFrameRate->numerator * wantRate->second ==
                                                 wantRate->first * r.fileFrameRate->denominator)),
      "the frame-rate line's rate differs from the reference's");
  if (reading.toTheEnd && !e.timed) {
    std::vector<ExpectedProblem> got;
    for (const LineProblem& p : r.problems) got.push_back({p.lineNumber, p.kind, p.refused()});
    v.Expect(got == e.problems, "the problems listed differ from the reference's");
    for (const LineProblem& p : r.problems) v.Expect(!p.reason.empty(), "a problem has no reason");
  } else {
    v.Expect(r.problems.empty(), "problems were listed unasked");
  }
  if ((reading.repair || reading.toTheEnd) && !e.timed) {
    v.Expect(SameReport(r.repairs, ReportOf(e.problems)),
             "the repair report differs from the reference's");
  }

  if (e.noTitle) {
    v.Expect(r.outcome == ConversionOutcome::Incorrect && r.fault == LineFault::NoTitle &&
                 r.lineNumber == 1 && !r.repairable && r.image.empty(),
             "a file in which repair left no title was not refused");
    return;
  }
  if (e.badLine != 0 && (!reading.repair || e.timed)) {
    v.Expect(r.outcome == ConversionOutcome::Incorrect, "a bad line was converted");
    v.Expect(r.image.empty(), "an incorrect file left an image");
    v.Expect(r.lineNumber == e.badLine, "the refused line number is not the first bad line");
    v.Expect(r.fault == e.fault, "the fault differs from the reference's");
    v.Expect(!r.reason.empty() && !r.reason.starts_with("Line "),
             "the reason is empty or names its line");
    v.Expect(r.repairable == !e.timed, "whether repair mends the line is wrong");
    return;
  }
  if (!v.Expect(r.outcome == ConversionOutcome::Converted, "good lines were refused")) return;
  v.Expect(r.lineNumber == 0 && r.fault == LineFault::None && r.reason.empty(),
           "a converted file names a fault");
  v.Expect(r.lettersSimplified == e.simplified,
           "the letters the display lacks are reported otherwise than the reference");

  // The fill, after the image's last part block.
  const std::size_t partBlock = r.image.size() - r.image.size() % 16;
  ByteString lastBlock = r.image.substr(partBlock);
  PadTitleImage(lastBlock);
  const std::size_t fill = lastBlock.size() - (r.image.size() - partBlock);
  v.Expect(lastBlock.size() == 16, "the filled image is not whole blocks");
  v.Expect(fill >= 1 && fill <= 16, "the fill is not 1 to 16 bytes");
  v.Expect(lastBlock.find_first_not_of('\xFF', 16 - fill) == std::string::npos,
           "the fill is not all 0xFF");
  std::int64_t records = 0;
  for (const ExpectedTitle& run : e.titles) records += run.count;
  // The display's own reading, where it costs no more than the conversion: a record's text
  // becomes two strings there. A reading to the end must give the strict reading's image, which
  // the display has read already.
  if (records <= kDecodedRecords && !reading.toTheEnd) {
    ByteString filled = r.image;
    PadTitleImage(filled);
    v.Expect(DecodeTitleImage(filled).ok(), "the display cannot read the image");
  }
  CheckRecords(r.image, e.titles, mode, v);
}

// The same bytes read from a file must give the very same answer, progress included.
void CheckFileAgrees(const Run& fromBytes, const Run& fromFile, Verdict& v) {
  const ConversionResult& a = fromBytes.result;
  const ConversionResult& b = fromFile.result;
  v.Expect(a.outcome == b.outcome, "the file's outcome differs");
  v.Expect(a.image == b.image, "the file's image differs");
  v.Expect(a.encoding == b.encoding, "the file's encoding differs");
  v.Expect(a.lineNumber == b.lineNumber && a.fault == b.fault && a.reason == b.reason,
           "the file's rejected line differs");
  v.Expect(fromBytes.progress == fromFile.progress, "the file's progress differs");
}

// Lines read from the file in blocks of `block` bytes are the reference's lines.
void CheckLineReader(std::string_view bytes, int fd, std::size_t block, Verdict& v) {
  if (!v.Expect(::lseek(fd, 0, SEEK_SET) == 0, "cannot rewind the file")) return;
  const std::vector<ReferenceLine> expected = SplitLines(bytes);
  LineReader reader(fd, block);
  FileLine line;
  std::size_t count = 0;
  while (reader.Next(line)) {
    if (!v.Expect(count < expected.size(), "the reader gave too many lines")) return;
    const ReferenceLine& want = expected[count++];
    v.Expect(line.text == want.text, "a line read in blocks differs");
    v.Expect(line.endLength == want.endLength, "a line end read in blocks differs");
    v.Expect(line.last == want.last, "the last line read in blocks is not marked last");
    std::size_t braces = 0;
    for (const char c : want.text) braces += c == '{' || c == '}';
    v.Expect(line.braces == braces, "the braces of a line read in blocks are miscounted");
  }
  v.Expect(reader.error() == 0, "reading the file failed");
  v.Expect(count == expected.size(), "the reader gave too few lines");
}

// `bytes` taken as a Windows-1252 file convert to the image of the same characters in UTF-8, and
// so they do where the guess takes them for Windows-1252.
void CheckWindows1252(std::string_view bytes, CharMode mode, Verdict& v) {
  static const std::vector<char32_t> windows1252 = SystemCodePage("CP1252");
  std::string utf8;
  for (const char c : bytes) {
    const char32_t u = windows1252[static_cast<unsigned char>(c)];
    if (u == 0 && c != 0) return;  // a byte that stands for nothing in Windows-1252
    utf8 += Utf8Of(u);
  }
  ProgressPanel panel;
  const ConversionResult want =
      ConvertTitleBytes(utf8, mode, panel, {.encoding = TextEncoding::Utf8});
  const auto same = [&](const ConversionResult& got, const std::string& in) {
    // FFmpeg's probe may take the text for one of its formats in one reading and not in the
    // other (a byte order mark read as letters): the line readers' equivalence is what is checked.
    if (!got.sourceFormat.empty() || !want.sourceFormat.empty()) return;
    v.Expect(got.outcome == want.outcome, "the outcome differs" + in);
    v.Expect(got.image == want.image, "the image differs" + in);
    v.Expect(got.lineNumber == want.lineNumber && got.fault == want.fault,
             "the rejected line differs" + in);
    v.Expect(got.lettersSimplified == want.lettersSimplified,
             "the letters the display lacks are reported otherwise" + in);
  };
  same(ConvertTitleBytes(bytes, mode, panel, {.encoding = TextEncoding::Windows1252}),
       " read as Windows-1252");
  const ConversionResult guessed = ConvertTitleBytes(bytes, mode, panel);
  if (guessed.encoding == TextEncoding::Windows1252) same(guessed, " guessed as Windows-1252");
}

}  // namespace

std::string CheckTitleLine(std::string_view line) {
  Verdict v;
  const auto parsed = ParseTitleLine(line);
  const auto view = ScanTitleLine(line);

  // A line is a title exactly when "{", "}", "{", "}" occur in it in this order.
  std::size_t found = 0;
  for (const char c : line) found += found < 4 && c == "{}{}"[found];
  v.Expect(parsed.has_value() == (found == 4), "the four braces decide badly");
  v.Expect(parsed.has_value() == view.has_value(), "ParseTitleLine and ScanTitleLine disagree");
  if (!parsed || !view) return v.Take("title line");

  // The views lie in the line, in order, each field fenced by its braces with nothing of its own
  // kind before it: line = A "{" start "}" B "{" end "}" C, with no "{" in A or B and no "}" in
  // start or end; the text is C less its formatting codes.
  const auto offset = [&](std::string_view part) {
    return static_cast<std::size_t>(part.data() - line.data());
  };
  const auto inside = [&](std::string_view part) {
    return part.data() >= line.data() && part.data() + part.size() <= line.data() + line.size();
  };
  if (!v.Expect(inside(view->start) && inside(view->end) && inside(view->text),
                "a part points outside the line")) {
    return v.Take("title line");
  }
  const std::size_t s = offset(view->start);
  const std::size_t e = offset(view->end);
  const std::size_t afterStart = s + view->start.size();
  const std::size_t afterEnd = e + view->end.size();
  if (!v.Expect(s >= 1 && afterStart < e && e >= 1 && afterEnd < line.size(),
                "the parts are out of order")) {
    return v.Take("title line");
  }
  v.Expect(line[s - 1] == '{' && line[afterStart] == '}', "the start is not fenced by braces");
  v.Expect(line[e - 1] == '{' && line[afterEnd] == '}', "the end is not fenced by braces");
  v.Expect(line.substr(0, s - 1).find('{') == std::string_view::npos,
           "the start does not follow the first \"{\"");
  v.Expect(
      line.substr(afterStart + 1, e - 1 - (afterStart + 1)).find('{') == std::string_view::npos,
      "the end does not follow the first \"{\" after the start");
  v.Expect(view->start.find('}') == std::string_view::npos, "the start holds a \"}\"");
  v.Expect(view->end.find('}') == std::string_view::npos, "the end holds a \"}\"");
  const std::string_view rest = line.substr(afterEnd + 1);
  v.Expect(view->text == rest, "the scanned text is not all that follows the end");
  v.Expect(parsed->start == view->start && parsed->end == view->end,
           "ParseTitleLine copied other fields than ScanTitleLine found");
  v.Expect(parsed->text == WithoutCodes(rest),
           "the text is not what follows the end, less its formatting codes");

  // A text without codes comes back whole from a line built of the parts.
  if (WithoutCodes(parsed->text) == parsed->text) {
    const auto again =
        ParseTitleLine("{" + parsed->start + "}{" + parsed->end + "}" + parsed->text);
    v.Expect(again && again->start == parsed->start && again->end == parsed->end &&
                 again->text == parsed->text,
             "a line rebuilt from its parts is cut differently");
  }
  return v.Take("title line");
}

std::string CheckCharModes(std::string_view text) {
  Verdict v;
  for (const CharMode mode : {CharMode::DeviceCodes, CharMode::PlainLetters}) {
    const char* const name = mode == CharMode::DeviceCodes ? "device codes" : "plain letters";
    // Every start offset moves the eight-byte runs against the ends of the text.
    for (std::size_t skip = 0; skip < 8 && skip <= text.size(); ++skip) {
      const std::string_view part = text.substr(skip);
      const ByteString expected = ReferenceCharMode(part, mode);
      const ByteString applied = ApplyCharMode(part, mode);
      v.Expect(applied == expected, "ApplyCharMode differs from the reference");
      if (mode == CharMode::DeviceCodes) {
        v.Expect(applied.size() == part.size(), "device codes changed the length");
      } else {
        std::size_t dj = 0;
        for (const char c : part) dj += c == '\xD0' || c == '\xF0';
        v.Expect(applied.size() == part.size() + dj, "plain letters grew by other than dj");
      }

      ByteString appended = "kept";
      AppendCharMode(part, mode, appended);
      v.Expect(appended == "kept" + expected, "AppendCharMode touched what was there");

      // Exactly the room promised, on the heap, so that the sanitizer sees any write past it.
      const std::size_t room = CharModeRoom(part.size(), mode);
      const auto buffer = std::make_unique<char[]>(room == 0 ? 1 : room);
      const char* const end = WriteCharMode(part, mode, buffer.get());
      v.Expect(end >= buffer.get() && end <= buffer.get() + room, "WriteCharMode overran");
      v.Expect(
          std::string_view(buffer.get(), static_cast<std::size_t>(end - buffer.get())) == expected,
          "WriteCharMode differs from the reference");
      if (v.failed()) return v.Take(name);
    }
  }
  return {};
}

// A SubRip file read with a frame rate: repair refuses it only when no title is left, and leaves
// one without faults as the strict reading does.
void CheckSubRipRepair(const LineInput& lines, CharMode mode, Verdict& v) {
  ProgressPanel panel;
  ConversionOptions options{.displayRate = FrameRate{25, 1}};
  const ConversionResult strict = lines.Convert(mode, panel, options);
  options.repair = true;
  const ConversionResult repaired = lines.Convert(mode, panel, options);
  // Only a file in which no title is left.
  v.Expect(repaired.outcome == ConversionOutcome::Converted || repaired.fault == LineFault::NoTitle,
           "repair refused a SubRip file");
  if (strict.outcome == ConversionOutcome::Converted && repaired.repairs.empty()) {
    v.Expect(repaired.image == strict.image,
             "a SubRip file without faults gives another image with repair");
  }
  if (strict.outcome == ConversionOutcome::Incorrect) {
    v.Expect(!repaired.repairs.empty(),
             "repair took a SubRip file the strict reading refuses "
             "without saying what it did");
  }
}

// Whether the bytes are also converted from a file and read from it in small blocks. A file
// costs the fuzzer more than the rest of the checks, while its reading differs from memory only
// in the reading: one input in eight, chosen by its bytes so that a saved input is checked the
// same way every time. A file that opens as a DCP's asset map or composition stands for its
// folder, which the same bytes in memory have none of: it is not compared.
bool ThroughFile(std::string_view bytes) {
  const DcpXmlKind kind = DcpXmlKindOf(bytes.substr(0, kTitleHeadLength));
  return std::hash<std::string_view>{}(bytes) % 8 == 0 && kind != DcpXmlKind::AssetMap &&
         kind != DcpXmlKind::Composition;
}

// Frame numbers near the largest make images of megabytes from a few bytes (a title of
// 2147483647 frames is 32769 records), and each conversion of one costs the fuzzer as much as
// a thousand usual inputs. Past its first conversion and check, only one such input in sixteen,
// chosen by its bytes, goes through the other mode, repair and the reading to the end. The size is
// the reference's, read to the end: a file the strict reading refuses still builds its records
// up to the line it refuses, and repair builds them all, though the refused image is dropped.
constexpr std::int64_t kLargeImage = 64 * 1024;

bool ChecksOnlyOnce(std::string_view bytes, const Expected& toTheEnd) {
  std::int64_t recordBytes = 0;
  for (const ExpectedTitle& run : toTheEnd.titles) {
    recordBytes += run.count * static_cast<std::int64_t>(4 + run.text.size() + 1);
  }
  return recordBytes > kLargeImage && (std::hash<std::string_view>{}(bytes) >> 3) % 16 != 0;
}

// The bytes converted from a file agree with their conversion from memory; their lines read from
// the file in blocks of 1 to 19 bytes, cutting lines, line ends and UTF-8 sequences at every
// place, are the reference's.
void CheckFile(std::string_view bytes, const Run& fromBytes, CharMode mode, Verdict& v) {
  const MemoryFile file(bytes);
  if (!v.Expect(file.fd() >= 0, "cannot make a file of the bytes")) return;
  Run fromFile;
  fromFile.mode = mode;
  ProgressPanel panel;
  fromFile.result = ConvertTitleFile(file.path(), mode, panel);
  fromFile.progress = std::move(panel.progress);
  CheckFileAgrees(fromBytes, fromFile, v);
  CheckLineReader(bytes, file.fd(), 1 + bytes.size() % 19, v);
}

// Repair never refuses a line, and leaves a file without faults as it was.
void CheckRepair(const LineInput& lines, const Run& strict, Verdict& v) {
  const Run repaired = ConvertRun(lines.bytes(), &lines, strict.mode, {.repair = true});
  const Expected expected = Reference(lines.bytes(), lines.encoding(), {.repair = true});
  CheckAgainstReference(repaired, expected, {.repair = true}, v);
  if (expected.timed) {
    CheckSubRipRepair(lines, strict.mode, v);
    return;
  }
  v.Expect(repaired.result.outcome == ConversionOutcome::Converted || expected.noTitle,
           "repair refused a line");
  if (expected.problems.empty()) {
    v.Expect(repaired.result.image == strict.result.image &&
                 strict.result.outcome == ConversionOutcome::Converted,
             "a file without faults gives another image with repair");
  }
}

// Read to the end, every problem listed; the answer is the strict reading's.
void CheckEveryProblem(const LineInput& lines, const Run& strict, const Expected& toTheEnd,
                       Verdict& v) {
  const Run listed = ConvertRun(lines.bytes(), &lines, strict.mode, {.collectProblems = true});
  CheckAgainstReference(listed, toTheEnd, {.toTheEnd = true}, v);
  v.Expect(listed.result.outcome == strict.result.outcome &&
               listed.result.image == strict.result.image &&
               listed.result.lineNumber == strict.result.lineNumber &&
               listed.result.reason == strict.result.reason,
           "reading to the end changed the strict reading's answer");
}

// DCP subtitle XML goes to a reader of its own, which the reference of lines does not model: it
// must come back, from memory and from a file alike, and never as unreadable.
std::string CheckDcpConversion(std::string_view bytes, const std::string& path) {
  Verdict v;
  ProgressPanel panel;
  const ConversionOptions options{.displayRate = FrameRate{25, 1}};
  const ConversionResult fromBytes =
      ConvertTitleBytes(bytes, CharMode::DeviceCodes, panel, options);
  const ConversionResult fromFile = ConvertTitleFile(path, CharMode::DeviceCodes, panel, options);
  v.Expect(fromBytes.outcome != ConversionOutcome::Unreadable, "DCP subtitles were unreadable");
  v.Expect(fromBytes.outcome == fromFile.outcome && fromBytes.image == fromFile.image &&
               fromBytes.reason == fromFile.reason,
           "DCP subtitles read from a file differ from the same bytes in memory");
  return v.Take("DCP subtitles");
}

std::string CheckConversion(std::string_view bytes) {
  Verdict v;
  if (LooksLikeDcpSubtitles(bytes.substr(0, 4096))) {
    const MemoryFile file(bytes);
    if (!v.Expect(file.fd() >= 0, "cannot make a file of the bytes")) return v.Take("conversion");
    return CheckDcpConversion(bytes, file.path());
  }
  // The file, repair and a reading to the end each take one mode, alternating with the input,
  // since each conversion costs the fuzzer its time.
  const CharMode oneMode = bytes.size() % 2 == 0 ? CharMode::DeviceCodes : CharMode::PlainLetters;
  // The encoding is decided once; the other conversions are given it, as they would decide it
  // the same way from the same bytes. The reading to the end serves the strict reading too, in
  // both modes.
  std::optional<LineInput> lines;
  std::optional<Expected> toTheEnd;
  for (const CharMode mode : {CharMode::DeviceCodes, CharMode::PlainLetters}) {
    const char* const name =
        mode == CharMode::DeviceCodes ? "conversion, device codes" : "conversion, plain letters";
    const Run fromBytes = ConvertRun(bytes, lines ? &*lines : nullptr, mode, {});
    // A file that a reader of whole documents took (ASS, WebVTT, a format FFmpeg's probe knows)
    // is outside the reference of lines; the rules of timed sources are tested on their own.
    if (!fromBytes.result.sourceFormat.empty()) return v.Take(name);
    const TextEncoding chosen = fromBytes.result.encoding;
    if (!FindByteOrderMark(bytes) && !IsUtf8Text(bytes)) CheckSingleByteChoice(bytes, chosen, v);
    if (!lines || chosen != lines->encoding()) {
      lines.emplace(bytes, chosen);
      toTheEnd = Reference(bytes, chosen, {.toTheEnd = true});
    }
    CheckAgainstReference(fromBytes, *toTheEnd, {}, v);
    if (ChecksOnlyOnce(bytes, *toTheEnd)) return v.Take(name);
    if (mode == oneMode) {
      // The file differs from memory in how it is read, not in the mode.
      if (ThroughFile(bytes)) CheckFile(bytes, fromBytes, mode, v);
      if (v.failed()) return v.Take(name);
      CheckRepair(*lines, fromBytes, v);
      if (v.failed()) return v.Take("repair");
    } else {
      CheckEveryProblem(*lines, fromBytes, *toTheEnd, v);
      if (v.failed()) return v.Take("every problem");
    }
  }
  // Blocks of 1 to 19 bytes cut UTF-8 sequences at every place.
  const std::size_t block = 1 + bytes.size() % 19;
  Utf8Detector detector;
  for (std::size_t at = 0; at < bytes.size() && detector.Feed(bytes.substr(at, block));) {
    at += block;
  }
  v.Expect(detector.LooksLikeUtf8() == IsUtf8Text(bytes),
           "UTF-8 fed in pieces is judged otherwise than the reference");
  return v.Take("reading in pieces");
}

std::string CheckEncodingsKeepImage(std::string_view original) {
  Verdict v;
  ProgressPanel panel;
  const CharMode mode = original.size() % 2 == 0 ? CharMode::DeviceCodes : CharMode::PlainLetters;
  const ConversionResult want =
      ConvertTitleBytes(original, mode, panel, {.encoding = TextEncoding::Windows1250});
  const auto same = [&](const ConversionResult& got, const char* what) {
    const std::string in = std::string(" read from ") + what;
    // FFmpeg's probe may take the text for one of its formats in one encoding and not in another
    // (a byte order mark read as letters): the line readers' equivalence is what is checked.
    if (!got.sourceFormat.empty() || !want.sourceFormat.empty()) return;
    v.Expect(got.outcome == want.outcome, "the outcome differs" + in);
    v.Expect(got.image == want.image, "the image differs" + in);
    v.Expect(got.lineNumber == want.lineNumber && got.fault == want.fault,
             "the rejected line differs" + in);
    v.Expect(got.lettersSimplified == want.lettersSimplified,
             "the letters the display lacks are reported otherwise" + in);
  };

  static const std::vector<char32_t> iso8859_2 = SystemCodePage("ISO-8859-2");
  // A character's byte in a code page, -1 where it has none.
  const auto reverse = [](const std::vector<char32_t>& codePage) {
    std::vector<int> bytes(0x10000, -1);
    for (int b = 0; b < 256; ++b) {
      if (codePage[b] != 0 || b == 0) bytes[codePage[b]] = b;
    }
    return bytes;
  };
  static const std::vector<int> toIso8859_2 = reverse(iso8859_2);
  std::string utf8;
  std::string utf16le(kUtf16LittleEndianByteOrderMark);
  std::string utf16be(kUtf16BigEndianByteOrderMark);
  std::string iso;
  bool unicode = true;  // every byte stands for a character
  bool isoHolds = true;
  for (const char c : original) {
    const auto b = static_cast<unsigned char>(c);
    const char32_t u = Windows1250ToUnicode(b);
    if (u == 0 && b != 0) {
      unicode = isoHolds = false;
      break;
    }
    utf8 += Utf8Of(u);
    utf16le += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    utf16be += {static_cast<char>(u >> 8), static_cast<char>(u & 0xFF)};
    const int inIso = toIso8859_2[u];
    isoHolds &= inIso >= 0;
    if (inIso >= 0) iso += static_cast<char>(inIso);
  }
  CheckWindows1252(original, mode, v);
  if (!unicode) return v.Take("encodings");
  same(ConvertTitleBytes(utf8, mode, panel), "UTF-8");
  same(ConvertTitleBytes(utf16le, mode, panel), "UTF-16 LE");
  same(ConvertTitleBytes(utf16be, mode, panel), "UTF-16 BE");
  if (isoHolds) {
    same(ConvertTitleBytes(iso, mode, panel, {.encoding = TextEncoding::Iso8859_2}),
         "ISO-8859-2 as such");
    // The guess is uchardet's: where it takes the file for ISO-8859-2, the image is the same.
    const ConversionResult guessed = ConvertTitleBytes(iso, mode, panel);
    if (guessed.encoding == TextEncoding::Iso8859_2) same(guessed, "ISO-8859-2 as guessed");
  }
  return v.Take("encodings");
}

void AbortIfFailed(const std::string& failure) {
  if (failure.empty()) return;
  std::fprintf(stderr, "property failed: %s\n", failure.c_str());
  std::abort();
}

}  // namespace marvek::fuzz
