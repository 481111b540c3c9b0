#pragma once

#include <string>
#include <vector>

namespace marvek {

// A serial port of this machine, as the operator may want to choose it.
struct SerialPortInfo {
  std::string device;       // the device file, e.g. "/dev/ttyUSB0"
  std::string byId;         // its stable /dev/serial/by-id/... path; empty when it has none
  std::string description;  // maker and model from USB, or else the driver
};

// Every serial port of the machine with hardware behind it, sorted by device path.
std::vector<SerialPortInfo> ListSerialPorts();

}  // namespace marvek
