// Command builders of the per-channel camera signal format: formats 0..6
// (AHD 1920, AHD 720, TVI 1920, TVI 720, CVI 1920, CVI 720, NTSC) travel as
// the digits 1..7.
#pragma once

#include <string>

#include "base/device_settings.h"
#include "protocol/read_back.h"
#include "transport/command_sink.h"

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

// ---- Read-back
// ---------------------------------------------------------------

// "VF" and one digit 1..7 per channel; another character leaves that channel
// as it was.
void DecodeVideoFormat(DeviceSettings& settings, std::string_view work_copy);

inline constexpr ReadBack kVideoFormatReadBack{
    "RVF\r\n", "VF", DecodeVideoFormat, SettingsGroup::kVideoFormat};

}  // namespace vqx
