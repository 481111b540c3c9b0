#include "command/convert_upload.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "command/status_messages.h"
#include "convert/title_image.h"
#include "upload/block_upload.h"
#include "upload/serial_link.h"

namespace marvek {
namespace {

using Clock = std::chrono::steady_clock;

constexpr float kPauseBeforeConversion = 0.5f;  // seconds
// Each turn of the pause sleeps this long after the events, so the pause does not spin.
constexpr std::chrono::milliseconds kPauseTurn{5};

// The status line that names the encoding a title file was read in; null for Windows-1250.
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
    case TextEncoding::Windows1250:
      break;
  }
  return nullptr;
}

// Reads the file into an image. Returns false, having said why, when there is nothing to send.
bool Convert(const std::string& fileName, CharMode mode, const ConversionOptions& options,
             OperatorPanel& panel, ByteString& image) {
  ConversionResult converted = ConvertTitleFile(fileName, mode, panel, options);
  switch (converted.outcome) {
    case ConversionOutcome::Converted:
      break;
    case ConversionOutcome::Unreadable:
      panel.AddStatus(fileName + status::kCannotBeRead + converted.reason);
      panel.AddStatus(status::kConvertingAborted);
      return false;
    case ConversionOutcome::Incorrect:
      panel.AddStatus(fileName + status::kIncorrect);
      // A line out of the brace layout needs no more words; a bad number or range does.
      if (converted.fault != LineFault::MissingBrace) panel.AddStatus(converted.reason);
      panel.AddStatus(status::kConvertingAborted);
      return false;
  }
  panel.Beep();
  panel.AddStatus(status::kConverted);
  // A Windows-1250 file is read as it stands and says nothing more.
  if (const char* readAs = ReadAsStatus(converted.encoding)) panel.AddStatus(readAs);
  if (converted.cyrillicInLatin) panel.AddStatus(status::kCyrillicInLatin);
  panel.SetProgress(0);
  image = std::move(converted.image);
  return true;
}

CommandOutcome Upload(ByteString& image, const std::string& portText, const std::string& speedText,
                      OperatorPanel& panel, const SerialPortLister& listPorts) {
  PadTitleImage(image);
  SerialLink link;
  if (const LinkStatus opened = link.Open(FromOperatorChoice(portText, speedText)); !opened) {
    panel.AddStatus(opened.message);
    if (opened.portUnavailable) {
      panel.AddStatus(SerialPortsFoundLine(listPorts ? listPorts() : ListSerialPorts()));
    }
    panel.AddStatus(status::kUploadAborted);
    panel.Beep();
    return CommandOutcome::PortUnusable;
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
      panel.AddStatus(status::kNoReply);
      panel.AddStatus(status::kUploadAborted);
      panel.Beep();
      return CommandOutcome::NoReply;
    case UploadOutcome::LinkFailed:
      panel.AddStatus(status::kSerialPortError + uploaded.reason);
      panel.AddStatus(status::kUploadAborted);
      panel.Beep();
      return CommandOutcome::LinkFailed;
  }
  return CommandOutcome::LinkFailed;
}

}  // namespace

void PauseProg(float PauseTime, OperatorPanel& panel) {
  const auto limit = std::chrono::duration<float>(PauseTime);
  const Clock::time_point start = Clock::now();
  for (;;) {
    const auto elapsed = Clock::now() - start;
    if (elapsed >= limit) return;
    panel.ProcessEvents();
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(limit - elapsed);
    std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(kPauseTurn, left));
  }
}

void ConvertUpload(const std::string& fileName, CharMode mode, const std::string& portText,
                   const std::string& speedText, OperatorPanel& panel) {
  RunConvertUpload(fileName, mode, portText, speedText, panel);
}

void ConvertUpload(const std::string& fileName, CharMode mode, const std::string& portText,
                   const std::string& speedText, OperatorPanel& panel,
                   const SerialPortLister& listPorts) {
  CommandOptions options;
  options.listPorts = listPorts;
  RunConvertUpload(fileName, mode, portText, speedText, panel, options);
}

CommandOutcome ConvertForCommand(const std::string& fileName, CharMode mode, OperatorPanel& panel,
                                 const ConversionOptions& options, ByteString& image) {
  if (fileName.empty()) {
    panel.AddStatus(status::kFileNotSelected);
    return CommandOutcome::NoFileSelected;
  }
  panel.AddStatus(status::kConverting + fileName);
  return Convert(fileName, mode, options, panel, image) ? CommandOutcome::Converted
                                                        : CommandOutcome::TitleFileUnusable;
}

CommandOutcome RunConvertUpload(const std::string& fileNameIn, CharMode mode,
                                const std::string& portTextIn, const std::string& speedTextIn,
                                OperatorPanel& panel, const CommandOptions& options) {
  // The window handles events while the command runs; whatever they change, the command goes
  // on with the choices it was started with.
  const std::string fileName = fileNameIn;
  const std::string portText = portTextIn;
  const std::string speedText = speedTextIn;
  panel.SetInputsEnabled(false);
  CommandOutcome outcome = CommandOutcome::NoFileSelected;
  if (fileName.empty()) {
    panel.AddStatus(status::kFileNotSelected);
  } else {
    panel.AddStatus(status::kConverting + fileName);
    PauseProg(kPauseBeforeConversion, panel);
    ByteString image;
    outcome = CommandOutcome::TitleFileUnusable;
    if (Convert(fileName, mode, options.conversion, panel, image)) {
      // The fill makes 1 to 16 bytes more.
      if (options.uploadStarting) options.uploadStarting(image.size() / kBlockSize + 1);
      outcome = Upload(image, portText, speedText, panel, options.listPorts);
    }
  }
  panel.SetProgress(0);
  panel.SetInputsEnabled(true);
  return outcome;
}

}  // namespace marvek
