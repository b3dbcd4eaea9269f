// The program's side of the device link, put together in one place: the
// link flags, the link's configuration and the slave address chosen, the
// link that frames and writes each command, the dispatch that judges each
// reply (with its record of which read-backs came and the versions by
// address), the traffic log that sees every line both ways, and the receive
// thread that reads the port. The Windows program and the command-line
// tool each hold one; they only open a port, attach it and start. The
// settings record is its owner's: the read-backs write into it.
//
// The port is any `SerialPort`: a COM port, a pseudo-terminal, or a serial
// device server on the network. The connection never closes it; its owner
// stops the connection first (the receive thread must not be inside a read
// when the port goes).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "base/device_settings.h"
#include "base/platform.h"
#include "protocol/read_all.h"
#include "protocol/reply_dispatch.h"
#include "protocol/traffic_log.h"
#include "transport/link.h"
#include "transport/link_state.h"
#include "transport/serial_port.h"

namespace vqx {

class Connection {
 public:
  // The read-backs write into `settings`; `boxes` shows what the replies
  // raise, on the receive thread; `clock` times the echoes. All must outlive
  // the connection.
  Connection(SettingsStore& settings, MessageBoxes& boxes, SteadyClock& clock);
  // Stop(), waiting as long as it takes.
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // The port to write to and read from (nullptr: none, so every command ends
  // in the watchdog's "No Connect"). A receive thread reading the previous
  // port is stopped first and not started again.
  void Attach(SerialPort* port);
  SerialPort* port() const { return port_; }

  // Where every line sent and received is logged (nullptr: nowhere).
  void SetTrafficLog(TrafficLog* log);

  // Starts the receive thread on the attached port. False when the system
  // would not create the thread; the link still sends.
  bool Start();

  // Ends the receive thread: clears receive_running and wakes the pending
  // read. Waits up to `wait` for the thread to end; a thread that has not
  // ended by then (it may be showing a box) is left to finish on its own and
  // the connection must then live until the process ends. True when the
  // thread has ended (or none ran).
  bool Stop(std::chrono::milliseconds wait = std::chrono::milliseconds::max());
  bool receiving() const { return thread_.joinable(); }

  Link& link() { return link_; }
  ReplyDispatcher& dispatcher() { return dispatcher_; }
  ReadBackRecord& read_backs() { return read_backs_; }
  VersionReplies& version_replies() { return dispatcher_.version_replies(); }
  LinkState& state() { return state_; }
  const LinkState& state() const { return state_; }
  LinkConfig& config() { return config_; }
  const LinkConfig& config() const { return config_; }
  // The RS-485 address every command goes to: 0..31, or kBroadcastAddress
  // and above for "FF". 0 at first; never saved.
  std::atomic<int>& slave_address() { return slave_address_; }
  const std::atomic<int>& slave_address() const { return slave_address_; }

 private:
  LinkState state_;
  LinkConfig config_;
  std::atomic<int> slave_address_{0};
  Link link_;
  ReplyDispatcher dispatcher_;
  ReadBackRecord read_backs_;
  SerialPort* port_ = nullptr;
  std::thread thread_;
  std::mutex ended_mutex_;
  std::condition_variable ended_changed_;
  bool ended_ = false;
};

}  // namespace vqx
