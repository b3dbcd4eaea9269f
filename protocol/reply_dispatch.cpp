#include "protocol/reply_dispatch.h"

#include <utility>

namespace vqx {

ReplyDispatcher::ReplyDispatcher(LinkState& state, const LinkConfig& config,
                                 SettingsStore& settings, MessageBoxes& boxes)
    : state_(state), config_(config), settings_(settings), boxes_(boxes) {}

void ReplyDispatcher::SetObserver(
    std::function<void(std::string_view work_copy)> observer) {
  observer_ = std::move(observer);
}

void ReplyDispatcher::DispatchReply(std::string_view line) {
  const int rs_control = config_.rs_control;
  TrafficLog* log = log_.load();
  if (config_.echo != 0 && state_.echoes.Take(line)) {
    if (log != nullptr) log->OnLineReceived(line, IsRs485(rs_control), true);
    return;
  }
  // Logged before its effect, so that the log shows the line while its
  // error box is open.
  if (log != nullptr) log->OnLineReceived(line, IsRs485(rs_control), false);
  // Any complete line counts as an answer.
  state_.reply_wait_ticks = 0;
  state_.reply_awaited = 0;
  const std::string_view work_copy = ReplyWorkCopy(line, rs_control);
  state_.reply_error = 0;
  last_kind_ = Dispatch(line, work_copy);
  // After the effect: whoever sees the count change sees the error flag and
  // the stored values too.
  ++state_.lines_received;
  if (observer_) observer_(work_copy);
}

ReplyKind ReplyDispatcher::Dispatch(std::string_view line,
                                    std::string_view work_copy) {
  const ReplyClass reply = ClassifyReply(work_copy);
  switch (reply.kind) {
    case ReplyKind::kSuccess:
      ++state_.success_replies;
      // Inside a sequence every step answers GO; only a single command
      // earns the box.
      if (state_.sequence_step == 0) state_.success_pending = 1;
      break;
    case ReplyKind::kReadBack:
      settings_.Update([&](DeviceSettings& settings) {
        reply.read_back->handler(settings, work_copy);
      });
      if (read_backs_ != nullptr) read_backs_->Note(work_copy);
      if (reply.read_back->handler == kVersionReadBack.decode) {
        NoteVersion(line, work_copy);
        // The version is the last thing read-all asks for: its arrival
        // ends the read-back. An address scan asks every device for it.
        if (state_.address_scan_running == 0) state_.success_pending = 1;
      }
      break;
    case ReplyKind::kModeError:
      // A sequence sends settings the device may refuse in its current
      // mode; it carries on without a box.
      if (state_.sequence_step == 0) boxes_.ShowErrorBox(reply.box_text);
      break;
    case ReplyKind::kMenu:
    case ReplyKind::kDeviceError:
      state_.reply_error = 1;
      boxes_.ShowErrorBox(reply.box_text);
      break;
    case ReplyKind::kIgnored:
      break;
  }
  return reply.kind;
}

void ReplyDispatcher::NoteVersion(std::string_view line,
                                  std::string_view work_copy) {
  if (!IsRs485(config_.rs_control) || line.size() < 2) return;
  const char tens = line[0];
  const char ones = line[1];
  if (tens < '0' || tens > '9' || ones < '0' || ones > '9') return;
  versions_.Note((tens - '0') * 10 + (ones - '0'), ReplyPayload(work_copy));
}

void RunLinkTimerDuty(LinkState& state, MessageBoxes& boxes) {
  if (state.reply_awaited == 1) {
    const int taken = state.reply_wait_ticks.fetch_add(1);
    if (taken > kReplyWaitTickLimit) {
      state.reply_awaited = 0;
      state.reply_wait_ticks = 0;
      // Counted before the box: a run ticked from the box's message loop
      // must see it.
      ++state.reply_timeouts;
      boxes.ShowErrorBox("No Connect");
    }
  }
  if (state.success_pending.exchange(0) == 1) boxes.ShowSuccessBox("Success");
}

}  // namespace vqx
