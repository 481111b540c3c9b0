#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "convert/title_image.h"
#include "shared/operator_panel.h"
#include "shared/types.h"
#include "upload/serial_ports.h"

namespace marvek {

// The Convert/Upload command: converts the title file, opens the port, uploads the image and
// reports every stage through `panel`. The inputs are disabled for the whole run and enabled
// again on every path, with the progress bar back at 0 and the port closed.
void ConvertUpload(const std::string& fileName, CharMode mode, const std::string& portText,
                   const std::string& speedText, OperatorPanel& panel);
// The same, with `listPorts` naming the ports there are when the chosen one cannot be opened.
void ConvertUpload(const std::string& fileName, CharMode mode, const std::string& portText,
                   const std::string& speedText, OperatorPanel& panel,
                   const SerialPortLister& listPorts);

// What one run of the command came to, for a caller that acts on it (the command line's exit
// code). The operator has been told all of it through the panel already.
enum class CommandOutcome {
  Uploaded,           // converted and acknowledged to the last block
  Converted,          // converted; nothing was to be sent (ConvertForCommand)
  NoFileSelected,     // no title file was named
  TitleFileUnusable,  // unreadable, or a line that cannot be converted
  PortUnusable,       // the port or speed cannot be used, or the port cannot be opened
  NoReply,            // a block went unanswered
  LinkFailed,         // the port failed while sending
};

struct CommandOptions {
  ConversionOptions conversion;
  // Called with the number of blocks to send once the file is converted, before the port is
  // opened; a terminal uses it to count the blocks on its progress line.
  std::function<void(std::size_t blocks)> uploadStarting;
  // Names the ports there are when the chosen one cannot be opened; empty: the machine's own.
  SerialPortLister listPorts;
};

// The Convert/Upload command, as ConvertUpload, giving its outcome.
CommandOutcome RunConvertUpload(const std::string& fileName, CharMode mode,
                                const std::string& portText, const std::string& speedText,
                                OperatorPanel& panel, const CommandOptions& options = {});

// The command's conversion alone, with its status lines and without the pause or the port, for
// a caller that shows or stores the image instead of sending it. `image` gets the unfilled image
// when the outcome is Converted.
CommandOutcome ConvertForCommand(const std::string& fileName, CharMode mode, OperatorPanel& panel,
                                 const ConversionOptions& options, ByteString& image);

// Waits `PauseTime` seconds of elapsed time, letting the window handle its events all the while.
void PauseProg(float PauseTime, OperatorPanel& panel);

}  // namespace marvek
