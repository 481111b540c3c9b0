#pragma once

// The command's published face: programs outside this repository call ConvertUpload and
// PauseProg as declared here. Keep their names and signatures; add freely.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "convert/title_image.h"
#include "shared/operator_panel.h"
#include "shared/types.h"
#include "upload/serial_link.h"
#include "upload/serial_ports.h"

namespace marvek {

// How a face tells its operator to mend what the core can only name, in the face's own terms
// (a list entry of the window, an option of the command line). Each hint that is not empty
// follows the core's reason on the same status line.
struct MendingHints {
  std::string portNamesNoPort = {};  // after `Port "Com" names no port: `
  // After `Line 1: this is a SubRip file, whose times need the display's frame rate; `, and the
  // same of an MPL2 file.
  std::string needsFrameRate = {};
  // A line of its own after a refused line that repair would leave out or mend.
  std::string repairMends = {};
};

// What the operator asked the Convert/Upload command to do.
struct CommandRequest {
  std::string titleFile = {};  // the full path; empty when none is chosen
  // The title file's contents when the face has read them already (standard input); titleFile
  // then only names them in the status lines.
  std::optional<ByteString> titleBytes = {};
  CharMode mode = CharMode::DeviceCodes;
  // The port text: "ComN", a device path, "rfc2217://HOST:PORT" or "socket://HOST:PORT".
  std::string port = {};
  std::string speed = {};  // the speed text, in bits per second
  ConversionOptions conversion = {};
  // Whether to wait half a second (PauseProg), handling events, between the converting line and
  // the reading of the file, as the window always has; a script wants its upload at once.
  bool pauseBeforeConverting = false;
  MendingHints hints = {};
  // Called with the number of blocks once the file is converted, before the port is opened; a
  // terminal counts them on its progress line.
  std::function<void(std::size_t blocks)> uploadStarting = {};
  // Called with what the conversion gave, whatever its outcome, before the command's lines about
  // it: for a face that reports more of it (every problem a check lists, the timing).
  std::function<void(const ConversionResult&)> converted = {};
  // Names the ports there are when the chosen one cannot be opened; empty: the machine's own.
  SerialPortLister listPorts = {};
};

// What one run of the command came to, for a face that acts on it (the command line's exit
// code). The operator has been told all of it through the panel already.
enum class CommandOutcome {
  Uploaded,           // converted and acknowledged to the last block
  Converted,          // converted; nothing was to be sent (ConvertOnly)
  NoFileSelected,     // no title file was named
  TitleFileUnusable,  // unreadable, or a line that cannot be converted
  PortUnusable,       // the port or speed cannot be used, or the port cannot be opened
  NoReply,            // a block went unanswered
  LinkFailed,         // the port failed while sending
  Cancelled,          // the operator asked to stop (OperatorPanel::StopRequested)
};

// The Convert/Upload command: converts the title file, opens the port, uploads the image and
// reports every stage through `panel`. The inputs are disabled for the whole run and enabled
// again on every path, with the progress bar back at 0 and the port closed.
CommandOutcome RunCommand(const CommandRequest& request, OperatorPanel& panel);

// The command's conversion alone, for a face that shows or stores the image instead of sending
// it: the same opening, status lines and framing as RunCommand, and no port. `image` gets the
// image as it would be sent, filled to whole blocks, when the outcome is Converted.
CommandOutcome ConvertOnly(const CommandRequest& request, OperatorPanel& panel, ByteString& image);

// Why `settings` cannot be used, with the face's hint where the port text names no port.
std::string UnusableLinkReason(const LinkSettings& settings, const MendingHints& hints);

// Published interface (programs outside this repository call it): the Convert/Upload command as
// the window's button runs it, with its half-second pause and the core's own words.
void ConvertUpload(const std::string& fileName, CharMode mode, const std::string& portText,
                   const std::string& speedText, OperatorPanel& panel);

// The status line that names the encoding a title file was read in; null for Windows-1250,
// which the status list does not name.
const char* ReadAsStatus(TextEncoding encoding);

// The lines after "X is incorrect for converting.": "Line N: " and the reason, with the face's
// hint where it has one.
std::vector<std::string> RefusalLines(const ConversionResult& refused, const MendingHints& hints);

// The lines after "File successfull converted.": how the file was read, what was done to its
// letters, what repair did, and what was done with the times.
std::vector<std::string> ConvertedLines(const ConversionResult& converted,
                                        const ConversionOptions& options);

// Published interface (programs outside this repository call it): waits `PauseTime` seconds of
// elapsed time, letting the face handle its events all the while; returns sooner when the
// operator asks to stop.
void PauseProg(float PauseTime, OperatorPanel& panel);

}  // namespace marvek
