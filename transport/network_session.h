// What the network ports of both front ends share about their connection
// to a serial device server: the connection's state under one lock (the
// Telnet codec, the device bytes that came during the negotiation, the
// connected flag, a generation per connection, the last failure), the
// Telnet negotiation after a connect, encoding on the way out, decoding and
// answering on the way in, the lost connection, and the notes told to
// `TcpPortOptions::on_note`. The ports derive from NetworkPort and keep
// what is their platform's: making a socket and connecting it, waiting, and
// the system's texts of errors.
//
// Every text here is one the user sees in a box, on the console or in the
// traffic log: "connected to rfc2217://HOST:PORT", "connection to HOST port
// N lost: REASON", "server did not answer COM-PORT-OPTION within 1 s; going
// on without it", ...
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "transport/port_address.h"
#include "transport/serial_port.h"
#include "transport/telnet_codec.h"

namespace vqx {

struct TcpPortOptions {
  int connect_timeout_ms = 3000;
  int negotiation_timeout_ms = 1000;
  // Gets each note about the connection and the Telnet negotiation
  // ("connected to ::1 port 4001 (rfc2217)", "server refused
  // COM-PORT-OPTION: plain Telnet, ...", "connection to ... lost: closed by
  // the server"), on the thread that noticed it, without the port's lock.
  std::function<void(const std::string& note)> on_note;
};

// A time-out as the notes give it: "3 s", or "300 ms" when not whole
// seconds.
std::string TimeoutText(int ms);

// The whole milliseconds until `deadline`, rounded up; 0 once it passed.
int MillisecondsLeft(std::chrono::steady_clock::time_point deadline);

// How one call on a socket went.
struct IoResult {
  enum class Status {
    kDone,
    kTimedOut,    // no room to send, or nothing to read, in time
    kWouldBlock,  // nothing to receive just now
    kClosed,      // the server closed the connection
    kFailed,
  };
  IoResult(Status status = Status::kDone, std::size_t count = 0,
           std::string error = {})
      : status(status), count(count), error(std::move(error)) {}

  Status status;
  std::size_t count;  // Receive: the bytes placed in the buffer
  // kTimedOut from SendAll and kFailed: the system's text of the error
  // ("Connection reset by peer"); for a failed WaitReadable, the whole
  // message, naming the call and the server.
  std::string error;
};

// One connected socket, as the platform drives it. The session calls it
// from one thread at a time.
class NetworkChannel {
 public:
  NetworkChannel() = default;
  NetworkChannel(const NetworkChannel&) = delete;
  NetworkChannel& operator=(const NetworkChannel&) = delete;
  virtual ~NetworkChannel() = default;
  // Sends every byte, waiting at most `timeout_ms` for room.
  virtual IoResult SendAll(std::string_view bytes, int timeout_ms) = 0;
  // Waits until something can be received, or `deadline` passes.
  virtual IoResult WaitReadable(
      std::chrono::steady_clock::time_point deadline) = 0;
  // Receives what has come, without waiting.
  virtual IoResult Receive(std::span<char> buffer) = 0;
  // Ends the connection both ways, waking a reader that waits on it.
  virtual void Shutdown() = 0;
};

// What a network port does for its session on its platform.
class NetworkPlatform {
 public:
  // What ended a reader's wait.
  enum class Wake {
    kReadable,  // what the reader waited on is ready
    kAgain,     // nothing for the reader: wait again
    kStopped,   // CancelRead
    kFailed,    // the wait itself failed; `error` says why
  };

