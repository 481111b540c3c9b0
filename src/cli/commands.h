#pragma once

#include <string>

#include "cli/terminal_panel.h"
#include "convert/title_image.h"
#include "shared/types.h"

namespace marvek::cli {

// What the command line asks for.
struct Request {
  std::string titleFile;
  std::string port = "Com1";
  std::string speed = "9600";
  std::string output;  // --output: a file, or "-" for standard output
  CharMode mode = CharMode::DeviceCodes;
  ConversionOptions conversion;
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
