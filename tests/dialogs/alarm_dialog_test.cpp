#include "dialogs/alarm_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialogs/conventions.h"
#include "protocol/alarm.h"
#include "tests/support/fake_dialog_view.h"
#include "transport/link.h"

namespace vqx {
namespace {

using testing::Box;
using testing::FakeDialogServices;
using testing::FakeDialogView;
using testing::FakePort;

class AlarmDialogTest : public ::testing::Test {
 protected:
  AlarmDialogTest() { link_.AttachPort(&port_); }

  void Open() { dialog_.OnInit(view_); }
  void SetHoldTime(const char* text) {
    fakes_.settings.Update([&](DeviceSettings& s) {
      std::memset(s.alarm_hold_time, 0, sizeof s.alarm_hold_time);
      std::strncpy(s.alarm_hold_time, text, sizeof s.alarm_hold_time - 1);
    });
  }
  std::string HoldTime() { return fakes_.settings.Snapshot().alarm_hold_time; }

  FakeDialogServices fakes_;
  FakePort port_;  // the live sending side writes to it
  Link link_{fakes_.state, fakes_.config, fakes_.slave_address,
             fakes_.steady_clock};
  DialogServices services_ = fakes_.Using(link_, fakes_.codec);
  AlarmDialog dialog_{services_};
  FakeDialogView view_;
};

TEST_F(AlarmDialogTest, OpensWithListsAndStoredChoices) {
  fakes_.settings.Update([](DeviceSettings& s) {
    s.alarm_mode = 1;
    s.alarm_polarity = 1;
    s.alarm_display = 0;
    s.alarm_return = 1;
  });
  Open();
  EXPECT_EQ(view_.Items(AlarmDialog::kModeList),
            (std::vector<std::string>{"Internal", "External"}));
  EXPECT_EQ(view_.Items(AlarmDialog::kPolarityList),
            (std::vector<std::string>{"Make ", "Break"}));
  EXPECT_EQ(view_.Items(AlarmDialog::kDisplayList),
            (std::vector<std::string>{"OFF", " ON"}));
  EXPECT_EQ(view_.Items(AlarmDialog::kReturnList),
            (std::vector<std::string>{"OFF", " ON"}));
  EXPECT_EQ(view_.SelectedText(AlarmDialog::kModeList), "External");
  EXPECT_EQ(view_.SelectedText(AlarmDialog::kPolarityList), "Break");
  EXPECT_EQ(view_.SelectedText(AlarmDialog::kDisplayList), "OFF");
  EXPECT_EQ(view_.SelectedText(AlarmDialog::kReturnList), " ON");
  EXPECT_EQ(view_.ControlText(AlarmDialog::kHoldTimeEdit), "030");
  EXPECT_EQ(view_.controls[AlarmDialog::kHoldTimeEdit].text_limit, 3);
  // RS-232C: the address list is off and empty.
  EXPECT_FALSE(view_.Enabled(kSlaveAddressCombo));
  EXPECT_EQ(view_.SelectedItem(kSlaveAddressCombo), kNoSelection);
  EXPECT_EQ(view_.Items(kSlaveAddressCombo).size(), 33u);
  // select_number 0: the heading text becomes the caption.
  EXPECT_EQ(view_.caption, "アラーム ");
  EXPECT_TRUE(port_.written().empty());
}

TEST_F(AlarmDialogTest, TemplateCaptionStaysForSelectNumberMinusOne) {
  fakes_.config.select_number = -1;
  Open();
  EXPECT_EQ(view_.caption, "");
}

TEST_F(AlarmDialogTest, OutOfRangeStoredValuesShowNoSelection) {
  fakes_.settings.Update([](DeviceSettings& s) {
    s.alarm_mode = 7;
    s.alarm_display = -3;
  });
  Open();
  EXPECT_EQ(view_.SelectedItem(AlarmDialog::kModeList), kNoSelection);
  EXPECT_EQ(view_.SelectedItem(AlarmDialog::kDisplayList), kNoSelection);
}

struct SetButtonCase {
  int list;  // 0: none
  int index;
  int button;
  std::string line;
};

class AlarmSetButtonTest : public AlarmDialogTest,
                           public ::testing::WithParamInterface<SetButtonCase> {
};

TEST_P(AlarmSetButtonTest, SendsItsLineOnRs232c) {
  const SetButtonCase& c = GetParam();
  Open();
  if (c.list != 0) view_.Choose(dialog_, c.list, c.index);
  view_.Click(dialog_, c.button);
  EXPECT_EQ(port_.written(), std::vector<std::string>{c.line});
}

TEST_P(AlarmSetButtonTest, CarriesTheAddressChosenInTheDialogOnRs485) {
  const SetButtonCase& c = GetParam();
  fakes_.config.rs_control = 1;
  Open();
  ASSERT_TRUE(view_.Enabled(kSlaveAddressCombo));
  view_.Choose(dialog_, kSlaveAddressCombo, 3);
  if (c.list != 0) view_.Choose(dialog_, c.list, c.index);
  view_.Click(dialog_, c.button);
  EXPECT_EQ(port_.written(), std::vector<std::string>{"03" + c.line});
  EXPECT_EQ(fakes_.slave_address.load(), 3);

  // Broadcast: "FF" in front and no reply awaited.
  port_.ClearWritten();
  view_.Choose(dialog_, kSlaveAddressCombo, 32);
  view_.Click(dialog_, c.button);
  EXPECT_EQ(port_.written(), std::vector<std::string>{"FF" + c.line});
  EXPECT_EQ(fakes_.state.reply_awaited.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, AlarmSetButtonTest,
    ::testing::Values(SetButtonCase{AlarmDialog::kModeList, 0,
                                    AlarmDialog::kModeSet, "AMI\r\n"},
                      SetButtonCase{AlarmDialog::kModeList, 1,
                                    AlarmDialog::kModeSet, "AME\r\n"},
                      SetButtonCase{0, 0, AlarmDialog::kHoldTimeSet,
                                    "ADT030\r\n"},
                      SetButtonCase{AlarmDialog::kPolarityList, 0,
                                    AlarmDialog::kPolaritySet, "APM\r\n"},
                      SetButtonCase{AlarmDialog::kPolarityList, 1,
                                    AlarmDialog::kPolaritySet, "APB\r\n"},
                      SetButtonCase{AlarmDialog::kDisplayList, 0,
                                    AlarmDialog::kDisplaySet, "ADOF\r\n"},
                      SetButtonCase{AlarmDialog::kDisplayList, 1,
                                    AlarmDialog::kDisplaySet, "ADON\r\n"},
                      SetButtonCase{AlarmDialog::kReturnList, 0,
                                    AlarmDialog::kReturnSet, "AROF\r\n"},
                      SetButtonCase{AlarmDialog::kReturnList, 1,
                                    AlarmDialog::kReturnSet, "ARON\r\n"}));

struct HoldTimeCase {
  std::string typed;
  std::string line;  // "" = refused with the error box
};

class AlarmHoldTimeTest : public AlarmDialogTest,
                          public ::testing::WithParamInterface<HoldTimeCase> {};

TEST_P(AlarmHoldTimeTest, TypedTextIsStoredAndCheckedWhenSent) {
  const HoldTimeCase& c = GetParam();
  Open();
  view_.Type(dialog_, AlarmDialog::kHoldTimeEdit, c.typed);
  EXPECT_EQ(HoldTime(), c.typed);  // what was typed, never rewritten
  view_.Click(dialog_, AlarmDialog::kHoldTimeSet);
  if (c.line.empty()) {
    EXPECT_TRUE(port_.written().empty());
    EXPECT_EQ(fakes_.boxes.shown,
              (std::vector<Box>{{"error", "3秒以上を設定してください。"}}));
  } else {
    EXPECT_EQ(port_.written(), std::vector<std::string>{c.line});
    EXPECT_TRUE(fakes_.boxes.shown.empty());
  }
  EXPECT_EQ(HoldTime(), c.typed);
}

INSTANTIATE_TEST_SUITE_P(Texts, AlarmHoldTimeTest,
                         ::testing::Values(HoldTimeCase{"030", "ADT030\r\n"},
                                           HoldTimeCase{"5", "ADT005\r\n"},
                                           HoldTimeCase{"999", "ADT999\r\n"},
                                           HoldTimeCase{"07x", "ADT007\r\n"},
                                           HoldTimeCase{"3", "ADT003\r\n"},
                                           HoldTimeCase{"x12", ""},
                                           HoldTimeCase{"", ""},
                                           HoldTimeCase{"2", ""},
                                           HoldTimeCase{"02", ""}));

TEST_F(AlarmDialogTest, OverlongHoldTimeTextIsCutToThreeCharacters) {
  Open();
  // The edit's limit keeps users to three characters; pasted or programmatic
  // text must still fit the field.
  view_.Type(dialog_, AlarmDialog::kHoldTimeEdit, "12345");
  EXPECT_EQ(HoldTime(), "123");
}

TEST_F(AlarmDialogTest, ChoicesAreStoredAtOnceAndCloseSendsNothing) {
  Open();
  view_.Choose(dialog_, AlarmDialog::kModeList, 1);
  view_.Choose(dialog_, AlarmDialog::kPolarityList, 1);
  view_.Choose(dialog_, AlarmDialog::kDisplayList, 0);
  view_.Choose(dialog_, AlarmDialog::kReturnList, 0);
  const DeviceSettings s = fakes_.settings.Snapshot();
  EXPECT_EQ(s.alarm_mode, 1);
  EXPECT_EQ(s.alarm_polarity, 1);
  EXPECT_EQ(s.alarm_display, 0);
  EXPECT_EQ(s.alarm_return, 0);
  EXPECT_EQ(s.dirty, 1);  // choices the file keeps are unsaved work

  view_.Click(dialog_, kIdClose);
  EXPECT_TRUE(view_.ended);
  EXPECT_EQ(view_.end_result, kDialogClosed);
  EXPECT_TRUE(port_.written().empty());
}

TEST_F(AlarmDialogTest, EnterAndTheCloseBoxCloseToo) {
  Open();
  view_.Click(dialog_, kIdOk);
  EXPECT_EQ(view_.end_result, kDialogClosed);

  FakeDialogView other;
  dialog_.OnInit(other);
  dialog_.OnClose(other);
  EXPECT_EQ(other.end_result, kDialogClosed);
}

TEST_F(AlarmDialogTest, NotificationsOtherThanTheirOwnAreIgnored) {
  Open();
  view_.SelectItem(AlarmDialog::kModeList, 1);
  dialog_.OnCommand(view_, AlarmDialog::kModeList, ControlNotification::kOther);
  dialog_.OnCommand(view_, AlarmDialog::kModeSet,
                    ControlNotification::kSelectionChange);
  EXPECT_EQ(fakes_.settings.Snapshot().alarm_mode, 0);
  EXPECT_TRUE(port_.written().empty());
  EXPECT_FALSE(view_.ended);
}

}  // namespace
}  // namespace vqx
