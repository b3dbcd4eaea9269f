// The link's SerialPort over a TCP connection to a serial device server:
// rfc2217:// (Telnet with the COM port control option, through TelnetCodec)
// or tcp:// (the bytes as they are).
//
// Connecting resolves the host, tries each of its addresses with a
// non-blocking connect until the connect time-out (3 s in all) runs out, turns
// off Nagle's delay (a command line goes out at once), and for rfc2217 waits
// up to the negotiation time-out for the server to accept or refuse the COM
// port option and to answer the line settings (a server that stays silent
// is used as it is).
//
// A connection the server closes or resets makes the pending WaitAndRead
// return 0 with last_error() saying so, and connected() false; until a new
// connection is made, WaitAndRead waits only for CancelRead. The next Write
// connects again (on the calling thread, so it may take up to the connect
// and negotiation time-outs) and then sends; when that fails it returns
// false with the reason in last_error(). Reconnect() does the same without
// sending.
//
// The connection's state, the negotiation and the notes are the
// NetworkSession's; this port makes the sockets and waits on them.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "transport/network_session.h"
#include "transport/port_address.h"
#include "transport/serial_port.h"
#include "transport/telnet_codec.h"

namespace vqx {

// A connection that could not be made; the text names host and port
// ("connect to 192.168.1.50 port 4001: Connection refused").
class TcpPortError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TcpPort : public SerialPort, private NetworkPlatform {
 public:
  // Connects to `address`, which must be a network address. Throws
  // TcpPortError.
  explicit TcpPort(const PortAddress& address, TcpPortOptions options = {});
  ~TcpPort() override;
  TcpPort(const TcpPort&) = delete;
  TcpPort& operator=(const TcpPort&) = delete;

  // Sends every byte (IAC doubled for rfc2217), waiting at most the line
  // settings' write time-out for room; connects again first after a lost
  // connection.
  bool Write(std::string_view bytes) override;
  // Returns the device's bytes as they arrive (Telnet commands taken out and
  // answered); 0 after CancelRead and once when the connection is lost.
  std::size_t WaitAndRead(std::span<char> buffer) override;
  void CancelRead() override;

  // Connects again if the connection was lost; true when connected.
  bool Reconnect() { return session_.Reconnect(); }

  const PortAddress& address() const { return session_.address(); }
  bool connected() const { return session_.connected(); }
  // The text of the last failure (connecting, sending, a lost connection),
  // "" if none.
  std::string last_error() const { return session_.last_error(); }
  // rfc2217 only: how the server took the COM port option.
  std::optional<ComPortOptionState> com_port_option() const {
    return session_.com_port_option();
  }

 private:
  std::unique_ptr<NetworkChannel> Connect(std::string& error) override;
  bool Install(NetworkChannel& fresh, std::string& error) override;
  void WakeReader() override;
  Wake WaitForReader(bool connected, std::string& error) override;

  int fd_ = -1;  // the same number for every connection
  int cancel_pipe_[2] = {-1, -1};
  int wake_pipe_[2] = {-1, -1};  // a new connection while the reader waits
  NetworkSession session_;
};

}  // namespace vqx
