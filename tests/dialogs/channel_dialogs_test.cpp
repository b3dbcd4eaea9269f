// The dialogs of per-channel settings and the few others without drawing or
// timers: video loss, video format, AGC, slave address and other settings.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/agc_dialog.h"
#include "dialogs/conventions.h"
#include "dialogs/other_settings_dialog.h"
#include "dialogs/slave_address_dialog.h"
#include "dialogs/video_format_dialog.h"
#include "dialogs/video_loss_dialog.h"
#include "tests/support/dialog_fixture.h"

namespace vqx {
namespace {

using testing::DialogFixture;
using testing::SetCase;
using Strings = std::vector<std::string>;

// ---- Video loss
// ---------------------------------------------------------------

using VideoLossTest = DialogFixture<VideoLossDialog>;
using VL = VideoLossDialog;

TEST_F(VideoLossTest, ListsShowTheRecord) {
  Change([](DeviceSettings& s) {
    s.vloss_detect[1] = 0;
    s.vloss_detect[7] = 0;
    s.vloss_background = 1;
    s.vloss_signal_output = 1;
    s.vloss_display = 0;
  });
  Open();
  EXPECT_EQ(view_.Items(VL::kChannels[0].list), (Strings{"OFF", " ON"}));
  EXPECT_EQ(view_.Items(VL::kBackgroundList), (Strings{" 黒", " 青"}));
  const std::vector<std::string> shown = {" ON", "OFF", " ON", " ON",
                                          " ON", " ON", " ON", "OFF"};
  for (int ch = 0; ch < kChannelCount; ++ch) {
    EXPECT_EQ(view_.SelectedText(VL::kChannels[ch].list), shown[ch]) << ch;
  }
  EXPECT_EQ(view_.SelectedText(VL::kBackgroundList), " 青");
  EXPECT_EQ(view_.SelectedText(VL::kSignalOutputList), " ON");
  EXPECT_EQ(view_.SelectedText(VL::kDisplayList), "OFF");
}

TEST_F(VideoLossTest, EachSetButtonSendsItsLine) {
  Open();
  ExpectSetLines({
      {0, 0, VL::kChannels[4].set, "VL05ON\r\n"},
      {VL::kChannels[7].list, 0, VL::kChannels[7].set, "VL08OF\r\n"},
      {VL::kChannels[0].list, 0, VL::kChannels[0].set, "VL01OF\r\n"},
      {VL::kBackgroundList, 1, VL::kBackgroundSet, "VLBCB\r\n"},
      {VL::kBackgroundList, 0, VL::kBackgroundSet, "VLBCN\r\n"},
      {VL::kSignalOutputList, 1, VL::kSignalOutputSet, "VLSOON\r\n"},
      {VL::kDisplayList, 0, VL::kDisplaySet, "VLDOF\r\n"},
  });
  const DeviceSettings s = Settings();
  EXPECT_EQ(s.vloss_detect[7], 0);
  EXPECT_EQ(s.vloss_detect[0], 0);
  EXPECT_EQ(s.vloss_detect[4], 1);
  EXPECT_EQ(s.vloss_signal_output, 1);
}

// ---- Video format
// ---------------------------------------------------------------

using VideoFormatTest = DialogFixture<VideoFormatDialog>;
using VF = VideoFormatDialog;

TEST_F(VideoFormatTest, CommonChoiceGoesIntoEveryChannel) {
  Open();
  EXPECT_EQ(view_.Items(VF::kCommonList),
            (Strings{"AHD 1920", "AHD  720", "TVI 1920", "TVI  720", "CVI 1920",
                     "CVI  720", "NTSC    "}));
  ExpectSetLines({
      {0, 0, VF::kSetAll, "VF11111111\r\n"},
      {VF::kCommonList, 6, VF::kSetAll, "VF77777777\r\n"},
      {VF::kCommonList, 4, VF::kChannels[2].set, "VF035\r\n"},
      {VF::kChannels[1].list, 1, VF::kSetAll, "VF52555555\r\n"},
      {VF::kChannels[7].list, 2, VF::kChannels[7].set, "VF083\r\n"},
      {VF::kChannels[2].list, 3, VF::kChannels[2].set, "VF034\r\n"},
  });
  for (const auto& channel : VF::kChannels) {
    EXPECT_NE(view_.SelectedItem(channel.list), kNoSelection);
  }
  EXPECT_EQ(fakes_.selections.format_common, 4);
}

TEST_F(VideoFormatTest, CommonChoiceOutlivesTheDialogAndNew) {
  Open();
  Choose(VF::kCommonList, 5);
  EXPECT_EQ(view_.SelectedText(VF::kChannels[6].list), "CVI  720");
  fakes_.LoadDefaults();  // File > New
  fakes_.selections.ResetForNew();
  testing::FakeDialogView again;
  VideoFormatDialog reopened(fakes_.services);
  reopened.OnInit(again);
  EXPECT_EQ(again.SelectedText(VF::kCommonList), "CVI  720");
  EXPECT_EQ(again.SelectedText(VF::kChannels[6].list), "AHD 1920");
}

// ---- AGC
// ----------------------------------------------------------------------

using AgcTest = DialogFixture<AgcDialog>;

TEST_F(AgcTest, ChannelListsInTheirOwnIdOrder) {
  Change([](DeviceSettings& s) { s.agc_enable[4] = 0; });
  Open();
  // ch.05's list is 1134, between ch.01's and ch.02's.
  EXPECT_EQ(view_.SelectedText(1134), "OFF");
  ExpectSetLines({
      {0, 0, 1139, "AGC06ON\r\n"},
      {1132, 0, 1133, "AGC01OF\r\n"},
      {1134, 1, 1135, "AGC05ON\r\n"},
      {1146, 0, 1147, "AGC08OF\r\n"},
  });
  EXPECT_EQ(Settings().agc_enable[4], 1);
  EXPECT_EQ(Settings().agc_enable[7], 0);
}

// ---- What the three share
// ---------------------------------------------------------------

// Every list and set button of the per-channel dialogs, their own lists
// included, hears only its own notification: a list a pick, a button a
// click. Each pick then stores and each click sends one line.
TEST(ChannelSettingsDialogTest, EachControlHearsOnlyItsOwnNotification) {
  struct Case {
    const char* what;
    std::function<std::unique_ptr<Dialog>(DialogServices&)> make;
    std::vector<ChannelRow> pairs;  // list and button
  };
  const auto with = [](const ChannelRows& rows, std::vector<ChannelRow> more) {
    std::vector<ChannelRow> pairs(rows.begin(), rows.end());
    pairs.insert(pairs.end(), more.begin(), more.end());
    return pairs;
  };
  const Case cases[] = {
      {"video loss",
       [](DialogServices& s) { return std::make_unique<VideoLossDialog>(s); },
       with(VL::kChannels, {{VL::kBackgroundList, VL::kBackgroundSet},
                            {VL::kSignalOutputList, VL::kSignalOutputSet},
                            {VL::kDisplayList, VL::kDisplaySet}})},
      {"video format",
       [](DialogServices& s) { return std::make_unique<VideoFormatDialog>(s); },
       with(VF::kChannels, {{VF::kCommonList, VF::kSetAll}})},
      {"AGC", [](DialogServices& s) { return std::make_unique<AgcDialog>(s); },
       with(AgcDialog::kChannels, {})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::FakeDialogServices fakes;
    testing::FakeDialogView view;
    std::unique_ptr<Dialog> dialog = c.make(fakes.services);
    dialog->OnInit(view);
    const DeviceSettings before = fakes.settings.Snapshot();
    for (const ChannelRow& pair : c.pairs) {
      view.SelectItem(pair.list, view.SelectedItem(pair.list) == 1 ? 0 : 1);
      dialog->OnCommand(view, pair.list, ControlNotification::kOther);
      dialog->OnCommand(view, pair.list, ControlNotification::kEditChange);
      dialog->OnCommand(view, pair.set, ControlNotification::kSelectionChange);
      dialog->OnCommand(view, pair.set, ControlNotification::kOther);
    }
    EXPECT_TRUE(SameSavedSettings(before, fakes.settings.Snapshot()));
    EXPECT_EQ(fakes.settings.Snapshot().dirty, 0);
    EXPECT_EQ(fakes.selections.format_common, 0);
    EXPECT_TRUE(fakes.sink.lines.empty());
    EXPECT_FALSE(view.ended);
    for (const ChannelRow& pair : c.pairs) {
      view.Choose(*dialog, pair.list, view.SelectedItem(pair.list));
      view.Click(*dialog, pair.set);
    }
    EXPECT_FALSE(SameSavedSettings(before, fakes.settings.Snapshot()));
    EXPECT_EQ(fakes.sink.lines.size(), c.pairs.size());
  }
}

// ---- Slave address
// ----------------------------------------------------------------

using SlaveAddressTest = DialogFixture<SlaveAddressDialog>;

TEST_F(SlaveAddressTest, ChoosesTheAddressInAnyWiring) {
  fakes_.selections.hidden_access_count = 6;
  fakes_.slave_address = 12;
  Open();
  EXPECT_EQ(fakes_.selections.hidden_access_count, 0);
  EXPECT_EQ(view_.SelectedText(kSlaveAddressCombo), "12");
  Choose(kSlaveAddressCombo, 32);
  EXPECT_EQ(fakes_.slave_address.load(), 32);
  EXPECT_TRUE(Lines().empty());
}

// ---- Other settings
// -------------------------------------------------------------

using OtherSettingsTest = DialogFixture<OtherSettingsDialog>;
using OS = OtherSettingsDialog;

TEST_F(OtherSettingsTest, ListsAndTheirTexts) {
  fakes_.selections.hidden_access_count = 4;
  Open();
  EXPECT_EQ(view_.Items(OS::kConnectorInputList),
            (Strings{"ALARM ", "REMOTE"}));
  EXPECT_EQ(view_.Items(OS::kBorderLineList),
            (Strings{"黒色", "灰色", "白色", "OFF"}));
  EXPECT_EQ(view_.Items(OS::kButtonLockList), (Strings{"OFF ", "ON  "}));
  EXPECT_EQ(view_.Items(OS::kNtscAspectList), (Strings{"4:3 ", "FULL"}));
  EXPECT_EQ(view_.Items(OS::kOsdSizeSplitList), (Strings{"SMALL ", "LARGE "}));
  const Strings screens = view_.Items(OS::kPowerOnScreenList);
  ASSERT_EQ(screens.size(), 14u);
  EXPECT_EQ(screens[0], "ch.01 ");
  EXPECT_EQ(screens[12], "9分割 ");
  EXPECT_EQ(screens[13], "自動  ");
  const Strings offsets = view_.Items(OS::kOsdOffsetHList);
  ASSERT_EQ(offsets.size(), 16u);
  EXPECT_EQ(offsets.front(), "00");
  EXPECT_EQ(offsets.back(), "15");
  EXPECT_EQ(view_.Items(OS::kOsdOffsetVList), offsets);
  EXPECT_EQ(view_.SelectedText(OS::kPowerOnScreenList), "9分割 ");
  EXPECT_EQ(view_.SelectedText(OS::kOsdSizeSingleList), "LARGE ");
  EXPECT_EQ(fakes_.selections.hidden_access_count, 0);
}

TEST_F(OtherSettingsTest, EveryLineWithTheDefaultsAndChanged) {
  Open();
  ExpectSetLines({
      {0, 0, OS::kConnectorInputSet, "CIA\r\n"},
      {0, 0, OS::kPowerOnScreenSet, "POSD9\r\n"},
      {0, 0, OS::kBorderLineSet, "BLB\r\n"},
      {0, 0, OS::kOsdOffsetHSet, "OOH08\r\n"},
      {0, 0, OS::kOsdOffsetVSet, "OOV08\r\n"},
      {0, 0, OS::kOsdSizeSingleSet, "CTFSSL\r\n"},
      {0, 0, OS::kOsdSizeSplitSet, "CTFSDS\r\n"},
      {0, 0, OS::kButtonLockSet, "LOF\r\n"},
      {0, 0, OS::kNtscAspectSet, "NAR4\r\n"},
      {OS::kConnectorInputList, 1, OS::kConnectorInputSet, "CIR\r\n"},
      {OS::kPowerOnScreenList, 4, OS::kPowerOnScreenSet, "POSS05\r\n"},
      {OS::kPowerOnScreenList, 8, OS::kPowerOnScreenSet, "POSD4A\r\n"},
      {OS::kPowerOnScreenList, 11, OS::kPowerOnScreenSet, "POSD6B\r\n"},
      {OS::kPowerOnScreenList, 13, OS::kPowerOnScreenSet, "POSCAS\r\n"},
      {OS::kBorderLineList, 1, OS::kBorderLineSet, "BLG\r\n"},
      {OS::kBorderLineList, 2, OS::kBorderLineSet, "BLW\r\n"},
      {OS::kBorderLineList, 3, OS::kBorderLineSet, "BLO\r\n"},
      {OS::kOsdOffsetHList, 15, OS::kOsdOffsetHSet, "OOH15\r\n"},
      {OS::kOsdOffsetVList, 0, OS::kOsdOffsetVSet, "OOV00\r\n"},
      {OS::kOsdSizeSingleList, 0, OS::kOsdSizeSingleSet, "CTFSSS\r\n"},
      {OS::kOsdSizeSplitList, 1, OS::kOsdSizeSplitSet, "CTFSDL\r\n"},
      {OS::kButtonLockList, 1, OS::kButtonLockSet, "LON\r\n"},
      {OS::kNtscAspectList, 1, OS::kNtscAspectSet, "NARF\r\n"},
  });
  const DeviceSettings s = Settings();
  EXPECT_EQ(s.misc_power_on_screen, 13);
  EXPECT_EQ(s.misc_osd_offset_h, 15);
  EXPECT_EQ(s.misc_ntsc_aspect, 1);
}

TEST_F(OtherSettingsTest, ButtonLockLivesForTheRunOnly) {
  Open();
  Choose(OS::kButtonLockList, 1);
  EXPECT_EQ(fakes_.selections.misc_button_lock, 1);
  // Not in the record, so neither a file nor send-all carries it; New
  // leaves it as it is.
  DeviceSettings defaults;
  LoadDefaultSettings(defaults);
  const DeviceSettings now = Settings();
  EXPECT_EQ(std::memcmp(&defaults, &now, sizeof defaults), 0);
  fakes_.LoadDefaults();  // File > New
  fakes_.selections.ResetForNew();
  testing::FakeDialogView again;
  OtherSettingsDialog reopened(fakes_.services);
  reopened.OnInit(again);
  EXPECT_EQ(again.SelectedText(OS::kButtonLockList), "ON  ");
}

}  // namespace
}  // namespace vqx
