// The address scan of an RS-485 line: asks each address 00..31 in turn for
// its version ("RVN") and lists the addresses that answered, each with its
// version line. Tick-driven like the timed sequences, so a dialog can run it
// from a timer and a test from a hand-moved clock.
//
// The scan takes the `sequence_step` interlock (it cannot start while a
// sequence runs, and nothing else starts while it runs) and raises
// `address_scan_running`, so that the version replies it collects raise no
// "Success" box. Its lines arm no watchdog: a silent address costs the
// scan's own time-out, not the 8 s of "No Connect".
#pragma once

#include <array>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/platform.h"
#include "transport/link.h"
#include "transport/link_state.h"

namespace vqx {

inline constexpr int kScanAddresses = 32;  // 00..31
// How long an address has to answer. The device is paced at 400 ms a read
// command in the fixed read-all, so it answers a read within that; 100 ms
// more covers the latency of USB adapters and of a busy computer. 32 silent
// addresses take 16 s.
inline constexpr std::chrono::milliseconds kScanReplyTimeout{500};
// How often a scan is ticked: the shortest Windows timer period.
inline constexpr int kScanTickMs = 10;

// The version lines that arrived, by the RS-485 address that sent them, and
// the version that last answered a run's version step (the end of a
// read-all, on either wiring). The reply dispatch notes each version
// read-back on the receive thread; an address scan clears the record when
// it starts and reads it as it goes. Safe to use from both threads.
class VersionReplies {
 public:
  // Forgets every address's version (not the run's answer).
  void Clear();
  // `address` 0..31; `version` the line without address and line end.
  void Note(int address, std::string_view version);
  std::optional<std::string> Find(int address) const;

  // `version` the line without address and line end ("VN1.00").
  void NoteRunAnswer(std::string_view version);
  // The version number of the last run answer ("1.00"); "" before any.
  std::string RunAnswer() const;

 private:
  mutable std::mutex mutex_;
  std::array<std::optional<std::string>, kScanAddresses> versions_;
  std::string run_answer_;
};

// An address that answered, and its version line ("VN1.00").
struct ScanAnswer {
  int address = 0;
  std::string version;
  bool operator==(const ScanAnswer&) const = default;
};

enum class ScanStart {
  kStarted,
  kBusy,      // a sequence (or another scan) is running
  kNotRs485,  // an RS-232C line has no addresses to scan
};

enum class ScanTick {
  kRunning,   // keep ticking
  kFinished,  // the scan is over (or was not running); stop the timer
};

// Lives on the user-interface thread, with every call; only the record of
// version replies is shared with the receive thread.
class AddressScan {
 public:
  AddressScan(LinkState& link, const LinkConfig& config, ProbeSink& sink,
              VersionReplies& versions, SteadyClock& clock,
              std::chrono::milliseconds reply_timeout = kScanReplyTimeout);
  ~AddressScan();
  AddressScan(const AddressScan&) = delete;
  AddressScan& operator=(const AddressScan&) = delete;

  // Begins at address 00; the first line goes out at the first tick. The
  // answers of an earlier scan are forgotten.
  ScanStart Start();

  // One tick (every kScanTickMs): takes the answer of the address asked, or
  // gives up on it after the time-out, and asks the next one kReplyGuardMs
  // after an answer (at once after a time-out).
  ScanTick OnTick();

  // Ends a running scan; the answers so far stay. Does nothing while idle.
  void Stop();

  bool running() const { return running_; }
  int tick_period_ms() const { return kScanTickMs; }
  // Addresses dealt with so far, 0..32 (a progress bar's position).
  int addresses_done() const { return done_; }
  // The address asked now, -1 when none is.
  int current_address() const { return waiting_ ? current_ : -1; }
  // In address order. An answer that came after its address's time-out is
  // still taken, when the scan moves on from the next address.
  const std::vector<ScanAnswer>& answers() const { return answers_; }

 private:
  // Answers of addresses below `end` not taken yet.
  void TakeLateAnswers(int end);
  void Finish();

  LinkState& link_;
  const LinkConfig& config_;
  ProbeSink& sink_;
  VersionReplies& versions_;
  SteadyClock& clock_;
  std::chrono::milliseconds reply_timeout_;
  bool running_ = false;
  bool waiting_ = false;
  int current_ = 0;
  int done_ = 0;
  std::chrono::milliseconds sent_at_{0};
  std::chrono::milliseconds next_due_{0};
  std::vector<ScanAnswer> answers_;
};

}  // namespace vqx
