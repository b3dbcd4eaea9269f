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
// The connection's state, the negotiation and the notes are NetworkPort's
// (transport/network_session.h); this port makes the sockets and waits on
// them.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "transport/network_session.h"
#include "transport/port_address.h"

namespace vqx {

// A connection that could not be made; the text names host and port
// ("connect to 192.168.1.50 port 4001: Connection refused").
class TcpPortError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TcpPort : public NetworkPort {
 public:
  // Connects to `address`, which must be a network address. Throws
  // TcpPortError.
  explicit TcpPort(const PortAddress& address, TcpPortOptions options = {});
  ~TcpPort() override;
  TcpPort(const TcpPort&) = delete;
  TcpPort& operator=(const TcpPort&) = delete;

  void CancelRead() override;

  // Connects again if the connection was lost; true when connected.
  bool Reconnect() { return session_.Reconnect(); }

 private:
  std::unique_ptr<NetworkChannel> Connect(std::string& error) override;
  bool Install(NetworkChannel& fresh, std::string& error) override;
  void WakeReader() override;
  Wake WaitForReader(bool connected, std::string& error) override;

  int fd_ = -1;  // the same number for every connection
  int cancel_pipe_[2] = {-1, -1};
  int wake_pipe_[2] = {-1, -1};  // a new connection while the reader waits
};

}  // namespace vqx
