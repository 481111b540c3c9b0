// The serial ports of this machine.
#include "upload/serial_ports.h"

namespace marvek {

std::vector<SerialPortInfo> ListSerialPorts() {
  return {};
}

}  // namespace marvek
