// Command builders of the display channel settings: which screen the device
// shows, and which channel each pane of the five split layouts shows.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "base/device_settings.h"
#include "base/platform.h"
#include "protocol/read_back.h"
#include "transport/command_sink.h"

namespace vqx {

// A layout may not show one channel in two panes.
inline constexpr std::string_view kDuplicateChannelMessage =
    "同じチャンネルは､設定できません！";

// "CS0<n>\r\n" for a channel, "CD4A\r\n", "CD4B\r\n", "CD6A\r\n",
// "CD6B\r\n", "CD9\r\n" for the layouts, "CCAS\r\n" for automatic switching
// and for any value outside 0..12.
std::string ScreenSelectionCommand(int screen);
// `screen` is the working selection (selected_channel).
void SendScreenSelection(CommandSink& sink, int screen);

enum class Layout { k4A, k4B, k6A, k6B, k9 };
// The plain form, or the form with "N" after the layout name that the
// "Don't" buttons send.
enum class LayoutForm { kPlain, kN };

// The assignable panes: 4, 4, 6, 6 and 8 (the ninth pane of the 9-split is
// not placed).
int LayoutPaneCount(Layout layout);
// The layout's entries in the record, pane 1 first.
std::span<const int> LayoutEntries(const DeviceSettings& settings,
                                   Layout layout);
std::span<int> LayoutEntries(DeviceSettings& settings, Layout layout);
// A stored entry as it travels: a channel index clamped to 0..7.
int LayoutChannelOnWire(int entry);

// True when no two of the values are equal (every pair is compared).
bool ChannelsDistinct(std::span<const int> values);

// "SPD<name>[N]" and two digits (channel 01..08) per pane.
std::string LayoutPlacementCommand(const DeviceSettings& settings,
                                   Layout layout, LayoutForm form);
// Sends the placement without any check (the send-all sequence uses this).
void SendLayoutPlacement(CommandSink& sink, const DeviceSettings& settings,
                         Layout layout, LayoutForm form);
// The set buttons: when two panes of the layout would show the same channel,
// an error box with kDuplicateChannelMessage and nothing sent; otherwise
// SendLayoutPlacement. Returns whether a line was sent.
bool CheckAndSendLayoutPlacement(CommandSink& sink,
                                 const DeviceSettings& settings,
                                 MessageBoxes& boxes, Layout layout,
                                 LayoutForm form);

// ---- Read-back
// ---------------------------------------------------------------

// "SPD<name>" and two digits (channel 01..08) per pane, in the plain form.
void DecodeLayout4A(DeviceSettings& settings, std::string_view work_copy);
void DecodeLayout4B(DeviceSettings& settings, std::string_view work_copy);
void DecodeLayout6A(DeviceSettings& settings, std::string_view work_copy);
void DecodeLayout6B(DeviceSettings& settings, std::string_view work_copy);
void DecodeLayout9(DeviceSettings& settings, std::string_view work_copy);

inline constexpr ReadBack kLayout4AReadBack{
    "RSPD4A\r\n", "SPD4A", DecodeLayout4A, SettingsGroup::kDisplayChannel};
inline constexpr ReadBack kLayout4BReadBack{
    "RSPD4B\r\n", "SPD4B", DecodeLayout4B, SettingsGroup::kDisplayChannel};
inline constexpr ReadBack kLayout6AReadBack{
    "RSPD6A\r\n", "SPD6A", DecodeLayout6A, SettingsGroup::kDisplayChannel};
inline constexpr ReadBack kLayout6BReadBack{
    "RSPD6B\r\n", "SPD6B", DecodeLayout6B, SettingsGroup::kDisplayChannel};
inline constexpr ReadBack kLayout9ReadBack{"RSPD9\r\n", "SPD9", DecodeLayout9,
                                           SettingsGroup::kDisplayChannel};

}  // namespace vqx
