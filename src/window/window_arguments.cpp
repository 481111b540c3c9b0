#include "window/window_arguments.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "shared/version.h"

namespace marvek {

WindowArguments ReadWindowArguments(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") return {WindowArguments::Action::ShowHelp, {}, {}};
  }
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") break;
    if (arg == "--version" || arg == "-v") return {WindowArguments::Action::ShowVersion, {}, {}};
  }

  WindowArguments result;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
      return {WindowArguments::Action::Refuse, {}, "unknown option " + arg};
    }
    if (arg.empty()) return {WindowArguments::Action::Refuse, {}, "the title file name is empty"};
    if (!result.titleFile.empty()) {
      return {WindowArguments::Action::Refuse, {}, "only one title file can be opened at a time"};
    }
    result.titleFile = AbsoluteTitlePath(arg);
  }
  return result;
}

std::string WindowUsage() {
  return "Usage: marvek [FILE]\n"
         "Opens the window of Marvek Converter/Uploader, which converts a frame-numbered title\n"
         "file and uploads it to the serial title display. With FILE, the window opens with\n"
         "that title file chosen, as if it had been chosen with File > Open.\n"
         "\n"
         "  -h, --help     print this help and end\n"
         "  -v, --version  print the version and end\n"
         "\n"
         "The command-line program marvek-upload does the same without a window.\n";
}

std::string WindowVersion() {
  return "marvek (Marvek Converter/Uploader) " MARVEK_VERSION "\n";
}

std::string AbsoluteTitlePath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  // Without a current folder (it was removed), the path stays as given: the command then
  // reports whatever opening it says.
  if (error) return path;
  std::filesystem::path kept;
  for (const std::filesystem::path& step : absolute) {
    if (step == "." || step.empty()) continue;
    kept /= step;
  }
  return kept.string();
}

}  // namespace marvek
