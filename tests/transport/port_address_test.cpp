#include "transport/port_address.h"

#include <gtest/gtest.h>

#include <string>

namespace vqx {
namespace {

struct GoodCase {
  const char* text;
  PortKind kind;
  const char* device;
  const char* host;
  int port;
  const char* written;  // ToString()
};

TEST(PortAddressTest, AcceptedAddresses) {
  const GoodCase cases[] = {
      {"/dev/ttyUSB0", PortKind::kSerial, "/dev/ttyUSB0", "", 0,
       "/dev/ttyUSB0"},
      {"COM3", PortKind::kSerial, "COM3", "", 0, "COM3"},
      {R"(\\.\COM12)", PortKind::kSerial, R"(\\.\COM12)", "", 0,
       R"(\\.\COM12)"},
      // A colon alone does not make a URL.
      {"/tmp/a:b", PortKind::kSerial, "/tmp/a:b", "", 0, "/tmp/a:b"},
      {"rfc2217://192.168.1.50:4001", PortKind::kRfc2217, "", "192.168.1.50",
       4001, "rfc2217://192.168.1.50:4001"},
      {"RFC2217://server-2.local:1", PortKind::kRfc2217, "", "server-2.local",
       1, "rfc2217://server-2.local:1"},
      {"tcp://localhost:65535", PortKind::kRawTcp, "", "localhost", 65535,
       "tcp://localhost:65535"},
      {"tcp://[::1]:7000", PortKind::kRawTcp, "", "::1", 7000,
       "tcp://[::1]:7000"},
      {"rfc2217://[fe80::1%eth0]:02000", PortKind::kRfc2217, "", "fe80::1%eth0",
       2000, "rfc2217://[fe80::1%eth0]:2000"},
  };
  for (const GoodCase& c : cases) {
    SCOPED_TRACE(c.text);
    PortAddress address;
    std::string error;
    ASSERT_TRUE(ParsePortAddress(c.text, address, error)) << error;
    EXPECT_EQ(address.kind, c.kind);
    EXPECT_EQ(address.device, c.device);
    EXPECT_EQ(address.host, c.host);
    EXPECT_EQ(address.port, c.port);
    EXPECT_EQ(address.ToString(), c.written);
    if (address.is_network()) {
      EXPECT_EQ(address.Endpoint(),
                std::string(c.host) + " port " + std::to_string(c.port));
    }
    // What is written reads back as the same address.
    PortAddress again;
    ASSERT_TRUE(ParsePortAddress(address.ToString(), again, error));
    EXPECT_EQ(again, address);
  }
}

TEST(PortAddressTest, RefusedAddressesSayWhatIsWrong) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "no port given"},
      {"telnet://host:23", "unknown scheme \"telnet\""},
      {"socket://host:23", "unknown scheme"},
      {"tcp://", "the host is missing"},
      {"tcp://:4001", "the host is missing"},
      {"rfc2217://host", "the port is missing; expected rfc2217://HOST:PORT"},
      {"tcp://host:", "the port is missing"},
      {"tcp://host:0", "port 0 is outside 1..65535"},
      {"tcp://host:65536", "port 65536 is outside 1..65535"},
      {"tcp://host:99999999999999999999", "is outside 1..65535"},
      {"tcp://host:-1", "the port \"-1\" is not a number"},
      {"tcp://host:40x1", "unexpected \"x1\" after the port"},
      {"tcp://host:4001/", "unexpected \"/\" after the port"},
      {"tcp://host/x", "\"host/x\" is not a host name"},
      {"tcp://bad host:1", "is not a host name"},
      {"tcp://::1:4001", "an IPv6 address goes in brackets"},
      {"tcp://[::1:4001", "no closing \"]\""},
      {"tcp://[host]:4001", "\"host\" between the brackets is not an IPv6"},
      {"tcp://[::1]4001", "unexpected \"4001\" after the host"},
      {"tcp://[::1%]:4001", "not an IPv6 address"},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    PortAddress address;
    address.device = "untouched";
    std::string error;
    EXPECT_FALSE(ParsePortAddress(text, address, error));
    EXPECT_NE(error.find(message), std::string::npos) << error;
    EXPECT_EQ(address.device, "untouched");
  }
}

}  // namespace
}  // namespace vqx
