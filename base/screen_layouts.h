// The split layouts as the device draws them on its monitor output: where
// each pane lies on the screen, in the order of the record's layout arrays,
// and which panes repeat a channel another pane already shows. The
// handover sheet and the display channel dialog draw their pictures from
// this one table.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/device_settings.h"

namespace vqx {

enum class SplitLayout { k4A, k4B, k6A, k6B, k9 };

inline constexpr std::array<SplitLayout, 5> kSplitLayouts = {
    SplitLayout::k4A, SplitLayout::k4B, SplitLayout::k6A, SplitLayout::k6B,
    SplitLayout::k9};

// The screen is a grid of kScreenGrid × kScreenGrid units: every pane of
// the five layouts lies on whole units (halves for four panes, thirds for
// six and nine).
inline constexpr int kScreenGrid = 6;

struct PaneRect {
  int x = 0;  // units from the left edge
  int y = 0;  // units from the top edge
  int width = 0;
  int height = 0;
  bool operator==(const PaneRect&) const = default;
};

struct SplitLayoutShape {
  SplitLayout layout;
  // Its index in the screen list (kScreenSplit4A ..).
  int screen;
  // The panes the record places, pane 1 first.
  std::span<const PaneRect> panes;
  // Panes the device draws but the record does not place (the ninth of
  // the 9-split).
  std::span<const PaneRect> unplaced;
};

const SplitLayoutShape& ShapeOf(SplitLayout layout);

// "4分割A", "9分割": the layout's item of the screen list, without its
// padding.
std::string_view SplitLayoutName(SplitLayout layout);

// The layout shown as screen `screen` (kScreenSplit4A .. kScreenSplit9);
// nothing for a channel or automatic switching.
std::optional<SplitLayout> SplitLayoutOfScreen(int screen);

// The layout's entries in the record (channel indexes), pane 1 first.
std::span<const int> SplitLayoutChannels(const DeviceSettings& settings,
                                         SplitLayout layout);

// For each pane, whether another pane of the same layout shows its channel.
std::vector<bool> RepeatedPanes(std::span<const int> channels);

}  // namespace vqx
