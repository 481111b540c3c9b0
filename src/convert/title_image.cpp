#include "convert/title_image.h"

#include <algorithm>
#include <cstring>

#include "convert/char_mode.h"
#include "convert/file_bytes.h"
#include "convert/title_line.h"

namespace marvek {
namespace {

// The first CR or LF at or after `p`, or `end`. A lone CR or LF ends a line as CR LF does.
const char* FindLineEnd(const char* p, const char* end) {
  const auto* lf =
      static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
  const char* limit = lf != nullptr ? lf : end;
  const auto* cr =
      static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(limit - p)));
  return cr != nullptr ? cr : limit;
}

enum class FieldError { None, NotNumber, TooLarge };

struct FrameField {
  std::int64_t value = 0;
  FieldError error = FieldError::None;
};

// Decimal digits with optional spaces or tabs around them.
FrameField ReadFrameNumber(std::string_view field) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!field.empty() && blank(field.front())) field.remove_prefix(1);
  while (!field.empty() && blank(field.back())) field.remove_suffix(1);
  if (field.empty()) return {0, FieldError::NotNumber};
  FrameField result;
  for (const char c : field) {
    if (c < '0' || c > '9') return {0, FieldError::NotNumber};
    if (result.error == FieldError::None) {
      result.value = result.value * 10 + (c - '0');
      if (result.value > kLargestFrameNumber) result.error = FieldError::TooLarge;
    }
  }
  return result;
}

// A field as it stood, quoted and cut short so that a runaway field cannot flood the status list.
std::string Quoted(std::string_view field) {
  constexpr std::size_t kShown = 24;
  std::string text = "\"";
  text.append(field.substr(0, kShown));
  if (field.size() > kShown) text.append("...");
  text.append("\"");
  return text;
}

ConversionResult Reject(ConversionResult& result, std::size_t lineNumber, LineFault fault,
                        const std::string& why) {
  result.outcome = ConversionOutcome::Incorrect;
  ByteString().swap(result.image);  // the partial image is dropped, memory and all
  result.lineNumber = lineNumber;
  result.fault = fault;
  result.reason = "Line " + std::to_string(lineNumber) + ": " + why;
  return std::move(result);
}

// Checks one frame field; on failure fills `fault` and `why`.
bool CheckField(const FrameField& field, std::string_view text, const char* name, LineFault& fault,
                std::string& why) {
  if (field.error == FieldError::NotNumber) {
    fault = LineFault::FrameNotNumber;
    why = std::string(name) + " frame " + Quoted(text) + " is not a number";
    return false;
  }
  if (field.error == FieldError::TooLarge) {
    fault = LineFault::FrameTooLarge;
    why = std::string(name) + " frame " + Quoted(text) + " is larger than " +
          std::to_string(kLargestFrameNumber);
    return false;
  }
  return true;
}

}  // namespace

DisplayClock::Placement DisplayClock::Place(std::int64_t start, std::int64_t end) {
  const std::int64_t shownFrom = std::max(start, previousEnd_);
  const Placement placement{shownFrom - previousEnd_, std::max<std::int64_t>(0, end - shownFrom)};
  previousEnd_ = shownFrom + placement.duration;
  return placement;
}

std::array<char, 2> EncodeFrameCount(std::uint16_t value) {
  return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

void PadTitleImage(ByteString& image) {
  image.append(kImageBlockSize - image.size() % kImageBlockSize, kFillByte);
}

ConversionResult ConvertTitleBytes(std::string_view bytes, CharMode mode, OperatorPanel& panel) {
  ConversionResult result;
  const std::size_t length = bytes.size();
  std::size_t pos = 0;
  if (HasUtf8ByteOrderMark(bytes)) {
    result.encoding = TextEncoding::Utf8;
    pos = 3;  // the mark is dropped; its bytes count with the first line's progress
  } else if (LooksLikeUtf8(bytes)) {
    result.encoding = TextEncoding::Utf8;
  }
  const bool utf8 = result.encoding == TextEncoding::Utf8;

  ByteString& image = result.image;
  // Records are shorter than their lines unless many đ/Đ expand, so this is usually the only
  // allocation.
  image.reserve(length + kImageBlockSize);
  ByteString transcoded;
  DisplayClock clock;
  std::size_t consumed = pos;
  std::size_t lineNumber = 0;
  const char* const data = bytes.data();
  const char* const dataEnd = data + length;

  while (pos < length) {
    ++lineNumber;
    const char* const lineStart = data + pos;
    const char* const lineEnd = FindLineEnd(lineStart, dataEnd);
    std::size_t lineEndLength = 0;
    if (lineEnd != dataEnd) {
      lineEndLength = (lineEnd[0] == '\r' && lineEnd + 1 != dataEnd && lineEnd[1] == '\n') ? 2 : 1;
    }
    const std::string_view line(lineStart, static_cast<std::size_t>(lineEnd - lineStart));
    pos = static_cast<std::size_t>(lineEnd - data) + lineEndLength;
    consumed += line.size() + lineEndLength;
    if (pos == length) consumed -= lineEndLength;  // the last line counts without its line end

    const auto fields = ScanTitleLine(line);
    if (!fields) {
      return Reject(result, lineNumber, LineFault::MissingBrace,
                    "not in the {start}{end}text layout");
    }
    LineFault fault = LineFault::None;
    std::string why;
    const FrameField start = ReadFrameNumber(fields->start);
    const FrameField end = ReadFrameNumber(fields->end);
    if (!CheckField(start, fields->start, "start", fault, why) ||
        !CheckField(end, fields->end, "end", fault, why)) {
      return Reject(result, lineNumber, fault, why);
    }
    const DisplayClock::Placement placement = clock.Place(start.value, end.value);
    if (placement.gap > kLargestFrameCount) {
      return Reject(result, lineNumber, LineFault::GapTooLong,
                    "title starts " + std::to_string(placement.gap) +
                        " frames after the previous one ends; the display counts at most " +
                        std::to_string(kLargestFrameCount));
    }
    if (placement.duration > kLargestFrameCount) {
      return Reject(result, lineNumber, LineFault::DurationTooLong,
                    "title lasts " + std::to_string(placement.duration) +
                        " frames; the display counts at most " +
                        std::to_string(kLargestFrameCount));
    }
    std::string_view text = fields->text;
    if (text.find(kRecordTerminator) != std::string_view::npos) {
      return Reject(result, lineNumber, LineFault::TerminatorInText,
                    "title text holds \"{\", which the display reads as the end of a title");
    }

    const auto gap = EncodeFrameCount(static_cast<std::uint16_t>(placement.gap));
    const auto duration = EncodeFrameCount(static_cast<std::uint16_t>(placement.duration));
    const char header[4] = {gap[0], gap[1], duration[0], duration[1]};
    image.append(header, sizeof header);
    if (utf8) {
      transcoded.clear();
      AppendUtf8AsWindows1250(text, transcoded);
      text = transcoded;
    }
    AppendCharMode(text, mode, image);
    image.push_back(kRecordTerminator);

    const double percent = static_cast<double>(consumed) / static_cast<double>(length) * 100.0;
    panel.SetProgress(static_cast<float>(std::min(percent, 100.0)));
  }
  return result;
}

ConversionResult ConvertTitleFile(const std::string& path, CharMode mode, OperatorPanel& panel) {
  const FileBytes file = ReadWholeFile(path);  // opened, read and closed here
  if (!file.ok) {
    ConversionResult result;
    result.outcome = ConversionOutcome::Unreadable;
    result.reason = file.reason;
    return result;
  }
  return ConvertTitleBytes(file.view(), mode, panel);
}

}  // namespace marvek
