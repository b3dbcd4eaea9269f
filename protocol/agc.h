// Command builders of the per-channel automatic gain control. Any non-zero
// entry counts as ON.
#pragma once

#include <string>

#include "base/device_settings.h"
#include "protocol/read_back.h"
#include "transport/command_sink.h"

namespace vqx {

// "AGC0<n>OF\r\n" / "AGC0<n>ON\r\n" for channel index 0..7. Empty for
// another channel index; the Send function then sends nothing.
std::string AgcChannelCommand(const DeviceSettings& settings, int channel);
void SendAgcChannel(CommandSink& sink, const DeviceSettings& settings,
                    int channel);

// "AGC" and one letter per channel, "N" on, "F" off: "AGCNNNNNNNN\r\n".
std::string AgcAllCommand(const DeviceSettings& settings);
void SendAgcAll(CommandSink& sink, const DeviceSettings& settings);

// ---- Read-back
// ---------------------------------------------------------------

// "AGC" and one letter per channel: "F" OFF, any other ON.
void DecodeAgc(DeviceSettings& settings, std::string_view work_copy);

inline constexpr ReadBack kAgcReadBack{"RAGC\r\n", "AGC", DecodeAgc,
                                       SettingsGroup::kAgc};

}  // namespace vqx
