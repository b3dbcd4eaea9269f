// The send-all sequence: every setting of the record to the device in one
// timed pass of 78 lines, one per 500 ms tick. Every line comes from the
// builder of the setting's own set button, so each is byte for byte what
// that button sends.
#pragma once

#include "base/device_settings.h"
#include "base/platform.h"
#include "protocol/read_all.h"
#include "protocol/video_adjustment.h"
#include "transport/command_sink.h"
#include "transport/link_state.h"
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

// The setting step 1..78 sends, as the dialogs label it; empty names for
// any other step. Steps 49..78 send, in the same order, the settings that
// steps 49..78 of the read-all read.
SettingName SendAllSettingName(int step);
// The title of channel index 0..7 ("タイトル ch.03"), and one adjustment of
// one channel ("ビデオ映像の調整 Brightness ch.01"): the steps of the title
// and adjustment set-all buttons.
SettingName TitleSettingName(int channel);
SettingName AdjustmentSettingName(Adjustment adjustment, int channel);

// The send-all run: 78 steps, 500 ms apart. Each step reads the record as
// it is at that tick.
class SendAllSequence : public TimedSequence {
 public:
  SendAllSequence(LinkState& link, const SettingsStore& settings,
                  CommandSink& sink, MessageBoxes& boxes);
};

}  // namespace vqx
