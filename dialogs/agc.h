// Command builders of the per-channel automatic gain control. Any non-zero
// entry counts as ON.
#pragma once

#include <string>

#include "link/command_sink.h"
#include "settings/device_settings.h"

namespace vqx {

// "AGC0<n>OF\r\n" / "AGC0<n>ON\r\n" for channel index 0..7. Empty for
// another channel index; the Send function then sends nothing.
std::string AgcChannelCommand(const DeviceSettings& settings, int channel);
void SendAgcChannel(CommandSink& sink, const DeviceSettings& settings,
                    int channel);

// "AGC" and one letter per channel, "N" on, "F" off: "AGCNNNNNNNN\r\n".
std::string AgcAllCommand(const DeviceSettings& settings);
void SendAgcAll(CommandSink& sink, const DeviceSettings& settings);

}  // namespace vqx
