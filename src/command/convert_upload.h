#pragma once

// The command's published face: programs outside this repository call ConvertUpload and
// PauseProg as declared here. Keep their names and signatures; add freely.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "command/status_messages.h"
#include "convert/title_image.h"
#include "shared/operator_panel.h"
#include "shared/types.h"
#include "upload/serial_link.h"
#include "upload/serial_ports.h"

namespace marvek {

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

// What the command's conversion alone came to.
struct ConvertedTitleFile {
  // Converted, NoFileSelected, TitleFileUnusable or Cancelled.
  CommandOutcome outcome = CommandOutcome::NoFileSelected;
  // What the conversion gave, for a face that reports more of it (every problem a check lists,
  // the timing); untouched when no file was converted. When Converted, its image is filled to
  // whole blocks, as it would be sent.
  ConversionResult conversion = {};
};

// The command's conversion alone, for a face that shows or stores the image instead of sending
// it: the same opening, status lines and framing as RunCommand, and no port.
ConvertedTitleFile ConvertOnly(const CommandRequest& request, OperatorPanel& panel);

// Published interface (programs outside this repository call it): the Convert/Upload command as
// the window's button runs it, with its half-second pause and the core's own words.
void ConvertUpload(const std::string& fileName, CharMode mode, const std::string& portText,
                   const std::string& speedText, OperatorPanel& panel);

// Published interface (programs outside this repository call it): waits `PauseTime` seconds of
// elapsed time, letting the face handle its events all the while; returns sooner when the
// operator asks to stop.
void PauseProg(float PauseTime, OperatorPanel& panel);

}  // namespace marvek
