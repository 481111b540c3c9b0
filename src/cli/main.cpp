// marvek-upload: converts a title file and uploads it to the title display, from the command line.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/commands.h"
#include "cli/end_signals.h"
#include "cli/exit_codes.h"
#include "cli/film_commands.h"
#include "cli/standard_input.h"
#include "cli/terminal_panel.h"
#include "command/timing_texts.h"
#include "shared/version.h"

namespace {

using namespace marvek;
using namespace marvek::cli;

constexpr const char* kDescription =
    "Converts a title file ({start}{end}text lines; SubRip, MPL2, ASS/SSA, WebVTT and the other\n"
    "text formats FFmpeg reads, with --fps; DCP subtitles; or a film's title track) into the "
    "title\n"
    "display's image and uploads it over a serial line. Status lines go to standard error;\n"
    "standard output carries only data (--show, --output -, --list-ports, --list-tracks).";

// What the command line asked for, as the options left it.
struct Arguments {
  Request request;
  // --shift takes frames, or seconds marked with an "s".
  TimingTexts timing = {.shiftUnit = ShiftUnit::InText};
  bool plainLetters = false;
  bool quiet = false;
  bool checkOnly = false;
  bool showOnly = false;
  bool listOnly = false;
  CLI::Option* output = nullptr;
  std::string fpsFrom;     // --fps-from FILM
  std::string listTracks;  // --list-tracks FILM
};

// Says what is wrong with the command line, the way the option parser does.
int WrongUsage(const std::string& what) {
  std::fprintf(stderr, "%s\nRun with --help for more information.\n", what.c_str());
  return exit_code::kWrongUsage;
}

// The options that decide how the file is converted and where it goes.
void AddConversionOptions(CLI::App& app, Arguments& a) {
  app.add_option("-p,--port", a.request.command.port,
                 "ComN, a device path, rfc2217://HOST:PORT or socket://HOST:PORT, as in the window")
      ->capture_default_str();
  app.add_option("-s,--speed", a.request.command.speed, "bits per second")->capture_default_str();
  app.add_flag("--plain-letters", a.plainLetters,
               "send č ć š ž đ as plain letters (default: the display's own codes)");
  app.add_option("--fps", a.timing.displayRate,
                 "the display's frame rate: SubRip and MPL2 times become frames at RATE, and a "
                 "brace file whose own rate is known is retimed to it (e.g. 24, 25, 23.976)")
      ->type_name("RATE");
  app.add_option("--file-fps", a.timing.fileRate,
                 "the brace file's own frame rate, over any frame-rate line in the file")
      ->type_name("RATE");
  app.add_option("--shift", a.timing.shift,
                 "move every title by whole frames (-48, +120) or seconds (-2.5s, +90s; needs "
                 "--fps)")
      ->type_name("OFFSET");
  app.add_option("--fps-from", a.fpsFrom,
                 "take the display's frame rate from the video of the film FILM")
      ->type_name("FILM");
  app.add_option("--track", a.request.command.conversion.track,
                 "a film's title track to read: its number or its language (eng, ces); without "
                 "it the film's default text track, else its first")
      ->type_name("N|LANG");
  app.add_flag("--repair", a.request.command.conversion.repair,
               "leave out or mend the lines a strict reading refuses (blank lines, lines that are "
               "no title, negative frames, braces in the text, the italic \"/\")");
}

// The options that say what to do instead of uploading, and the rest.
void AddActionOptions(CLI::App& app, Arguments& a) {
  app.add_flag("--check", a.checkOnly,
               "convert only, and report what would be sent; no port is opened");
  app.add_flag("--show", a.showOnly,
               "print the titles as the display will show them; no port is opened");
  a.output = app.add_option("-o,--output", a.request.output,
                            "write the title image to FILE (\"-\": standard output) instead of "
                            "uploading")
                 ->type_name("FILE");
  app.add_flag("--list-ports", a.listOnly, "list the serial ports found, with their descriptions");
  app.add_option("--list-tracks", a.listTracks, "list the title tracks of the film FILM")
      ->type_name("FILM");
  app.add_flag("-q,--quiet", a.quiet, "no progress bar");
  app.set_version_flag("--version", "marvek-upload " MARVEK_VERSION, "print the version");
  app.add_option("TITLE-FILE", a.request.command.titleFile,
                 "the title file (\"-\": standard input)")
      ->type_name("");
  app.footer(
      "Exit codes: 0 done, 1 the title file cannot be used, 2 wrong usage, 3 the port or speed\n"
      "cannot be used or opened, 4 the display did not answer or the line failed, 5 the output\n"
      "(standard output or --output) cannot be written, 130 interrupted (143 for SIGTERM).");
}

// The option that gives each timing text.
const char* OptionOf(TimingText text) {
  switch (text) {
    case TimingText::DisplayRate:
      return "--fps";
    case TimingText::FileRate:
      return "--file-fps";
    case TimingText::Shift:
      break;
  }
  return "--shift";
}

// Why the options cannot go together or cannot be used; nullopt when they can.
std::optional<std::string> UsageProblem(Arguments& a) {
  // What to do instead of uploading: one thing at a time.
  const bool listTracks = !a.listTracks.empty();
  if (a.checkOnly + a.showOnly + (a.output->count() > 0) + a.listOnly + listTracks > 1) {
    return "--check, --show, --output, --list-ports and --list-tracks go one at a time";
  }
  const bool titleFile = !a.request.command.titleFile.empty();
  if (a.listOnly || listTracks) {
    if (!titleFile) return std::nullopt;
    return a.listOnly ? "--list-ports takes no TITLE-FILE" : "--list-tracks takes no TITLE-FILE";
  }
  if (!titleFile) return "TITLE-FILE is required";

  CommandRequest& command = a.request.command;
  TimedOptions timed = WithTimingTexts(a.timing, command.conversion);
  if (const std::optional<TimingRefusal>& refused = timed.refusal) {
    std::string line = std::string(OptionOf(refused->text)) + ": " + refused->reason;
    if (refused->needsDisplayRate) line += "; " + command.hints.needsFrameRate;
    return line;
  }
  command.conversion = timed.options;
  command.mode = a.plainLetters ? CharMode::PlainLetters : CharMode::DeviceCodes;
  return std::nullopt;
}

// --fps-from: the film's frame rate, exact ("24000/1001"), stands for --fps. The exit code.
int TakeFilmRate(Arguments& a) {
  if (a.fpsFrom.empty()) return exit_code::kDone;
  if (!a.timing.displayRate.empty()) return WrongUsage("--fps and --fps-from go one at a time");
  const std::optional<FrameRate> rate = FilmFrameRate(a.fpsFrom);
  if (!rate) return exit_code::kTitleFileUnusable;
  a.timing.displayRate = std::to_string(rate->numerator) + "/" + std::to_string(rate->denominator);
  return exit_code::kDone;
}

// Does what the arguments ask for; the exit code.
int Run(Arguments& a) {
  if (a.listOnly) return ListPorts();
  if (!a.listTracks.empty()) return ListTracks(a.listTracks);

  if (const int code = TakeTitleFromStandardInput(a.request); code != exit_code::kDone) return code;
  CatchEndSignals();
  const bool terminal = ::isatty(STDERR_FILENO) == 1;
  TerminalPanel panel(stderr, terminal && !a.quiet, terminal);
  if (a.checkOnly) return Check(a.request, panel);
  if (a.showOnly) return Show(a.request, panel);
  if (*a.output) return Output(a.request, panel);
  return Upload(a.request, panel);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app(kDescription, "marvek-upload");
  Arguments arguments;
  AddConversionOptions(app, arguments);
  AddActionOptions(app, arguments);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);  // prints the help, the version, or what is wrong
    return code == 0 ? exit_code::kDone : exit_code::kWrongUsage;
  }
  if (const int code = TakeFilmRate(arguments); code != exit_code::kDone) return code;
  if (const std::optional<std::string> problem = UsageProblem(arguments)) {
    return WrongUsage(*problem);
  }
  return Run(arguments);
}
