#include "protocol/reply_dispatch.h"

#include <utility>

namespace vqx {

namespace {

AnswerKind AnswerKindOf(ReplyKind kind) {
  switch (kind) {
    case ReplyKind::kSuccess:
      return AnswerKind::kAcknowledged;
    case ReplyKind::kModeError:
      return AnswerKind::kRefused;
    case ReplyKind::kMenu:
    case ReplyKind::kDeviceError:
      return AnswerKind::kFailed;
    case ReplyKind::kReadBack:
      return AnswerKind::kReadBack;
    case ReplyKind::kIgnored:
      break;
  }
  return AnswerKind::kNone;
}

}  // namespace

ReplyDispatcher::ReplyDispatcher(LinkState& state, const LinkConfig& config,
                                 SettingsStore& settings, MessageBoxes& boxes,
                                 SteadyClock& clock)
    : state_(state),
      config_(config),
      settings_(settings),
      boxes_(boxes),
      clock_(clock) {}

void ReplyDispatcher::SetObserver(
    std::function<void(std::string_view work_copy)> observer) {
  observer_ = std::move(observer);
}

void ReplyDispatcher::DispatchReply(std::string_view line) {
  const int rs_control = config_.rs_control;
  TrafficLog* log = log_.load();
  if (config_.echo != 0) {
    if (state_.echoes.Take(line, clock_.Now())) {
      if (log != nullptr) log->OnLineReceived(line, IsRs485(rs_control), true);
      return;
    }
    // The echoes still noted are not coming: a line they would have
    // preceded is here.
    state_.echoes.Clear();
  }
  // Logged before its effect, so that the log shows the line while its
  // error box is open.
  if (log != nullptr) log->OnLineReceived(line, IsRs485(rs_control), false);
  // Any complete line stops the watchdog.
  state_.reply_wait_ticks = 0;
  state_.reply_awaited = 0;
  const std::string_view work_copy = ReplyWorkCopy(line, rs_control);
  state_.reply_error = 0;
  const Dispatched dispatched = Dispatch(line, work_copy);
  last_kind_ = dispatched.kind;
  last_answered_ = dispatched.answered;
  // After the effect: whoever sees the count change sees the error flag and
  // the stored values too.
  ++state_.lines_received;
  if (observer_) observer_(work_copy);
}

ReplyDispatcher::Dispatched ReplyDispatcher::Dispatch(
    std::string_view line, std::string_view work_copy) {
  const ReplyClass reply = ClassifyReply(work_copy);
  // The effect on the flags and the record comes first: a run that sees
  // its step answered must see what the answer did.
  switch (reply.kind) {
    case ReplyKind::kReadBack:
      settings_.Update([&](DeviceSettings& settings) {
        reply.read_back->handler(settings, work_copy);
      });
      if (read_backs_ != nullptr) read_backs_->Note(work_copy);
      if (reply.read_back->handler == kVersionReadBack.decode) {
        NoteVersion(line, work_copy);
      }
      break;
    case ReplyKind::kMenu:
    case ReplyKind::kDeviceError:
      state_.reply_error = 1;
      break;
    case ReplyKind::kSuccess:
    case ReplyKind::kModeError:
    case ReplyKind::kIgnored:
      break;
  }
  // Then whether it answers a step a run awaits, before the interlock is
  // looked at: a run that ends meanwhile either counts this answer or has
  // released the interlock already.
  const bool answered = state_.answers.Offer(
      {line, work_copy, AnswerKindOf(reply.kind),
       reply.read_back != nullptr ? reply.read_back->mnemonic
                                  : std::string_view()});
  const bool sequence_running = state_.sequence_step != 0;
  // A late answer to a run the device refused steps of: the run's warning
  // stands instead of "Success".
  const bool refused_run = answered && !state_.answers.refusals().empty();
  switch (reply.kind) {
    case ReplyKind::kSuccess:
      // Inside a sequence every step answers GO; only a single command
      // earns the box (a run owes it at its end).
      if (!sequence_running && !refused_run) state_.success_pending = 1;
      break;
    case ReplyKind::kReadBack:
      // The version is the last thing read-all asks for: its answer ends
      // the read-back with "Success", which the run raises while it holds
      // the interlock. A version line that answers nothing the program
      // asked (an address scan's probe, however late) raises nothing.
      if (reply.read_back->handler == kVersionReadBack.decode && answered) {
        versions_.NoteRunAnswer(ReplyPayload(work_copy));
        if (!sequence_running && !refused_run) state_.success_pending = 1;
      }
      break;
    case ReplyKind::kModeError:
      // A sequence sends settings the device may refuse in its current
      // mode; it notes the refusal and carries on without a box.
      if (!sequence_running) boxes_.ShowErrorBox(reply.box_text);
      break;
    case ReplyKind::kMenu:
    case ReplyKind::kDeviceError:
      boxes_.ShowErrorBox(reply.box_text);
      break;
    case ReplyKind::kIgnored:
      break;
  }
  return {reply.kind, answered};
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
