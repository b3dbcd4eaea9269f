#include "protocol/read_all.h"

#include <algorithm>
#include <array>

#include "base/encoding.h"
#include "protocol/agc.h"
#include "protocol/alarm.h"
#include "protocol/auto_switching.h"
#include "protocol/date_time.h"
#include "protocol/display_channel.h"
#include "protocol/other_settings.h"
#include "protocol/reply_table.h"
#include "protocol/title.h"
#include "protocol/video_adjustment.h"
#include "protocol/video_format.h"
#include "protocol/video_loss.h"

namespace vqx {

namespace {

// Steps 1..48: a per-channel read, eight channels each.
constexpr std::array<const ReadBack*, 6> kChannelReads = {
    &kTitleReadBack, &kBrightnessReadBack, &kContrastReadBack,
    &kHueReadBack,   &kSharpnessReadBack,  &kSaturationReadBack,
};
constexpr int kChannelReadSteps = 6 * kChannelCount;

// Steps 49..79.
constexpr std::array<const ReadBack*, kReadAllSteps - kChannelReadSteps>
    kFixedReads = {
        &kAlarmDisplayReadBack,
        &kAlarmHoldTimeReadBack,
        &kAlarmModeReadBack,
        &kAlarmPolarityReadBack,
        &kAlarmReturnReadBack,
        &kVideoLossDetectReadBack,
        &kVideoLossBackgroundReadBack,
        &kVideoLossSignalOutputReadBack,
        &kVideoLossDisplayReadBack,
        &kClockDisplayReadBack,
        &kClockDisplayRangeReadBack,
        &kTitleDisplaySingleReadBack,
        &kTitleDisplaySplitReadBack,
        &kSequenceTimesReadBack,
        &kSequenceModeReadBack,
        &kBorderLineReadBack,
        &kConnectorInputReadBack,
        &kPowerOnScreenReadBack,
        &kOsdSizeSplitReadBack,
        &kOsdSizeSingleReadBack,
        &kOsdOffsetHReadBack,
        &kOsdOffsetVReadBack,
        &kVideoFormatReadBack,
        &kLayout4AReadBack,
        &kLayout4BReadBack,
        &kLayout6AReadBack,
        &kLayout6BReadBack,
        &kLayout9ReadBack,
        &kNtscAspectReadBack,
        &kAgcReadBack,
        &kVersionReadBack,
};

bool IsStep(int step) { return step >= 1 && step <= kReadAllSteps; }

}  // namespace

const ReadBack* ReadAllReadBack(int step) {
  if (!IsStep(step)) return nullptr;
  if (step <= kChannelReadSteps) {
    return kChannelReads[(step - 1) / kChannelCount];
  }
  return kFixedReads[step - kChannelReadSteps - 1];
}

int ReadAllChannel(int step) {
  if (!IsStep(step) || step > kChannelReadSteps) return -1;
  return (step - 1) % kChannelCount;
}

std::string ReadAllCommand(int step) {
  const ReadBack* read_back = ReadAllReadBack(step);
  if (read_back == nullptr) return {};
  std::string command(read_back->command);
  if (read_back->channel_at >= 0) {
    EncodeDecimal2(ReadAllChannel(step) + 1,
                   command.data() + read_back->channel_at);
  }
  return command;
}

std::string ReadAllExpectedReply(int step) {
  const ReadBack* read_back = ReadAllReadBack(step);
  if (read_back == nullptr) return {};
  std::string reply(read_back->reply);
  if (read_back->channel_at >= 0) {
    reply += Decimal2Text(ReadAllChannel(step) + 1);
  }
  return reply;
}

ReadAllSequence::ReadAllSequence(LinkState& link, CommandSink& sink)
    : TimedSequence(link,
                    {.steps = kReadAllSteps,
                     .period_ms = kReadAllPeriodMs,
                     .finished_percent = "   ",
                     .end_after_step_on_error = false},
                    [&sink](int step) {
                      sink.SendCommand(ReadAllCommand(step));
                      return StepResult::kSent;
                    }) {}

void ReadBackRecord::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  seen_.reset();
  awaiting_verdict_ = false;
  ticks_since_finished_ = 0;
}

void ReadBackRecord::Note(std::string_view work_copy) {
  // Built once: the beginnings of the 79 answers.
  static const std::array<std::string, kReadAllSteps> expected = [] {
    std::array<std::string, kReadAllSteps> replies;
    for (int step = 1; step <= kReadAllSteps; ++step) {
      replies[step - 1] = ReadAllExpectedReply(step);
    }
    return replies;
  }();
  int best = -1;
  for (int i = 0; i < kReadAllSteps; ++i) {
    if (!work_copy.starts_with(expected[i])) continue;
    if (best < 0 || expected[i].size() > expected[best].size()) best = i;
  }
  if (best < 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  seen_.set(best);
}

bool ReadBackRecord::Complete() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_.all();
}

std::vector<int> ReadBackRecord::MissingSteps() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return MissingStepsLocked();
}

std::vector<int> ReadBackRecord::MissingStepsLocked() const {
  std::vector<int> missing;
  for (int i = 0; i < kReadAllSteps; ++i) {
    if (!seen_.test(i)) missing.push_back(i + 1);
  }
  return missing;
}

namespace {

std::vector<SettingsGroup> GroupsOf(const std::vector<int>& steps) {
  std::vector<SettingsGroup> groups;
  for (int step : steps) {
    const SettingsGroup group = ReadAllReadBack(step)->group;
    if (std::find(groups.begin(), groups.end(), group) == groups.end()) {
      groups.push_back(group);
    }
  }
  return groups;
}

}  // namespace

std::vector<SettingsGroup> ReadBackRecord::MissingGroups() const {
  return GroupsOf(MissingSteps());
}

void ReadBackRecord::RunFinished() {
  std::lock_guard<std::mutex> lock(mutex_);
  awaiting_verdict_ = true;
  ticks_since_finished_ = 0;
}

std::optional<std::vector<SettingsGroup>> ReadBackRecord::TakeVerdict() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!awaiting_verdict_) return std::nullopt;
  ++ticks_since_finished_;
  // The device answers in order: the version, asked last, comes last.
  if (!seen_.test(kReadAllSteps - 1) && ticks_since_finished_ < kVerdictTicks) {
    return std::nullopt;
  }
  awaiting_verdict_ = false;
  return GroupsOf(MissingStepsLocked());
}

}  // namespace vqx
