#include <gtest/gtest.h>

#include <string>

#include "upload/serial_link.h"

namespace marvek {
namespace {

TEST(FromOperatorChoice, TheFourthCharacterNamesTheSerialPort) {
  struct Case {
    const char* port;
    int number;
    const char* device;
  };
  for (const Case c : {Case{"Com1", 1, "/dev/ttyS0"}, Case{"Com2", 2, "/dev/ttyS1"},
                       Case{"Com12", 1, "/dev/ttyS0"}, Case{"COM9", 9, "/dev/ttyS8"},
                       Case{"/dev/ttyUSB0", 0, "/dev/ttyUSB0"},
                       Case{"rfc2217://booth:4001", 0, "rfc2217://booth:4001"},
                       Case{"socket://[fe80::1]:4001", 0, "socket://[fe80::1]:4001"}}) {
    SCOPED_TRACE(c.port);
    const LinkSettings s = FromOperatorChoice(c.port, "9600");
    EXPECT_TRUE(s.usable()) << s.problem;
    EXPECT_EQ(s.portNumber, c.number);
    EXPECT_EQ(s.device, c.device);
    EXPECT_EQ(s.settings, "9600,N,8,1");
    EXPECT_EQ(s.speed, 9600);
  }
  EXPECT_EQ(FromOperatorChoice("Com1", "115200").settings, "115200,N,8,1");
  EXPECT_EQ(FromOperatorChoice("Com1", " 38400 ").speed, 38400);
}

TEST(FromOperatorChoice, TakesANetworkPortApart) {
  struct Case {
    const char* port;
    NetworkProtocol protocol;
    const char* host;
    const char* where;
  };
  for (const Case c :
       {Case{"rfc2217://booth:4001", NetworkProtocol::ComPortControl, "booth", "booth:4001"},
        Case{"socket://10.0.0.7:4001", NetworkProtocol::RawTcp, "10.0.0.7", "10.0.0.7:4001"},
        Case{"socket://[fe80::1]:4001", NetworkProtocol::RawTcp, "fe80::1", "[fe80::1]:4001"}}) {
    SCOPED_TRACE(c.port);
    const std::optional<NetworkPort> network = FromOperatorChoice(c.port, "9600").network;
    ASSERT_TRUE(network);
    EXPECT_EQ(network->protocol, c.protocol);
    EXPECT_EQ(network->host, c.host);
    EXPECT_EQ(network->service, "4001");
    EXPECT_EQ(network->where, c.where);
  }
}

TEST(FromOperatorChoice, SaysWhyAPortOrSpeedCannotBeUsed) {
  // A network prefix is read as nothing else: "rfc2217://booth" is not Com2.
  for (const char* port : {"", "Com", "Com0", "ComX", "ttyUSB0", "rfc2217://booth",
                           "socket://:4001", "socket://booth:0", "socket://booth:65536",
                           "socket://booth:40a1", "rfc2217://[::1:4001", "socket://fe80::1:4001"}) {
    SCOPED_TRACE(port);
    const LinkSettings s = FromOperatorChoice(port, "9600");
    EXPECT_FALSE(s.usable());
    EXPECT_TRUE(s.namesNoPort());
    // How to mend it is the face's to say.
    EXPECT_EQ(s.problem, "Port \"" + std::string(port) + "\" names no port");
  }
  for (const char* speed : {"", "abc", "0", "-9600", "+9600", "96 00", "9600.5", "99999999999"}) {
    SCOPED_TRACE(speed);
    const LinkSettings s = FromOperatorChoice("Com1", speed);
    EXPECT_FALSE(s.usable());
    EXPECT_FALSE(s.namesNoPort());
    EXPECT_EQ(s.problem, "Speed \"" + std::string(speed) +
                             "\" is not a whole number of bits per second, such as 9600");
  }
}

}  // namespace
}  // namespace marvek
