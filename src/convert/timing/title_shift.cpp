#include "convert/timing/title_shift.h"

#include "convert/encoding/line_excerpt.h"

namespace marvek {
namespace {

constexpr int kLargestSecondDecimals = 3;

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<TitleShift> ParseTitleShift(std::string_view text, std::string& why) {
  const std::string_view shown = Trimmed(text);
  std::string_view rest = shown;
  const auto notShift = [&]() -> std::optional<TitleShift> {
    why = QuotedField(shown) +
          " is no shift; give whole frames, such as -48 or +120, or seconds, such as -2.5s";
    return std::nullopt;
  };
  const auto tooLarge = [&]() -> std::optional<TitleShift> {
    why = QuotedField(shown) + " is too large a shift; at most 2147483647 frames or 999 hours";
    return std::nullopt;
  };
  TitleShift shift;
  bool negative = false;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  shift.inSeconds = !rest.empty() && rest.back() == 's';
  if (shift.inSeconds) rest.remove_suffix(1);
  // The whole part, then for seconds a fraction, each digit checked against the limit at once so
  // that a long run of digits cannot overflow.
  const std::int64_t scale = shift.inSeconds ? 1000 : 1;
  const std::int64_t largest = shift.inSeconds ? kLargestShiftMilliseconds : kLargestShiftFrames;
  std::int64_t whole = 0;
  std::size_t i = 0;
  for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i) {
    whole = whole * 10 + (rest[i] - '0');
    if (whole * scale > largest) return tooLarge();
  }
  if (i == 0) return notShift();
  std::int64_t amount = whole * scale;
  if (i < rest.size()) {
    if (!shift.inSeconds || rest[i] != '.') return notShift();
    std::int64_t place = 100;  // the first decimal counts hundreds of milliseconds
    std::size_t decimals = 0;
    for (++i; i < rest.size(); ++i, ++decimals, place /= 10) {
      if (rest[i] < '0' || rest[i] > '9' || decimals == kLargestSecondDecimals) return notShift();
      amount += (rest[i] - '0') * place;
    }
    if (decimals == 0) return notShift();
    if (amount > largest) return tooLarge();
  }
  if (negative) amount = -amount;
  (shift.inSeconds ? shift.milliseconds : shift.frames) = amount;
  return shift;
}

std::optional<std::int64_t> ShiftInFrames(const TitleShift& shift,
                                          const std::optional<FrameRate>& displayRate) {
  if (!shift.inSeconds) return shift.frames;
  if (!displayRate || displayRate->numerator <= 0 || displayRate->denominator <= 0) {
    return std::nullopt;
  }
  const std::int64_t magnitude = shift.milliseconds < 0 ? -shift.milliseconds : shift.milliseconds;
  const std::int64_t frames = FrameAt(magnitude, *displayRate);
  return shift.milliseconds < 0 ? -frames : frames;
}

}  // namespace marvek
