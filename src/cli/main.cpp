// marvek-upload: converts a title file and uploads it to the title display, from the command line.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <optional>
#include <string>
#include <tuple>

#include "cli/commands.h"
#include "cli/end_signals.h"
#include "cli/exit_codes.h"
#include "cli/film_commands.h"
#include "cli/terminal_panel.h"
#include "convert/timing/frame_rate.h"
#include "convert/timing/title_shift.h"
#include "shared/version.h"

namespace {

using namespace marvek;
using namespace marvek::cli;

constexpr const char* kDescription =
    "Converts a title file ({start}{end}text lines; SubRip, MPL2, ASS/SSA, WebVTT and the other\n"
    "text formats FFmpeg reads, with --fps; or a film's title track) into the title display's\n"
    "image and uploads it over a serial line. Status lines go to standard error; standard\n"
    "output carries only data (--show, --output -, --list-ports, --list-tracks).";

// Says what is wrong with the command line, the way the option parser does.
int WrongUsage(const std::string& what) {
  std::fprintf(stderr, "%s\nRun with --help for more information.\n", what.c_str());
  return exit_code::kWrongUsage;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app(kDescription, "marvek-upload");
  Request request;
  std::string fps;
  std::string fileFps;
  std::string shift;
  bool plainLetters = false;
  bool quiet = false;
  bool checkOnly = false;
  bool showOnly = false;
  bool listOnly = false;
  std::string fpsFrom;
  std::string listTracks;

  app.add_option("-p,--port", request.command.port, "ComN or a device path, as in the window")
      ->capture_default_str();
  app.add_option("-s,--speed", request.command.speed, "bits per second")->capture_default_str();
  app.add_flag("--plain-letters", plainLetters,
               "send č ć š ž đ as plain letters (default: the display's own codes)");
  auto* fpsOption = app.add_option("--fps", fps,
                                   "the display's frame rate: SubRip and MPL2 times become frames "
                                   "at RATE, and a brace file whose own rate is known is retimed "
                                   "to it (e.g. 24, 25, 23.976)")
                        ->type_name("RATE");
  auto* fileFpsOption =
      app.add_option("--file-fps", fileFps,
                     "the brace file's own frame rate, over any frame-rate line in the file")
          ->type_name("RATE");
  auto* shiftOption = app.add_option("--shift", shift,
                                     "move every title by whole frames (-48, +120) or seconds "
                                     "(-2.5s, +90s; needs --fps)")
                          ->type_name("OFFSET");
  auto* fpsFromOption =
      app.add_option("--fps-from", fpsFrom,
                     "take the display's frame rate from the video of the film FILM")
          ->type_name("FILM");
  app.add_option("--track", request.command.conversion.track,
                 "a film's title track to read: its number or its language (eng, ces); without "
                 "it the film's default text track, else its first")
      ->type_name("N|LANG");
  auto* listTracksOption =
      app.add_option("--list-tracks", listTracks, "list the title tracks of the film FILM")
          ->type_name("FILM");
  app.add_flag("--repair", request.command.conversion.repair,
               "leave out or mend the lines a strict reading refuses (blank lines, lines that are "
               "no title, negative frames, braces in the text, the italic \"/\")");
  app.add_flag("--check", checkOnly,
               "convert only, and report what would be sent; no port is opened");
  app.add_flag("--show", showOnly,
               "print the titles as the display will show them; no port is opened");
  auto* output = app.add_option("-o,--output", request.output,
                                "write the title image to FILE (\"-\": standard output) instead "
                                "of uploading")
                     ->type_name("FILE");
  app.add_flag("--list-ports", listOnly, "list the serial ports found, with their descriptions");
  app.add_flag("-q,--quiet", quiet, "no progress bar");
  app.set_version_flag("--version", "marvek-upload " MARVEK_VERSION, "print the version");
  app.add_option("TITLE-FILE", request.command.titleFile, "the title file")->type_name("");
  app.footer(
      "Exit codes: 0 done, 1 the title file cannot be used, 2 wrong usage, 3 the port or speed\n"
      "cannot be used or opened, 4 the display did not answer or the line failed, 5 the output\n"
      "(standard output or --output) cannot be written, 130 interrupted (143 for SIGTERM).");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);  // prints the help, the version, or what is wrong
    return code == 0 ? exit_code::kDone : exit_code::kWrongUsage;
  }

  // What to do instead of uploading: one thing at a time.
  const bool listTracksOnly = listTracksOption->count() > 0;
  if (checkOnly + showOnly + (output->count() > 0) + listOnly + listTracksOnly > 1) {
    return WrongUsage("--check, --show, --output, --list-ports and --list-tracks go one at a time");
  }
  if (listTracksOnly) {
    return request.command.titleFile.empty() ? ListTracks(listTracks)
                                             : WrongUsage("--list-tracks takes no TITLE-FILE");
  }
  if (listOnly) {
    return request.command.titleFile.empty() ? ListPorts()
                                             : WrongUsage("--list-ports takes no TITLE-FILE");
  }
  if (request.command.titleFile.empty()) {
    return WrongUsage("TITLE-FILE is required");
  }
  ConversionOptions& conversion = request.command.conversion;
  for (const auto& [option, text, rate] :
       {std::tuple{fpsOption, &fps, &conversion.displayRate},
        std::tuple{fileFpsOption, &fileFps, &conversion.fileRate}}) {
    if (option->count() == 0) continue;
    *rate = ParseFrameRate(*text);
    if (!*rate) {
      return WrongUsage(option->get_name() + ": \"" + *text +
                        "\" is no frame rate; give frames a second above 0 and at most 1000, "
                        "such as 25 or 23.976");
    }
  }
  if (fpsFromOption->count() > 0) {
    if (fpsOption->count() > 0) return WrongUsage("--fps and --fps-from go one at a time");
    conversion.displayRate = FilmFrameRate(fpsFrom);
    if (!conversion.displayRate) return exit_code::kTitleFileUnusable;
  }
  if (shiftOption->count() > 0) {
    std::string why;
    const std::optional<TitleShift> read = ParseTitleShift(shift, why);
    if (!read) return WrongUsage("--shift: \"" + shift + "\": " + why);
    const std::optional<std::int64_t> frames = ShiftInFrames(*read, conversion.displayRate);
    if (!frames)
      return WrongUsage(std::string("--shift: ") + kShiftNeedsDisplayRate + "; use --fps RATE");
    conversion.shift = *frames;
  }
  request.command.mode = plainLetters ? CharMode::PlainLetters : CharMode::DeviceCodes;

  CatchEndSignals();
  const bool terminal = ::isatty(STDERR_FILENO) == 1;
  TerminalPanel panel(stderr, terminal && !quiet, terminal);
  if (checkOnly) return Check(request, panel);
  if (showOnly) return Show(request, panel);
  if (*output) return Output(request, panel);
  return Upload(request, panel);
}
