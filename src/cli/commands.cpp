#include "cli/commands.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string_view>

#include "cli/end_signals.h"
#include "cli/exit_codes.h"
#include "cli/title_report.h"
#include "command/conversion_report.h"
#include "display/image_decoder.h"
#include "display/image_records.h"
#include "shared/system_reason.h"
#include "upload/serial_link.h"
#include "upload/serial_ports.h"

namespace marvek::cli {
namespace {

int ExitCodeOf(CommandOutcome outcome) {
  switch (outcome) {
    case CommandOutcome::Uploaded:
    case CommandOutcome::Converted:
      return exit_code::kDone;
    case CommandOutcome::NoFileSelected:
      return exit_code::kWrongUsage;
    case CommandOutcome::TitleFileUnusable:
      return exit_code::kTitleFileUnusable;
    case CommandOutcome::PortUnusable:
      return exit_code::kPortUnusable;
    case CommandOutcome::NoReply:
    case CommandOutcome::LinkFailed:
      return exit_code::kUploadFailed;
    case CommandOutcome::Cancelled:
      return ExitCodeFor(PendingEndSignal());
  }
  return exit_code::kUploadFailed;
}

// Converts with the command's status lines; the filled image, or the exit code of a failure.
int Convert(const Request& request, TerminalPanel& panel, ByteString& image) {
  return ExitCodeOf(ConvertOnly(request.command, panel, image));
}

// Writes all of `bytes` to `fd`; 0 or the errno of the failure.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

// Writes data for the caller to standard output; false, having said why, when it cannot.
bool WriteStandardOutput(std::string_view bytes, TerminalPanel& panel) {
  std::fflush(stdout);
  if (const int error = WriteAll(STDOUT_FILENO, bytes); error != 0) {
    panel.AddStatus("Standard output cannot be written: " + SystemReason(error));
    return false;
  }
  return true;
}

}  // namespace

MendingHints CommandLineHints() {
  return {
      .portNamesNoPort =
          "--port takes ComN (N from 1 to 9), a device path such as /dev/ttyUSB0, "
          "rfc2217://HOST:PORT or socket://HOST:PORT",
      .needsFrameRate = "use --fps RATE",
      .repairMends = "--repair leaves out or mends such lines.",
  };
}

int Upload(const Request& request, TerminalPanel& panel) {
  CommandRequest command = request.command;
  command.uploadStarting = [&panel](std::size_t blocks) { panel.UploadStarting(blocks); };
  return ExitCodeOf(RunCommand(command, panel));
}

int Check(const Request& request, TerminalPanel& panel) {
  // The whole file is read, and every problem kept for the list after the report.
  Request checked = request;
  checked.command.conversion.collectProblems = true;
  std::vector<LineProblem> problems;
  TimingReport timing;
  checked.command.converted = [&](const ConversionResult& result) {
    problems = result.problems;
    timing = result.timing;
  };
  ByteString image;
  const int code = Convert(checked, panel, image);
  if (code != exit_code::kDone && code != exit_code::kTitleFileUnusable) return code;
  std::string report;
  if (code == exit_code::kDone) {
    // No port is opened, but the choice of port and speed is checked as an upload would use it.
    const LinkSettings settings = FromOperatorChoice(request.command.port, request.command.speed);
    if (!settings.usable()) {
      panel.AddStatus(UnusableLinkReason(settings, request.command.hints));
      return exit_code::kPortUnusable;
    }
    for (const std::string& line :
         ConversionReport(IndexTitleImage(image), image.size(), settings, timing)) {
      report.append(line).append("\n");
    }
  }
  const bool repair = request.command.conversion.repair;
  for (const LineProblem& problem : problems) report += DescribeProblem(problem, repair) + "\n";
  if (!WriteStandardOutput(report, panel)) return exit_code::kOutputUnwritable;
  return code;
}

int Show(const Request& request, TerminalPanel& panel) {
  ByteString image;
  if (const int code = Convert(request, panel, image); code != exit_code::kDone) return code;
  const std::string titles = TitlesAsTitleFile(DecodeTitleImage(image));
  return WriteStandardOutput(titles, panel) ? exit_code::kDone : exit_code::kOutputUnwritable;
}

int Output(const Request& request, TerminalPanel& panel) {
  ByteString image;
  if (const int code = Convert(request, panel, image); code != exit_code::kDone) return code;
  if (request.output == "-") {
    return WriteStandardOutput(image, panel) ? exit_code::kDone : exit_code::kOutputUnwritable;
  }
  const int fd = ::open(request.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  int error = fd < 0 ? errno : WriteAll(fd, image);
  if (fd >= 0 && ::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    panel.AddStatus(request.output + " cannot be written: " + SystemReason(error));
    return exit_code::kOutputUnwritable;
  }
  std::string written = "Title image written to ";
  written.append(request.output).append(" (").append(std::to_string(image.size()));
  panel.AddStatus(written.append(" bytes)."));
  return exit_code::kDone;
}

int ListPorts() {
  const std::vector<SerialPortInfo> ports = ListSerialPorts();
  if (ports.empty()) {
    std::fprintf(stderr, "%s\n", SerialPortsFoundLine(ports).c_str());
    return exit_code::kDone;
  }
  for (const SerialPortInfo& port : ports) {
    std::printf("%s\t%s\t%s\n", port.device.c_str(), port.byId.c_str(), port.description.c_str());
  }
  return std::fflush(stdout) == 0 ? exit_code::kDone : exit_code::kOutputUnwritable;
}

}  // namespace marvek::cli
