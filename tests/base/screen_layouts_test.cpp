// The split layouts' geometry: the panes of each layout tile the screen as
// the device draws it, in the order of the record's arrays, and a channel
// shown twice is found wherever its panes lie.
#include "base/screen_layouts.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/settings_catalogue.h"

namespace vqx {
namespace {

std::vector<PaneRect> AllPanes(const SplitLayoutShape& shape) {
  std::vector<PaneRect> panes(shape.panes.begin(), shape.panes.end());
  panes.insert(panes.end(), shape.unplaced.begin(), shape.unplaced.end());
  return panes;
}

// Every unit of the screen lies in exactly one pane, placed or not.
TEST(ScreenLayoutsTest, PanesTileTheScreenWithoutOverlap) {
  for (SplitLayout layout : kSplitLayouts) {
    SCOPED_TRACE(std::string(SplitLayoutName(layout)));
    int covered[kScreenGrid][kScreenGrid] = {};
    for (const PaneRect& pane : AllPanes(ShapeOf(layout))) {
      ASSERT_GT(pane.width, 0);
      ASSERT_GT(pane.height, 0);
      ASSERT_GE(pane.x, 0);
      ASSERT_GE(pane.y, 0);
      ASSERT_LE(pane.x + pane.width, kScreenGrid);
      ASSERT_LE(pane.y + pane.height, kScreenGrid);
      for (int y = pane.y; y < pane.y + pane.height; ++y) {
        for (int x = pane.x; x < pane.x + pane.width; ++x) ++covered[y][x];
      }
    }
    for (int y = 0; y < kScreenGrid; ++y) {
      for (int x = 0; x < kScreenGrid; ++x) {
        EXPECT_EQ(covered[y][x], 1) << "unit " << x << "," << y;
      }
    }
  }
}

// As many placed panes as the record has entries for the layout, in the
// screen list's order, named by its items.
TEST(ScreenLayoutsTest, EachLayoutMatchesItsRecordEntriesAndScreen) {
  struct Case {
    SplitLayout layout;
    int screen;
    const char* name;
    int panes;
    int unplaced;
  };
  const Case cases[] = {
      {SplitLayout::k4A, kScreenSplit4A, "4分割A", 4, 0},
      {SplitLayout::k4B, kScreenSplit4B, "4分割B", 4, 0},
      {SplitLayout::k6A, kScreenSplit6A, "6分割A", 6, 0},
      {SplitLayout::k6B, kScreenSplit6B, "6分割B", 6, 0},
      {SplitLayout::k9, kScreenSplit9, "9分割", 8, 1},
  };
  DeviceSettings s{};
  LoadDefaultSettings(s);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SplitLayoutShape& shape = ShapeOf(c.layout);
    EXPECT_EQ(shape.layout, c.layout);
    EXPECT_EQ(shape.screen, c.screen);
    EXPECT_EQ(SplitLayoutName(c.layout), c.name);
    EXPECT_EQ(static_cast<int>(shape.panes.size()), c.panes);
    EXPECT_EQ(static_cast<int>(shape.unplaced.size()), c.unplaced);
    EXPECT_EQ(static_cast<int>(SplitLayoutChannels(s, c.layout).size()),
              c.panes);
    EXPECT_EQ(SplitLayoutOfScreen(c.screen), c.layout);
  }
  for (int screen : {0, 7, kScreenAutomatic, -1, kScreenCount}) {
    EXPECT_EQ(SplitLayoutOfScreen(screen), std::nullopt) << screen;
  }
}

// Pane 1 is the top left one; in reading order the panes run left to
// right, then down; the 6-splits have one large pane and the 9-split leaves
// its last pane, bottom right, unplaced.
TEST(ScreenLayoutsTest, PanesRunInReadingOrder) {
  for (SplitLayout layout : kSplitLayouts) {
    SCOPED_TRACE(std::string(SplitLayoutName(layout)));
    const auto panes = ShapeOf(layout).panes;
    EXPECT_EQ(panes[0].x, 0);
    EXPECT_EQ(panes[0].y, 0);
    for (std::size_t i = 1; i < panes.size(); ++i) {
      const bool later =
          panes[i].y > panes[i - 1].y ||
          (panes[i].y == panes[i - 1].y && panes[i].x > panes[i - 1].x);
      EXPECT_TRUE(later) << "pane " << i + 1;
    }
  }
  const auto six = ShapeOf(SplitLayout::k6B).panes;
  EXPECT_EQ(six[0], (PaneRect{0, 0, 4, 4}));
  for (std::size_t i = 1; i < six.size(); ++i) {
    EXPECT_EQ(six[i].width * six[i].height, 4) << "pane " << i + 1;
  }
  EXPECT_EQ(ShapeOf(SplitLayout::k9).unplaced[0], (PaneRect{4, 4, 2, 2}));
}

TEST(ScreenLayoutsTest, RepeatedPanesMarksEveryPaneOfARepeatedChannel) {
  struct Case {
    std::vector<int> channels;
    std::vector<bool> repeated;
  };
  const Case cases[] = {
      {{0, 1, 2, 3}, {false, false, false, false}},
      {{2, 1, 2, 3}, {true, false, true, false}},
      // Far apart: pane 1 and pane 8 of the 9-split.
      {{2, 1, 0, 3, 4, 5, 6, 2},
       {true, false, false, false, false, false, false, true}},
      {{5, 5, 5, 1, 1, 0}, {true, true, true, true, true, false}},
      {{}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RepeatedPanes(c.channels), c.repeated);
  }
}

}  // namespace
}  // namespace vqx
