// The timed multi-command sequences: read-all, send-all and the set-all
// buttons of the title and video adjustment dialogs. One line goes out per
// tick of the owner's timer (a dialog's, the command-line tool's steady
// clock, or a test's explicit calls); the run shows its progress as a bar
// position and a percentage, and stops when an error reply raises
// `reply_error`.
//
// `sequence_step` of the link state is the interlock: while it is not 0 one
// sequence runs, and every other refuses to start (File New and Open too).
// While it is not 0 the reply dispatch shows no "Success" box for "GO" and
// no "Mode Error" box for "GN".
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/link_state.h"

namespace vqx {

// What a tick reports to whoever drives the sequence.
enum class SequenceTick {
  kRunning,         // a step ran (or the tick was absorbed); keep ticking
  kStoppedOnError,  // an error stopped the run; stop the timer
  kFinished,        // the run is over (or was not running); stop the timer
};

// What one step did.
enum class StepResult {
  kSent,     // its line went out
  kSkipped,  // nothing was sent (a box said why); the run goes on
  kFailed,   // nothing was sent (a box said why) and the run must stop
};

struct SequencePlan {
  int steps = 0;
  int period_ms = 0;
  // The percentage field after a complete run: blanks that clear it.
  std::string_view finished_percent;
  // How an error the tick itself brings (a failed step, or an error reply
  // that arrived while the step ran) ends the run. false: the run stops at
  // the next tick, keeping the bar and the percentage where they are
  // (read-all, send-all). true: the run ends right after the step, with the
  // bar and percentage cleared as after a complete run (the title and
  // adjustment set-all).
  bool end_after_step_on_error = false;
};

// The percentage after `step` of `steps`: step * 100 / steps, rounded down.
std::string SequencePercent(int step, int steps);

class TimedSequence {
 public:
  // Runs step `step` (1..plan.steps): builds and sends its line.
  using Step = std::function<StepResult(int step)>;

  TimedSequence(LinkState& link, SequencePlan plan, Step step);
  // A run still going when its owner goes away (a dialog destroyed from
  // outside) is aborted, so it never holds the interlock.
  virtual ~TimedSequence();
  TimedSequence(const TimedSequence&) = delete;
  TimedSequence& operator=(const TimedSequence&) = delete;

  // Begins a run at step 1; the first line goes out at the first tick. The
  // bar returns to 0 and the percentage is cleared, so a run that follows a
  // stopped one does not show the old position. Refused (false, nothing
  // changes) while this or any other sequence runs.
  bool Start();

  // One timer tick. A pending error reply (reply_error 1, which it clears)
  // stops the run before anything is sent; otherwise the next step runs, the
  // bar advances and the percentage follows. A tick that arrives while a box
  // of the previous step is still open (a timer re-entered from the box's
  // message loop) does nothing, so steps never overlap or repeat.
  SequenceTick OnTick();

  // Ends a running sequence without sending more (its dialog is closed from
  // its frame). Leaves the progress where it is; does nothing while idle.
  void Abort();

  const SequencePlan& plan() const { return plan_; }
  bool running() const { return running_; }
  // The progress bar: steps run in this run, 0..plan.steps; 0 after a
  // complete run.
  int bar_position() const { return bar_position_; }
  // "" before the first step, then the percentage of the last step run; the
  // plan's finished text after a complete run.
  const std::string& percent_text() const { return percent_text_; }

 private:
  void Finish();

  LinkState& link_;
  SequencePlan plan_;
  Step step_function_;
  bool running_ = false;
  bool in_tick_ = false;
  int next_step_ = 0;
  int bar_position_ = 0;
  std::string percent_text_;
};

}  // namespace vqx
