// Command builders of the per-channel camera signal format: formats 0..6
// (AHD 1920, AHD 720, TVI 1920, TVI 720, CVI 1920, CVI 720, NTSC) travel as
// the digits 1..7.
#pragma once

#include <string>

#include "link/command_sink.h"
#include "settings/device_settings.h"

namespace vqx {

inline constexpr int kVideoFormatCount = 7;

// The digit a stored format travels as; a value outside 0..6 is clamped
// into the list.
char VideoFormatDigit(int format);

// "VF0<n><f>\r\n" for channel index 0..7. Empty for another channel index;
// the Send function then sends nothing.
std::string VideoFormatChannelCommand(const DeviceSettings& settings,
                                      int channel);
void SendVideoFormatChannel(CommandSink& sink, const DeviceSettings& settings,
                            int channel);

// "VF" and eight format digits, channel 1 first.
std::string VideoFormatAllCommand(const DeviceSettings& settings);
void SendVideoFormatAll(CommandSink& sink, const DeviceSettings& settings);

}  // namespace vqx
