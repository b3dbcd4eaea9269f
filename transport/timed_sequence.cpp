#include "transport/timed_sequence.h"

#include <utility>

namespace vqx {

std::string SequencePercent(int step, int steps) {
  if (steps <= 0) return "0";
  return std::to_string(step * 100 / steps);
}

TimedSequence::TimedSequence(LinkState& link, SequencePlan plan, Step step)
    : link_(link), plan_(plan), step_function_(std::move(step)) {}

TimedSequence::~TimedSequence() { Abort(); }

bool TimedSequence::PaceByReplies(SteadyClock& clock) {
  if (running_) return false;
  pace_ = SequencePace::kReplyPaced;
  clock_ = &clock;
  return true;
}

bool TimedSequence::PaceByTimer() {
  if (running_) return false;
  pace_ = SequencePace::kFixed;
  clock_ = nullptr;
  return true;
}

int TimedSequence::tick_period_ms() const {
  return pace_ == SequencePace::kReplyPaced ? kReplyPacedTickMs
                                            : plan_.period_ms;
}

bool TimedSequence::Start() {
  int idle = 0;
  if (!link_.sequence_step.compare_exchange_strong(idle, 1)) return false;
  running_ = true;
  next_step_ = 1;
  bar_position_ = 0;
  percent_text_.clear();
  awaiting_reply_ = false;
  if (clock_ != nullptr) next_due_ = clock_->Now();
  return true;
}

void TimedSequence::Finish() {
  running_ = false;
  awaiting_reply_ = false;
  next_step_ = 0;
  link_.sequence_step = 0;
  // Read-all and send-all leave a late error reply standing, so that the
  // next run stops at its first tick; the set-all buttons clear it.
  if (plan_.end_after_step_on_error) link_.reply_error = 0;
  bar_position_ = 0;
  percent_text_ = std::string(plan_.finished_percent);
}

void TimedSequence::FinishAfterLastLine() {
  // A "GO" that came while the run still held the interlock raised no box.
  // At the fixed pace that is the last line's answer when it beats the end
  // of the tick that sent it; at the reply pace it always is. The run owes
  // the "Success" box a reply after its end would have raised. The count is
  // read after the interlock is released: a "GO" the dispatch counted
  // before that shows here, and one counted after it saw no interlock and
  // raised the box itself (the flag then is set twice, for one box).
  Finish();
  if (link_.success_replies.load() != successes_mark_) {
    link_.success_pending = 1;
  }
}

void TimedSequence::Halt() {
  running_ = false;
  awaiting_reply_ = false;
  next_step_ = 0;
  link_.sequence_step = 0;
}

SequenceTick TimedSequence::OnTick() {
  if (!running_) return SequenceTick::kFinished;
  if (in_tick_) return SequenceTick::kRunning;
  if (link_.reply_error.load() != 0) {
    // The error box was shown when the reply arrived; stop where we are.
    Halt();
    link_.reply_error = 0;
    return SequenceTick::kStoppedOnError;
  }
  if (pace_ == SequencePace::kReplyPaced) {
    if (awaiting_reply_) {
      if (link_.lines_received.load() != lines_mark_) {
        awaiting_reply_ = false;
        if (next_step_ > plan_.steps) {
          FinishAfterLastLine();
          return SequenceTick::kFinished;
        }
        // The clock is read after the reply was seen, so the gap after the
        // reply is never shorter than the guard.
        next_due_ = clock_->Now() + std::chrono::milliseconds(kReplyGuardMs);
      } else if (link_.reply_timeouts.load() != timeouts_mark_) {
        Halt();
        return SequenceTick::kStoppedNoReply;
      }
    }
    if (awaiting_reply_ || clock_->Now() < next_due_) {
      return SequenceTick::kWaiting;
    }
  }
  return RunStep();
}

SequenceTick TimedSequence::RunStep() {
  const int step = next_step_;
  lines_mark_ = link_.lines_received.load();
  timeouts_mark_ = link_.reply_timeouts.load();
  successes_mark_ = link_.success_replies.load();
  const unsigned sends = link_.sends_awaiting_reply.load();
  in_tick_ = true;
  const StepResult result = step_function_(step);
  in_tick_ = false;
  if (result == StepResult::kFailed) link_.reply_error = 1;
  percent_text_ = SequencePercent(step, plan_.steps);
  bar_position_ = step;

  if (pace_ == SequencePace::kReplyPaced) {
    const std::chrono::milliseconds now = clock_->Now();
    if (link_.sends_awaiting_reply.load() != sends) {
      awaiting_reply_ = true;
    } else if (result == StepResult::kSent) {
      // Nobody answers a broadcast: give the devices the fixed period.
      next_due_ = now + std::chrono::milliseconds(plan_.period_ms);
    } else {
      next_due_ = now;
    }
  }

  if (step >= plan_.steps && !awaiting_reply_) {
    FinishAfterLastLine();
    return SequenceTick::kFinished;
  }
  if (plan_.end_after_step_on_error && link_.reply_error.load() != 0) {
    Finish();
    return SequenceTick::kStoppedOnError;
  }
  next_step_ = step + 1;
  link_.sequence_step = next_step_;
  return SequenceTick::kRunning;
}

void TimedSequence::Abort() {
  if (!running_) return;
  Halt();
}

}  // namespace vqx
