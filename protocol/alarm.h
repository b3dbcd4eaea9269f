// Command builders of the alarm settings: mode, hold time, polarity, display
// and return. Each reads only the settings record it is given.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/device_settings.h"
#include "base/platform.h"
#include "protocol/read_back.h"
#include "transport/command_sink.h"

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

// ---- Read-back
// ---------------------------------------------------------------

// "ADON" / "ADOF": position 3 "F" is OFF, any other letter ON.
void DecodeAlarmDisplay(DeviceSettings& settings, std::string_view work_copy);
// "ADT" and three digits, kept as the text the device shows.
void DecodeAlarmHoldTime(DeviceSettings& settings, std::string_view work_copy);
// "AMI" Internal, any other letter External.
void DecodeAlarmMode(DeviceSettings& settings, std::string_view work_copy);
// "APM" Make, any other letter Break.
void DecodeAlarmPolarity(DeviceSettings& settings, std::string_view work_copy);
// "AROF" / "ARON".
void DecodeAlarmReturn(DeviceSettings& settings, std::string_view work_copy);

inline constexpr ReadBack kAlarmDisplayReadBack{
    "RAD\r\n", "ADO", DecodeAlarmDisplay, SettingsGroup::kAlarm};
inline constexpr ReadBack kAlarmHoldTimeReadBack{
    "RADT\r\n", "ADT", DecodeAlarmHoldTime, SettingsGroup::kAlarm};
inline constexpr ReadBack kAlarmModeReadBack{"RAM\r\n", "AM", DecodeAlarmMode,
                                             SettingsGroup::kAlarm};
inline constexpr ReadBack kAlarmPolarityReadBack{
    "RAP\r\n", "AP", DecodeAlarmPolarity, SettingsGroup::kAlarm};
inline constexpr ReadBack kAlarmReturnReadBack{
    "RAR\r\n", "ARO", DecodeAlarmReturn, SettingsGroup::kAlarm};

}  // namespace vqx
