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

bool TimedSequence::Start() {
  int idle = 0;
  if (!link_.sequence_step.compare_exchange_strong(idle, 1)) return false;
  running_ = true;
  next_step_ = 1;
  bar_position_ = 0;
  percent_text_.clear();
  return true;
}

void TimedSequence::Finish() {
  running_ = false;
  next_step_ = 0;
  link_.sequence_step = 0;
  // Read-all and send-all leave a late error reply standing, so that the
  // next run stops at its first tick; the set-all buttons clear it.
  if (plan_.end_after_step_on_error) link_.reply_error = 0;
  bar_position_ = 0;
  percent_text_ = std::string(plan_.finished_percent);
}

SequenceTick TimedSequence::OnTick() {
  if (!running_) return SequenceTick::kFinished;
  if (in_tick_) return SequenceTick::kRunning;
  if (link_.reply_error.load() != 0) {
    // The error box was shown when the reply arrived; stop where we are.
    running_ = false;
    next_step_ = 0;
    link_.reply_error = 0;
    link_.sequence_step = 0;
    return SequenceTick::kStoppedOnError;
  }

  in_tick_ = true;
  const int step = next_step_;
  const StepResult result = step_function_(step);
  in_tick_ = false;
  if (result == StepResult::kFailed) link_.reply_error = 1;
  percent_text_ = SequencePercent(step, plan_.steps);
  bar_position_ = step;

  if (step >= plan_.steps) {
    Finish();
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
  running_ = false;
  next_step_ = 0;
  link_.sequence_step = 0;
}

}  // namespace vqx
