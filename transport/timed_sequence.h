// The timed multi-command sequences: read-all, send-all and the set-all
// buttons of the title and video adjustment dialogs. One line goes out per
// step; the run shows its progress as a bar position and a percentage, and
// stops when an error reply raises `reply_error`.
//
// Two paces. The fixed pace (the default) sends one line per tick of the
// owner's timer at the plan's period (a dialog's timer, the command-line
// tool's steady clock, or a test's explicit calls) and never waits for a
// reply. The reply pace sends the next line as soon as the reply to the
// previous one has arrived, plus a short guard gap; the owner ticks it
// often (`tick_period_ms()`) and the engine reads a steady clock to know
// what is due. A reply that never comes ends a reply-paced run when the
// watchdog reports "No Connect".
//
// `sequence_step` of the link state is the interlock: while it is not 0 one
// sequence runs, and every other refuses to start (File New and Open too).
// While it is not 0 the reply dispatch shows no "Success" box for "GO" and
// no "Mode Error" box for "GN".
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "base/link_state.h"
#include "base/platform.h"

namespace vqx {

// What a tick reports to whoever drives the sequence.
enum class SequenceTick {
  kRunning,         // a step ran (or the tick was absorbed); keep ticking
  kWaiting,         // reply pace only: nothing was due yet; keep ticking
  kStoppedOnError,  // an error stopped the run; stop the timer
  kStoppedNoReply,  // reply pace only: the watchdog gave up waiting for a
                    // reply ("No Connect"); stop the timer
  kFinished,        // the run is over (or was not running); stop the timer
};

enum class SequencePace {
  kFixed,       // one line per tick of the plan's period
  kReplyPaced,  // the next line once the previous one is answered
};

// The gap between a reply and the next line of a reply-paced run. About
// nine characters at 9600 baud: more than the 3.5 characters of silence
// that RS-485 multi-drop protocols allow a device to release the bus after
// its answer, and no longer than the shortest timer period Windows offers,
// so the gap costs the program at most one of its ticks.
inline constexpr int kReplyGuardMs = 10;
// How often a reply-paced run is ticked: the shortest Windows timer period.
inline constexpr int kReplyPacedTickMs = 10;

// True while the owner's timer must keep ticking.
constexpr bool KeepsTicking(SequenceTick tick) {
  return tick == SequenceTick::kRunning || tick == SequenceTick::kWaiting;
}

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

  // Chooses the reply pace for the runs that follow, timed by `clock` (which
  // must outlive them). Refused (false) while running.
  bool PaceByReplies(SteadyClock& clock);
  // Back to the fixed pace, the default. Refused (false) while running.
  bool PaceByTimer();
  SequencePace pace() const { return pace_; }
  // How often the owner calls OnTick: the plan's period for the fixed pace,
  // kReplyPacedTickMs for the reply pace.
  int tick_period_ms() const;

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
  //
  // With the reply pace a step runs only when it is due: kReplyGuardMs
  // after the tick that saw the reply to the previous line (any complete
  // line, echoes excepted, counts as that reply). A step that sent nothing
  // is followed at the next tick; a line that awaits no reply (a broadcast)
  // is followed after the plan's period, so a broadcast run keeps the fixed
  // pace. Until then a tick returns kWaiting. While a reply is awaited, a
  // "No Connect" of the watchdog (`reply_timeouts` changes) ends the run
  // with kStoppedNoReply, keeping the bar and the percentage as an error
  // does. The run is finished only once the last line is answered (its bar
  // shows every step meanwhile), so kFinished means every line got a reply.
  // When that last reply was "GO", the run leaves `success_pending` set, so
  // it ends with the "Success" box a fixed-pace run gets. A fixed-pace run
  // does the same when the last line's "GO" arrives before the tick that
  // sent it has ended the run.
  SequenceTick OnTick();

  // Ends a running sequence without sending more (its dialog is closed from
  // its frame). Leaves the progress where it is; does nothing while idle.
  void Abort();

  const SequencePlan& plan() const { return plan_; }
  bool running() const { return running_; }
  // A reply-paced run waits for the reply to its last line sent.
  bool awaiting_reply() const { return awaiting_reply_; }
  // The progress bar: steps run in this run, 0..plan.steps; 0 after a
  // complete run.
  int bar_position() const { return bar_position_; }
  // "" before the first step, then the percentage of the last step run; the
  // plan's finished text after a complete run.
  const std::string& percent_text() const { return percent_text_; }

 private:
  void Finish();
  // Finish, after the last line went out (and, at the reply pace, was
  // answered).
  void FinishAfterLastLine();
  // Ends the run where it is, progress kept.
  void Halt();
  SequenceTick RunStep();

  LinkState& link_;
  SequencePlan plan_;
  Step step_function_;
  SequencePace pace_ = SequencePace::kFixed;
  SteadyClock* clock_ = nullptr;
  bool running_ = false;
  bool in_tick_ = false;
  int next_step_ = 0;
  int bar_position_ = 0;
  std::string percent_text_;
  // Reply pace: when the next step is due, and what the link's counters
  // held before the line now awaiting its reply was sent.
  std::chrono::milliseconds next_due_{0};
  bool awaiting_reply_ = false;
  unsigned lines_mark_ = 0;
  unsigned timeouts_mark_ = 0;
  unsigned successes_mark_ = 0;
};

}  // namespace vqx
