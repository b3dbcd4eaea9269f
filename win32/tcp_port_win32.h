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
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "transport/port_address.h"
#include "transport/serial_port.h"
#include "transport/telnet_codec.h"

namespace vqx::win32 {

struct TcpPortOptions {
  int connect_timeout_ms = 3000;
  int negotiation_timeout_ms = 1000;
  // Gets each note about the connection and the Telnet negotiation, on the
  // thread that noticed it, without the port's lock.
  std::function<void(const std::string& note)> on_note;
};

class Win32TcpPort : public SerialPort {
 public:
  // Starts Winsock (once per process); connects only in Open().
  explicit Win32TcpPort(const PortAddress& address,
                        TcpPortOptions options = {});
  ~Win32TcpPort() override;
  Win32TcpPort(const Win32TcpPort&) = delete;
  Win32TcpPort& operator=(const Win32TcpPort&) = delete;

  // Connects if not connected; true when connected.
  bool Open();

  bool Write(std::string_view bytes) override;
  std::size_t WaitAndRead(std::span<char> buffer) override;
  void CancelRead() override;

  const PortAddress& address() const { return address_; }
  bool connected() const;
  // The text of the last failure (connecting, sending, a lost connection),
  // "" if none.
  std::string last_error() const;
  // rfc2217 only: how the server took the COM port option.
  std::optional<ComPortOptionState> com_port_option() const;

 private:
  struct Connection {
    SOCKET socket = INVALID_SOCKET;
    std::unique_ptr<TelnetCodec> codec;
    std::string pending;
  };

  // Connects and negotiates; on failure returns INVALID_SOCKET in the
  // connection and the reason in `error`.
  Connection Connect(std::vector<std::string>& notes, std::string& error) const;
  bool Negotiate(Connection& connection, std::vector<std::string>& notes,
                 std::string& error) const;
  // With mutex_ held: marks the connection lost.
  void Lose(const std::string& reason, std::vector<std::string>& notes);
  void Tell(const std::vector<std::string>& notes) const;

  const PortAddress address_;
  const TcpPortOptions options_;
  bool winsock_ready_ = false;
  std::mutex connect_mutex_;  // one connection attempt at a time
  mutable std::mutex mutex_;  // everything below
  SOCKET socket_ = INVALID_SOCKET;
  std::unique_ptr<TelnetCodec> codec_;
  std::string pending_;
  bool connected_ = false;
  std::uint64_t generation_ = 0;
  std::string last_error_;
  HANDLE socket_event_ = nullptr;  // FD_READ and FD_CLOSE of the connection
  HANDLE stop_event_ = nullptr;
  HANDLE wake_event_ = nullptr;  // a new connection while the reader waits
};

}  // namespace vqx::win32
