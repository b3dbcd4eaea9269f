// One conversation with a device for the command-line tool: the port, one
// `Connection` (receive thread, link, reply dispatch) over the session's
// own settings record, and the timed runs of send-all and read-all driven
// from the calling thread with a steady clock.
//
// The sequences themselves are the core's (`SendAllSequence`,
// `ReadAllSequence`): this class only ticks them, at their fixed pace or
// paced by the replies, runs the link's timer duty (reply watchdog) every
// 300 ms, and decides what counts as success. Unlike the dialogs, which
// leave the user to read the boxes, a run here succeeds only when every line
// was sent, every line got its answer, the device refused none ("GN"), no
// error or warning box was shown and, for read-all, every setting was
// reported by its own read-back and no read-back came that no read asked
// for. What answers a line is the core's rule (`LinkState::answers`), the
// one the program's runs go by; lines that answered nothing are mentioned
// (an echoing line without --echo) but fail only a read-all, and only when
// they were read-backs. The address scan is the core's `AddressScan`,
// ticked the same way.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/device_settings.h"
#include "base/platform.h"
#include "posix/open_port.h"
#include "posix/platform_posix.h"
#include "protocol/address_scan.h"
#include "protocol/connection.h"
#include "protocol/read_all.h"
#include "protocol/reply_dispatch.h"
#include "protocol/traffic_log.h"
#include "transport/link.h"

namespace vqx {

struct SessionOptions {
  // A serial device, or a serial device server: "rfc2217://HOST:PORT",
  // "tcp://HOST:PORT".
  std::string port_path;
  // Notes about a network connection (see OpenPort).
  PortNoteFn on_note;
  bool rs485 = false;
  // 0..31, or kBroadcastAddress; used in RS-485 mode only.
  int address = 0;
  // The line adapter echoes every byte sent (echo tolerance).
  bool echo = false;
  // Where every line sent and received is logged (not owned; nullptr for
  // none). It must outlive the session.
  TrafficLog* traffic_log = nullptr;
  // Called on the receive thread after each reply line has been dispatched
  // (its effect on the settings is done), with the line without address.
  std::function<void(std::string_view work_copy)> reply_observer;
};

// The clock of a run. The real periods are the defaults; tests shorten them.
struct Pacing {
  // Paced by the replies: each line goes out once the previous one is
  // answered (step_period then only paces a broadcast).
  bool reply_paced = false;
  std::chrono::milliseconds step_period{500};
  std::chrono::milliseconds timer_period{300};  // link timer duty
  // After the last line: how long to wait for the outstanding answers.
  std::chrono::milliseconds final_reply_timeout{3000};
};

Pacing SendAllPacing();
Pacing ReadAllPacing();

struct SessionResult {
  bool ok = false;
  std::string message;  // one line: what failed, or what was done
  int steps = 0;        // steps run
};

// The answer to a line sent by hand.
struct LineReply {
  std::string text;       // without its line end: "VN1.00"
  std::string work_copy;  // as received, address removed, line end kept
};

// Called after every step: the step number and the percentage text.
using ProgressFn = std::function<void(int step, const std::string& percent)>;

class DeviceSession {
 public:
  // Opens the port and starts the receive thread. Throws what OpenPort
  // throws when the port cannot be opened. `boxes` receives every box the core
  // raises.
  DeviceSession(const SessionOptions& options, MessageBoxes& boxes);
  ~DeviceSession();
  DeviceSession(const DeviceSession&) = delete;
  DeviceSession& operator=(const DeviceSession&) = delete;

  // Sends `settings` with the send-all sequence (78 lines).
  SessionResult SendAll(const DeviceSettings& settings, const Pacing& pacing,
                        const ProgressFn& progress = {});

  // Reads every setting with the read-all sequence (79 commands) into
  // `result`, which starts from the defaults. `result` is written only on
  // success.
  SessionResult ReadAll(DeviceSettings& result, const Pacing& pacing,
                        const ProgressFn& progress = {});

  // Sends one bare command (without CR LF; it is added) and waits up to
  // `timeout` for the reply, which is returned in `reply`.
  SessionResult SendLine(std::string_view command,
                         std::chrono::milliseconds timeout, LineReply& reply);

  // Asks every RS-485 address 00..31 for its version, waiting up to
  // `timeout` for each, and fills `answers` with those that answered. The
  // session must be on RS-485. `progress` gets the addresses done (0..32).
  SessionResult Scan(std::chrono::milliseconds timeout,
                     std::vector<ScanAnswer>& answers,
                     const ProgressFn& progress = {});

  // The record the runs send from and read into, and the connection with
  // its link flags, configuration and slave address.
  SettingsStore& settings() { return settings_; }
  Connection& connection() { return connection_; }
  bool broadcast() const;

 private:
  class RecordingBoxes;
  class CountingSink;
  struct Replies;

  void OnReply(std::string_view work_copy);
  // The link's timer duty (the reply watchdog) on its grid of due times.
  struct TimerDuty {
    std::chrono::steady_clock::time_point next;
    std::chrono::milliseconds period{300};
  };
  enum class Woke { kUntil, kDue, kSilent };
  // The one wait of the session: until `until` holds (checked whenever a
  // line has been dispatched; without it, none wakes the wait) or `due`
  // passes. With `duty`, runs the timer duty whenever it is due meanwhile
  // and ends early, kSilent, once the watchdog has given up on the device
  // since ResetRun.
  Woke Wait(std::chrono::steady_clock::time_point due,
            const std::function<bool()>& until, TimerDuty* duty = nullptr);
  // Ticks `sequence` and the link timer duty from the calling thread until
  // the sequence stops or the device is found missing. Returns the last
  // tick's result, or nothing on "No Connect".
  std::optional<SequenceTick> RunTicks(TimedSequence& sequence,
                                       const Pacing& pacing,
                                       const ProgressFn& progress, int& steps,
                                       TimerDuty& duty);
  // Waits for the answers to the lines sent so far, running the timer duty.
  bool AwaitAnswers(const Pacing& pacing, TimerDuty& duty);
  void ResetRun();
  // Since ResetRun: the lines that answered what was awaited, and the lines
  // sent that await an answer.
  unsigned Answered() const;
  unsigned AwaitingAnswers() const;
  // " (why)" when the port is a network connection that is lost; "".
  std::string PortNote() const;
  // A remark when lines came back since ResetRun that answered nothing (an
  // echo, or a device answering what it was not asked); "" when none did.
  std::string StrayNote() const;
  // "" when the device refused no line of the run; otherwise the failure,
  // each refused line with the setting it carries.
  std::string RefusalsMessage(
      std::string_view run, const std::function<SettingName(int)>& name) const;

  SettingsStore settings_;
  PosixSteadyClock steady_clock_;
  unsigned sends_mark_ = 0;
  unsigned answers_mark_ = 0;
  unsigned timeouts_mark_ = 0;
  std::unique_ptr<RecordingBoxes> boxes_;
  std::unique_ptr<SerialPort> port_;
  // Stopped before the port closes.
  Connection connection_;
  std::unique_ptr<CountingSink> sink_;
  std::unique_ptr<Replies> replies_;
  std::function<void(std::string_view)> reply_observer_;
};

}  // namespace vqx
