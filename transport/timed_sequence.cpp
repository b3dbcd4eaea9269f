#include "transport/timed_sequence.h"

#include <utility>

namespace vqx {

std::string SequencePercent(int step, int steps) {
  if (steps <= 0) return "0";
  return std::to_string(step * 100 / steps);
}

AnswerRule SetLineAnswerRule() {
  AnswerRule rule;
  rule.acknowledged = true;
  return rule;
}

TimedSequence::TimedSequence(LinkState& link, SequencePlan plan, Step step,
                             StepAnswerRule answer_rule)
    : link_(link),
      plan_(plan),
      step_function_(std::move(step)),
      answer_rule_(std::move(answer_rule)) {}

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
  link_.answers.BeginRun(pace_ == SequencePace::kFixed);
  running_ = true;
  next_step_ = 1;
  bar_position_ = 0;
  percent_text_.clear();
  awaiting_reply_ = false;
  final_wait_ = false;
  last_line_awaits_ = false;
  refusals_.clear();
  if (clock_ != nullptr) next_due_ = clock_->Now();
  return true;
}

void TimedSequence::End() {
  running_ = false;
  awaiting_reply_ = false;
  final_wait_ = false;
  next_step_ = 0;
  // The interlock first: an answer the judge takes after this is seen by
  // the dispatch without the interlock, and raises its box there.
  link_.sequence_step = 0;
  link_.answers.EndRun();
  refusals_ = link_.answers.refusals();
}

void TimedSequence::Finish() {
  End();
  // Read-all and send-all leave a late error reply standing, so that the
  // next run stops at its first tick; the set-all buttons clear it.
  if (plan_.end_after_step_on_error) link_.reply_error = 0;
  bar_position_ = 0;
  percent_text_ = std::string(plan_.finished_percent);
}

void TimedSequence::FinishAfterLastLine() {
  // The dispatch raised no box for the last line's answer while the run
  // held the interlock. Whether it came is asked after the interlock is
  // released: an answer judged before that shows here, and one judged
  // after it met no interlock and raised the box itself (the flag is then
  // set twice, for one box). A refused step takes the "Success" box away:
  // the owner names the refused steps instead.
  const int last_step = plan_.steps;
  Finish();
  if (last_line_awaits_ && refusals_.empty() &&
      link_.answers.Answered(last_step)) {
    link_.success_pending = 1;
  }
}

void TimedSequence::Halt() { End(); }

SequenceTick TimedSequence::OnTick() {
  if (!running_) return SequenceTick::kFinished;
  if (in_tick_) return SequenceTick::kRunning;
  if (link_.reply_error.load() != 0) {
    // The error box was shown when the reply arrived; stop where we are.
    Halt();
    link_.reply_error = 0;
    return SequenceTick::kStoppedOnError;
  }
  if (final_wait_) {
    // The last line had its period for an answer, as every line before it.
    FinishAfterLastLine();
    return SequenceTick::kFinished;
  }
  if (pace_ == SequencePace::kReplyPaced) {
    if (awaiting_reply_) {
      if (link_.answers.answers() != answers_mark_) {
        awaiting_reply_ = false;
        if (next_step_ > plan_.steps) {
          FinishAfterLastLine();
          return SequenceTick::kFinished;
        }
        // The clock is read after the answer was seen, so the gap after it
        // is never shorter than the guard.
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
  // Declared before the line goes out: its answer may come before the step
  // returns.
  link_.answers.Declare(
      step, answer_rule_ ? answer_rule_(step) : SetLineAnswerRule());
  answers_mark_ = link_.answers.answers();
  timeouts_mark_ = link_.reply_timeouts.load();
  const unsigned sends = link_.sends_awaiting_reply.load();
  in_tick_ = true;
  const StepResult result = step_function_(step);
  in_tick_ = false;
  if (result == StepResult::kFailed) link_.reply_error = 1;
  percent_text_ = SequencePercent(step, plan_.steps);
  bar_position_ = step;
  last_line_awaits_ = link_.sends_awaiting_reply.load() != sends;

  if (pace_ == SequencePace::kReplyPaced) {
    const std::chrono::milliseconds now = clock_->Now();
    if (last_line_awaits_) {
      awaiting_reply_ = true;
    } else if (result == StepResult::kSent) {
      // Nobody answers a broadcast: give the devices the fixed period.
      next_due_ = now + std::chrono::milliseconds(plan_.period_ms);
    } else {
      next_due_ = now;
    }
  }

  if (step >= plan_.steps && !last_line_awaits_) {
    FinishAfterLastLine();
    return SequenceTick::kFinished;
  }
  if (plan_.end_after_step_on_error && link_.reply_error.load() != 0) {
    Finish();
    return SequenceTick::kStoppedOnError;
  }
  next_step_ = step + 1;
  link_.sequence_step = next_step_;
  if (step >= plan_.steps && pace_ == SequencePace::kFixed) final_wait_ = true;
  return SequenceTick::kRunning;
}

void TimedSequence::Abort() {
  if (!running_) return;
  Halt();
}

}  // namespace vqx
