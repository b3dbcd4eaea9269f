// Command builders of the alarm settings: mode, hold time, polarity, display
// and return. Each reads only the settings record it is given.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/platform.h"
#include "link/command_sink.h"
#include "settings/device_settings.h"

namespace vqx {

// The device does not accept a hold time below three seconds.
inline constexpr std::string_view kHoldTimeMessage =
    "3秒以上を設定してください。";

// "AMI\r\n" Internal; "AME\r\n" for any non-zero mode.
std::string AlarmModeCommand(const DeviceSettings& settings);
void SendAlarmMode(CommandSink& sink, const DeviceSettings& settings);

// The hold time as typed: the leading decimal digits of the field (at most
// three are used, anything after them is ignored). Nothing when the text does
// not start with a digit or the number is below 3.
std::optional<int> AlarmHoldTimeSeconds(const DeviceSettings& settings);
// "ADT" and the seconds as three digits, or nothing for an invalid field.
std::optional<std::string> AlarmHoldTimeCommand(const DeviceSettings& settings);
// Sends the hold time, or shows kHoldTimeMessage in an error box and sends
// nothing. Returns whether a line was sent. The field is never rewritten.
bool SendAlarmHoldTime(CommandSink& sink, const DeviceSettings& settings,
                       MessageBoxes& boxes);

// "APM\r\n" Make; "APB\r\n" for any non-zero polarity.
std::string AlarmPolarityCommand(const DeviceSettings& settings);
void SendAlarmPolarity(CommandSink& sink, const DeviceSettings& settings);

// "ADOF\r\n" / "ADON\r\n" (any non-zero value is ON).
std::string AlarmDisplayCommand(const DeviceSettings& settings);
void SendAlarmDisplay(CommandSink& sink, const DeviceSettings& settings);

// "AROF\r\n" / "ARON\r\n" (any non-zero value is ON).
std::string AlarmReturnCommand(const DeviceSettings& settings);
void SendAlarmReturn(CommandSink& sink, const DeviceSettings& settings);

}  // namespace vqx
