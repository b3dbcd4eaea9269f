#include "settings/send_all.h"

#include <iterator>
#include <optional>
#include <string>

#include "dialogs/agc.h"
#include "dialogs/alarm.h"
#include "dialogs/auto_switching.h"
#include "dialogs/date_time.h"
#include "dialogs/display_channel.h"
#include "dialogs/other_settings.h"
#include "dialogs/title.h"
#include "dialogs/video_adjustment.h"
#include "dialogs/video_format.h"
#include "dialogs/video_loss.h"

namespace vqx {

namespace {

// Steps 1-8 titles, 9-48 the adjustments (eight channels each), then one
// line per step.
constexpr int kFirstAdjustmentStep = 9;
constexpr int kFirstSingleStep = kFirstAdjustmentStep + 5 * kChannelCount;

using SingleBuilder = void (*)(CommandSink&, const DeviceSettings&);

void SendLayout4A(CommandSink& sink, const DeviceSettings& settings) {
  SendLayoutPlacement(sink, settings, Layout::k4A, LayoutForm::kPlain);
}
void SendLayout4B(CommandSink& sink, const DeviceSettings& settings) {
  SendLayoutPlacement(sink, settings, Layout::k4B, LayoutForm::kPlain);
}
void SendLayout6A(CommandSink& sink, const DeviceSettings& settings) {
  SendLayoutPlacement(sink, settings, Layout::k6A, LayoutForm::kPlain);
}
void SendLayout6B(CommandSink& sink, const DeviceSettings& settings) {
  SendLayoutPlacement(sink, settings, Layout::k6B, LayoutForm::kPlain);
}
void SendLayout9(CommandSink& sink, const DeviceSettings& settings) {
  SendLayoutPlacement(sink, settings, Layout::k9, LayoutForm::kPlain);
}

// Steps 49..78, except step 50 (the hold time, which may refuse), which is
// handled apart; its slot holds nullptr.
constexpr SingleBuilder kSingleSteps[] = {
    SendAlarmDisplay,           // 49
    nullptr,                    // 50 SendAlarmHoldTime
    SendAlarmMode,              // 51
    SendAlarmPolarity,          // 52
    SendAlarmReturn,            // 53
    SendVideoLossAll,           // 54
    SendVideoLossBackground,    // 55
    SendVideoLossSignalOutput,  // 56
    SendVideoLossDisplay,       // 57
    SendClockDisplay,           // 58
    SendClockDisplayRange,      // 59
    SendTitleDisplaySingle,     // 60
    SendTitleDisplaySplit,      // 61
    SendSequenceTimes,          // 62 (no all-zero check)
    SendSequenceMode,           // 63
    SendBorderLine,             // 64
    SendConnectorInput,         // 65
    SendPowerOnScreen,          // 66
    SendOsdSizeSplit,           // 67
    SendOsdSizeSingle,          // 68
    SendOsdOffsetH,             // 69
    SendOsdOffsetV,             // 70
    SendVideoFormatAll,         // 71
    SendLayout4A,               // 72 (no duplicate check)
    SendLayout4B,               // 73
    SendLayout6A,               // 74
    SendLayout6B,               // 75
    SendLayout9,                // 76
    SendNtscAspect,             // 77
    SendAgcAll,                 // 78
};
static_assert(kFirstSingleStep + std::size(kSingleSteps) - 1 == kSendAllSteps);

}  // namespace

SendAllSequence::SendAllSequence(LinkState& link, const SettingsStore& settings,
                                 CommandSink& sink, MessageBoxes& boxes)
    : link_(link), settings_(settings), sink_(sink), boxes_(boxes) {}

bool SendAllSequence::Start() {
  int idle = 0;
  if (!link_.sequence_step.compare_exchange_strong(idle, 1)) return false;
  running_ = true;
  step_ = 1;
  // A run that follows a stopped one starts its bar from the beginning.
  bar_position_ = 0;
  return true;
}

SequenceTick SendAllSequence::OnTick() {
  if (!running_) return SequenceTick::kFinished;
  if (in_tick_) return SequenceTick::kRunning;
  in_tick_ = true;

  SequenceTick result = SequenceTick::kRunning;
  if (link_.reply_error.load() != 0) {
    link_.reply_error = 0;
    link_.sequence_step = 0;
    running_ = false;
    result = SequenceTick::kStoppedOnError;
  } else {
    const int step = step_;
    RunStep(step);
    percent_text_ = std::to_string(step * 100 / kSendAllSteps);
    bar_position_ = step;
    step_ = step + 1;
    if (step_ > kSendAllSteps) {
      link_.sequence_step = 0;
      running_ = false;
      percent_text_ = "   ";
      bar_position_ = 0;
      result = SequenceTick::kFinished;
    } else {
      link_.sequence_step = step_;
    }
  }

  in_tick_ = false;
  return result;
}

void SendAllSequence::RunStep(int step) {
  const DeviceSettings settings = settings_.Snapshot();
  if (step < kFirstAdjustmentStep) {
    const int channel = step - 1;
    const std::optional<PreparedTitle> title = PrepareTitle(settings, channel);
    if (!title) {
      // Skipped; the run goes on.
      boxes_.ShowWarningBox(kTitleJisMessage);
    } else if (!SendTitle(sink_, *title, channel, TitleVariant::kPlain)) {
      // Nothing sent; the run stops at the next tick.
      link_.reply_error = 1;
      boxes_.ShowWarningBox(kTitleJisMessage);
    }
    return;
  }
  if (step < kFirstSingleStep) {
    const int offset = step - kFirstAdjustmentStep;
    SendAdjustment(sink_, settings,
                   kAdjustmentSendOrder[offset / kChannelCount],
                   offset % kChannelCount);
    return;
  }
  const SingleBuilder builder = kSingleSteps[step - kFirstSingleStep];
  if (builder != nullptr) {
    builder(sink_, settings);
  } else {
    // A refused hold time shows its message; the run goes on.
    SendAlarmHoldTime(sink_, settings, boxes_);
  }
}

}  // namespace vqx
