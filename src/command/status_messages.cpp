#include "command/status_messages.h"

#include "convert/timing/frame_rate.h"
#include "convert/timing/timing_report.h"

namespace marvek {
namespace {

// `reason`, and the face's `hint` after `joint` when the face gave one.
std::string WithHint(const std::string& reason, const char* joint, const std::string& hint) {
  return hint.empty() ? reason : reason + joint + hint;
}

}  // namespace

const char* ReadAsStatus(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8:
      return status::kReadAsUtf8;
    case TextEncoding::Utf16LittleEndian:
    case TextEncoding::Utf16BigEndian:
      return status::kReadAsUtf16;
    case TextEncoding::Iso8859_2:
      return status::kReadAsIso8859_2;
    case TextEncoding::Windows1251:
      return status::kReadAsWindows1251;
    case TextEncoding::Windows1252:
      return status::kReadAsWindows1252;
    case TextEncoding::Windows1250:
      break;
  }
  return nullptr;
}

std::vector<std::string> RefusalLines(const ConversionResult& refused, const MendingHints& hints) {
  std::vector<std::string> lines;
  std::string reason = "Line " + std::to_string(refused.lineNumber) + ": " + refused.reason;
  if (refused.fault == LineFault::SubRipWithoutRate ||
      refused.fault == LineFault::Mpl2WithoutRate || refused.fault == LineFault::TimesWithoutRate) {
    reason = WithHint(reason, "; ", hints.needsFrameRate);
  }
  lines.push_back(std::move(reason));
  if (refused.repairable && !hints.repairMends.empty()) lines.push_back(hints.repairMends);
  return lines;
}

std::vector<std::string> FailedConversionLines(const std::string& path,
                                               const ConversionResult& failed,
                                               const MendingHints& hints) {
  switch (failed.outcome) {
    case ConversionOutcome::Unreadable:
      return {path + status::kCannotBeRead + failed.reason};
    case ConversionOutcome::Incorrect: {
      std::vector<std::string> lines{path + status::kIncorrect};
      for (std::string& line : RefusalLines(failed, hints)) lines.push_back(std::move(line));
      return lines;
    }
    case ConversionOutcome::Converted:
    case ConversionOutcome::Cancelled:
      break;
  }
  return {};
}

std::vector<std::string> ConvertedLines(const ConversionResult& converted,
                                        const ConversionOptions& options) {
  std::vector<std::string> lines;
  // A Windows-1250 file names no encoding.
  if (const char* readAs = ReadAsStatus(converted.encoding)) lines.emplace_back(readAs);
  if (converted.cyrillicInLatin) lines.emplace_back(status::kCyrillicInLatin);
  if (converted.lettersSimplified) lines.emplace_back(status::kLettersSimplified);
  if (options.repair) {
    if (converted.fileFrameRate) {
      lines.push_back(status::kFrameRateLine + FrameRateText(*converted.fileFrameRate) +
                      status::kFramesASecond);
    }
    lines.push_back(RepairStatusLine(converted.repairs));
  }
  if (converted.reels > 0) {
    lines.push_back(status::kReelsRead + std::to_string(converted.reels) +
                    (converted.reels == 1 ? status::kReelOfTheDcp : status::kReelsOfTheDcp));
  }
  if (!converted.rateFrom.empty() && converted.timing.displayRate) {
    lines.push_back(status::kDisplayRate + FrameRateText(*converted.timing.displayRate) +
                    status::kTakenFrom + converted.rateFrom + ".");
  }
  for (std::string& line : TimingStatusLines(converted.timing)) lines.push_back(std::move(line));
  return lines;
}

std::string UnusableLinkReason(const LinkSettings& settings, const MendingHints& hints) {
  if (settings.usable()) return {};
  return settings.namesNoPort() ? WithHint(settings.problem, ": ", hints.portNamesNoPort)
                                : settings.problem;
}

}  // namespace marvek
