#include "link/reply_dispatch.h"

#include <utility>

#include "link/readback.h"

namespace vqx {

std::string_view ReplyWorkCopy(std::string_view line, int rs_control) {
  // The device never sends NUL; whatever follows one is not part of a reply.
  const std::size_t nul = line.find('\0');
  if (nul != std::string_view::npos) line = line.substr(0, nul);
  if (rs_control != 0) {
    // The first two characters are the answering device's address.
    if (line.size() < 2) return {};
    line.remove_prefix(2);
  }
  return line;
}

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
  last_kind_ = Classify(work_copy);
  if (observer_) observer_(work_copy);
}

ReplyKind ReplyDispatcher::Classify(std::string_view work_copy) {
  if (work_copy == "GO\r\n") {
    // Inside a sequence every step answers GO; only a single command
    // earns the box.
    if (state_.sequence_step == 0) state_.success_pending = 1;
    return ReplyKind::kSuccess;
  }
  if (work_copy == "MENU\r\n") {
    state_.reply_error = 1;
    boxes_.ShowErrorBox("Menu Display");
    return ReplyKind::kMenu;
  }
  if (const ReplyHandlerEntry* entry = FindReplyHandler(work_copy)) {
    settings_.Update(
        [&](DeviceSettings& settings) { entry->handler(settings, work_copy); });
    // The version is the last thing read-all asks for: its arrival ends the
    // read-back.
    if (entry->mnemonic == "VN") state_.success_pending = 1;
    return ReplyKind::kReadBack;
  }
  if (work_copy == "GN\r\n") {
    // A sequence sends settings the device may refuse in its current mode;
    // it carries on without a box.
    if (state_.sequence_step == 0) boxes_.ShowErrorBox("Mode Error");
    return ReplyKind::kModeError;
  }
  static constexpr std::pair<std::string_view, std::string_view>
      kDeviceErrors[] = {
          {"E0\r\n", "Framing Error"},
          {"E1\r\n", "Parity Error"},
          {"E2\r\n", "Over Run Error"},
          {"E3\r\n", "Command Error"},
      };
  for (const auto& [reply, text] : kDeviceErrors) {
    if (work_copy == reply) {
      state_.reply_error = 1;
      boxes_.ShowErrorBox(text);
      return ReplyKind::kDeviceError;
    }
  }
  return ReplyKind::kIgnored;
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
