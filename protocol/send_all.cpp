#include "protocol/send_all.h"

#include <algorithm>
#include <iterator>

#include "protocol/agc.h"
#include "protocol/alarm.h"
#include "protocol/auto_switching.h"
#include "protocol/date_time.h"
#include "protocol/display_channel.h"
#include "protocol/other_settings.h"
#include "protocol/title.h"
#include "protocol/video_adjustment.h"
#include "protocol/video_format.h"
#include "protocol/video_loss.h"

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

StepResult RunSendAllStep(int step, const DeviceSettings& settings,
                          CommandSink& sink, MessageBoxes& boxes) {
  if (step < 1 || step > kSendAllSteps) return StepResult::kSkipped;
  if (step < kFirstAdjustmentStep) {
    switch (PrepareAndSendTitle(sink, settings, boxes, step - 1,
                                TitleVariant::kPlain)) {
      case TitleSendResult::kSent:
        return StepResult::kSent;
      case TitleSendResult::kNotPrepared:
        return StepResult::kSkipped;
      case TitleSendResult::kNotEncodable:
        return StepResult::kFailed;
    }
  }
  if (step < kFirstSingleStep) {
    const int offset = step - kFirstAdjustmentStep;
    SendAdjustment(sink, settings, kAdjustmentSendOrder[offset / kChannelCount],
                   offset % kChannelCount);
    return StepResult::kSent;
  }
  const SingleBuilder builder = kSingleSteps[step - kFirstSingleStep];
  if (builder != nullptr) {
    builder(sink, settings);
    return StepResult::kSent;
  }
  // A refused hold time shows its message; the run goes on.
  return SendAlarmHoldTime(sink, settings, boxes) ? StepResult::kSent
                                                  : StepResult::kSkipped;
}

SettingName TitleSettingName(int channel) {
  if (channel < 0 || channel >= kChannelCount) return {};
  // The read-all reads the titles in its first eight steps.
  return ReadAllSettingName(channel + 1);
}

SettingName AdjustmentSettingName(Adjustment adjustment, int channel) {
  // The read-all reads brightness, contrast, hue, sharpness and saturation,
  // eight channels each, from step 9 on.
  constexpr Adjustment kReadOrder[] = {
      Adjustment::kBrightness, Adjustment::kContrast, Adjustment::kHue,
      Adjustment::kSharpness, Adjustment::kSaturation};
  const auto found =
      std::find(std::begin(kReadOrder), std::end(kReadOrder), adjustment);
  if (found == std::end(kReadOrder) || channel < 0 ||
      channel >= kChannelCount) {
    return {};
  }
  const int block = static_cast<int>(found - std::begin(kReadOrder));
  return ReadAllSettingName(kFirstAdjustmentStep + block * kChannelCount +
                            channel);
}

SettingName SendAllSettingName(int step) {
  if (step < 1 || step > kSendAllSteps) return {};
  if (step < kFirstAdjustmentStep) return TitleSettingName(step - 1);
  if (step < kFirstSingleStep) {
    const int offset = step - kFirstAdjustmentStep;
    return AdjustmentSettingName(kAdjustmentSendOrder[offset / kChannelCount],
                                 offset % kChannelCount);
  }
  return ReadAllSettingName(step);
}

SendAllSequence::SendAllSequence(LinkState& link, const SettingsStore& settings,
                                 CommandSink& sink, MessageBoxes& boxes)
    : TimedSequence(link,
                    {.steps = kSendAllSteps,
                     .period_ms = kSendAllPeriodMs,
                     .finished_percent = "   ",
                     .end_after_step_on_error = false},
                    [&settings, &sink, &boxes](int step) {
                      return RunSendAllStep(step, settings.Snapshot(), sink,
                                            boxes);
                    }) {}

}  // namespace vqx
