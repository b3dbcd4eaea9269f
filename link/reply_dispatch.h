// Classifies each reply line from the device, raises the result boxes and
// hands read-back lines to their handlers; and the user-interface side of
// the link: the reply watchdog and the deferred "Success" box.
#pragma once

#include <atomic>
#include <functional>
#include <string_view>

#include "app/platform.h"
#include "link/link_state.h"
#include "settings/device_settings.h"

namespace vqx {

// What the dispatcher made of a line, for tests and tools.
enum class ReplyKind {
  kSuccess,      // "GO"
  kMenu,         // "MENU": the device's own menu is open
  kReadBack,     // a line of the dispatch table
  kModeError,    // "GN"
  kDeviceError,  // "E0".."E3"
  kIgnored,      // anything else
};

// Runs on the receive thread. Boxes are shown from here, never while the
// settings lock is held.
class ReplyDispatcher {
 public:
  ReplyDispatcher(LinkState& state, const LinkConfig& config,
                  SettingsStore& settings, MessageBoxes& boxes);

  // `line` is one complete line, still with its CR LF and, on RS-485, the
  // two address characters of the answering device. A NUL byte ends the
  // line's text, as the device never sends one.
  void DispatchReply(std::string_view line);

  // Called on the receive thread after each dispatch with the work copy (the
  // line without the address). Set it before the receive thread starts.
  void SetObserver(std::function<void(std::string_view work_copy)> observer);

  // The kind of the last dispatched line. Safe to read from any thread.
  ReplyKind last_kind() const { return last_kind_; }

 private:
  ReplyKind Classify(std::string_view work_copy);

  LinkState& state_;
  const LinkConfig& config_;
  SettingsStore& settings_;
  MessageBoxes& boxes_;
  std::function<void(std::string_view)> observer_;
  std::atomic<ReplyKind> last_kind_{ReplyKind::kIgnored};
};

// The line without the RS-485 address when `rs_control` is non-zero, cut at
// the first NUL byte. A line too short to hold an address gives "".
std::string_view ReplyWorkCopy(std::string_view line, int rs_control);

// Ticks of the 300 ms main timer after which a missing reply is reported:
// the box appears on the 27th tick after the send.
inline constexpr int kReplyWaitTickLimit = 25;

// One main-timer tick of the link, on the user-interface thread: the reply
// watchdog ("No Connect") and the deferred "Success" box.
void RunLinkTimerDuty(LinkState& state, MessageBoxes& boxes);

}  // namespace vqx
