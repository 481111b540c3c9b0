// Calls each name of the core's public interface the way a program built outside this repository
// does, and checks what it gives.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "command/convert_upload.h"
#include "convert/char_mode.h"
#include "convert/title_image.h"
#include "convert/title_line.h"
#include "shared/operator_panel.h"
#include "shared/types.h"
#include "upload/block_upload.h"
#include "upload/serial_link.h"

namespace m = marvek;

namespace {

// A panel written against the interface's five functions alone.
struct Recorder : m::OperatorPanel {
  void AddStatus(const std::string& text) override { statuses.push_back(text); }
  void SetProgress(float percent) override { lastProgress = percent; }
  void SetInputsEnabled(bool enabled) override { inputsEnabled = enabled; }
  void Beep() override { ++beeps; }
  void ProcessEvents() override { ++events; }

  std::vector<std::string> statuses;
  float lastProgress = -1;
  bool inputsEnabled = true;
  int beeps = 0;
  long events = 0;
};

int failures = 0;

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "consumer: %s\n", what);
  ++failures;
}

}  // namespace

int main() {
  const std::optional<m::TitleLine> line = m::ParseTitleLine("{100}{250}{y:i}Hello");
  Check(line && line->start == "100" && line->end == "250" && line->text == "Hello",
        "ParseTitleLine cuts the fields and drops the formatting code");
  Check(!m::ParseTitleLine("{100}250}Hello"), "ParseTitleLine refuses a missing brace");
  Check(m::ApplyCharMode("\xE8", m::CharMode::PlainLetters) == "c", "ApplyCharMode spells č as c");

  m::ByteString image = "ab";
  m::PadTitleImage(image);
  Check(image == "ab" + std::string(14, '\xFF'), "PadTitleImage fills to a whole block");

  const m::LinkSettings settings = m::FromOperatorChoice("Com2", "19200");
  Check(settings.portNumber == 2 && settings.device == "/dev/ttyS1" &&
            settings.settings == "19200,N,8,1",
        "FromOperatorChoice reads Com2 and the speed");

  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "marvek-consumer-titles.sub";
  std::ofstream(file, std::ios::binary) << "{0}{25}Hi\r\n";
  Recorder panel;
  const m::ConversionResult converted =
      m::ConvertTitleFile(file.string(), m::CharMode::DeviceCodes, panel);
  Check(converted.outcome == m::ConversionOutcome::Converted &&
            converted.image == std::string("\x00\x00\x00\x19Hi{", 7),
        "ConvertTitleFile converts a one-line file");
  // With options as a designated initializer.
  const m::ConversionResult withOptions =
      m::ConvertTitleFile(file.string(), m::CharMode::DeviceCodes, panel, {.repair = true});
  Check(withOptions.image == converted.image, "ConvertTitleFile takes its options");
  const std::filesystem::path bad =
      std::filesystem::temp_directory_path() / "marvek-consumer-bad.sub";
  std::ofstream(bad, std::ios::binary) << "{0}{25}Hi\r\n{3}{x}no\r\n";
  const m::ConversionResult refused =
      m::ConvertTitleFile(bad.string(), m::CharMode::DeviceCodes, panel);
  std::filesystem::remove(bad);
  const std::size_t refusedLine = refused.lineNumber;
  const std::string& why = refused.reason;
  Check(refused.outcome == m::ConversionOutcome::Incorrect && refusedLine == 2 && !why.empty(),
        "ConvertTitleFile names the refused line and why");
  m::ConversionResult missing{m::ConversionOutcome::Incorrect, m::ByteString{}};
  missing = m::ConvertTitleFile("/nonexistent", m::CharMode::PlainLetters, panel);
  Check(missing.outcome == m::ConversionOutcome::Unreadable && !missing.reason.empty(),
        "ConvertTitleFile says why a missing file cannot be read");

  m::SerialLink closed;
  Check(m::UploadImage(image, closed, panel) == m::UploadOutcome::LinkFailed,
        "UploadImage over a port that is not open fails");

  m::PauseProg(0.01f, panel);
  Check(panel.events > 0, "PauseProg lets the panel handle its events");

  Recorder command;
  m::ConvertUpload(file.string(), m::CharMode::DeviceCodes, "/dev/marvek-no-such-port", "9600",
                   command);
  std::filesystem::remove(file);
  Check(command.statuses.size() >= 4 && command.statuses.front() == "Converting " + file.string() &&
            command.statuses[1] == "File successfull converted." &&
            command.statuses.back() == "Upload aborted !",
        "ConvertUpload converts, fails to open the port and says so");
  Check(command.inputsEnabled && command.lastProgress == 0,
        "ConvertUpload leaves the inputs enabled and the bar at 0");
  return failures == 0 ? 0 : 1;
}
