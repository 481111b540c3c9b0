#include "convert/sources/dcp_times.h"

#include <algorithm>
#include <charconv>
#include <numeric>
#include <vector>

namespace marvek {
namespace {

__extension__ typedef __int128 Wide;

// Times of a DCP are far inside 64 bits; absurd ones are held here rather than wrap.
constexpr Wide kFarthestCount = static_cast<Wide>(1) << 62;

// Units of a time no finer than a nanosecond, so that adding two times cannot overflow.
constexpr Wide kFinestUnits = 1'000'000'000;

// `time` to the nearest nanosecond, halves up.
SourceTime InNanoseconds(const SourceTime& time) {
  const Wide twice = static_cast<Wide>(time.count) * 2 * kFinestUnits + time.perSecond;
  Wide nanoseconds = twice / (2 * static_cast<Wide>(time.perSecond));
  if (twice % (2 * static_cast<Wide>(time.perSecond)) != 0 && twice < 0) --nanoseconds;
  return {static_cast<std::int64_t>(std::clamp(nanoseconds, -kFarthestCount, kFarthestCount)),
          static_cast<std::int64_t>(kFinestUnits)};
}

// Digits only, 1 to `most` of them.
std::optional<std::int64_t> Digits(std::string_view text, std::size_t most) {
  if (text.empty() || text.size() > most) return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The fields of "HH:MM:SS:xx", split at ":".
std::vector<std::string_view> Fields(std::string_view text) {
  std::vector<std::string_view> fields;
  for (std::size_t from = 0;;) {
    const std::size_t colon = text.find(':', from);
    fields.push_back(text.substr(from, colon - from));
    if (colon == std::string_view::npos) return fields;
    from = colon + 1;
  }
}

// Seconds from "HH", "MM" and "SS": hours of up to three digits, minutes and seconds below 60.
std::optional<std::int64_t> WholeSeconds(std::string_view h, std::string_view m,
                                         std::string_view s) {
  const auto hours = Digits(h, 3);
  const auto minutes = Digits(m, 2);
  const auto seconds = Digits(s, 2);
  if (!hours || !minutes || !seconds || *minutes >= 60 || *seconds >= 60) return std::nullopt;
  return (*hours * 60 + *minutes) * 60 + *seconds;
}

}  // namespace

std::optional<SourceTime> ParseInteropTime(std::string_view text) {
  text = Trimmed(text);
  const std::vector<std::string_view> fields = Fields(text);
  if (fields.size() == 4) {
    const auto seconds = WholeSeconds(fields[0], fields[1], fields[2]);
    const auto ticks = Digits(fields[3], 3);
    if (!seconds || !ticks || *ticks >= 250) return std::nullopt;
    return SourceTime{*seconds * 250 + *ticks, 250};
  }
  if (fields.size() != 3) return std::nullopt;
  const std::size_t point = fields[2].find('.');
  if (point == std::string_view::npos) return std::nullopt;
  const std::string_view fraction = fields[2].substr(point + 1);
  const auto seconds = WholeSeconds(fields[0], fields[1], fields[2].substr(0, point));
  const auto part = Digits(fraction, 6);
  if (!seconds || !part) return std::nullopt;
  std::int64_t perSecond = 1;
  for (std::size_t i = 0; i < fraction.size(); ++i) perSecond *= 10;
  return SourceTime{*seconds * perSecond + *part, perSecond};
}

std::optional<SourceTime> ParseSmpteTime(std::string_view text, std::int64_t timeCodeRate) {
  const std::vector<std::string_view> fields = Fields(Trimmed(text));
  if (fields.size() != 4 || timeCodeRate <= 0) return std::nullopt;
  const auto seconds = WholeSeconds(fields[0], fields[1], fields[2]);
  const auto units = Digits(fields[3], 3);
  if (!seconds || !units || *units >= timeCodeRate) return std::nullopt;
  return SourceTime{*seconds * timeCodeRate + *units, timeCodeRate};
}

std::optional<FrameRate> ParseEditRate(std::string_view text) {
  text = Trimmed(text);
  const std::size_t space = text.find_first_of(" \t");
  if (space == std::string_view::npos) return std::nullopt;
  const auto numerator = Digits(text.substr(0, space), 9);
  const auto denominator = Digits(Trimmed(text.substr(space)), 9);
  if (!numerator || !denominator) return std::nullopt;
  const FrameRate rate{*numerator, *denominator};
  return IsUsableFrameRate(rate) ? std::optional(rate) : std::nullopt;
}

std::optional<std::int64_t> ParseCount(std::string_view text) {
  return Digits(Trimmed(text), 10);
}

SourceTime AddTimes(const SourceTime& a, const SourceTime& b) {
  const Wide common =
      static_cast<Wide>(a.perSecond / std::gcd(a.perSecond, b.perSecond)) * b.perSecond;
  if (common > kFinestUnits) {
    // Reels of many unrelated edit rates: nanoseconds, to the nearest, are exact enough.
    return AddTimes(InNanoseconds(a), InNanoseconds(b));
  }
  const Wide sum = static_cast<Wide>(a.count) * (common / a.perSecond) +
                   static_cast<Wide>(b.count) * (common / b.perSecond);
  return {static_cast<std::int64_t>(std::clamp(sum, -kFarthestCount, kFarthestCount)),
          static_cast<std::int64_t>(common)};
}

SourceTime SubtractTimes(const SourceTime& a, const SourceTime& b) {
  return AddTimes(a, {-b.count, b.perSecond});
}

SourceTime EditUnits(std::int64_t units, const FrameRate& rate) {
  // units ÷ (numerator ÷ denominator) seconds.
  return {units * rate.denominator, rate.numerator};
}

}  // namespace marvek
