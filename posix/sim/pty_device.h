// Runs one or more `DeviceModel`s on the master end of a pseudo-terminal:
// reads what the program under test writes to the slave end, answers with
// the models' replies (after the configured delay, halves of a split reply
// 20 ms apart) and logs every line received and every reply sent. Several
// models are several devices on one RS-485 line: each takes every line and
// answers those addressed to it.
//
// When the last peer closes the slave, its line settings are reset, so the
// next peer (a restarted program under Wine, say) finds a fresh line.
//
// Given a TCP address instead, the line is a raw TCP connection, as a serial
// device server in raw mode gives it: one client at a time (a second one is
// closed at once, with a note in the log); when the client goes, its
// unfinished line and the replies not yet sent are dropped and the next
// client finds a fresh line with the same devices.
//
// The loop is single-threaded and sleeps in poll() between events, so an idle
// device costs no CPU. Another thread may stop it and may look at the model
// through WithModel.
#pragma once

#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "posix/pty.h"
#include "posix/sim/device_model.h"
#include "transport/port_address.h"

namespace vqx::sim {

using SteadyTime = std::chrono::steady_clock::time_point;

struct PtyDeviceOptions {
  int delay_ms = 0;  // before every reply
  // Every received byte goes straight back, before any reply, as a line
  // adapter that echoes what it transmits would send it.
  bool echo = false;
  // Non-zero: a reply also waits as long as its command and itself take on
  // a line of this many baud (11 bits a character: 8 data bits, parity,
  // start and stop bit), as a real line would make it.
  int baud = 0;
  std::FILE* log = nullptr;    // log file, flushed per line (not owned)
  bool log_to_stderr = false;  // the same lines on stderr
  // Pause between the writes of one reply (noise, split halves), long
  // enough for the receiver to see separate reads.
  int write_pause_ms = 20;
  // A reply held by the coalesce fault goes out alone after this long
  // without another reply.
  int held_reply_timeout_ms = 1000;
  // Observers, called on the loop thread: a complete line received, and a
  // reply whose last byte is being written (called just before the write).
  std::function<void(const LineEvent&, SteadyTime)> on_line;
  std::function<void(const std::string& reply, SteadyTime)> on_reply;
};

class PtyDevice {
 public:
  // Opens the pseudo-terminal; throws PosixError.
  PtyDevice(DeviceModel model, PtyDeviceOptions options);
  // Several devices on one line (at least one).
  PtyDevice(std::vector<DeviceModel> models, PtyDeviceOptions options);
  // The devices on a raw TCP line: listens on `listen` (a tcp:// address;
  // port 0 picks a free port). Throws PosixError, or std::invalid_argument
  // for an address that is not tcp://.
  PtyDevice(std::vector<DeviceModel> models, PtyDeviceOptions options,
            const PortAddress& listen);
  ~PtyDevice();
  PtyDevice(const PtyDevice&) = delete;
  PtyDevice& operator=(const PtyDevice&) = delete;

  // The pseudo-terminal's slave device ("" on a TCP line).
  const std::string& slave_path() const;
  // Where a client reaches the line: the slave device, or
  // "tcp://127.0.0.1:PORT" with the port actually listened on.
  std::string line_name() const;

  // Serves the line until Stop() is called, or until `control_fd` (when not
  // -1) becomes readable and `on_control` returns false. Throws PosixError
  // when polling or reading the master fails for good.
  void Run(int control_fd = -1, const std::function<bool()>& on_control = {});

  // Makes Run return soon. Safe from any thread and from signal handlers.
  void Stop();

  // Runs `use` on the first model, or the one at `index`, under the loop's
  // lock.
  template <class Use>
  auto WithModel(Use&& use) {
    return WithModel(0, std::forward<Use>(use));
  }
  template <class Use>
  auto WithModel(std::size_t index, Use&& use) {
    std::lock_guard<std::mutex> lock(model_mutex_);
    return use(models_.at(index));
  }

 private:
  struct PendingWrite {
    SteadyTime due;
    std::string bytes;
    std::vector<std::string> replies;  // logged once these bytes are out
  };

  void ReadMaster();
  void WatchPeers();
  void AcceptClient();
  void DropClient(std::string_view why);
  // The descriptor replies go to and commands come from; -1 when no client
  // is connected to a TCP line.
  int line_fd() const;
  // `line_bytes`: the length of the received line the reply answers.
  void Schedule(Transmission out, SteadyTime now, std::size_t line_bytes);
  // How long `bytes` characters take on the emulated line (0 without one).
  std::chrono::microseconds LineTime(std::size_t bytes) const;
  void WriteDue(SteadyTime now);
  void WriteAll(const std::string& bytes);
  void Log(std::string_view tag, std::string_view text);
  int PollTimeoutMs(SteadyTime now) const;

  std::unique_ptr<PseudoTerminal> pty_;  // null on a TCP line
  int listen_fd_ = -1;
  int client_fd_ = -1;
  std::string listen_name_;
  std::mutex model_mutex_;
  std::vector<DeviceModel> models_;
  PtyDeviceOptions options_;
  int stop_pipe_[2] = {-1, -1};
  // Opens and closes of the slave by peers (inotify), -1 when unavailable.
  int peer_watch_ = -1;
  int peers_open_ = 0;
  std::deque<PendingWrite> queue_;
  SteadyTime last_due_{};
  bool held_deadline_set_ = false;
  SteadyTime held_deadline_{};
};

// "HH:MM:SS.mmm" of the local wall-clock time.
std::string LogTimestamp();

// Control bytes and bytes above 0x7E as \xNN, the rest as is.
std::string Printable(std::string_view bytes);

}  // namespace vqx::sim
