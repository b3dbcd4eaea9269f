// The send-all sequence: every setting of the record to the device in one
// timed pass of 78 lines, one per tick. Every line comes from the builder of
// the setting's own set button, so each is byte for byte what that button
// sends.
//
// The sequence is driven by ticks (the send-all dialog's 500 ms timer, or the
// command-line tool). It does not wait for replies: an error reply raises
// LinkState::reply_error on the receive thread, and the next tick stops the
// run before sending its line.
#pragma once

#include <string>

#include "app/platform.h"
#include "link/command_sink.h"
#include "link/link_state.h"
#include "link/sequence.h"
#include "settings/device_settings.h"

namespace vqx {

inline constexpr int kSendAllSteps = 78;
inline constexpr int kSendAllPeriodMs = 500;

class SendAllSequence {
 public:
  SendAllSequence(LinkState& link, const SettingsStore& settings,
                  CommandSink& sink, MessageBoxes& boxes);

  // Begins a run at step 1; the first line goes out at the first tick.
  // Refused (false) while this or any other sequence runs (sequence_step is
  // not 0).
  bool Start();

  // One step. The caller stops its timer on anything but kRunning. A tick
  // that arrives while a message box of the previous step is still open
  // (a re-entered timer) does nothing, so steps never overlap or repeat.
  SequenceTick OnTick();

  bool running() const { return running_; }
  // Steps sent in this run, 0..78; back to 0 after a complete run, kept after
  // a stop.
  int bar_position() const { return bar_position_; }
  // "" before the first step; step * 100 / 78 after each step; three blanks
  // after a complete run; kept after a stop.
  const std::string& percent_text() const { return percent_text_; }

 private:
  void RunStep(int step);

  LinkState& link_;
  const SettingsStore& settings_;
  CommandSink& sink_;
  MessageBoxes& boxes_;
  bool running_ = false;
  bool in_tick_ = false;
  int step_ = 0;
  int bar_position_ = 0;
  std::string percent_text_;
};

}  // namespace vqx
