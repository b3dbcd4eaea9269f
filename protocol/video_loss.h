// Command builders of the video-loss settings: per-channel detection (one
// channel, or all eight in one line), background colour, signal output and
// on-screen display. Any non-zero field counts as ON (or blue).
#pragma once

#include <string>

#include "base/device_settings.h"
#include "protocol/read_back.h"
#include "transport/command_sink.h"

namespace vqx {

// "VL0<n>OF\r\n" / "VL0<n>ON\r\n" for channel index 0..7 (channel n = 1..8).
// Empty for a channel index outside 0..7; the Send function then sends
// nothing.
std::string VideoLossChannelCommand(const DeviceSettings& settings,
                                    int channel);
void SendVideoLossChannel(CommandSink& sink, const DeviceSettings& settings,
                          int channel);

// "VL" and one letter per channel, "N" on, "F" off: "VLNNNNNNNN\r\n".
std::string VideoLossAllCommand(const DeviceSettings& settings);
void SendVideoLossAll(CommandSink& sink, const DeviceSettings& settings);

// "VLBCN\r\n" black, "VLBCB\r\n" blue.
std::string VideoLossBackgroundCommand(const DeviceSettings& settings);
void SendVideoLossBackground(CommandSink& sink, const DeviceSettings& settings);

// "VLSOOF\r\n" / "VLSOON\r\n".
std::string VideoLossSignalOutputCommand(const DeviceSettings& settings);
void SendVideoLossSignalOutput(CommandSink& sink,
                               const DeviceSettings& settings);

// "VLDOF\r\n" / "VLDON\r\n".
std::string VideoLossDisplayCommand(const DeviceSettings& settings);
void SendVideoLossDisplay(CommandSink& sink, const DeviceSettings& settings);

// ---- Read-back
// ---------------------------------------------------------------

// "VL" and one letter per channel: "F" OFF, "N" ON, anything else leaves
// that channel as it was.
void DecodeVideoLossDetect(DeviceSettings& settings,
                           std::string_view work_copy);
// "VLBCB" blue, any other letter black.
void DecodeVideoLossBackground(DeviceSettings& settings,
                               std::string_view work_copy);
// "VLSOOF" / "VLSOON"; another letter leaves the field.
void DecodeVideoLossSignalOutput(DeviceSettings& settings,
                                 std::string_view work_copy);
// "VLDOF" / "VLDON"; another letter leaves the field.
void DecodeVideoLossDisplay(DeviceSettings& settings,
                            std::string_view work_copy);

inline constexpr ReadBack kVideoLossDetectReadBack{
    "RVL\r\n", "VL", DecodeVideoLossDetect, SettingsGroup::kVideoLoss};
inline constexpr ReadBack kVideoLossBackgroundReadBack{
    "RVLBC\r\n", "VLBC", DecodeVideoLossBackground, SettingsGroup::kVideoLoss};
inline constexpr ReadBack kVideoLossSignalOutputReadBack{
    "RVLSO\r\n", "VLSOO", DecodeVideoLossSignalOutput,
    SettingsGroup::kVideoLoss};
inline constexpr ReadBack kVideoLossDisplayReadBack{
    "RVLD\r\n", "VLDO", DecodeVideoLossDisplay, SettingsGroup::kVideoLoss};

}  // namespace vqx
