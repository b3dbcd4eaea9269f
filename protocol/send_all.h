// The send-all sequence: every setting of the record to the device in one
// timed pass of 78 lines, one per 500 ms tick. Every line comes from the
// builder of the setting's own set button, so each is byte for byte what
// that button sends.
#pragma once

#include "base/device_settings.h"
#include "base/link_state.h"
#include "base/platform.h"
#include "transport/command_sink.h"
#include "transport/timed_sequence.h"

namespace vqx {

inline constexpr int kSendAllSteps = 78;
inline constexpr int kSendAllPeriodMs = 500;

// Runs step 1..78 of a send-all with the record as it is now. A title that
// cannot be prepared, or a refused hold time, shows its box and sends
// nothing (kSkipped: the run goes on); a title without JIS codes shows its
// box and fails the step (the run stops at the next tick).
StepResult RunSendAllStep(int step, const DeviceSettings& settings,
                          CommandSink& sink, MessageBoxes& boxes);

// The send-all run: 78 steps, 500 ms apart. Each step reads the record as
// it is at that tick.
class SendAllSequence : public TimedSequence {
 public:
  SendAllSequence(LinkState& link, const SettingsStore& settings,
                  CommandSink& sink, MessageBoxes& boxes);
};

}  // namespace vqx
