// Command builders of the automatic switching: the 13 dwell times (eight
// channels, then 4-split A, 4-split B, 6-split A, 6-split B, 9-split) and the
// switching mode.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/device_settings.h"
#include "base/platform.h"
#include "protocol/read_back.h"
#include "transport/command_sink.h"

namespace vqx {

// The device refuses a sequence in which a whole group has nothing to show.
inline constexpr std::string_view kChannelsAllZeroMessage =
    "ch.01～ch.08を全て0秒に設定することはできません。";
inline constexpr std::string_view kSplitsAllZeroMessage =
    "4分割A～9分割を全て0秒に設定することはできません。";
inline constexpr std::string_view kAllZeroMessage =
    "ch.01～ch.08, 4分割A～9分割を全て0秒に設定することはできません。";

// A dwell time as it travels: clamped to the two digits' 0..99 seconds.
int SequenceDwellOnWire(int seconds);

// "CASTM" and 13 two-digit dwell times, entry order.
std::string SequenceTimesCommand(const DeviceSettings& settings);
// Sends the times without any check (the send-all sequence uses this).
void SendSequenceTimes(CommandSink& sink, const DeviceSettings& settings);

// The all-zero check over the times as they would be sent: nothing when the
// times may be sent, else the warning text to show.
std::optional<std::string_view> SequenceTimesRefusal(
    const DeviceSettings& settings);
// The set button: the all-zero check, then SendSequenceTimes. A refused set
// shows one warning box and sends nothing. Returns whether a line was sent.
bool CheckAndSendSequenceTimes(CommandSink& sink,
                               const DeviceSettings& settings,
                               MessageBoxes& boxes);

// "CASMS\r\n" single, "CASMD\r\n" split (1), "CASMM\r\n" mix (2); any other
// value sends single.
std::string SequenceModeCommand(const DeviceSettings& settings);
void SendSequenceMode(CommandSink& sink, const DeviceSettings& settings);

// ---- Read-back
// ---------------------------------------------------------------

// "CASTM" and the 13 dwell times, two digits each, entry order.
void DecodeSequenceTimes(DeviceSettings& settings, std::string_view work_copy);
// "CASMS" single, "CASMD" split, "CASMM" mix; another letter leaves it.
void DecodeSequenceMode(DeviceSettings& settings, std::string_view work_copy);

inline constexpr ReadBack kSequenceTimesReadBack{
    "RCASTM\r\n", "CASTM", DecodeSequenceTimes, SettingsGroup::kAutoSwitching};
inline constexpr ReadBack kSequenceModeReadBack{
    "RCASM\r\n", "CASM", DecodeSequenceMode, SettingsGroup::kAutoSwitching};

}  // namespace vqx
