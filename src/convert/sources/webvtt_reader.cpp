#include "convert/sources/webvtt_reader.h"

#include <array>
#include <optional>
#include <vector>

#include "convert/encoding/text_encoding.h"
#include "convert/sources/ass_text.h"

namespace marvek {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The digits at `at`, with how many there were.
struct Digits {
  std::int64_t value = 0;
  std::size_t count = 0;
};

Digits ReadDigits(std::string_view text, std::size_t& at) {
  Digits digits;
  while (at < text.size() && IsDigit(text[at])) {
    if (digits.count < 12) digits.value = digits.value * 10 + (text[at] - '0');
    ++digits.count;
    ++at;
  }
  return digits;
}

// A WebVTT timestamp at `at`, in milliseconds: [hh:]mm:ss.ttt, minutes and seconds of two digits
// below 60, three digits after the point; hours of any number of digits.
std::optional<std::int64_t> ReadTimestamp(std::string_view text, std::size_t& at) {
  const Digits first = ReadDigits(text, at);
  if (first.count == 0 || first.count > 12) return {};
  const bool hours = first.count != 2 || first.value > 59;
  if (at >= text.size() || text[at++] != ':') return {};
  const Digits second = ReadDigits(text, at);
  if (second.count != 2) return {};
  Digits third;
  if (hours || (at < text.size() && text[at] == ':')) {
    if (at >= text.size() || text[at++] != ':') return {};
    third = ReadDigits(text, at);
    if (third.count != 2) return {};
  }
  if (at >= text.size() || text[at++] != '.') return {};
  const Digits millis = ReadDigits(text, at);
  if (millis.count != 3) return {};
  const bool threeParts = third.count != 0;
  const std::int64_t h = threeParts ? first.value : 0;
  const std::int64_t m = threeParts ? second.value : first.value;
  const std::int64_t s = threeParts ? third.value : second.value;
  if (m > 59 || s > 59) return {};
  return ((h * 60 + m) * 60 + s) * 1000 + millis.value;
}

void SkipBlanks(std::string_view text, std::size_t& at) {
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
}

// The start and end of a timing line, "start --> end settings"; nullopt when they cannot be read.
std::optional<std::array<std::int64_t, 2>> ReadTiming(std::string_view line) {
  std::size_t at = 0;
  SkipBlanks(line, at);
  const std::optional<std::int64_t> start = ReadTimestamp(line, at);
  if (!start) return {};
  SkipBlanks(line, at);
  if (line.substr(at, 3) != "-->") return {};
  at += 3;
  SkipBlanks(line, at);
  const std::optional<std::int64_t> end = ReadTimestamp(line, at);
  // The settings that may follow are for placing the cue on a screen, which the display has not.
  if (!end || (at < line.size() && line[at] != ' ' && line[at] != '\t')) return {};
  return std::array<std::int64_t, 2>{*start, *end};
}

struct Entity {
  std::string_view name;
  std::string_view text;
};
constexpr std::array<Entity, 8> kEntities{{{"amp", "&"},
                                           {"lt", "<"},
                                           {"gt", ">"},
                                           {"nbsp", "\xC2\xA0"},
                                           {"quot", "\""},
                                           {"apos", "'"},
                                           {"lrm", ""},
                                           {"rlm", ""}}};

// Appends the character of the reference that starts at text[at] ("&...;") and moves past it;
// false, with nothing moved, when it is none that WebVTT knows.
bool AppendReference(std::string_view text, std::size_t& at, std::string& out) {
  const std::size_t semicolon = text.find(';', at);
  if (semicolon == std::string_view::npos || semicolon - at > 10) return false;
  const std::string_view name = text.substr(at + 1, semicolon - at - 1);
  if (name.size() > 1 && name[0] == '#') {
    const bool hex = name[1] == 'x' || name[1] == 'X';
    std::size_t i = hex ? 2 : 1;
    char32_t c = 0;
    if (i == name.size()) return false;
    for (; i < name.size(); ++i) {
      const char d = name[i];
      const int v = IsDigit(d)                    ? d - '0'
                    : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                    : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                  : -1;
      if (v < 0) return false;
      c = c * (hex ? 16 : 10) + static_cast<char32_t>(v);
      if (c > 0x10FFFF) return false;
    }
    if (c == 0 || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    char bytes[4];
    out.append(bytes, EncodeUtf8(c, bytes));
  } else {
    const Entity* entity = nullptr;
    for (const Entity& e : kEntities) {
      if (e.name == name) entity = &e;
    }
    if (entity == nullptr) return false;
    out += entity->text;
  }
  at = semicolon;
  return true;
}

class WebVttCues {
 public:
  WebVttCues() { source_.formatName = "WebVTT"; }
  // Takes the file's lines after its header line.
  void Line(std::string_view line) {
    ++number_;
    if (line.empty()) {
      EndCue();
      blockLines_ = 0;
      skipBlock_ = false;
      return;
    }
    const bool arrow = line.find("-->") != std::string_view::npos;
    if (inCue_ && !arrow) {
      if (!text_.empty()) text_ += '|';
      text_ += line;
      return;
    }
    if (inCue_) {
      EndCue();  // a line with "-->" ends the text and starts a block of its own
      blockLines_ = 0;
    }
    ++blockLines_;
    // A timing line is a block's first line, or its second after the cue's identifier.
    if (arrow && blockLines_ <= 2 && !skipBlock_) {
      StartCue(line);
    } else if (!arrow && blockLines_ == 1) {
      skipBlock_ = false;  // an identifier, or the first line of a NOTE, STYLE or REGION block
    } else {
      skipBlock_ = true;
    }
  }
  TimedSource Take() {
    EndCue();
    return std::move(source_);
  }

 private:
  void StartCue(std::string_view line) {
    const auto timing = ReadTiming(line);
    if (!timing) {
      ++source_.leftOut.unreadableCues;
      skipBlock_ = true;
      return;
    }
    inCue_ = true;
    cue_ = {{(*timing)[0], 1000}, {(*timing)[1], 1000}, {}, number_};
  }
  void EndCue() {
    if (!inCue_) return;
    inCue_ = false;
    cue_.text = WebVttCueText(text_);
    text_.clear();
    source_.events.push_back(std::move(cue_));
  }

  TimedSource source_;
  TimedEvent cue_;
  std::string text_;
  bool inCue_ = false;
  bool skipBlock_ = false;
  std::size_t blockLines_ = 0;
  std::size_t number_ = 0;
};

}  // namespace

bool LooksLikeWebVtt(std::string_view head) {
  if (!head.starts_with("WEBVTT")) return false;
  return head.size() == 6 || head[6] == ' ' || head[6] == '\t' || head[6] == '\n' ||
         head[6] == '\r';
}

TimedSource ReadWebVtt(std::string_view text) {
  WebVttCues cues;
  bool header = true;
  ForEachTextLine(text, [&](std::string_view line) {
    if (header) {
      header = false;  // the header's line, "WEBVTT" and whatever follows it
      cues.Line({});
      return;
    }
    cues.Line(line);
  });
  return cues.Take();
}

namespace {

std::string ReadText(std::string_view text, bool removeTags) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '<' && removeTags) {
      const std::size_t close = text.find('>', at);
      if (close == std::string_view::npos) break;  // an unclosed tag runs to the cue's end
      at = close;
    } else if (c != '&' || !AppendReference(text, at, out)) {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string WebVttCueText(std::string_view text) {
  return ReadText(text, true);
}

std::string WithCharacterReferences(std::string_view text) {
  return ReadText(text, false);
}

}  // namespace marvek
