#include "convert/layouts/brace_fields.h"

#include "convert/encoding/line_excerpt.h"
#include "convert/records/record_format.h"

namespace marvek {
namespace {

// Finds `c` in `rest`; on success drops everything up to and including it from `rest` and
// returns what stood before it.
std::optional<std::string_view> CutAt(std::string_view& rest, char c) {
  const std::size_t at = rest.find(c);
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view before = rest.substr(0, at);
  rest.remove_prefix(at + 1);
  return before;
}

}  // namespace

std::optional<TitleLineView> ScanTitleLine(std::string_view line) {
  std::string_view rest = line;
  if (!CutAt(rest, '{')) return std::nullopt;
  const auto start = CutAt(rest, '}');
  if (!start) return std::nullopt;
  if (!CutAt(rest, '{')) return std::nullopt;
  const auto end = CutAt(rest, '}');
  if (!end) return std::nullopt;
  return TitleLineView{*start, *end, rest};
}

FrameField ReadFrameNumber(std::string_view field) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!field.empty() && blank(field.front())) field.remove_prefix(1);
  while (!field.empty() && blank(field.back())) field.remove_suffix(1);
  const bool negative = !field.empty() && field.front() == '-';
  if (negative) field.remove_prefix(1);
  if (field.empty()) return {0, FieldError::NotNumber};
  FrameField result;
  for (const char c : field) {
    if (c < '0' || c > '9') return {0, FieldError::NotNumber};
    if (result.error == FieldError::None) {
      result.value = result.value * 10 + (c - '0');
      if (result.value > kLargestFrameNumber) result.error = FieldError::TooLarge;
    }
  }
  // "-0" is no frame before 0, nor a plain 0: no number.
  if (negative && result.value == 0) return {0, FieldError::NotNumber};
  if (negative) result.value = -result.value;
  return result;
}

LineFault StrictField(const FrameField& field, std::string_view text, const char* name,
                      std::string* why) {
  LineFault fault = LineFault::None;
  std::string words;
  if (field.error == FieldError::NotNumber) {
    fault = LineFault::FrameNotNumber;
    words = " is not a number";
  } else if (field.error == FieldError::TooLarge) {
    fault = LineFault::FrameTooLarge;
    words = " is larger than " + std::to_string(kLargestFrameNumber);
  } else if (field.value < 0) {
    fault = LineFault::FrameBeforeZero;
    words = " is before frame 0";
  }
  if (fault != LineFault::None && why != nullptr) {
    *why = std::string(name) + " frame " + QuotedField(text) + words;
  }
  return fault;
}

}  // namespace marvek
