// The dialogs with a clock, a drawn list or table, or a timed run: date and
// time, auto switching, display channel and video adjustment. Timers are
// driven by explicit ticks.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "dialogs/auto_switching_dialog.h"
#include "dialogs/conventions.h"
#include "dialogs/date_time_dialog.h"
#include "dialogs/display_channel_dialog.h"
#include "dialogs/video_adjustment_dialog.h"
#include "tests/support/dialog_fixture.h"

namespace vqx {
namespace {

using testing::Box;
using testing::DialogFixture;
using testing::DrawnText;
using Strings = std::vector<std::string>;

// ---- Date and time
// ----------------------------------------------------------------

using DateTimeTest = DialogFixture<DateTimeDialog>;
using DT = DateTimeDialog;

LocalTime At(int year, int month, int day, int hour, int minute, int second) {
  LocalTime time;
  time.year = year;
  time.month = month;
  time.day = day;
  time.hour = hour;
  time.minute = minute;
  time.second = second;
  return time;
}

TEST_F(DateTimeTest, OpensOnThePcClockAndSendsWhatTheListsShow) {
  fakes_.clock.now = At(2024, 3, 1, 9, 5, 7);
  Open();
  EXPECT_EQ(view_.Items(DT::kYearList).size(), 100u);
  EXPECT_EQ(view_.Items(DT::kYearList).back(), "2099");
  EXPECT_EQ(view_.Items(DT::kDayList).size(), 31u);
  EXPECT_EQ(view_.Items(DT::kHourList).front(), "0");
  EXPECT_EQ(view_.Items(DT::kDisplayList), (Strings{"OFF", "ON "}));
  EXPECT_EQ(view_.Items(DT::kRangeList)[7], "　　　時分　");
  for (auto [list, shown] : {std::pair{DT::kYearList, "2024"},
                             {DT::kMonthList, "3"},
                             {DT::kDayList, "1"},
                             {DT::kHourList, "9"},
                             {DT::kMinuteList, "5"},
                             {DT::kSecondList, "7"}}) {
    EXPECT_EQ(view_.SelectedText(list), shown) << list;
  }
  ExpectSetLines({
      {0, 0, DT::kDateTimeSet, "TDS240301090507\r\n"},
      {0, 0, DT::kMonthSet, "DSM03\r\n"},
      {0, 0, DT::kMinuteSet, "TSM05\r\n"},
      {DT::kYearList, 19, DT::kYearSet, "DSY19\r\n"},
      {DT::kDayList, 8, DT::kDaySet, "DSD09\r\n"},
      {DT::kHourList, 0, DT::kHourSet, "TSH00\r\n"},
      {DT::kSecondList, 59, DT::kSecondSet, "TSS59\r\n"},
      {0, 0, DT::kCorrectionSet, "TSA\r\n"},
      {DT::kRangeList, 7, DT::kRangeSet, "TSDR8\r\n"},
      {DT::kRangeList, 0, DT::kRangeSet, "TSDR1\r\n"},
      {DT::kDisplayList, 0, DT::kDisplaySet, "TSDOF\r\n"},
      {DT::kMonthList, 1, DT::kDateTimeSet, "TDS190209000559\r\n"},
  });
  // The clock lists store nothing; the range and display lists do.
  EXPECT_EQ(Settings().clock_display, 0);
  EXPECT_EQ(Settings().clock_display_range, 0);
}

TEST_F(DateTimeTest, EndOfTheCentury) {
  fakes_.clock.now = At(2019, 12, 31, 23, 59, 59);
  Open();
  Click(DT::kDateTimeSet);
  EXPECT_EQ(Lines(), Strings{"TDS191231235959\r\n"});
}

TEST_F(DateTimeTest, ClockButtonWithoutASelectionSendsNothing) {
  fakes_.clock.now = At(2100, 1, 1, 0, 0, 0);  // no item for the year
  Open();
  EXPECT_EQ(view_.SelectedItem(DT::kYearList), kNoSelection);
  Click(DT::kYearSet);
  Click(DT::kDateTimeSet);
  EXPECT_TRUE(Lines().empty());
  // Text typed into a list's field is no selection either.
  view_.SelectItem(DT::kSecondList, kNoSelection);
  Click(DT::kSecondSet);
  EXPECT_TRUE(Lines().empty());
  Click(DT::kMonthSet);
  EXPECT_EQ(Lines(), Strings{"DSM01\r\n"});
}

TEST_F(DateTimeTest, ReopeningShowsThePcTimeAgain) {
  fakes_.clock.now = At(2024, 3, 1, 9, 5, 7);
  Open();
  Choose(DT::kHourList, 20);
  fakes_.clock.now = At(2024, 3, 1, 9, 6, 0);
  testing::FakeDialogView again;
  DateTimeDialog reopened(fakes_.services);
  reopened.OnInit(again);
  EXPECT_EQ(again.SelectedText(DT::kHourList), "9");
  EXPECT_EQ(again.SelectedText(DT::kMinuteList), "6");
}

// ---- Auto switching
// --------------------------------------------------------------

using AutoSwitchingTest = DialogFixture<AutoSwitchingDialog>;
using AS = AutoSwitchingDialog;

std::vector<DrawnText> TakeDrawn(testing::FakeDialogView& view) {
  return std::exchange(view.drawn, {});
}

TEST_F(AutoSwitchingTest, ListIsDrawnOnceTheDialogIsOnScreen) {
  fakes_.selections.hidden_access_count = 3;
  Open();
  EXPECT_EQ(fakes_.selections.hidden_access_count, 0);
  EXPECT_TRUE(view_.drawn.empty());
  EXPECT_EQ(view_.timers.at(AS::kRedrawTimer), 200);
  dialog_.OnTimer(view_, AS::kRedrawTimer);
  const std::vector<DrawnText> drawn = TakeDrawn(view_);
  ASSERT_EQ(drawn.size(), 13u);
  EXPECT_EQ(drawn[0].text, "ch.01  = 03 秒");
  EXPECT_EQ(drawn[8].text, "4分割A = 03 秒");
  EXPECT_EQ(drawn[12].text, "9分割  = 03 秒");
  for (int i = 0; i < 13; ++i) {
    EXPECT_EQ(drawn[i].control, AS::kListFrame);
    EXPECT_EQ(drawn[i].x, 20);
    EXPECT_EQ(drawn[i].y, 10 + 22 * i);
  }
  EXPECT_EQ(view_.timers.count(AS::kRedrawTimer), 0u);
  EXPECT_EQ(fakes_.selections.redraw_pending, 0);
  // A later tick with nothing pending draws nothing.
  dialog_.OnTimer(view_, AS::kRedrawTimer);
  EXPECT_TRUE(view_.drawn.empty());
  // A repaint draws again 20 ms later.
  dialog_.OnPaint(view_);
  EXPECT_EQ(view_.timers.at(AS::kRedrawTimer), 20);
  dialog_.OnTimer(view_, AS::kRedrawTimer);
  EXPECT_EQ(TakeDrawn(view_).size(), 13u);
}

TEST_F(AutoSwitchingTest, EntryTimeAndCommonTime) {
  Open();
  EXPECT_EQ(view_.SelectedText(AS::kCommonList), "3");
  Choose(AS::kEntryList, 10);  // 6分割A
  EXPECT_EQ(fakes_.selections.seq_selected_entry, 10);
  EXPECT_EQ(TakeDrawn(view_).size(), 13u);
  Choose(AS::kTimeList, 12);
  EXPECT_EQ(TakeDrawn(view_)[10].text, "6分割A = 12 秒");
  Click(AS::kTimesSet);
  EXPECT_EQ(Lines(), Strings{"CASTM03030303030303030303120303\r\n"});

  Choose(AS::kCommonList, 7);
  EXPECT_EQ(view_.SelectedText(AS::kTimeList), "7");
  EXPECT_EQ(Settings().seq_dwell[0], 7);
  EXPECT_EQ(Settings().seq_dwell[12], 7);
  EXPECT_EQ(fakes_.selections.seq_common_dwell, 3);  // never changed

  // Reopened: the entry is remembered, the common list opens on 3.
  testing::FakeDialogView again;
  AutoSwitchingDialog reopened(fakes_.services);
  reopened.OnInit(again);
  EXPECT_EQ(again.SelectedText(AS::kEntryList), "6分割A");
  EXPECT_EQ(again.SelectedText(AS::kTimeList), "7");
  EXPECT_EQ(again.SelectedText(AS::kCommonList), "3");
}

struct ZeroCase {
  std::vector<int> zero_entries;
  std::string message;  // "" = sent, as `line`
  std::string line = "";
};

TEST_F(AutoSwitchingTest, WholeGroupsOfZeroSecondsAreRefused) {
  const std::vector<ZeroCase> cases = {
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
       "ch.01～ch.08, 4分割A～9分割を全て0秒に設定することはできません。"},
      {{0, 1, 2, 3, 4, 5, 6, 7},
       "ch.01～ch.08を全て0秒に設定することはできません。"},
      {{8, 9, 10, 11, 12},
       "4分割A～9分割を全て0秒に設定することはできません。"},
      // Zeros short of a whole group are allowed.
      {{0, 8, 9, 10, 11}, "", "CASTM00040404040404040000000004\r\n"},
  };
  Open();
  for (const ZeroCase& c : cases) {
    SCOPED_TRACE(c.message);
    Choose(AS::kCommonList, 4);
    for (int entry : c.zero_entries) {
      Choose(AS::kEntryList, entry);
      Choose(AS::kTimeList, 0);
    }
    Lines().clear();
    fakes_.boxes.shown.clear();
    Click(AS::kTimesSet);
    if (c.message.empty()) {
      EXPECT_EQ(Lines(), Strings{c.line});
      EXPECT_TRUE(fakes_.boxes.shown.empty());
    } else {
      EXPECT_TRUE(Lines().empty());
      EXPECT_EQ(fakes_.boxes.shown, (std::vector<Box>{{"warning", c.message}}));
    }
  }
}

TEST_F(AutoSwitchingTest, ModeLines) {
  Open();
  EXPECT_EQ(view_.Items(AS::kModeList),
            (Strings{"単画面　", "分割画面", "ミックス"}));
  ExpectSetLines({{0, 0, AS::kModeSet, "CASMM\r\n"},
                  {AS::kModeList, 1, AS::kModeSet, "CASMD\r\n"},
                  {AS::kModeList, 0, AS::kModeSet, "CASMS\r\n"}});
}

// ---- Display channel
// -------------------------------------------------------------

using DisplayChannelTest = DialogFixture<DisplayChannelDialog>;
using DC = DisplayChannelDialog;

TEST_F(DisplayChannelTest, ListsShowTheSelectionAndThePlacements) {
  fakes_.selections.selected_channel = 4;
  Change([](DeviceSettings& s) { s.layout_9[7] = 2; });
  Open();
  EXPECT_EQ(view_.SelectedText(DC::kScreenList), "ch.05 ");
  EXPECT_EQ(view_.Items(DC::kScreenList)[13], "自動  ");
  EXPECT_EQ(view_.Items(1150),
            (Strings{"ch.01 ", "ch.02 ", "ch.03 ", "ch.04 ", "ch.05 ", "ch.06 ",
                     "ch.07 ", "ch.08 "}));
  EXPECT_EQ(view_.SelectedText(1119), "ch.05 ");  // 4B pane 1
  EXPECT_EQ(view_.SelectedText(1137), "ch.07 ");  // 6B pane 5
  EXPECT_EQ(view_.SelectedText(1150), "ch.03 ");  // 9 pane 8
}

TEST_F(DisplayChannelTest, ScreenAndPlacementLines) {
  Open();
  ExpectSetLines({
      {0, 0, DC::kScreenSet, "CS01\r\n"},
      {DC::kScreenList, 7, DC::kScreenSet, "CS08\r\n"},
      {DC::kScreenList, 9, DC::kScreenSet, "CD4B\r\n"},
      {DC::kScreenList, 12, DC::kScreenSet, "CD9\r\n"},
      {DC::kScreenList, 13, DC::kScreenSet, "CCAS\r\n"},
      {0, 0, 1115, "SPD4A01020304\r\n"},
      {0, 0, 1116, "SPD4AN01020304\r\n"},
      {0, 0, 1124, "SPD4B05060708\r\n"},
      {0, 0, 1123, "SPD4BN05060708\r\n"},
      {0, 0, 1131, "SPD6A010203040506\r\n"},
      {0, 0, 1140, "SPD6BN010203040708\r\n"},
      {0, 0, 1147, "SPD90102030405060708\r\n"},
      {1114, 7, 1115, "SPD4A01080304\r\n"},  // 4A pane 2 on ch.08
      {1113, 1, 1116, "SPD4AN02080304\r\n"},
  });
  EXPECT_EQ(fakes_.selections.selected_channel, 13);
}

TEST_F(DisplayChannelTest, TwoPanesOnOneChannelAreNotSent) {
  Open();
  Choose(1141, 2);  // 9-split pane 1 and pane 8 on ch.03
  Choose(1150, 2);
  for (int button : {1147, 1148}) {
    Click(button);
    EXPECT_TRUE(Lines().empty());
  }
  EXPECT_EQ(fakes_.boxes.shown,
            (std::vector<Box>{{"error", "同じチャンネルは､設定できません！"},
                              {"error", "同じチャンネルは､設定できません！"}}));
  // The choice is stored all the same, and other layouts still go out.
  EXPECT_EQ(Settings().layout_9[0], 2);
  EXPECT_EQ(Settings().layout_9[7], 2);
  Click(1131);
  EXPECT_EQ(Lines(), Strings{"SPD6A010203040506\r\n"});
}

// ---- Video adjustment
// ------------------------------------------------------------

using VideoAdjustmentTest = DialogFixture<VideoAdjustmentDialog>;
using VA = VideoAdjustmentDialog;

constexpr int kBrightness = VA::kAdjustments[0].list;
constexpr int kContrast = VA::kAdjustments[1].list;
constexpr int kHue = VA::kAdjustments[2].list;
constexpr int kSharpness = VA::kAdjustments[3].list;

TEST_F(VideoAdjustmentTest, ListsOfTheEffectiveChannel) {
  fakes_.selections.selected_channel = 13;  // left by the display dialog
  Change([](DeviceSettings& s) { s.adjust_hue[0] = 200; });
  Open();
  EXPECT_EQ(view_.Items(kBrightness).size(), 128u);
  EXPECT_EQ(view_.Items(kBrightness)[0], "-64 ");
  EXPECT_EQ(view_.Items(kBrightness)[64], " 00 ");
  EXPECT_EQ(view_.Items(kHue).size(), 256u);
  EXPECT_EQ(view_.Items(kSharpness).back(), "31");
  EXPECT_EQ(view_.Items(VA::kChannelList)[0], "ch.01  ");
  EXPECT_EQ(view_.SelectedText(VA::kChannelList), "ch.01  ");
  EXPECT_EQ(view_.SelectedText(kHue), "200 ");
  EXPECT_EQ(view_.controls[VA::kProgress].progress_high, 40);
  Click(VA::kAdjustments[2].set);
  EXPECT_EQ(Lines(), Strings{"VAH01200\r\n"});
  EXPECT_EQ(fakes_.selections.selected_channel, 13);  // not changed
}

TEST_F(VideoAdjustmentTest, SetButtonsSendForTheChosenChannel) {
  Open();
  ExpectSetLines({
      {0, 0, VA::kAdjustments[0].set, "VAB01000\r\n"},
      {0, 0, VA::kAdjustments[1].set, "VAC01064\r\n"},
      {kBrightness, 63, VA::kAdjustments[0].set, "VAB01127\r\n"},
      {kBrightness, 0, VA::kAdjustments[0].set, "VAB01064\r\n"},
      {kBrightness, 127, VA::kAdjustments[0].set, "VAB01063\r\n"},
      {VA::kChannelList, 7, 0, ""},
      {kSharpness, 31, VA::kAdjustments[3].set, "VASH0831\r\n"},
      {VA::kChannelList, 2, VA::kAdjustments[4].set, "VASA03080\r\n"},
      {VA::kChannelList, 1, 0, ""},
      {kHue, 255, VA::kAdjustments[2].set, "VAH02255\r\n"},
  });
  EXPECT_EQ(Settings().adjust_brightness[0], 127);
  EXPECT_EQ(Settings().adjust_sharpness[7], 31);
}

TEST_F(VideoAdjustmentTest, TableOfAllFortyValues) {
  Change([](DeviceSettings& s) {
    s.adjust_brightness[1] = 63;
    s.adjust_hue[7] = 255;
  });
  Open();
  EXPECT_EQ(view_.timers.at(VA::kDrawTimer), 100);
  dialog_.OnTimer(view_, VA::kDrawTimer);
  const std::vector<DrawnText> drawn = TakeDrawn(view_);
  ASSERT_EQ(drawn.size(), 8u + 5u * 9u);
  auto at = [](const std::vector<DrawnText>& texts, int x, int y) {
    for (const DrawnText& text : texts) {
      if (text.x == x && text.y == y) return text.text;
    }
    return std::string("<none>");
  };
  EXPECT_EQ(at(drawn, 120, 6), "ch.01");
  EXPECT_EQ(at(drawn, 540, 6), "ch.08");
  EXPECT_EQ(at(drawn, 20, 26), "Brightness");
  EXPECT_EQ(at(drawn, 20, 106), "Saturation");
  EXPECT_EQ(at(drawn, 120, 26), "  00 ");
  EXPECT_EQ(at(drawn, 180, 26), " -01 ");
  EXPECT_EQ(at(drawn, 120, 46), " 064 ");
  EXPECT_EQ(at(drawn, 540, 66), " 255 ");
  EXPECT_EQ(at(drawn, 120, 86), "  00");
  EXPECT_EQ(at(drawn, 120, 106), " 080");
  // Redrawn after a change, with the new value.
  Choose(kContrast, 100);
  EXPECT_EQ(at(TakeDrawn(view_), 120, 46), " 100 ");
}

TEST_F(VideoAdjustmentTest, SetAllSendsFortyLinesAndKeepsCloseOff) {
  Open();
  Click(VA::kSetAll);
  EXPECT_FALSE(view_.Enabled(kIdClose));
  EXPECT_EQ(view_.timers.at(VA::kSetAllTimer), 100);
  Click(kIdClose);  // refused while running
  Click(kIdOk);
  EXPECT_FALSE(view_.ended);
  // A repaint meanwhile redraws the table and leaves the run going.
  dialog_.OnPaint(view_);
  dialog_.OnTimer(view_, VA::kDrawTimer);
  EXPECT_EQ(view_.timers.count(VA::kSetAllTimer), 1u);
  for (int tick = 1; tick <= 40; ++tick) {
    dialog_.OnTimer(view_, VA::kSetAllTimer);
    if (tick < 40) {
      EXPECT_EQ(view_.controls[VA::kProgress].progress_position, tick);
    }
  }
  ASSERT_EQ(Lines().size(), 40u);
  EXPECT_EQ(Lines()[0], "VAB01000\r\n");
  EXPECT_EQ(Lines()[16], "VASH0100\r\n");
  EXPECT_EQ(Lines()[39], "VASA08080\r\n");
  EXPECT_EQ(view_.controls[VA::kProgress].progress_position, 0);
  EXPECT_TRUE(view_.Enabled(kIdClose));
  EXPECT_EQ(view_.timers.count(VA::kSetAllTimer), 0u);
  EXPECT_EQ(fakes_.state.sequence_step, 0);
  Click(kIdClose);
  EXPECT_TRUE(view_.ended);
}

TEST_F(VideoAdjustmentTest, ErrorReplyStopsTheRunAtTheNextTick) {
  Open();
  Click(VA::kSetAll);
  for (int tick = 0; tick < 10; ++tick) {
    dialog_.OnTimer(view_, VA::kSetAllTimer);
  }
  fakes_.state.reply_error = 1;  // "E3" to the tenth line
  dialog_.OnTimer(view_, VA::kSetAllTimer);
  EXPECT_EQ(Lines().size(), 10u);
  EXPECT_EQ(view_.controls[VA::kProgress].progress_position, 10);
  EXPECT_TRUE(view_.Enabled(kIdClose));
  EXPECT_EQ(view_.timers.count(VA::kSetAllTimer), 0u);
  EXPECT_EQ(fakes_.state.reply_error, 0);
}

TEST_F(VideoAdjustmentTest, SetAllRefusedWhileAnotherRunGoes) {
  Open();
  fakes_.state.sequence_step = 30;  // the send-all dialog's run
  Click(VA::kSetAll);
  EXPECT_TRUE(view_.Enabled(kIdClose));
  EXPECT_EQ(view_.timers.count(VA::kSetAllTimer), 0u);
  EXPECT_EQ(fakes_.state.sequence_step, 30);
  fakes_.state.sequence_step = 0;
  // An error left from a single set stops the first tick without a line.
  fakes_.state.reply_error = 1;
  Click(VA::kSetAll);
  dialog_.OnTimer(view_, VA::kSetAllTimer);
  EXPECT_TRUE(Lines().empty());
  EXPECT_TRUE(view_.Enabled(kIdClose));
}

}  // namespace
}  // namespace vqx
