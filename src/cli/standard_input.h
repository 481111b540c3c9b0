#pragma once

#include <cstddef>

#include "cli/commands.h"

namespace marvek::cli {

// What the status lines call a title file read from standard input.
inline constexpr const char* kStandardInputName = "standard input";
// No title file comes near this; a stream that does is no title file.
inline constexpr std::size_t kStandardInputLimit = std::size_t{64} << 20;

// Reads standard input whole when the title file is given as "-", so that the program can run
// at the far end of a pipe (ssh, say). Returns exit_code::kDone, or another exit code after
// saying on standard error why standard input cannot be used.
int TakeTitleFromStandardInput(Request& request);

}  // namespace marvek::cli
