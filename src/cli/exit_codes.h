#pragma once

// What the program's exit code tells a script.
namespace marvek::cli::exit_code {

inline constexpr int kDone = 0;
inline constexpr int kTitleFileUnusable = 1;  // unreadable, incorrect, or SubRip without --fps
inline constexpr int kWrongUsage = 2;
inline constexpr int kPortUnusable = 3;  // the port or speed cannot be used or opened
inline constexpr int kUploadFailed = 4;  // the display did not answer, or the line failed
inline constexpr int kOutputUnwritable =
    5;  // standard output or the --output file cannot be written
// Ended by a signal: 128 plus its number (130 for Ctrl-C, 143 for SIGTERM).

}  // namespace marvek::cli::exit_code
