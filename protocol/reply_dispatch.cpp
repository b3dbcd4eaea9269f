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
  // Any complete line counts as an answer.
  state_.reply_wait_ticks = 0;
  state_.reply_awaited = 0;
  const std::string_view work_copy = ReplyWorkCopy(line, config_.rs_control);
  state_.reply_error = 0;
  last_kind_ = Dispatch(work_copy);
  if (observer_) observer_(work_copy);
}

ReplyKind ReplyDispatcher::Dispatch(std::string_view work_copy) {
  const ReplyClass reply = ClassifyReply(work_copy);
  switch (reply.kind) {
    case ReplyKind::kSuccess:
      // Inside a sequence every step answers GO; only a single command
      // earns the box.
      if (state_.sequence_step == 0) state_.success_pending = 1;
      break;
    case ReplyKind::kReadBack:
      settings_.Update([&](DeviceSettings& settings) {
        reply.read_back->handler(settings, work_copy);
      });
      if (read_backs_ != nullptr) read_backs_->Note(work_copy);
      // The version is the last thing read-all asks for: its arrival ends
      // the read-back.
      if (reply.read_back->handler == kVersionReadBack.decode) {
        state_.success_pending = 1;
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

void RunLinkTimerDuty(LinkState& state, MessageBoxes& boxes) {
  if (state.reply_awaited == 1) {
    const int taken = state.reply_wait_ticks.fetch_add(1);
    if (taken > kReplyWaitTickLimit) {
      state.reply_awaited = 0;
      state.reply_wait_ticks = 0;
      boxes.ShowErrorBox("No Connect");
    }
  }
  if (state.success_pending.exchange(0) == 1) boxes.ShowSuccessBox("Success");
}

}  // namespace vqx
