// Maintenance read-all: asks the device for every setting, one read command
// per 400 ms timer tick; the replies are stored by the read-back handlers.
#pragma once

#include <string>

#include "link/command_sink.h"
#include "link/link_state.h"
#include "link/sequence.h"

namespace vqx {

inline constexpr int kReadAllSteps = 79;
inline constexpr int kReadAllPeriodMs = 400;

// The bare read command of step 1..79, ending in "\r\n"; "" for any other
// step.
std::string ReadAllCommand(int step);

// The percentage shown after step 1..79: step * 100 / 79, rounded down.
std::string ReadAllPercent(int step);

// The tick-driven sequence. The dialog (or the command-line tool) calls
// Start, then OnTick on each timer tick until it reports that the timer
// must stop.
class ReadAllSequence {
 public:
  ReadAllSequence(LinkState& state, CommandSink& sink);

  // Returns false and changes nothing while any sequence runs
  // (sequence_step not 0).
  bool Start();

  // One timer tick. Stops on a pending error reply (reply_error 1, which it
  // clears) before sending anything; otherwise sends the next command and
  // advances the progress. After the last command the sequence finishes:
  // the progress returns to 0 and the percentage to three blanks. A tick
  // while not running does nothing and reports kFinished.
  SequenceTick OnTick();

  // Ends a running sequence without sending more (the dialog is closed from
  // its frame). Leaves the progress where it is.
  void Abort();

  bool running() const { return running_; }
  // The progress bar position, 0..kReadAllSteps.
  int bar_position() const { return bar_position_; }
  // What the percentage field shows: "" at first, then n*100/79 after step
  // n, and three blanks after completion.
  std::string percent_text() const { return percent_text_; }

 private:
  LinkState& state_;
  CommandSink& sink_;
  bool running_ = false;
  int step_ = 0;
  int bar_position_ = 0;
  std::string percent_text_;
};

}  // namespace vqx
