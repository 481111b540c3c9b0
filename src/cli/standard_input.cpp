#include "cli/standard_input.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "cli/exit_codes.h"
#include "shared/system_reason.h"

namespace marvek::cli {

int TakeTitleFromStandardInput(Request& request) {
  if (request.command.titleFile != "-") return exit_code::kDone;
  ByteString bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "Standard input cannot be read: %s\n", SystemReason(errno).c_str());
      return exit_code::kTitleFileUnusable;
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
    if (bytes.size() > kStandardInputLimit) {
      std::fprintf(stderr, "Standard input holds more than %zu MiB: no title file is that large.\n",
                   kStandardInputLimit >> 20);
      return exit_code::kTitleFileUnusable;
    }
  }
  request.command.titleFile = kStandardInputName;
  request.command.titleBytes = std::move(bytes);
  return exit_code::kDone;
}

}  // namespace marvek::cli
