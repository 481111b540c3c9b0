#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace marvek {

// A serial port of this machine, as the operator may want to choose it.
struct SerialPortInfo {
  std::string device;       // the device file, e.g. "/dev/ttyUSB0"
  std::string byId;         // its stable /dev/serial/by-id/... path; empty when it has none
  std::string description;  // maker and model from USB, or else the driver
};

// Every serial port of the machine with hardware behind it, sorted by device path. It reads the
// device database only and opens no port, so it never disturbs a device or a console.
std::vector<SerialPortInfo> ListSerialPorts();

// Where the command and the faces get the list from; tests hand in a fixed one.
using SerialPortLister = std::function<std::vector<SerialPortInfo>()>;

// What the device database says of one serial port: its udev properties (DEVNAME, DEVLINKS,
// ID_VENDOR_ENC, ID_MODEL_FROM_DATABASE, ...), and under the keys below what was read beside
// them.
using DeviceProperties = std::map<std::string, std::string>;
inline constexpr const char* kUsbManufacturer = "usb:manufacturer";  // the USB device's own text
inline constexpr const char* kUsbProduct = "usb:product";
inline constexpr const char* kDriver = "driver";       // the driver of the port's parent device
inline constexpr const char* kUartType = "uart:type";  // the serial core's port type, "0" unknown
inline constexpr const char* kByIdLinks = "by-id:links";  // /dev/serial/by-id links, one per line

// The port as the operator sees it, or nothing for a built-in port without a UART behind it.
std::optional<SerialPortInfo> SerialPortFromProperties(const DeviceProperties& properties);

// "Serial ports found: /dev/ttyUSB0 (FTDI FT232R USB UART), /dev/ttyS0 (serial8250)" or
// "No serial ports found.", the line that follows a port that cannot be opened.
std::string SerialPortsFoundLine(const std::vector<SerialPortInfo>& ports);

}  // namespace marvek
