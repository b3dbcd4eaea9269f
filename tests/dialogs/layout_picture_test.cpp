// The picture in the display channel dialog: the layout last touched, its
// panes in place with channel and title, repeated channels marked, drawn
// again after every change and every repaint, at any density.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/display_channel_dialog.h"
#include "tests/support/dialog_fixture.h"

namespace vqx {
namespace {

using DC = DisplayChannelDialog;
using testing::DrawnBox;
using testing::DrawnText;

class LayoutPictureTest : public testing::DialogFixture<DC> {
 protected:
  // What the next drawing put on the screen, taken from the view.
  struct Picture {
    std::vector<DrawnBox> boxes;
    std::vector<DrawnText> texts;
  };
  Picture Take() {
    return {std::exchange(view_.boxes, {}), std::exchange(view_.drawn, {})};
  }
  // Runs the picture's timer as the window would, once it fires.
  void Fire() {
    ASSERT_EQ(view_.timers.count(DC::kPictureTimer), 1u);
    dialog_.OnTimer(view_, DC::kPictureTimer);
    EXPECT_EQ(view_.timers.count(DC::kPictureTimer), 0u);
  }
  static int CountStyle(const Picture& p, BoxStyle style) {
    return static_cast<int>(
        std::count_if(p.boxes.begin(), p.boxes.end(),
                      [&](const DrawnBox& b) { return b.style == style; }));
  }
  static std::vector<std::string> Texts(const Picture& p) {
    std::vector<std::string> texts;
    for (const DrawnText& text : p.texts) {
      EXPECT_EQ(text.control, DC::kPicture);
      texts.push_back(text.text);
    }
    return texts;
  }
  static int CountText(const Picture& p, const std::string& text) {
    const std::vector<std::string> texts = Texts(p);
    return static_cast<int>(std::count(texts.begin(), texts.end(), text));
  }
};

// The dialog opens on the layout the device shows, else on 4A; the picture
// waits until the dialog is up.
TEST_F(LayoutPictureTest, OpensOnTheLayoutOnScreen) {
  struct Case {
    int screen;
    SplitLayout shown;
    std::size_t boxes;  // the screen, the panes and any unplaced pane
  };
  for (const Case c :
       {Case{kScreenSplit6B, SplitLayout::k6B, 7},
        Case{kScreenSplit9, SplitLayout::k9, 10}, Case{3, SplitLayout::k4A, 5},
        Case{kScreenAutomatic, SplitLayout::k4A, 5}}) {
    SCOPED_TRACE(c.screen);
    fakes_.selections.selected_channel = c.screen;
    DC dialog(fakes_.services);
    testing::FakeDialogView view;
    dialog.OnInit(view);
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(view.timers[DC::kPictureTimer], DC::kFirstDrawDelayMs);
    dialog.OnTimer(view, DC::kPictureTimer);
    EXPECT_EQ(dialog.shown_layout(), c.shown);
    ASSERT_FALSE(view.boxes.empty());
    EXPECT_EQ(view.boxes[0], (DrawnBox{DC::kPicture, DC::kScreenX, DC::kScreenY,
                                       DC::kScreenWidth, DC::kScreenHeight,
                                       BoxStyle::kScreen}));
    EXPECT_EQ(view.boxes.size(), c.boxes);
  }
}

// Touching a 6B list shows 6B at once: the large pane first, each pane with
// its channel and title; the two panes now on ch.01 are marked and the note
// says why.
TEST_F(LayoutPictureTest, TouchingA6BListDrawsThatLayoutAndMarksRepeats) {
  Change([](DeviceSettings& s) { std::strcpy(s.title_text[0], "GATE"); });
  Open();
  Fire();
  Take();
  Choose(IDC_LAYOUT_6B_PANE2, 0);
  EXPECT_EQ(dialog_.shown_layout(), SplitLayout::k6B);
  const Picture p = Take();
  ASSERT_EQ(p.boxes.size(), 7u);
  EXPECT_EQ(p.boxes[1],
            (DrawnBox{DC::kPicture, 4, 20, 192, 108, BoxStyle::kRepeatedPane}));
  EXPECT_EQ(p.boxes[2],
            (DrawnBox{DC::kPicture, 196, 20, 96, 54, BoxStyle::kRepeatedPane}));
  EXPECT_EQ(CountStyle(p, BoxStyle::kPane), 4);
  EXPECT_EQ(Texts(p).front(), "6分割B ch.配置　　　");
  EXPECT_EQ(CountText(p, "＊ch.01"), 2);
  EXPECT_EQ(CountText(p, "GATE"), 2);
  for (const char* channel : {"ch.03", "ch.04", "ch.07", "ch.08"}) {
    EXPECT_EQ(CountText(p, channel), 1) << channel;
  }
  EXPECT_EQ(CountText(p, std::string(DC::kRepeatNote)), 1);
  // The channel text of pane 2 sits inside pane 2, its title under it.
  const auto at = std::find_if(
      p.texts.begin(), p.texts.end(),
      [](const DrawnText& t) { return t.x > 196 && t.text == "＊ch.01"; });
  ASSERT_NE(at, p.texts.end());
  EXPECT_EQ(at->x, 196 + DC::kPaneTextInset);
  EXPECT_EQ(at->y, 20 + DC::kPaneTextInset);
  EXPECT_EQ((at + 1)->y, at->y + DC::kLineHeight);

  // Putting pane 2 back clears the marks and the note.
  Choose(IDC_LAYOUT_6B_PANE2, 1);
  const Picture again = Take();
  EXPECT_EQ(CountStyle(again, BoxStyle::kRepeatedPane), 0);
  EXPECT_EQ(CountText(again, std::string(DC::kRepeatNote)), 0);
  EXPECT_EQ(again.texts.back().y, DC::kNoteY);  // blanks over the old note
}

// A set button, or choosing a layout as the screen, also shows its layout;
// the 9-split's ninth pane is drawn as not placed. A channel item of the
// screen list leaves the picture as it is.
TEST_F(LayoutPictureTest, SetButtonsAndTheScreenListShowTheirLayout) {
  Open();
  Fire();
  Take();
  Click(IDC_LAYOUT_9_SET);
  EXPECT_EQ(dialog_.shown_layout(), SplitLayout::k9);
  const Picture nine = Take();
  EXPECT_EQ(CountStyle(nine, BoxStyle::kPane), 8);
  ASSERT_EQ(CountStyle(nine, BoxStyle::kUnplacedPane), 1);
  EXPECT_EQ(nine.boxes.back(), (DrawnBox{DC::kPicture, 196, 128, 96, 54,
                                         BoxStyle::kUnplacedPane}));
  Choose(DC::kScreenList, kScreenSplit4B);
  EXPECT_EQ(dialog_.shown_layout(), SplitLayout::k4B);
  EXPECT_EQ(CountText(Take(), "ch.05"), 1);
  Choose(DC::kScreenList, 2);
  EXPECT_EQ(dialog_.shown_layout(), SplitLayout::k4B);
  EXPECT_TRUE(Take().boxes.empty());
}

// A repaint clears what was drawn; the picture comes back once the controls
// have painted, the same as before.
TEST_F(LayoutPictureTest, RepaintDrawsThePictureAgain) {
  Open();
  Fire();
  const Picture first = Take();
  dialog_.OnPaint(view_);
  EXPECT_TRUE(view_.boxes.empty());
  EXPECT_EQ(view_.timers[DC::kPictureTimer], DC::kRepaintDrawDelayMs);
  Fire();
  const Picture second = Take();
  EXPECT_EQ(second.boxes, first.boxes);
  EXPECT_EQ(Texts(second), Texts(first));
}

// Titles are cut to their pane's width, at a character; at 200 % every
// position and size doubles, so panes still meet edge to edge.
TEST_F(LayoutPictureTest, FitsTitlesToPanesAndScalesWithTheDensity) {
  Change([](DeviceSettings& s) {
    std::strcpy(s.title_text[1], "ABCDEFGHIJKLMNOPQRST");
  });
  view_.dpi = 192;
  Open();
  Click(IDC_LAYOUT_9_SET);
  const Picture p = Take();
  // 9-split pane 2 holds ch.02: 96 pixels less the insets hold 14
  // half-width characters.
  EXPECT_EQ(CountText(p, "ABCDEFGHIJKLMN"), 1);
  ASSERT_GE(p.boxes.size(), 3u);
  EXPECT_EQ(p.boxes[0],
            (DrawnBox{DC::kPicture, 8, 40, 576, 324, BoxStyle::kScreen}));
  EXPECT_EQ(p.boxes[1].x + p.boxes[1].width, p.boxes[2].x);
  EXPECT_EQ(p.boxes[1].width, 192);
}

}  // namespace
}  // namespace vqx
