#pragma once

#include <string>

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

// Waits `PauseTime` seconds of elapsed time, letting the window handle its events all the while.
void PauseProg(float PauseTime, OperatorPanel& panel);

}  // namespace marvek
