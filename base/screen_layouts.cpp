#include "base/screen_layouts.h"

#include "base/settings_catalogue.h"

namespace vqx {
namespace {

// Four panes: two by two, pane 1 top left, reading order.
constexpr PaneRect kFourPanes[] = {
    {0, 0, 3, 3}, {3, 0, 3, 3}, {0, 3, 3, 3}, {3, 3, 3, 3}};
// Six panes: pane 1 large in the top left (two thirds each way), panes 2
// and 3 down the right, panes 4, 5 and 6 along the bottom.
constexpr PaneRect kSixPanes[] = {{0, 0, 4, 4}, {4, 0, 2, 2}, {4, 2, 2, 2},
                                  {0, 4, 2, 2}, {2, 4, 2, 2}, {4, 4, 2, 2}};
// Nine panes: three by three in reading order; the record places the
// first eight.
constexpr PaneRect kNinePanes[] = {{0, 0, 2, 2}, {2, 0, 2, 2}, {4, 0, 2, 2},
                                   {0, 2, 2, 2}, {2, 2, 2, 2}, {4, 2, 2, 2},
                                   {0, 4, 2, 2}, {2, 4, 2, 2}};
constexpr PaneRect kNinthPane[] = {{4, 4, 2, 2}};

constexpr SplitLayoutShape kShapes[] = {
    {SplitLayout::k4A, kScreenSplit4A, kFourPanes, {}},
    {SplitLayout::k4B, kScreenSplit4B, kFourPanes, {}},
    {SplitLayout::k6A, kScreenSplit6A, kSixPanes, {}},
    {SplitLayout::k6B, kScreenSplit6B, kSixPanes, {}},
    {SplitLayout::k9, kScreenSplit9, kNinePanes, kNinthPane},
};

}  // namespace

const SplitLayoutShape& ShapeOf(SplitLayout layout) {
  return kShapes[static_cast<int>(layout)];
}

std::string_view SplitLayoutName(SplitLayout layout) {
  std::string_view item = catalogue::kScreenItems[ShapeOf(layout).screen];
  while (item.ends_with(' ')) item.remove_suffix(1);
  return item;
}

std::optional<SplitLayout> SplitLayoutOfScreen(int screen) {
  for (const SplitLayoutShape& shape : kShapes) {
    if (shape.screen == screen) return shape.layout;
  }
  return std::nullopt;
}

std::span<const int> SplitLayoutChannels(const DeviceSettings& s,
                                         SplitLayout layout) {
  switch (layout) {
    case SplitLayout::k4A:
      return s.layout_4a;
    case SplitLayout::k4B:
      return s.layout_4b;
    case SplitLayout::k6A:
      return s.layout_6a;
    case SplitLayout::k6B:
      return s.layout_6b;
    case SplitLayout::k9:
      break;
  }
  return s.layout_9;
}

std::vector<bool> RepeatedPanes(std::span<const int> channels) {
  std::vector<bool> repeated(channels.size(), false);
  for (std::size_t i = 0; i < channels.size(); ++i) {
    for (std::size_t j = i + 1; j < channels.size(); ++j) {
      if (channels[i] == channels[j]) repeated[i] = repeated[j] = true;
    }
  }
  return repeated;
}

}  // namespace vqx
