// The command lines of every set button outside the title dialog, built from
// the record's defaults and from edited or out-of-range fields.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/agc.h"
#include "protocol/alarm.h"
#include "protocol/auto_switching.h"
#include "protocol/date_time.h"
#include "protocol/display_channel.h"
#include "protocol/other_settings.h"
#include "protocol/video_adjustment.h"
#include "protocol/video_format.h"
#include "protocol/video_loss.h"
#include "tests/support/default_settings.h"
#include "tests/support/link_fakes.h"

namespace vqx {
namespace {

using testing::Box;
using testing::RecordingBoxes;
using testing::RecordingSink;

using testing::Defaults;

struct LineCase {
  const char* name;
  std::function<void(DeviceSettings&)> edit;
  std::function<std::string(const DeviceSettings&)> build;
  std::string expected;
};

void ExpectLines(const std::vector<LineCase>& cases) {
  for (const LineCase& c : cases) {
    DeviceSettings settings = Defaults();
    c.edit(settings);
    EXPECT_EQ(c.build(settings), c.expected) << c.name;
  }
}

void NoEdit(DeviceSettings&) {}

TEST(AlarmBuilders, Lines) {
  ExpectLines({
      {"mode default", NoEdit, AlarmModeCommand, "AMI\r\n"},
      {"mode external", [](auto& s) { s.alarm_mode = 1; }, AlarmModeCommand,
       "AME\r\n"},
      {"mode any non-zero", [](auto& s) { s.alarm_mode = -7; },
       AlarmModeCommand, "AME\r\n"},
      {"polarity default", NoEdit, AlarmPolarityCommand, "APM\r\n"},
      {"polarity break", [](auto& s) { s.alarm_polarity = 1; },
       AlarmPolarityCommand, "APB\r\n"},
      {"display default", NoEdit, AlarmDisplayCommand, "ADON\r\n"},
      {"display off", [](auto& s) { s.alarm_display = 0; }, AlarmDisplayCommand,
       "ADOF\r\n"},
      {"return default", NoEdit, AlarmReturnCommand, "ARON\r\n"},
      {"return off", [](auto& s) { s.alarm_return = 0; }, AlarmReturnCommand,
       "AROF\r\n"},
  });
}

TEST(AlarmBuilders, HoldTimeAcceptsLeadingDigitsFromThreeSeconds) {
  struct Case {
    std::vector<char> field;  // the four bytes of the field
    const char* expected;     // nullptr: refused
  };
  const Case cases[] = {
      {{'0', '3', '0', 0}, "ADT030\r\n"},
      {{'5', 0, 0, 0}, "ADT005\r\n"},
      {{'9', '9', '9', 0}, "ADT999\r\n"},
      {{'0', '7', 'x', 0}, "ADT007\r\n"},
      {{'3', 0, 0, 0}, "ADT003\r\n"},
      // A file may leave the field without its terminator; only the first
      // three digits count.
      {{'1', '2', '3', '4'}, "ADT123\r\n"},
      {{'x', '1', '2', 0}, nullptr},
      {{0, 0, 0, 0}, nullptr},
      {{'2', 0, 0, 0}, nullptr},
      {{'0', '2', 0, 0}, nullptr},
      {{'0', '0', '0', 0}, nullptr},
      {{' ', '5', 0, 0}, nullptr},
  };
  for (const Case& c : cases) {
    DeviceSettings settings = Defaults();
    std::copy(c.field.begin(), c.field.end(), settings.alarm_hold_time);
    const std::string shown(c.field.begin(), c.field.end());
    RecordingSink sink;
    RecordingBoxes boxes;
    const bool sent = SendAlarmHoldTime(sink, settings, boxes);
    if (c.expected != nullptr) {
      EXPECT_TRUE(sent) << shown;
      EXPECT_EQ(sink.lines, std::vector<std::string>{c.expected}) << shown;
      EXPECT_TRUE(boxes.shown.empty()) << shown;
    } else {
      EXPECT_FALSE(sent) << shown;
      EXPECT_TRUE(sink.lines.empty()) << shown;
      EXPECT_EQ(boxes.shown,
                (std::vector<Box>{{"error", "3秒以上を設定してください。"}}))
          << shown;
    }
  }
}

TEST(VideoLossBuilders, Lines) {
  const auto channel = [](int k) {
    return
        [k](const DeviceSettings& s) { return VideoLossChannelCommand(s, k); };
  };
  ExpectLines({
      {"ch.05 default", NoEdit, channel(4), "VL05ON\r\n"},
      {"ch.01 default", NoEdit, channel(0), "VL01ON\r\n"},
      {"ch.08 off", [](auto& s) { s.vloss_detect[7] = 0; }, channel(7),
       "VL08OF\r\n"},
      {"all default", NoEdit, VideoLossAllCommand, "VLNNNNNNNN\r\n"},
      {"all ch.02 ch.03 off",
       [](auto& s) { s.vloss_detect[1] = s.vloss_detect[2] = 0; },
       VideoLossAllCommand, "VLNFFNNNNN\r\n"},
      {"all any non-zero", [](auto& s) { s.vloss_detect[0] = 99; },
       VideoLossAllCommand, "VLNNNNNNNN\r\n"},
      {"background black", NoEdit, VideoLossBackgroundCommand, "VLBCN\r\n"},
      {"background blue", [](auto& s) { s.vloss_background = 1; },
       VideoLossBackgroundCommand, "VLBCB\r\n"},
      {"signal output default", NoEdit, VideoLossSignalOutputCommand,
       "VLSOOF\r\n"},
      {"signal output on", [](auto& s) { s.vloss_signal_output = 1; },
       VideoLossSignalOutputCommand, "VLSOON\r\n"},
      {"display default", NoEdit, VideoLossDisplayCommand, "VLDON\r\n"},
      {"display off", [](auto& s) { s.vloss_display = 0; },
       VideoLossDisplayCommand, "VLDOF\r\n"},
  });
}

TEST(DateTimeBuilders, ClockLinesFromListIndexes) {
  EXPECT_EQ(ClockYearCommand(19), "DSY19\r\n");
  EXPECT_EQ(ClockYearCommand(99), "DSY99\r\n");
  EXPECT_EQ(ClockMonthCommand(2), "DSM03\r\n");
  EXPECT_EQ(ClockDayCommand(8), "DSD09\r\n");
  EXPECT_EQ(ClockDayCommand(30), "DSD31\r\n");
  EXPECT_EQ(ClockHourCommand(0), "TSH00\r\n");
  EXPECT_EQ(ClockMinuteCommand(5), "TSM05\r\n");
  EXPECT_EQ(ClockSecondCommand(59), "TSS59\r\n");
  EXPECT_EQ(ClockDateTimeCommand({19, 11, 30, 23, 59, 59}),
            "TDS191231235959\r\n");
  // No check of the combination: 31 February goes out as chosen.
  EXPECT_EQ(ClockDateTimeCommand({24, 1, 30, 9, 5, 7}), "TDS240231090507\r\n");

  RecordingSink sink;
  SendClockCorrection(sink);
  EXPECT_TRUE(SendClockMonth(sink, 2));
  EXPECT_EQ(sink.lines, (std::vector<std::string>{"TSA\r\n", "DSM03\r\n"}));
}

TEST(DateTimeBuilders, NoSelectionOrIndexOutsideTheListSendsNothing) {
  RecordingSink sink;
  EXPECT_FALSE(SendClockYear(sink, std::nullopt));
  EXPECT_FALSE(SendClockYear(sink, 100));
  EXPECT_FALSE(SendClockMonth(sink, 12));
  EXPECT_FALSE(SendClockDay(sink, -1));
  EXPECT_FALSE(SendClockHour(sink, 24));
  EXPECT_FALSE(SendClockMinute(sink, 60));
  EXPECT_FALSE(SendClockSecond(sink, std::nullopt));
  EXPECT_FALSE(SendClockDateTime(sink, {std::nullopt, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(SendClockDateTime(sink, {0, 0, 0, 0, 0, 60}));
  EXPECT_TRUE(sink.lines.empty());
}

TEST(DateTimeBuilders, DisplayLines) {
  ExpectLines({
      {"range default", NoEdit, ClockDisplayRangeCommand, "TSDR1\r\n"},
      {"range last", [](auto& s) { s.clock_display_range = 7; },
       ClockDisplayRangeCommand, "TSDR8\r\n"},
      {"range above list", [](auto& s) { s.clock_display_range = 40; },
       ClockDisplayRangeCommand, "TSDR8\r\n"},
      {"range negative", [](auto& s) { s.clock_display_range = -3; },
       ClockDisplayRangeCommand, "TSDR1\r\n"},
      {"display default", NoEdit, ClockDisplayCommand, "TSDON\r\n"},
      {"display off", [](auto& s) { s.clock_display = 0; }, ClockDisplayCommand,
       "TSDOF\r\n"},
  });
}

TEST(AutoSwitchingBuilders, Lines) {
  ExpectLines({
      {"times default", NoEdit, SequenceTimesCommand,
       "CASTM03030303030303030303030303\r\n"},
      {"6-split A at 12", [](auto& s) { s.seq_dwell[10] = 12; },
       SequenceTimesCommand, "CASTM03030303030303030303120303\r\n"},
      {"out of range clamped",
       [](auto& s) {
         s.seq_dwell[0] = 150;
         s.seq_dwell[12] = -4;
       },
       SequenceTimesCommand, "CASTM99030303030303030303030300\r\n"},
      {"mode default", NoEdit, SequenceModeCommand, "CASMM\r\n"},
      {"mode single", [](auto& s) { s.seq_mode = 0; }, SequenceModeCommand,
       "CASMS\r\n"},
      {"mode split", [](auto& s) { s.seq_mode = 1; }, SequenceModeCommand,
       "CASMD\r\n"},
      {"mode unknown", [](auto& s) { s.seq_mode = 5; }, SequenceModeCommand,
       "CASMS\r\n"},
  });
}

TEST(AutoSwitchingBuilders, AllZeroGroupsAreRefused) {
  struct Case {
    const char* name;
    std::function<void(DeviceSettings&)> edit;
    std::string_view refusal;  // empty: sent
  };
  const Case cases[] = {
      {"defaults", NoEdit, {}},
      {"one zero entry", [](auto& s) { s.seq_dwell[3] = 0; }, {}},
      {"common time 0",
       [](auto& s) { std::fill(s.seq_dwell, s.seq_dwell + 13, 0); },
       kAllZeroMessage},
      {"channels zero, 9-split 5",
       [](auto& s) {
         std::fill(s.seq_dwell, s.seq_dwell + 13, 0);
         s.seq_dwell[12] = 5;
       },
       kChannelsAllZeroMessage},
      {"splits zero",
       [](auto& s) { std::fill(s.seq_dwell + 8, s.seq_dwell + 13, 0); },
       kSplitsAllZeroMessage},
      // Negative times travel as 0, so they count as zero.
      {"negative splits",
       [](auto& s) { std::fill(s.seq_dwell + 8, s.seq_dwell + 13, -1); },
       kSplitsAllZeroMessage},
  };
  for (const Case& c : cases) {
    DeviceSettings settings = Defaults();
    c.edit(settings);
    RecordingSink sink;
    RecordingBoxes boxes;
    const bool sent = CheckAndSendSequenceTimes(sink, settings, boxes);
    if (c.refusal.empty()) {
      EXPECT_TRUE(sent) << c.name;
      EXPECT_EQ(sink.lines.size(), 1u) << c.name;
      EXPECT_TRUE(boxes.shown.empty()) << c.name;
    } else {
      EXPECT_FALSE(sent) << c.name;
      EXPECT_TRUE(sink.lines.empty()) << c.name;
      EXPECT_EQ(boxes.shown,
                (std::vector<Box>{{"warning", std::string(c.refusal)}}))
          << c.name;
    }
  }
  EXPECT_EQ(kChannelsAllZeroMessage,
            "ch.01～ch.08を全て0秒に設定することはできません。");
  EXPECT_EQ(kSplitsAllZeroMessage,
            "4分割A～9分割を全て0秒に設定することはできません。");
  EXPECT_EQ(kAllZeroMessage,
            "ch.01～ch.08, 4分割A～9分割を全て0秒に設定することはできません。");
}

TEST(VideoFormatBuilders, Lines) {
  ExpectLines({
      {"all default", NoEdit, VideoFormatAllCommand, "VF11111111\r\n"},
      {"all NTSC",
       [](auto& s) { std::fill(s.format_video, s.format_video + 8, 6); },
       VideoFormatAllCommand, "VF77777777\r\n"},
      {"CVI 1920 with ch.02 AHD 720",
       [](auto& s) {
         std::fill(s.format_video, s.format_video + 8, 4);
         s.format_video[1] = 1;
       },
       VideoFormatAllCommand, "VF52555555\r\n"},
      {"out of range clamped",
       [](auto& s) {
         s.format_video[0] = 9;
         s.format_video[1] = -1;
       },
       VideoFormatAllCommand, "VF71111111\r\n"},
      {"ch.03 TVI 720", [](auto& s) { s.format_video[2] = 3; },
       [](const auto& s) { return VideoFormatChannelCommand(s, 2); },
       "VF034\r\n"},
      {"ch.08 TVI 1920", [](auto& s) { s.format_video[7] = 2; },
       [](const auto& s) { return VideoFormatChannelCommand(s, 7); },
       "VF083\r\n"},
  });
}

TEST(AgcBuilders, Lines) {
  ExpectLines({
      {"ch.06 default", NoEdit,
       [](const auto& s) { return AgcChannelCommand(s, 5); }, "AGC06ON\r\n"},
      {"ch.01 off", [](auto& s) { s.agc_enable[0] = 0; },
       [](const auto& s) { return AgcChannelCommand(s, 0); }, "AGC01OF\r\n"},
      {"all default", NoEdit, AgcAllCommand, "AGCNNNNNNNN\r\n"},
      {"all ch.04 ch.08 off",
       [](auto& s) { s.agc_enable[3] = s.agc_enable[7] = 0; }, AgcAllCommand,
       "AGCNNNFNNNF\r\n"},
  });
}

TEST(ChannelBuilders, ChannelOutsideTheEightSendsNothing) {
  const DeviceSettings settings = Defaults();
  RecordingSink sink;
  for (int channel : {-1, 8, 13}) {
    SendVideoLossChannel(sink, settings, channel);
    SendVideoFormatChannel(sink, settings, channel);
    SendAgcChannel(sink, settings, channel);
    for (Adjustment adjustment : kAdjustmentSendOrder) {
      SendAdjustment(sink, settings, adjustment, channel);
    }
  }
  EXPECT_TRUE(sink.lines.empty());
  SendVideoLossChannel(sink, settings, 7);
  SendVideoFormatChannel(sink, settings, 7);
  SendAgcChannel(sink, settings, 7);
  SendAdjustment(sink, settings, Adjustment::kHue, 7);
  EXPECT_EQ(sink.lines,
            (std::vector<std::string>{"VL08ON\r\n", "VF081\r\n", "AGC08ON\r\n",
                                      "VAH08000\r\n"}));
}

TEST(DisplayChannelBuilders, ScreenSelection) {
  const std::vector<std::string> expected = {
      "CS01\r\n", "CS02\r\n", "CS03\r\n", "CS04\r\n", "CS05\r\n",
      "CS06\r\n", "CS07\r\n", "CS08\r\n", "CD4A\r\n", "CD4B\r\n",
      "CD6A\r\n", "CD6B\r\n", "CD9\r\n",  "CCAS\r\n"};
  RecordingSink sink;
  for (int screen = 0; screen < kScreenCount; ++screen) {
    SendScreenSelection(sink, screen);
  }
  EXPECT_EQ(sink.lines, expected);
  EXPECT_EQ(ScreenSelectionCommand(-1), "CCAS\r\n");
  EXPECT_EQ(ScreenSelectionCommand(99), "CCAS\r\n");
}

TEST(DisplayChannelBuilders, LayoutPlacementLines) {
  const auto placement = [](Layout layout, LayoutForm form) {
    return [layout, form](const DeviceSettings& s) {
      return LayoutPlacementCommand(s, layout, form);
    };
  };
  using enum Layout;
  using enum LayoutForm;
  ExpectLines({
      {"4A plain", NoEdit, placement(k4A, kPlain), "SPD4A01020304\r\n"},
      {"4A N", NoEdit, placement(k4A, kN), "SPD4AN01020304\r\n"},
      {"4B plain", NoEdit, placement(k4B, kPlain), "SPD4B05060708\r\n"},
      {"4B N", NoEdit, placement(k4B, kN), "SPD4BN05060708\r\n"},
      {"6A plain", NoEdit, placement(k6A, kPlain), "SPD6A010203040506\r\n"},
      {"6A N", NoEdit, placement(k6A, kN), "SPD6AN010203040506\r\n"},
      {"6B plain", NoEdit, placement(k6B, kPlain), "SPD6B010203040708\r\n"},
      {"6B N", NoEdit, placement(k6B, kN), "SPD6BN010203040708\r\n"},
      {"9 plain", NoEdit, placement(k9, kPlain), "SPD90102030405060708\r\n"},
      {"9 N", NoEdit, placement(k9, kN), "SPD9N0102030405060708\r\n"},
      {"9 reversed",
       [](auto& s) {
         for (int i = 0; i < 8; ++i) s.layout_9[i] = 7 - i;
       },
       placement(k9, kN), "SPD9N0807060504030201\r\n"},
      {"out of range clamped",
       [](auto& s) {
         s.layout_4a[0] = 99;
         s.layout_4a[3] = -2;
       },
       placement(k4A, kPlain), "SPD4A08020301\r\n"},
  });
  EXPECT_EQ(LayoutPaneCount(k4A), 4);
  EXPECT_EQ(LayoutPaneCount(k6B), 6);
  EXPECT_EQ(LayoutPaneCount(k9), 8);
}

TEST(DisplayChannelBuilders, DuplicateChannelsAreRefusedPerLayout) {
  DeviceSettings settings = Defaults();
  settings.layout_9[0] = 2;
  settings.layout_9[7] = 2;  // pane 1 and pane 8 both on ch.03
  RecordingSink sink;
  RecordingBoxes boxes;
  for (LayoutForm form : {LayoutForm::kPlain, LayoutForm::kN}) {
    EXPECT_FALSE(
        CheckAndSendLayoutPlacement(sink, settings, boxes, Layout::k9, form));
  }
  EXPECT_TRUE(sink.lines.empty());
  EXPECT_EQ(
      boxes.shown,
      (std::vector<Box>(2, {"error", "同じチャンネルは､設定できません！"})));
  // Another layout is not blocked, and the unchecked builder sends the
  // duplicate as stored.
  EXPECT_TRUE(CheckAndSendLayoutPlacement(sink, settings, boxes, Layout::k6A,
                                          LayoutForm::kPlain));
  SendLayoutPlacement(sink, settings, Layout::k9, LayoutForm::kPlain);
  EXPECT_EQ(sink.lines, (std::vector<std::string>{"SPD6A010203040506\r\n",
                                                  "SPD90302030405060703\r\n"}));

  // Two entries that reach the wire as the same channel are duplicates too.
  settings = Defaults();
  settings.layout_4a[0] = 9;
  settings.layout_4a[1] = 7;
  boxes.shown.clear();
  EXPECT_FALSE(CheckAndSendLayoutPlacement(sink, settings, boxes, Layout::k4A,
                                           LayoutForm::kPlain));
  EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST(DisplayChannelBuilders, ChannelsDistinctComparesEveryPair) {
  EXPECT_TRUE(ChannelsDistinct(std::vector<int>{0, 1, 2, 3}));
  EXPECT_FALSE(ChannelsDistinct(std::vector<int>{0, 1, 2, 0}));
  EXPECT_FALSE(ChannelsDistinct(std::vector<int>{4, 4, 1, 2}));
  EXPECT_FALSE(ChannelsDistinct(std::vector<int>{0, 1, 5, 3, 5, 7}));
  EXPECT_TRUE(ChannelsDistinct(std::vector<int>{}));
}

TEST(OtherSettingsBuilders, Lines) {
  ExpectLines({
      {"connector default", NoEdit, ConnectorInputCommand, "CIA\r\n"},
      {"connector remote", [](auto& s) { s.misc_connector_input = 1; },
       ConnectorInputCommand, "CIR\r\n"},
      {"power-on default", NoEdit, PowerOnScreenCommand, "POSD9\r\n"},
      {"power-on ch.01", [](auto& s) { s.misc_power_on_screen = 0; },
       PowerOnScreenCommand, "POSS01\r\n"},
      {"power-on ch.05", [](auto& s) { s.misc_power_on_screen = 4; },
       PowerOnScreenCommand, "POSS05\r\n"},
      {"power-on 4A", [](auto& s) { s.misc_power_on_screen = 8; },
       PowerOnScreenCommand, "POSD4A\r\n"},
      {"power-on 4B", [](auto& s) { s.misc_power_on_screen = 9; },
       PowerOnScreenCommand, "POSD4B\r\n"},
      {"power-on 6A", [](auto& s) { s.misc_power_on_screen = 10; },
       PowerOnScreenCommand, "POSD6A\r\n"},
      {"power-on 6B", [](auto& s) { s.misc_power_on_screen = 11; },
       PowerOnScreenCommand, "POSD6B\r\n"},
      {"power-on automatic", [](auto& s) { s.misc_power_on_screen = 13; },
       PowerOnScreenCommand, "POSCAS\r\n"},
      {"power-on negative", [](auto& s) { s.misc_power_on_screen = -1; },
       PowerOnScreenCommand, "POSCAS\r\n"},
      {"border default", NoEdit, BorderLineCommand, "BLB\r\n"},
      {"border grey", [](auto& s) { s.misc_border_line = 1; },
       BorderLineCommand, "BLG\r\n"},
      {"border white", [](auto& s) { s.misc_border_line = 2; },
       BorderLineCommand, "BLW\r\n"},
      {"border off", [](auto& s) { s.misc_border_line = 3; }, BorderLineCommand,
       "BLO\r\n"},
      {"border unknown", [](auto& s) { s.misc_border_line = 4; },
       BorderLineCommand, "BLB\r\n"},
      {"offset h default", NoEdit, OsdOffsetHCommand, "OOH08\r\n"},
      {"offset h 15", [](auto& s) { s.misc_osd_offset_h = 15; },
       OsdOffsetHCommand, "OOH15\r\n"},
      {"offset h above list", [](auto& s) { s.misc_osd_offset_h = 500; },
       OsdOffsetHCommand, "OOH15\r\n"},
      {"offset v default", NoEdit, OsdOffsetVCommand, "OOV08\r\n"},
      {"offset v negative", [](auto& s) { s.misc_osd_offset_v = -1; },
       OsdOffsetVCommand, "OOV00\r\n"},
      {"size single default", NoEdit, OsdSizeSingleCommand, "CTFSSL\r\n"},
      {"size single small", [](auto& s) { s.misc_osd_size_single = 0; },
       OsdSizeSingleCommand, "CTFSSS\r\n"},
      {"size single unknown", [](auto& s) { s.misc_osd_size_single = 2; },
       OsdSizeSingleCommand, "CTFSSS\r\n"},
      {"size split default", NoEdit, OsdSizeSplitCommand, "CTFSDS\r\n"},
      {"size split large", [](auto& s) { s.misc_osd_size_split = 1; },
       OsdSizeSplitCommand, "CTFSDL\r\n"},
      {"aspect default", NoEdit, NtscAspectCommand, "NAR4\r\n"},
      {"aspect full", [](auto& s) { s.misc_ntsc_aspect = 1; },
       NtscAspectCommand, "NARF\r\n"},
  });
  EXPECT_EQ(ButtonLockCommand(0), "LOF\r\n");
  EXPECT_EQ(ButtonLockCommand(1), "LON\r\n");
  EXPECT_EQ(ButtonLockCommand(2), "LOF\r\n");
  RecordingSink sink;
  SendButtonLock(sink, 1);
  EXPECT_EQ(sink.lines, std::vector<std::string>{"LON\r\n"});
}

TEST(VideoAdjustmentBuilders, Lines) {
  const auto line = [](Adjustment adjustment, int channel) {
    return [adjustment, channel](const DeviceSettings& s) {
      return AdjustmentCommand(s, adjustment, channel);
    };
  };
  using enum Adjustment;
  ExpectLines({
      {"brightness default", NoEdit, line(kBrightness, 0), "VAB01000\r\n"},
      {"contrast default", NoEdit, line(kContrast, 0), "VAC01064\r\n"},
      {"brightness -01", [](auto& s) { s.adjust_brightness[0] = 63; },
       line(kBrightness, 0), "VAB01127\r\n"},
      {"brightness -64", [](auto& s) { s.adjust_brightness[0] = 0; },
       line(kBrightness, 0), "VAB01064\r\n"},
      {"brightness 63", [](auto& s) { s.adjust_brightness[0] = 127; },
       line(kBrightness, 0), "VAB01063\r\n"},
      {"brightness 500 clamped", [](auto& s) { s.adjust_brightness[1] = 500; },
       line(kBrightness, 1), "VAB02063\r\n"},
      {"sharpness ch.08 31", [](auto& s) { s.adjust_sharpness[7] = 31; },
       line(kSharpness, 7), "VASH0831\r\n"},
      {"sharpness 150 clamped", [](auto& s) { s.adjust_sharpness[7] = 150; },
       line(kSharpness, 7), "VASH0831\r\n"},
      {"saturation ch.03 default", NoEdit, line(kSaturation, 2),
       "VASA03080\r\n"},
      {"saturation negative", [](auto& s) { s.adjust_saturation[2] = -9; },
       line(kSaturation, 2), "VASA03000\r\n"},
      {"hue ch.02 255", [](auto& s) { s.adjust_hue[1] = 255; }, line(kHue, 1),
       "VAH02255\r\n"},
      {"hue 999 clamped", [](auto& s) { s.adjust_hue[1] = 999; }, line(kHue, 1),
       "VAH02255\r\n"},
      {"contrast 200 clamped", [](auto& s) { s.adjust_contrast[4] = 200; },
       line(kContrast, 4), "VAC05127\r\n"},
  });
}

TEST(VideoAdjustmentTexts, ListItems) {
  using enum Adjustment;
  struct Case {
    Adjustment adjustment;
    int index;
    const char* text;
  };
  const Case cases[] = {
      {kBrightness, 0, "-64 "},  {kBrightness, 63, "-01 "},
      {kBrightness, 64, " 00 "}, {kBrightness, 127, " 63 "},
      {kContrast, 0, "000 "},    {kContrast, 127, "127 "},
      {kHue, 255, "255 "},       {kSaturation, 80, "080 "},
      {kSharpness, 0, "00"},     {kSharpness, 31, "31"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AdjustmentItemText(c.adjustment, c.index), c.text) << c.index;
  }
  EXPECT_EQ(AdjustmentItemCount(kBrightness), 128);
  EXPECT_EQ(AdjustmentItemCount(kContrast), 128);
  EXPECT_EQ(AdjustmentItemCount(kHue), 256);
  EXPECT_EQ(AdjustmentItemCount(kSharpness), 32);
  EXPECT_EQ(AdjustmentItemCount(kSaturation), 128);
}

TEST(VideoAdjustmentTexts, TableCells) {
  using enum Adjustment;
  struct Case {
    Adjustment adjustment;
    int index;
    const char* text;
  };
  const Case cases[] = {
      {kBrightness, 64, "  00 "},  {kBrightness, 63, " -01 "},
      {kBrightness, 0, " -64 "},   {kBrightness, 127, "  63 "},
      {kBrightness, 900, "  63 "}, {kContrast, 64, " 064 "},
      {kHue, 0, " 000 "},          {kSharpness, 7, "  07"},
      {kSaturation, 80, " 080"},   {kSaturation, -5, " 000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AdjustmentCellText(c.adjustment, c.index), c.text) << c.index;
  }
}

TEST(VideoAdjustmentTexts, BrightnessWireRuleIsItsOwnInverse) {
  for (int index = 0; index < 128; ++index) {
    EXPECT_EQ(BrightnessWireValue(BrightnessWireValue(index)), index);
  }
}

}  // namespace
}  // namespace vqx
