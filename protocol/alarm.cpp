#include "protocol/alarm.h"

#include <cstring>

#include "base/encoding.h"

namespace vqx {

std::string AlarmModeCommand(const DeviceSettings& settings) {
  std::string line = "AMI\r\n";
  if (settings.alarm_mode != 0) line[2] = 'E';
  return line;
}

void SendAlarmMode(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(AlarmModeCommand(settings));
}

std::optional<int> AlarmHoldTimeSeconds(const DeviceSettings& settings) {
  // The field holds what the user typed (or what a file supplied), so it may
  // lack its terminator: never look past its own bytes.
  int seconds = 0;
  int digits = 0;
  for (char c : settings.alarm_hold_time) {
    if (c < '0' || c > '9') break;
    if (digits < 3) seconds = seconds * 10 + (c - '0');
    ++digits;
  }
  if (digits == 0 || seconds < 3) return std::nullopt;
  return seconds;
}

std::optional<std::string> AlarmHoldTimeCommand(
    const DeviceSettings& settings) {
  const std::optional<int> seconds = AlarmHoldTimeSeconds(settings);
  if (!seconds) return std::nullopt;
  std::string line = "ADT000\r\n";
  EncodeDecimal3(*seconds, &line[3]);
  return line;
}

bool SendAlarmHoldTime(CommandSink& sink, const DeviceSettings& settings,
                       MessageBoxes& boxes) {
  const std::optional<std::string> line = AlarmHoldTimeCommand(settings);
  if (!line) {
    boxes.ShowErrorBox(kHoldTimeMessage);
    return false;
  }
  sink.SendCommand(*line);
  return true;
}

std::string AlarmPolarityCommand(const DeviceSettings& settings) {
  std::string line = "APM\r\n";
  if (settings.alarm_polarity != 0) line[2] = 'B';
  return line;
}

void SendAlarmPolarity(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(AlarmPolarityCommand(settings));
}

std::string AlarmDisplayCommand(const DeviceSettings& settings) {
  std::string line = "ADOF\r\n";
  if (settings.alarm_display != 0) line[3] = 'N';
  return line;
}

void SendAlarmDisplay(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(AlarmDisplayCommand(settings));
}

std::string AlarmReturnCommand(const DeviceSettings& settings) {
  std::string line = "AROF\r\n";
  if (settings.alarm_return != 0) line[3] = 'N';
  return line;
}

void SendAlarmReturn(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(AlarmReturnCommand(settings));
}

void DecodeAlarmDisplay(DeviceSettings& s, std::string_view w) {
  SwitchOffOrOn(w, 3, 'F', s.alarm_display);
}

void DecodeAlarmHoldTime(DeviceSettings& s, std::string_view w) {
  const std::optional<std::string_view> p = Complete(w, 6);
  if (!p || !Digits(*p, 3, 3)) return;
  std::memcpy(s.alarm_hold_time, p->data() + 3, 3);
  s.alarm_hold_time[3] = '\0';
}

void DecodeAlarmMode(DeviceSettings& s, std::string_view w) {
  SwitchOffOrOn(w, 2, 'I', s.alarm_mode);
}

void DecodeAlarmPolarity(DeviceSettings& s, std::string_view w) {
  SwitchOffOrOn(w, 2, 'M', s.alarm_polarity);
}

void DecodeAlarmReturn(DeviceSettings& s, std::string_view w) {
  SwitchOffOrOn(w, 3, 'F', s.alarm_return);
}

}  // namespace vqx
