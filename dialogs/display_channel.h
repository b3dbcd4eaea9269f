// Command builders of the display channel settings: which screen the device
// shows, and which channel each pane of the five split layouts shows.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "app/platform.h"
#include "link/command_sink.h"
#include "settings/device_settings.h"

namespace vqx {

// A layout may not show one channel in two panes.
inline constexpr std::string_view kDuplicateChannelMessage =
    "同じチャンネルは､設定できません！";

// Screens 0..7 are the channels; then the split layouts and automatic
// switching, in the order of the screen lists.
inline constexpr int kScreenSplit4A = 8;
inline constexpr int kScreenSplit4B = 9;
inline constexpr int kScreenSplit6A = 10;
inline constexpr int kScreenSplit6B = 11;
inline constexpr int kScreenSplit9 = 12;
inline constexpr int kScreenAutomatic = 13;
inline constexpr int kScreenCount = 14;

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

}  // namespace vqx
