// The drawn table and list on screens of 100 % to 250 % scaling: the frames
// and the dialog font grow with the density, so every drawn position must
// grow with it, and texts that sat apart at 96 DPI must stay apart.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dialogs/auto_switching_dialog.h"
#include "dialogs/video_adjustment_dialog.h"
#include "tests/support/dialog_fixture.h"

namespace vqx {
namespace {

using testing::DialogFixture;
using testing::DrawnText;

TEST(ScaleForDpiTest, RoundsToTheNearestPixel) {
  struct Case {
    int pixels, dpi, scaled;
  };
  const Case cases[] = {
      {540, 96, 540}, {20, 144, 30},   {7, 144, 11},  {-7, 144, -11},
      {10, 120, 13},  {5, 120, 6},     {22, 168, 39}, {700, 288, 2100},
      {500, 0, 500},  {500, -96, 500},  // density unknown: as at 96
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScaleForDpi(c.pixels, c.dpi), c.scaled)
        << c.pixels << " px at " << c.dpi;
  }
}

// The dialog font is 9 points. A generous width for a text in it: one em
// for a full-width character, 0.9 em for a capital, m or w, 0.6 em for any
// other ASCII character.
int FontEm(int dpi) { return 9 * dpi / 72; }

int TextWidth(std::string_view text, int dpi) {
  double ems = 0;
  for (unsigned char c : text) {
    if (c >= 0xC0) {
      ems += 1.0;  // the first byte of a UTF-8 sequence
    } else if (c < 0x80) {
      ems += (c >= 'A' && c <= 'Z') || c == 'm' || c == 'w' ? 0.9 : 0.6;
    }
  }
  return static_cast<int>(ems * FontEm(dpi) + 0.999);
}

void ExpectApart(const std::vector<DrawnText>& texts, int dpi) {
  const int em = FontEm(dpi);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    for (std::size_t j = i + 1; j < texts.size(); ++j) {
      const DrawnText& a = texts[i];
      const DrawnText& b = texts[j];
      const bool meet = a.x < b.x + TextWidth(b.text, dpi) &&
                        b.x < a.x + TextWidth(a.text, dpi) && a.y < b.y + em &&
                        b.y < a.y + em;
      EXPECT_FALSE(meet) << "at " << dpi << " DPI, \"" << a.text << "\" at ("
                         << a.x << ", " << a.y << ") meets \"" << b.text
                         << "\" at (" << b.x << ", " << b.y << ")";
    }
  }
}

std::string TextAt(const std::vector<DrawnText>& texts, int x, int y) {
  for (const DrawnText& text : texts) {
    if (text.x == x && text.y == y) return text.text;
  }
  return "<none>";
}

using VideoAdjustmentDpiTest = DialogFixture<VideoAdjustmentDialog>;
using VA = VideoAdjustmentDialog;

TEST_F(VideoAdjustmentDpiTest, TableGrowsWithTheDensityAndNoCellsMeet) {
  struct Case {
    int dpi, first_column, last_column, header_y, label_x, last_row_y;
  };
  const Case cases[] = {
      {96, 120, 540, 6, 20, 106},    {120, 150, 675, 8, 25, 133},
      {144, 180, 810, 9, 30, 159},   {192, 240, 1080, 12, 40, 212},
      {240, 300, 1350, 15, 50, 265},
  };
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    view_.dpi = c.dpi;
    dialog_.OnPaint(view_);
    dialog_.OnTimer(view_, VA::kDrawTimer);
    const std::vector<DrawnText> drawn = std::exchange(view_.drawn, {});
    ASSERT_EQ(drawn.size(), 8u + 5u * 9u);
    EXPECT_EQ(TextAt(drawn, c.first_column, c.header_y), "ch.01");
    EXPECT_EQ(TextAt(drawn, c.last_column, c.header_y), "ch.08");
    EXPECT_EQ(TextAt(drawn, c.label_x, c.last_row_y), "Saturation");
    EXPECT_EQ(TextAt(drawn, c.last_column, c.last_row_y), " 080");
    ExpectApart(drawn, c.dpi);
  }
}

TEST_F(VideoAdjustmentDpiTest, RedrawsAtTheDensityOfTheMoment) {
  // A dialog moved to a monitor of another density draws there.
  Open();
  dialog_.OnTimer(view_, VA::kDrawTimer);
  view_.dpi = 192;
  Choose(VA::kAdjustments[1].list, 100);  // contrast of channel 1
  EXPECT_EQ(TextAt(view_.drawn, 240, 92), " 100 ");
}

using AutoSwitchingDpiTest = DialogFixture<AutoSwitchingDialog>;
using AS = AutoSwitchingDialog;

TEST_F(AutoSwitchingDpiTest, ListGrowsWithTheDensityAndLinesStayApart) {
  struct Case {
    int dpi, x, first_y, last_y;
  };
  const Case cases[] = {{96, 20, 10, 274},
                        {144, 30, 15, 411},
                        {192, 40, 20, 548},
                        {240, 50, 25, 685}};
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    view_.dpi = c.dpi;
    dialog_.OnPaint(view_);
    dialog_.OnTimer(view_, AS::kRedrawTimer);
    const std::vector<DrawnText> drawn = std::exchange(view_.drawn, {});
    ASSERT_EQ(drawn.size(), 13u);
    EXPECT_EQ(drawn.front().x, c.x);
    EXPECT_EQ(drawn.front().y, c.first_y);
    EXPECT_EQ(drawn.back().y, c.last_y);
    ExpectApart(drawn, c.dpi);
  }
}

}  // namespace
}  // namespace vqx
