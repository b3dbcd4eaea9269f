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

// How the dialogs label the settings of steps 49..79, in step order.
struct FixedName {
  std::string_view label;
  std::string_view english;
};
constexpr std::array<FixedName, kReadAllSteps - kChannelReadSteps> kFixedNames =
    {{
        {"表示", "alarm display"},
        {"保持時間", "alarm hold time"},
        {"モード", "alarm mode"},
        {"入力極性", "alarm input polarity"},
        {"リターン", "alarm return"},
        {"ch.01-ch.08", "video loss detection ch.01-ch.08"},
        {"背景色", "video loss background"},
        {"Signal Output", "video loss signal output"},
        {"Display", "video loss display"},
        {"表示", "clock display"},
        {"表示範囲", "clock display range"},
        {"単画面表示", "title display, single screen"},
        {"分割画面表示", "title display, split screen"},
        {"時間（秒）", "automatic switching times"},
        {"モード", "automatic switching mode"},
        {"ボーダーライン", "border line"},
        {"コネクター入力", "connector input"},
        {"電源投入時画面", "screen at power-on"},
        {"OSD Size分割画面", "OSD size, split screen"},
        {"OSD Size単画面", "OSD size, single screen"},
        {"OSD Offset水平", "OSD offset, horizontal"},
        {"OSD Offset垂直", "OSD offset, vertical"},
        {"ch.01-ch.08", "video format ch.01-ch.08"},
        {"4分割A ch.配置", "4-split A placement"},
        {"4分割B ch.配置", "4-split B placement"},
        {"6分割A ch.配置", "6-split A placement"},
        {"6分割B ch.配置", "6-split B placement"},
        {"9分割 ch.配置", "9-split placement"},
        {"NTSCアスペクト比", "NTSC aspect ratio"},
        {"ch.01-ch.08", "AGC ch.01-ch.08"},
        {"", "version"},
    }};

// The five adjustments as the video adjustment dialog labels them, in
// the read-all's order.
constexpr std::array<std::string_view, 5> kAdjustmentLabels = {
    "Brightness", "Contrast", "Hue", "Sharpness", "Saturation"};

bool IsStep(int step) { return step >= 1 && step <= kReadAllSteps; }

std::string ChannelLabel(int channel) {
  return "ch." + Decimal2Text(channel + 1);
}

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

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

AnswerRule ReadAllAnswerRule(int step) {
  const ReadBack* read_back = ReadAllReadBack(step);
  if (read_back == nullptr) return {};
  AnswerRule rule;
  rule.read_back_mnemonic = read_back->reply;
  rule.read_back_start = ReadAllExpectedReply(step);
  return rule;
}

SettingName ReadAllSettingName(int step) {
  const ReadBack* read_back = ReadAllReadBack(step);
  if (read_back == nullptr) return {};
  const std::string group(SettingsGroupName(read_back->group));
  if (step <= kChannelReadSteps) {
    const std::string channel = ChannelLabel(ReadAllChannel(step));
    if (read_back == &kTitleReadBack) {
      return {group + " " + channel, "title " + channel};
    }
    const std::string_view adjustment =
        kAdjustmentLabels[(step - 1) / kChannelCount - 1];
    return {group + " " + std::string(adjustment) + " " + channel,
            Lowered(adjustment) + " " + channel};
  }
  const FixedName& name = kFixedNames[step - kChannelReadSteps - 1];
  if (name.label.empty()) return {group, std::string(name.english)};
  return {group + " " + std::string(name.label), std::string(name.english)};
}

ReadAllSequence::ReadAllSequence(LinkState& link, CommandSink& sink)
    : TimedSequence(
          link,
          {.steps = kReadAllSteps,
           .period_ms = kReadAllPeriodMs,
           .finished_percent = "   ",
           .end_after_step_on_error = false},
          [&sink](int step) {
            sink.SendCommand(ReadAllCommand(step));
            return StepResult::kSent;
          },
          ReadAllAnswerRule) {}

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

void ReadBackRecord::NoteRefused(int step) {
  if (!IsStep(step)) return;
  std::lock_guard<std::mutex> lock(mutex_);
  seen_.set(step - 1);
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
