// The serial ports of this machine, from the device database through libudev.
#include <libudev.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <memory>
#include <string_view>
#include <system_error>

#include "upload/serial_ports.h"

namespace marvek {
namespace {

struct UdevUnref {
  void operator()(udev* context) const { udev_unref(context); }
  void operator()(udev_enumerate* enumeration) const { udev_enumerate_unref(enumeration); }
  void operator()(udev_device* device) const { udev_device_unref(device); }
};
template <class T>
using UdevPtr = std::unique_ptr<T, UdevUnref>;

void Put(DeviceProperties& properties, const char* key, const char* value) {
  if (value != nullptr) properties[key] = value;
}

// The /dev/serial/by-id links by the device each points to. udev gives them in DEVLINKS when its
// daemon runs; where it does not (containers, early boot) the links may still be there.
std::multimap<std::string, std::string> ByIdLinksOnDisk() {
  namespace fs = std::filesystem;
  std::multimap<std::string, std::string> links;
  std::error_code error;
  for (fs::directory_iterator it("/dev/serial/by-id", error), end; !error && it != end;
       it.increment(error)) {
    const fs::path target = fs::canonical(it->path(), error);
    if (!error) links.emplace(target.string(), it->path().string());
    error.clear();
  }
  return links;
}

DeviceProperties PropertiesOf(udev_device* port) {
  DeviceProperties properties;
  for (udev_list_entry* entry = udev_device_get_properties_list_entry(port); entry != nullptr;
       entry = udev_list_entry_get_next(entry)) {
    Put(properties, udev_list_entry_get_name(entry), udev_list_entry_get_value(entry));
  }
  Put(properties, "DEVNAME", udev_device_get_devnode(port));
  // Read from the database, without opening the port: the same type that TIOCGSERIAL reports.
  Put(properties, kUartType, udev_device_get_sysattr_value(port, "type"));
  // The first driver above the port, past the serial core's own "port" and "ctrl" devices.
  for (udev_device* up = udev_device_get_parent(port); up != nullptr;
       up = udev_device_get_parent(up)) {
    const char* subsystem = udev_device_get_subsystem(up);
    if (subsystem != nullptr && std::string_view(subsystem) == "serial-base") continue;
    if (const char* driver = udev_device_get_driver(up)) {
      Put(properties, kDriver, driver);
      break;
    }
  }
  if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(port, "usb", "usb_device")) {
    Put(properties, kUsbManufacturer, udev_device_get_sysattr_value(usb, "manufacturer"));
    Put(properties, kUsbProduct, udev_device_get_sysattr_value(usb, "product"));
  }
  return properties;
}

// Device paths in the order an operator counts them: /dev/ttyS2 before /dev/ttyS10.
bool ComesBefore(const std::string& a, const std::string& b) {
  const auto split = [](const std::string& path) {
    std::size_t digits = path.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(path[digits - 1]))) --digits;
    return std::pair(std::string_view(path).substr(0, digits), path.size() - digits);
  };
  const auto [stemA, digitsA] = split(a);
  const auto [stemB, digitsB] = split(b);
  if (stemA != stemB) return a < b;
  if (digitsA != digitsB) return digitsA < digitsB;  // the shorter number is the smaller one
  return a < b;
}

}  // namespace

std::vector<SerialPortInfo> ListSerialPorts() {
  std::vector<SerialPortInfo> ports;
  const UdevPtr<udev> context(udev_new());
  if (!context) return ports;
  const UdevPtr<udev_enumerate> enumeration(udev_enumerate_new(context.get()));
  if (!enumeration || udev_enumerate_add_match_subsystem(enumeration.get(), "tty") < 0 ||
      udev_enumerate_scan_devices(enumeration.get()) < 0) {
    return ports;
  }
  const auto linksOnDisk = ByIdLinksOnDisk();
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
    const UdevPtr<udev_device> port(
        udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
    // Consoles, virtual terminals and pseudo-terminals hang on no device.
    if (!port || udev_device_get_parent(port.get()) == nullptr) continue;
    DeviceProperties properties = PropertiesOf(port.get());
    const auto [first, last] = linksOnDisk.equal_range(properties["DEVNAME"]);
    for (auto link = first; link != last; ++link) properties[kByIdLinks] += link->second + "\n";
    if (auto info = SerialPortFromProperties(properties)) ports.push_back(std::move(*info));
  }
  std::sort(ports.begin(), ports.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
    return ComesBefore(a.device, b.device);
  });
  return ports;
}

}  // namespace marvek
