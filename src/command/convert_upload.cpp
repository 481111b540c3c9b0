#include "command/convert_upload.h"

#include <chrono>

#include "command/status_messages.h"
#include "convert/timing/frame_rate.h"
#include "convert/timing/timing_report.h"
#include "upload/block_upload.h"

namespace marvek {
namespace {

using Clock = std::chrono::steady_clock;

constexpr float kPauseBeforeConverting = 0.5f;  // seconds

// `reason`, and the face's `hint` after `joint` when the face gave one.
std::string WithHint(const std::string& reason, const char* joint, const std::string& hint) {
  return hint.empty() ? reason : reason + joint + hint;
}

// Says why the conversion gave nothing to send, and what the command comes to.
CommandOutcome ReportFailedConversion(const CommandRequest& request,
                                      const ConversionResult& converted, OperatorPanel& panel) {
  const std::string& fileName = request.titleFile;
  switch (converted.outcome) {
    case ConversionOutcome::Converted:
      return CommandOutcome::Converted;
    case ConversionOutcome::Cancelled:
      panel.AddStatus(status::kConvertingAborted);
      return CommandOutcome::Cancelled;
    case ConversionOutcome::Unreadable:
      panel.AddStatus(fileName + status::kCannotBeRead + converted.reason);
      break;
    case ConversionOutcome::Incorrect:
      panel.AddStatus(fileName + status::kIncorrect);
      for (const std::string& line : RefusalLines(converted, request.hints)) panel.AddStatus(line);
      break;
  }
  panel.AddStatus(status::kConvertingAborted);
  return CommandOutcome::TitleFileUnusable;
}

// The opening that both calls share: the converting line, the pause when asked for, and the
// conversion with its status lines. `image` gets the filled image when the outcome is Converted.
CommandOutcome ConvertTheFile(const CommandRequest& request, OperatorPanel& panel,
                              ByteString& image) {
  if (request.titleFile.empty()) {
    panel.AddStatus(status::kFileNotSelected);
    return CommandOutcome::NoFileSelected;
  }
  panel.AddStatus(status::kConverting + request.titleFile);
  if (request.pauseBeforeConverting) PauseProg(kPauseBeforeConverting, panel);
  if (panel.StopRequested()) {
    panel.AddStatus(status::kConvertingAborted);
    return CommandOutcome::Cancelled;
  }
  ConversionResult converted =
      ConvertTitleFile(request.titleFile, request.mode, panel, request.conversion);
  if (request.converted) request.converted(converted);
  if (converted.outcome != ConversionOutcome::Converted) {
    return ReportFailedConversion(request, converted, panel);
  }
  panel.Beep();
  panel.AddStatus(status::kConverted);
  for (const std::string& line : ConvertedLines(converted, request.conversion)) {
    panel.AddStatus(line);
  }
  panel.SetProgress(0);
  image = std::move(converted.image);
  PadTitleImage(image);
  return CommandOutcome::Converted;
}

// The end of a failed upload: why, "Upload aborted !", and a beep unless the operator stopped it.
CommandOutcome ReportAbortedUpload(CommandOutcome outcome, const std::string& why,
                                   OperatorPanel& panel) {
  if (!why.empty()) panel.AddStatus(why);
  panel.AddStatus(status::kUploadAborted);
  if (outcome != CommandOutcome::Cancelled) panel.Beep();
  return outcome;
}

// Opens the port, sends the filled image and closes the port again, saying how it went.
CommandOutcome SendImage(const ByteString& image, const CommandRequest& request,
                         OperatorPanel& panel) {
  if (request.uploadStarting) request.uploadStarting(image.size() / kBlockSize);
  const LinkSettings settings = FromOperatorChoice(request.port, request.speed);
  SerialLink link;
  if (const LinkStatus opened = link.Open(settings); !opened) {
    panel.AddStatus(settings.usable() ? opened.message
                                      : UnusableLinkReason(settings, request.hints));
    const SerialPortLister& listPorts = request.listPorts;
    const std::string found =
        opened.portUnavailable ? SerialPortsFoundLine(listPorts ? listPorts() : ListSerialPorts())
                               : std::string();
    return ReportAbortedUpload(CommandOutcome::PortUnusable, found, panel);
  }
  panel.AddStatus(status::kUploading);
  const UploadResult uploaded = UploadTitleImage(image, link, panel);
  link.Close();
  switch (uploaded.outcome) {
    case UploadOutcome::Uploaded:
      panel.Beep();
      panel.AddStatus(status::kUploaded);
      panel.AddStatus(status::kFinished);
      return CommandOutcome::Uploaded;
    case UploadOutcome::NoReply:
      return ReportAbortedUpload(CommandOutcome::NoReply, status::kNoReply, panel);
    case UploadOutcome::Cancelled:
      return ReportAbortedUpload(CommandOutcome::Cancelled, {}, panel);
    case UploadOutcome::LinkFailed:
      break;
  }
  return ReportAbortedUpload(CommandOutcome::LinkFailed, status::kSerialPortError + uploaded.reason,
                             panel);
}

// Runs `step` with the inputs disabled, and leaves the bar at 0 and the inputs enabled after it,
// whatever it came to.
template <typename Step>
CommandOutcome WithInputsDisabled(OperatorPanel& panel, Step step) {
  panel.SetInputsEnabled(false);
  const CommandOutcome outcome = step();
  panel.SetProgress(0);
  panel.SetInputsEnabled(true);
  return outcome;
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
  // A refusal of the whole source (no title in it, no frame rate for it) names no line.
  std::string reason = refused.lineNumber == 0
                           ? refused.reason
                           : "Line " + std::to_string(refused.lineNumber) + ": " + refused.reason;
  if (refused.fault == LineFault::SubRipWithoutRate ||
      refused.fault == LineFault::Mpl2WithoutRate || refused.fault == LineFault::TimesWithoutRate) {
    reason = WithHint(reason, "; ", hints.needsFrameRate);
  }
  lines.push_back(std::move(reason));
  if (refused.repairable && !hints.repairMends.empty()) lines.push_back(hints.repairMends);
  return lines;
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

void PauseProg(float PauseTime, OperatorPanel& panel) {
  const auto limit = std::chrono::duration<float>(PauseTime);
  const Clock::time_point start = Clock::now();
  for (;;) {
    const auto elapsed = Clock::now() - start;
    // Written so that a pause of no number (NaN) ends at once rather than never.
    if (!(elapsed < limit) || panel.StopRequested()) return;
    panel.WaitHandlingEvents(-1, std::chrono::ceil<std::chrono::milliseconds>(limit - elapsed));
  }
}

CommandOutcome RunCommand(const CommandRequest& requested, OperatorPanel& panel) {
  // The face handles events while the command runs; whatever they change, the command goes on
  // with the request it was started with.
  const CommandRequest request = requested;
  return WithInputsDisabled(panel, [&] {
    ByteString image;
    const CommandOutcome converted = ConvertTheFile(request, panel, image);
    return converted == CommandOutcome::Converted ? SendImage(image, request, panel) : converted;
  });
}

CommandOutcome ConvertOnly(const CommandRequest& requested, OperatorPanel& panel,
                           ByteString& image) {
  const CommandRequest request = requested;
  return WithInputsDisabled(panel, [&] { return ConvertTheFile(request, panel, image); });
}

void ConvertUpload(const std::string& fileName, CharMode mode, const std::string& portText,
                   const std::string& speedText, OperatorPanel& panel) {
  RunCommand({.titleFile = fileName,
              .mode = mode,
              .port = portText,
              .speed = speedText,
              .pauseBeforeConverting = true},
             panel);
}

}  // namespace marvek
