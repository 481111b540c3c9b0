// How a serial port is named to the operator, from what the device database says of it.
#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <string_view>

#include "upload/serial_ports.h"

namespace marvek {
namespace {

constexpr std::string_view kByIdFolder = "/dev/serial/by-id/";
// Maker and model texts come from the device itself; a broken or hostile one stays short.
constexpr std::size_t kMaxTextLength = 64;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// udev writes the bytes of *_ENC values that are not plain letters as "\xNN".
std::string DecodeEscapes(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
      const int high = HexDigit(text[i + 2]);
      const int low = HexDigit(text[i + 3]);
      if (high >= 0 && low >= 0) {
        out.push_back(static_cast<char>(high * 16 + low));
        i += 3;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

// Control characters become blanks, runs of blanks one blank, and the text is cut to
// kMaxTextLength bytes without splitting a UTF-8 letter.
std::string Clean(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool blank = byte < 0x20 || byte == 0x7F || c == ' ';
    if (blank) {
      if (!out.empty() && out.back() != ' ') out.push_back(' ');
    } else {
      out.push_back(c);
    }
  }
  if (out.size() > kMaxTextLength) {
    std::size_t cut = kMaxTextLength;
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out.resize(cut);
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string Property(const DeviceProperties& properties, const std::string& key) {
  const auto found = properties.find(key);
  return found == properties.end() ? std::string() : found->second;
}

// A vendor or model "name" that is only the four hex digits of its number, as udev gives it
// for devices that carry no text of their own.
bool IsBareNumber(std::string_view text) {
  return text.size() == 4 &&
         std::all_of(text.begin(), text.end(), [](char c) { return HexDigit(c) >= 0; });
}

// The device's own text first (read from the USB device, or udev's copy of it), then udev's
// plain copy with underscores for blanks, then the name from the hardware database.
std::string UsbText(const DeviceProperties& properties, const char* own, const std::string& id) {
  std::string text = Clean(Property(properties, own));
  if (text.empty()) text = Clean(DecodeEscapes(Property(properties, id + "_ENC")));
  if (text.empty()) {
    text = Property(properties, id);
    std::replace(text.begin(), text.end(), '_', ' ');
    text = Clean(text);
  }
  const std::string database = Clean(Property(properties, id + "_FROM_DATABASE"));
  if ((text.empty() || IsBareNumber(text)) && !database.empty()) return database;
  return text;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

std::string Describe(const DeviceProperties& properties) {
  const std::string maker = UsbText(properties, kUsbManufacturer, "ID_VENDOR");
  const std::string model = UsbText(properties, kUsbProduct, "ID_MODEL");
  if (!maker.empty() && !model.empty()) {
    // Model "Arduino Leonardo" from maker "Arduino LLC" names its maker already.
    const std::string_view firstWord = std::string_view(maker).substr(0, maker.find(' '));
    const bool named = StartsWithIgnoringCase(model, firstWord) &&
                       (model.size() == firstWord.size() || model[firstWord.size()] == ' ');
    return named ? model : maker + " " + model;
  }
  if (!maker.empty() || !model.empty()) return maker + model;
  std::string driver = Clean(Property(properties, kDriver));
  if (driver.empty()) driver = Clean(Property(properties, "ID_USB_DRIVER"));
  return driver;
}

// The first of the port's /dev/serial/by-id links in name order, so the choice is the same on
// every run; udev lists them space-separated in DEVLINKS.
std::string ByIdPath(const DeviceProperties& properties) {
  std::string links = Property(properties, kByIdLinks) + "\n" + Property(properties, "DEVLINKS");
  std::replace(links.begin(), links.end(), ' ', '\n');
  std::string chosen;
  std::string_view rest = links;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    const std::string_view link = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (link.size() > kByIdFolder.size() && link.starts_with(kByIdFolder) &&
        (chosen.empty() || link < chosen)) {
      chosen = std::string(link);
    }
  }
  return chosen;
}

}  // namespace

std::optional<SerialPortInfo> SerialPortFromProperties(const DeviceProperties& properties) {
  std::string device = Property(properties, "DEVNAME");
  if (device.empty()) return std::nullopt;
  if (device.front() != '/') device = "/dev/" + device;
  // The serial core registers a fixed number of built-in ports; those whose probe found no UART
  // report the type 0, and opening them fails with an input/output error.
  const std::string type = Property(properties, kUartType);
  if (!type.empty() && type.find_first_not_of("0 \n") == std::string::npos) return std::nullopt;
  return SerialPortInfo{std::move(device), ByIdPath(properties), Describe(properties)};
}

std::string SerialPortsFoundLine(const std::vector<SerialPortInfo>& ports) {
  if (ports.empty()) return "No serial ports found.";
  std::string line = "Serial ports found: ";
  for (std::size_t i = 0; i < ports.size(); ++i) {
    if (i > 0) line += ", ";
    line += ports[i].device;
    if (!ports[i].description.empty()) line += " (" + ports[i].description + ")";
  }
  return line;
}

}  // namespace marvek
