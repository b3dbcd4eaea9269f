// Classifies each reply line from the device, raises the result boxes and
// hands read-back lines to their groups' decoders; and the user-interface
// side of the link: the reply watchdog and the deferred "Success" box.
#pragma once

#include <atomic>
#include <functional>
#include <string_view>

#include "base/device_settings.h"
#include "base/platform.h"
#include "protocol/address_scan.h"
#include "protocol/read_all.h"
#include "protocol/replies.h"
#include "protocol/traffic_log.h"
#include "transport/link_state.h"
#include "transport/receive_loop.h"

namespace vqx {

// Runs on the receive thread. Boxes are shown from here, never while the
// settings lock is held.
class ReplyDispatcher : public ReplyLineHandler {
 public:
  // `clock` times the echoes of the lines sent (the link's clock).
  ReplyDispatcher(LinkState& state, const LinkConfig& config,
                  SettingsStore& settings, MessageBoxes& boxes,
                  SteadyClock& clock);

  // `line` is one complete line, still with its CR LF and, on RS-485, the
  // two address characters of the answering device. A NUL byte ends the
  // line's text, as the device never sends one.
  //
  // With echo tolerance on (`LinkConfig::echo`), a line equal to the oldest
  // line sent whose echo is still due is its echo: it is logged as such and
  // nothing else happens (it is no answer and leaves the watchdog
  // counting). Any other line makes the link forget the echoes it still
  // expected; it is logged, takes its effect (flags, settings), is offered
  // to the run awaiting an answer (`LinkState::answers`), raises its box
  // and is then counted in `lines_received`.
  void DispatchReply(std::string_view line) override;

  // Where each received line is logged (nullptr: nowhere). May change at
  // any time; the log must outlive the receive thread.
  void SetTrafficLog(TrafficLog* log) { log_ = log; }

  // The version lines received on RS-485, by answering address, for the
  // address scan.
  VersionReplies& version_replies() { return versions_; }

  // Called on the receive thread after each dispatch with the work copy (the
  // line without the address). Set it before the receive thread starts.
  void SetObserver(std::function<void(std::string_view work_copy)> observer);

  // Where the read-back lines are noted as they arrive, so that a read-all
  // can tell which never came. Set it before the receive thread starts.
  void SetReadBackRecord(ReadBackRecord* record) { read_backs_ = record; }

  // The kind of the last dispatched line, and whether it answered a step a
  // run awaited. Safe to read from any thread; the observer sees them for
  // the line it is given.
  ReplyKind last_kind() const { return last_kind_; }
  bool last_answered() const { return last_answered_; }

 private:
  struct Dispatched {
    ReplyKind kind;
    bool answered;
  };
  Dispatched Dispatch(std::string_view line, std::string_view work_copy);
  // Notes a version line by the address in front of it (RS-485 only).
  void NoteVersion(std::string_view line, std::string_view work_copy);

  LinkState& state_;
  const LinkConfig& config_;
  SettingsStore& settings_;
  MessageBoxes& boxes_;
  SteadyClock& clock_;
  std::function<void(std::string_view)> observer_;
  ReadBackRecord* read_backs_ = nullptr;
  std::atomic<TrafficLog*> log_{nullptr};
  VersionReplies versions_;
  std::atomic<ReplyKind> last_kind_{ReplyKind::kIgnored};
  std::atomic<bool> last_answered_{false};
};

// Ticks of the 300 ms main timer after which a missing reply is reported:
// the box appears on the 27th tick after the send.
inline constexpr int kReplyWaitTickLimit = 25;

// One main-timer tick of the link, on the user-interface thread: the reply
// watchdog ("No Connect", counted in `reply_timeouts` before the box shows)
// and the deferred "Success" box.
void RunLinkTimerDuty(LinkState& state, MessageBoxes& boxes);

}  // namespace vqx
