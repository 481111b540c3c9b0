#pragma once

#include <string>

namespace marvek {

// What the marvek program is asked to do by its command line: `marvek [FILE]`, as a file
// manager starts it for a double-clicked title file, or `marvek --help` / `--version`.
struct WindowArguments {
  enum class Action { OpenWindow, ShowHelp, ShowVersion, Refuse };

  Action action = Action::OpenWindow;
  // The title file to choose as the window opens: an absolute path with the bytes it was given
  // in; empty for none. The file need not exist.
  std::string titleFile;
  // Why the command line is refused, for Action::Refuse.
  std::string problem;
};

// Reads the arguments after the program name. "--help" or "--version" anywhere before "--" wins
// over everything else, so that they answer even beside options meant for the window toolkit.
WindowArguments ReadWindowArguments(int argc, const char* const* argv);

// The texts printed for --help and --version.
std::string WindowUsage();
std::string WindowVersion();

// `path` made absolute against the current folder, with "." steps and doubled slashes left
// out. ".." steps stay: removing them by text would be wrong where a step is a symbolic link.
std::string AbsoluteTitlePath(const std::string& path);

}  // namespace marvek
