#include "convert/timing/title_shift.h"

#include "convert/encoding/line_excerpt.h"
#include "shared/plain_text.h"

namespace marvek {
namespace {

constexpr int kLargestSecondDecimals = 3;

// What a shift may look like, as the operator is told when the text is none.
const char* ShiftExamples(ShiftUnit unit) {
  switch (unit) {
    case ShiftUnit::Frames:
      return "give whole frames, such as -48 or +120";
    case ShiftUnit::Seconds:
      return "give seconds with at most three decimals, such as -2.5 or +90";
    case ShiftUnit::InText:
      break;
  }
  return "give whole frames, such as -48 or +120, or seconds, such as -2.5s";
}

enum class AmountRead { Read, NotShift, TooLarge };

// The amount `digits` write, in frames or for seconds in milliseconds: the whole part, then for
// seconds a fraction, each digit checked against the limit at once so that a long run of digits
// cannot overflow.
AmountRead ReadAmount(std::string_view digits, bool inSeconds, std::int64_t& amount) {
  const std::int64_t scale = inSeconds ? 1000 : 1;
  const std::int64_t largest = inSeconds ? kLargestShiftMilliseconds : kLargestShiftFrames;
  std::int64_t whole = 0;
  std::size_t i = 0;
  for (; i < digits.size() && IsDigit(digits[i]); ++i) {
    whole = whole * 10 + (digits[i] - '0');
    if (whole * scale > largest) return AmountRead::TooLarge;
  }
  if (i == 0) return AmountRead::NotShift;
  amount = whole * scale;
  if (i == digits.size()) return AmountRead::Read;
  if (!inSeconds || digits[i] != '.') return AmountRead::NotShift;
  std::int64_t place = 100;  // the first decimal counts hundreds of milliseconds
  std::size_t decimals = 0;
  for (++i; i < digits.size(); ++i, ++decimals, place /= 10) {
    if (!IsDigit(digits[i]) || decimals == kLargestSecondDecimals) return AmountRead::NotShift;
    amount += (digits[i] - '0') * place;
  }
  if (decimals == 0) return AmountRead::NotShift;
  return amount > largest ? AmountRead::TooLarge : AmountRead::Read;
}

}  // namespace

std::optional<TitleShift> ParseTitleShift(std::string_view text, std::string& why, ShiftUnit unit) {
  const std::string_view shown = Trimmed(text);
  std::string_view rest = shown;
  TitleShift shift;
  bool negative = false;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  if (unit == ShiftUnit::InText) {
    shift.inSeconds = !rest.empty() && rest.back() == 's';
    if (shift.inSeconds) rest.remove_suffix(1);
  } else {
    shift.inSeconds = unit == ShiftUnit::Seconds;
  }
  std::int64_t amount = 0;
  switch (ReadAmount(rest, shift.inSeconds, amount)) {
    case AmountRead::Read:
      break;
    case AmountRead::NotShift:
      why = QuotedField(shown) + " is no shift; " + ShiftExamples(unit);
      return std::nullopt;
    case AmountRead::TooLarge:
      why = QuotedField(shown) + " is too large a shift; at most 2147483647 frames or 999 hours";
      return std::nullopt;
  }
  (shift.inSeconds ? shift.milliseconds : shift.frames) = negative ? -amount : amount;
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
