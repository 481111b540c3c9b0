#pragma once

#include <string>

#include "cli/terminal_panel.h"
#include "command/convert_upload.h"

namespace marvek::cli {

// How the command line tells its operator to mend what the command can only name.
MendingHints CommandLineHints();

// What the command line asks for.
struct Request {
  // Without a pause: a script wants its upload at once.
  CommandRequest command = {.port = "Com1", .speed = "9600", .hints = CommandLineHints()};
  std::string output;  // --output: a file, or "-" for standard output
};

// Each returns the program's exit code.

// Converts and uploads, as the window's Convert/Upload button.
int Upload(const Request& request, TerminalPanel& panel);
// Converts and reports what would be sent, on standard output.
int Check(const Request& request, TerminalPanel& panel);
// Converts and prints the titles as the display will show them, on standard output.
int Show(const Request& request, TerminalPanel& panel);
// Converts and writes the filled image to request.output.
int Output(const Request& request, TerminalPanel& panel);
// Prints the serial ports found, one a line.
int ListPorts();

}  // namespace marvek::cli
