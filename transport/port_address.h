// Where the link reaches the device: a serial port, or a serial device
// server on the network, named the way installers write it:
//
//   rfc2217://HOST:PORT   Telnet with the COM port control option: the
//                         server's serial port is set to the link's line
//                         settings
//   tcp://HOST:PORT       raw TCP: the bytes as they are, the server's
//                         serial port keeps its own settings
//   anything else         a serial device path or COM port name, as given
//
// HOST is a name, an IPv4 address or an IPv6 address in brackets
// ("[fe80::1%eth0]"); PORT is 1..65535. The scheme is matched without regard
// to case. Text that starts like a URL ("telnet://...") but names no known
// scheme is refused rather than taken for a device path.
#pragma once

#include <string>
#include <string_view>

namespace vqx {

enum class PortKind { kSerial, kRfc2217, kRawTcp };

struct PortAddress {
  PortKind kind = PortKind::kSerial;
  std::string device;  // kSerial: the path or port name as given
  std::string host;    // network: without brackets
  int port = 0;        // network: 1..65535

  bool is_network() const { return kind != PortKind::kSerial; }
  // The address as it would be written: the device as given, or
  // "rfc2217://host:port" with an IPv6 host in brackets.
  std::string ToString() const;
  // "host port N" ("::1 port 4001"), for messages about the connection.
  std::string Endpoint() const;
  bool operator==(const PortAddress&) const = default;
};

// Fills `address` from `text`. On a bad address returns false, leaves
// `address` alone and puts in `error` what is wrong and where
// ("tcp://host:99999: port 99999 is outside 1..65535").
bool ParsePortAddress(std::string_view text, PortAddress& address,
                      std::string& error);

}  // namespace vqx