  virtual ~NetworkPlatform() = default;
  // Resolves the host and connects, within the connect time-out; the
  // connection, or null with the reason in `error` ("connect to HOST port
  // N: ...").
  virtual std::unique_ptr<NetworkChannel> Connect(std::string& error) = 0;
  // Called with the session's lock held: makes `fresh`, one this platform's
  // Connect made, the port's connection. False with the reason in `error`
  // when it cannot be.
  virtual bool Install(NetworkChannel& fresh, std::string& error) = 0;
  // Tells a reader that waits while there is no connection that one has
  // come.
  virtual void WakeReader() = 0;
  // Waits, without the session's lock, for the port's connection to have
  // something to receive (`connected`) or for WakeReader (not
  // `connected`), and for CancelRead either way.
  virtual Wake WaitForReader(bool connected, std::string& error) = 0;
};

class NetworkSession {
 public:
  // Bytes held from the negotiation until the first read: the device says
  // nothing before it is asked, so more than this is not a device.
  static constexpr std::size_t kMaxPendingBytes = 4096;

  // `platform` outlives the session.
  NetworkSession(const PortAddress& address, TcpPortOptions options,
                 NetworkPlatform& platform);
  NetworkSession(const NetworkSession&) = delete;
  NetworkSession& operator=(const NetworkSession&) = delete;

  // The first connection, for a port that reports a failure itself: ""
  // once connected, else the reason, which is neither told nor kept.
  std::string ConnectFirst();
  // Connects again if the connection was lost; true when connected. A
  // failure is kept in last_error() and told.
  bool Reconnect();

  // SerialPort's calls: Write connects again first after a lost connection.
  bool Write(std::string_view bytes);
  std::size_t WaitAndRead(std::span<char> buffer);

  const PortAddress& address() const { return address_; }
  const TcpPortOptions& options() const { return options_; }
  bool connected() const;
  std::string last_error() const;
  std::optional<ComPortOptionState> com_port_option() const;

 private:
  struct Connection {
    std::unique_ptr<NetworkChannel> channel;
    std::unique_ptr<TelnetCodec> codec;
    std::string pending;  // device bytes that came during the negotiation
  };

  // Connects and, for rfc2217, negotiates; no channel on failure, with the
  // reason in `error`.
  Connection Connect(std::vector<std::string>& notes, std::string& error);
  bool Negotiate(Connection& connection, std::vector<std::string>& notes,
                 std::string& error) const;
  // Makes `connection` the current one; false (with last_error() set) when
  // the platform refuses it.
  bool Install(Connection& connection);
  // With mutex_ held: marks the connection lost.
  void Lose(const std::string& reason, std::vector<std::string>& notes);
  void Tell(const std::vector<std::string>& notes) const;

  const PortAddress address_;
  const TcpPortOptions options_;
  NetworkPlatform& platform_;
  std::mutex connect_mutex_;  // one connection attempt at a time
  mutable std::mutex mutex_;  // everything below
  std::unique_ptr<NetworkChannel> channel_;
  std::unique_ptr<TelnetCodec> codec_;
  std::string pending_;
  bool connected_ = false;
  std::uint64_t generation_ = 0;
  std::string last_error_;
};

// The link's SerialPort over a network connection, as both front ends have
// it: a port of a platform derives from it and is its own NetworkPlatform.
class NetworkPort : public SerialPort, protected NetworkPlatform {
 public:
  // Sends every byte (IAC doubled for rfc2217), waiting at most the line
  // settings' write time-out for room; connects again first after a lost
  // connection.
  bool Write(std::string_view bytes) final { return session_.Write(bytes); }
  // Returns the device's bytes as they arrive (Telnet commands taken out and
  // answered); 0 after CancelRead and once when the connection is lost.
  std::size_t WaitAndRead(std::span<char> buffer) final {
    return session_.WaitAndRead(buffer);
  }

  const PortAddress& address() const { return session_.address(); }
  bool connected() const { return session_.connected(); }
  // The text of the last failure (connecting, sending, a lost connection),
  // "" if none.
  std::string last_error() const { return session_.last_error(); }
  // rfc2217 only: how the server took the COM port option.
  std::optional<ComPortOptionState> com_port_option() const {
    return session_.com_port_option();
  }

 protected:
  NetworkPort(const PortAddress& address, TcpPortOptions options)
      : session_(address, std::move(options), *this) {}

  NetworkSession session_;
};

}  // namespace vqx
