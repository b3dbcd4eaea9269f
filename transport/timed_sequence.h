// The timed multi-command sequences: read-all, send-all and the set-all
// buttons of the title and video adjustment dialogs. One line goes out per
// step; the run shows its progress as a bar position and a percentage, and
// stops when an error reply raises `reply_error`.
//
// Two paces. The fixed pace (the default) sends one line per tick of the
// owner's timer at the plan's period (a dialog's timer, the command-line
// tool's steady clock, or a test's explicit calls) and never waits for a
// reply. The reply pace sends the next line as soon as the previous one is
// answered, plus a short guard gap; the owner ticks it often
// (`tick_period_ms()`) and the engine reads a steady clock to know what is
// due. A reply that never comes ends a reply-paced run when the watchdog
// reports "No Connect".
//
// Only an answer counts: before each step sends, the run declares in
// `LinkState::answers` which lines answer it (the step's AnswerRule), and
// the receive thread judges every line against that declaration. An echo,
// a reply from another address, a late reply of an earlier run or a
// read-back of another setting leaves the step waiting.
//
// A run keeps the steps the device refused ("GN") in `refusals()`; such a
// run ends without the "Success" box, and its owner names those steps.
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
#include <vector>

#include "base/platform.h"
#include "transport/link_state.h"

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

// The rule of a set line: "GO", "GN", an error code or "MENU" answers it.
AnswerRule SetLineAnswerRule();

class TimedSequence {
 public:
  // Runs step `step` (1..plan.steps): builds and sends its line.
  using Step = std::function<StepResult(int step)>;
  // Which lines answer step `step`'s line.
  using StepAnswerRule = std::function<AnswerRule(int step)>;

  // Without `answer_rule` every step sends a set line.
  TimedSequence(LinkState& link, SequencePlan plan, Step step,
                StepAnswerRule answer_rule = {});
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
  // At the fixed pace a run whose last line awaits a reply keeps the
  // interlock for one more tick, the period every other line had for its
  // answer: a "GN" or an error reply to the last line then counts for the
  // run (no "Mode Error" box; an error stops the run as any other).
  //
  // With the reply pace a step runs only when it is due: kReplyGuardMs
  // after the tick that saw the answer to the previous line. A step that
  // sent nothing is followed at the next tick; a line that awaits no reply
  // (a broadcast) is followed after the plan's period, so a broadcast run
  // keeps the fixed pace. Until then a tick returns kWaiting. While an
  // answer is awaited, a "No Connect" of the watchdog (`reply_timeouts`
  // changes) ends the run with kStoppedNoReply, keeping the bar and the
  // percentage as an error does. The run is finished only once the last
  // line is answered (its bar shows every step meanwhile), so kFinished
  // means every line got its answer.
  //
  // A run that finishes with its last line answered and no step refused
  // leaves `success_pending` set: the dispatch raised no box for an answer
  // while the run held the interlock, and the run owes the "Success" box
  // (the read-all's for its version line too).
  SequenceTick OnTick();

  // Ends a running sequence without sending more (its dialog is closed from
  // its frame). Leaves the progress where it is; does nothing while idle.
  void Abort();

  const SequencePlan& plan() const { return plan_; }
  bool running() const { return running_; }
  // A reply-paced run waits for the answer to its last line sent.
  bool awaiting_reply() const { return awaiting_reply_; }
  // The steps the device refused with "GN" in the last run, once that run
  // is over (empty while it runs).
  const std::vector<Refusal>& refusals() const { return refusals_; }
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
  // What both ways of ending share: the interlock released, the judge of
  // answers told, the refusals kept.
  void End();
  SequenceTick RunStep();

  LinkState& link_;
  SequencePlan plan_;
  Step step_function_;
  StepAnswerRule answer_rule_;
  SequencePace pace_ = SequencePace::kFixed;
  SteadyClock* clock_ = nullptr;
  bool running_ = false;
  bool in_tick_ = false;
  int next_step_ = 0;
  int bar_position_ = 0;
  std::string percent_text_;
  // The line of the step run last awaits an answer.
  bool last_line_awaits_ = false;
  // Fixed pace: the last line went out; the next tick ends the run.
  bool final_wait_ = false;
  // Reply pace: when the next step is due, and whether the step last run
  // awaits its answer.
  std::chrono::milliseconds next_due_{0};
  bool awaiting_reply_ = false;
  // The link's counters before the last step sent.
  unsigned answers_mark_ = 0;
  unsigned timeouts_mark_ = 0;
  std::vector<Refusal> refusals_;
};

}  // namespace vqx
