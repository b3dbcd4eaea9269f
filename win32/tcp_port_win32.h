// The link's SerialPort over a TCP connection to a serial device server,
// through Winsock: rfc2217:// (Telnet with the COM port control option,
// through TelnetCodec) or tcp:// (the bytes as they are).
//
// Open() resolves the host, tries each of its addresses with a non-blocking
// connect until the connect time-out (3 s in all) runs out, turns off Nagle's
// delay, and for rfc2217 waits up to the negotiation time-out for the server
// to accept or refuse the COM port option and to answer the line settings (a
// server that stays silent is used as it is). A failure leaves the text
// "connect to HOST port N: <the system's text>" in last_error() for the
// caller's box.
//
// A connection the server closes or resets makes the pending WaitAndRead
// return 0 with last_error() saying so, and connected() false; until a new
// connection is made, WaitAndRead waits only for CancelRead. The next Write
// connects again (on the calling thread, so it may take up to the connect
// and negotiation time-outs) and then sends; Open() does the same without
// sending. As with the COM port, CancelRead is for the end of the program:
// every WaitAndRead after it returns 0.
//
// The connection's state, the negotiation and the notes are NetworkPort's
// (transport/network_session.h); this port makes the sockets and waits on
// their events.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <memory>
#include <string>

#include "transport/network_session.h"
#include "transport/port_address.h"

namespace vqx::win32 {

class Win32TcpPort : public NetworkPort {
 public:
  // Starts Winsock (once per process); connects only in Open().
  explicit Win32TcpPort(const PortAddress& address,
                        TcpPortOptions options = {});
  ~Win32TcpPort() override;
  Win32TcpPort(const Win32TcpPort&) = delete;
  Win32TcpPort& operator=(const Win32TcpPort&) = delete;

  // Connects if not connected; true when connected.
  bool Open() { return session_.Reconnect(); }

  void CancelRead() override;

 private:
  std::unique_ptr<NetworkChannel> Connect(std::string& error) override;
  bool Install(NetworkChannel& fresh, std::string& error) override;
  void WakeReader() override;
  Wake WaitForReader(bool connected, std::string& error) override;

  bool winsock_ready_ = false;
  SOCKET socket_ = INVALID_SOCKET;  // under the session's lock
  HANDLE socket_event_ = nullptr;   // FD_READ and FD_CLOSE of the connection
  HANDLE stop_event_ = nullptr;
  HANDLE wake_event_ = nullptr;  // a new connection while the reader waits
};

}  // namespace vqx::win32
