#include "command/convert_upload.h"

#include <chrono>

#include "upload/block_upload.h"
#include "upload/open_link.h"

namespace marvek {
namespace {

using Clock = std::chrono::steady_clock;

constexpr float kPauseBeforeConverting = 0.5f;  // seconds

// Says why the conversion gave nothing to send, and what the command comes to.
CommandOutcome ReportFailedConversion(const CommandRequest& request, const ConversionResult& failed,
                                      OperatorPanel& panel) {
  for (const std::string& line : FailedConversionLines(request.titleFile, failed, request.hints)) {
    panel.AddStatus(line);
  }
  panel.AddStatus(status::kConvertingAborted);
  return failed.outcome == ConversionOutcome::Cancelled ? CommandOutcome::Cancelled
                                                        : CommandOutcome::TitleFileUnusable;
}

// The opening that both calls share: the converting line, the pause when asked for, and the
// conversion with its status lines. The image is filled when the outcome is Converted.
ConvertedTitleFile ConvertTheFile(const CommandRequest& request, OperatorPanel& panel) {
  ConvertedTitleFile file;
  if (request.titleFile.empty()) {
    panel.AddStatus(status::kFileNotSelected);
    return file;
  }
  panel.AddStatus(status::kConverting + request.titleFile);
  if (request.pauseBeforeConverting) PauseProg(kPauseBeforeConverting, panel);
  if (panel.StopRequested()) {
    panel.AddStatus(status::kConvertingAborted);
    file.outcome = CommandOutcome::Cancelled;
    return file;
  }
  ConversionResult& converted = file.conversion;
  converted = request.titleBytes
                  ? ConvertTitleBytes(*request.titleBytes, request.mode, panel, request.conversion)
                  : ConvertTitleFile(request.titleFile, request.mode, panel, request.conversion);
  if (converted.outcome != ConversionOutcome::Converted) {
    file.outcome = ReportFailedConversion(request, converted, panel);
    return file;
  }
  panel.Beep();
  panel.AddStatus(status::kConverted);
  for (const std::string& line : ConvertedLines(converted, request.conversion)) {
    panel.AddStatus(line);
  }
  panel.SetProgress(0);
  PadTitleImage(converted.image);
  file.outcome = CommandOutcome::Converted;
  return file;
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
  OpenedLink opened = OpenDisplayLink(settings, panel);
  if (!opened.link) {
    if (opened.status.cancelled) return ReportAbortedUpload(CommandOutcome::Cancelled, {}, panel);
    panel.AddStatus(settings.usable() ? opened.status.message
                                      : UnusableLinkReason(settings, request.hints));
    const SerialPortLister& listPorts = request.listPorts;
    const std::string found =
        opened.status.portUnavailable
            ? SerialPortsFoundLine(listPorts ? listPorts() : ListSerialPorts())
            : std::string();
    return ReportAbortedUpload(CommandOutcome::PortUnusable, found, panel);
  }
  DisplayLink& link = *opened.link;
  if (const std::string note = link.OpenedNote(); !note.empty()) panel.AddStatus(note);
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
    const ConvertedTitleFile file = ConvertTheFile(request, panel);
    return file.outcome == CommandOutcome::Converted
               ? SendImage(file.conversion.image, request, panel)
               : file.outcome;
  });
}

ConvertedTitleFile ConvertOnly(const CommandRequest& requested, OperatorPanel& panel) {
  const CommandRequest request = requested;
  ConvertedTitleFile file;
  WithInputsDisabled(panel, [&] {
    file = ConvertTheFile(request, panel);
    return file.outcome;
  });
  return file;
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
