// Where the program reaches the device when it is not a COM port: a serial
// device server on the network, by RFC 2217 or raw TCP. The serial settings
// dialog writes the choice to the INI file as the user makes it and the
// program opens it at its next start, as it does a COM port.
//
// Keys, in the program's section beside "com_port": "net_kind" (0 or absent:
// the COM port; 1: RFC 2217; 2: raw TCP), "net_host" and "net_port". A user
// who never chooses the network has none of them in the file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/platform.h"
#include "transport/port_address.h"

namespace vqx {

inline constexpr std::string_view kNetKindKey = "net_kind";
inline constexpr std::string_view kNetHostKey = "net_host";
inline constexpr std::string_view kNetPortKey = "net_port";

// What the INI file holds about the network, whether or not it is chosen.
struct NetworkChoice {
  bool chosen = false;
  PortKind kind = PortKind::kRfc2217;  // kRfc2217 or kRawTcp
  std::string host;                    // as typed
  int port = 0;                        // 1..65535 when valid

  // The address to connect to, or nothing when the choice is not one
  // (no host, a port outside 1..65535).
  std::optional<PortAddress> Address() const;
};

NetworkChoice ReadNetworkChoice(ProfileStore& profile);

// Each writes its key at once; false when the file could not be written.
bool WriteNetworkChosen(ProfileStore& profile, bool chosen, PortKind kind);
bool WriteNetworkHost(ProfileStore& profile, std::string_view host);
bool WriteNetworkPort(ProfileStore& profile, int port);

// The port typed in the dialog: 1..65535 in decimal digits, else nothing.
std::optional<int> ParseNetworkPort(std::string_view text);

// The boxes of the network port, naming where it goes ("rfc2217://host:4001")
// and, after a line break, why (the system's text).
std::string NetworkConnectFailedText(const PortAddress& address,
                                     std::string_view reason);
std::string NetworkAddressInvalidText();

}  // namespace vqx
