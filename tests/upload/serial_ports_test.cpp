#include "upload/serial_ports.h"

#include <gtest/gtest.h>

namespace marvek {
namespace {

std::string Description(const DeviceProperties& properties) {
  const auto port = SerialPortFromProperties(properties);
  return port ? port->description : "<left out>";
}

TEST(SerialPortFromProperties, NamesAUsbAdapterByItsOwnMakerAndModelAndItsStablePath) {
  // As udev describes a common adapter: its own texts, the hardware database's, and its links.
  const auto ftdi = SerialPortFromProperties({
      {"DEVNAME", "/dev/ttyUSB0"},
      {"ID_VENDOR", "FTDI"},
      {"ID_VENDOR_ENC", "FTDI"},
      {"ID_MODEL", "FT232R_USB_UART"},
      {"ID_MODEL_ENC", "FT232R\\x20USB\\x20UART"},
      {"ID_VENDOR_FROM_DATABASE", "Future Technology Devices International, Ltd"},
      {"ID_MODEL_FROM_DATABASE", "FT232 Serial (UART) IC"},
      {"DEVLINKS",
       "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0 "
       "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"},
      {kDriver, "ftdi_sio"},
  });
  ASSERT_TRUE(ftdi.has_value());
  EXPECT_EQ(ftdi->device, "/dev/ttyUSB0");
  EXPECT_EQ(ftdi->byId, "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
  EXPECT_EQ(ftdi->description, "FTDI FT232R USB UART");

  // Without the udev daemon: the USB device's own texts, the links found on disk, the first
  // in name order, and a bare device name.
  const auto bare = SerialPortFromProperties({
      {"DEVNAME", "ttyACM0"},
      {kUsbManufacturer, "Arduino LLC"},
      {kUsbProduct, "Arduino Leonardo"},
      {kByIdLinks, "/dev/serial/by-id/usb-b-if00\n/dev/serial/by-id/usb-a-if00\n"},
  });
  ASSERT_TRUE(bare.has_value());
  EXPECT_EQ(bare->device, "/dev/ttyACM0");
  EXPECT_EQ(bare->byId, "/dev/serial/by-id/usb-a-if00");
  EXPECT_EQ(bare->description, "Arduino Leonardo");  // not "Arduino LLC Arduino Leonardo"

  // A device without texts of its own has only numbers; the database names it.
  EXPECT_EQ(Description({{"DEVNAME", "/dev/ttyUSB1"},
                         {"ID_VENDOR", "1a86"},
                         {"ID_MODEL", "7523"},
                         {"ID_VENDOR_FROM_DATABASE", "QinHeng Electronics"},
                         {"ID_MODEL_FROM_DATABASE", "CH340 serial converter"}}),
            "QinHeng Electronics CH340 serial converter");
  EXPECT_EQ(Description({{"DEVNAME", "/dev/ttyUSB2"},
                         {"ID_VENDOR", "Prolific_Technology_Inc."},
                         {kDriver, "pl2303"}}),
            "Prolific Technology Inc.");
}

TEST(SerialPortFromProperties, NamesABuiltInPortByItsDriverAndLeavesOutOneWithoutAUart) {
  const DeviceProperties uart{{"DEVNAME", "/dev/ttyS0"}, {kDriver, "serial8250"}, {kUartType, "4"}};
  const auto port = SerialPortFromProperties(uart);
  ASSERT_TRUE(port.has_value());
  EXPECT_EQ(port->description, "serial8250");
  EXPECT_EQ(port->byId, "");

  DeviceProperties empty = uart;
  empty[kUartType] = "0\n";
  EXPECT_FALSE(SerialPortFromProperties(empty).has_value());
  EXPECT_FALSE(SerialPortFromProperties({{kDriver, "serial8250"}}).has_value());  // no device
  // A port that has neither texts nor a driver is still listed, by its path alone.
  EXPECT_EQ(Description({{"DEVNAME", "/dev/ttyX0"}}), "");
}

TEST(SerialPortFromProperties, DeviceTextsReachTheOperatorAsOneShortPrintableLine) {
  // The texts come from whatever was plugged in: no line breaks or terminal controls get
  // through, and a very long one is cut without splitting a letter.
  EXPECT_EQ(Description({{"DEVNAME", "/dev/ttyUSB0"},
                         {kUsbManufacturer, " Evil\r\nCorp\x1B[2J "},
                         {kUsbProduct, "Cable\tOne"}}),
            "Evil Corp [2J Cable One");
  const std::string longModel = "a" + std::string(40, ' ') + std::string(62, 'b') + "\xC4\x8D";
  const std::string cut = Description({{"DEVNAME", "/dev/ttyUSB0"}, {kUsbProduct, longModel}});
  EXPECT_EQ(cut, "a " + std::string(62, 'b'));
  // A by-id link must lie in the by-id folder itself.
  EXPECT_EQ(SerialPortFromProperties({{"DEVNAME", "/dev/ttyUSB0"},
                                      {"DEVLINKS", "/dev/serial/by-id/ /dev/serial/by-idx/a"}})
                ->byId,
            "");
}

TEST(SerialPortsFoundLine, ListsEachPortWithWhatItIsOrSaysThereIsNone) {
  EXPECT_EQ(SerialPortsFoundLine({}), "No serial ports found.");
  EXPECT_EQ(SerialPortsFoundLine({{"/dev/ttyUSB0", "/dev/serial/by-id/x", "FTDI FT232R USB UART"},
                                  {"/dev/ttyX0", "", ""}}),
            "Serial ports found: /dev/ttyUSB0 (FTDI FT232R USB UART), /dev/ttyX0");
}

}  // namespace
}  // namespace marvek
