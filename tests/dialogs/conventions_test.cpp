#include "dialogs/conventions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fake_dialog_view.h"

namespace vqx {
namespace {

using testing::FakeDialogView;

TEST(SlaveAddressComboTest, HoldsTwoDigitAddressesAndBroadcast) {
  FakeDialogView view;
  FillSlaveAddressCombo(view);
  const std::vector<std::string>& items = view.Items(kSlaveAddressCombo);
  ASSERT_EQ(items.size(), 33u);
  EXPECT_EQ(items[0], "00");
  EXPECT_EQ(items[7], "07");
  EXPECT_EQ(items[31], "31");
  EXPECT_EQ(items[32], "Bloadcast");
  EXPECT_EQ(view.insert_errors, 0);
}

struct RuleCase {
  int rs_control;
  int slave_address;
  bool enabled;
  std::string shown;  // "" = no selection
};

class SlaveAddressRuleTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(SlaveAddressRuleTest, SelectsOnRs485AndDisablesOtherwise) {
  const RuleCase& c = GetParam();
  LinkConfig config;
  config.rs_control = c.rs_control;
  std::atomic<int> address{c.slave_address};
  FakeDialogView view;
  InitSlaveAddressCombo(view, config, address);
  EXPECT_EQ(view.Enabled(kSlaveAddressCombo), c.enabled);
  EXPECT_EQ(view.SelectedText(kSlaveAddressCombo), c.shown);
  EXPECT_EQ(address.load(), c.slave_address);  // never changed by opening
}

INSTANTIATE_TEST_SUITE_P(
    Wiring, SlaveAddressRuleTest,
    ::testing::Values(RuleCase{1, 0, true, "00"}, RuleCase{1, 7, true, "07"},
                      RuleCase{1, 32, true, "Bloadcast"},
                      // Out of the list: the combo shows nothing.
                      RuleCase{1, 40, true, ""}, RuleCase{0, 7, false, ""},
                      // A hand-edited 2 (or -1) frames every line as
                      // RS-485, so the list shows the address that goes
                      // out and lets the user change it.
                      RuleCase{2, 7, true, "07"}, RuleCase{-1, 3, true, "03"}));

TEST(SlaveAddressChangeTest, SelectionChangeSetsTheAddressForLaterDialogs) {
  LinkConfig config;
  config.rs_control = 1;
  std::atomic<int> address{0};
  FakeDialogView first;
  InitSlaveAddressCombo(first, config, address);
  first.SelectItem(kSlaveAddressCombo, 7);
  EXPECT_TRUE(HandleSlaveAddressChange(first, kSlaveAddressCombo,
                                       ControlNotification::kSelectionChange,
                                       address));
  EXPECT_EQ(address.load(), 7);

  FakeDialogView second;
  InitSlaveAddressCombo(second, config, address);
  EXPECT_EQ(second.SelectedText(kSlaveAddressCombo), "07");
}

TEST(SlaveAddressChangeTest, OtherNotificationsAndControlsLeaveItAlone) {
  std::atomic<int> address{4};
  FakeDialogView view;
  FillSlaveAddressCombo(view);
  view.SelectItem(kSlaveAddressCombo, 9);
  EXPECT_TRUE(HandleSlaveAddressChange(view, kSlaveAddressCombo,
                                       ControlNotification::kOther, address));
  EXPECT_FALSE(HandleSlaveAddressChange(
      view, 1000, ControlNotification::kSelectionChange, address));
  EXPECT_EQ(address.load(), 4);
}

TEST(DeviceNameTableTest, OnlyEntryZeroIsFlagged) {
  const auto& table = DeviceNameTable();
  ASSERT_EQ(table.size(), 97u);
  EXPECT_EQ(table[0].flag, 1);
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (i > 0) {
      EXPECT_EQ(table[i].flag, 0) << i;
    }
    EXPECT_EQ(table[i].word, 0) << i;
    EXPECT_EQ(table[i].name[0], '\0') << i;
  }
}

TEST(DialogCaptionTest, HeadingUnlessTheTemplateCaptionIsKept) {
  EXPECT_EQ(DialogCaption(0, "アラーム "), "アラーム ");
  EXPECT_EQ(DialogCaption(96, "その他 "), "その他 ");
  EXPECT_EQ(DialogCaption(-1, "アラーム "), std::nullopt);
  EXPECT_EQ(DialogCaption(97, "アラーム "), std::nullopt);
  EXPECT_EQ(DialogCaption(-2, "アラーム "), std::nullopt);
  EXPECT_EQ(DialogCaption(123456, "アラーム "), std::nullopt);
}

TEST(DialogCaptionTest, KeepsTemplateCaptionOnlyForMinusOneOrUnknownEntry) {
  LinkConfig config;
  FakeDialogView view;

  config.select_number = -1;
  ApplyDialogCaption(view, config, "アラーム ");
  EXPECT_EQ(view.caption, "");  // SetCaption never called

  config.select_number = 500;  // no such device entry
  ApplyDialogCaption(view, config, "アラーム ");
  EXPECT_EQ(view.caption, "");

  config.select_number = 0;
  ApplyDialogCaption(view, config, "アラーム ");
  EXPECT_EQ(view.caption, "アラーム ");  // trailing blank kept
}

TEST(ListFillingTest, OffOnAndNumberListsInOrder) {
  FakeDialogView view;
  FillOffOnList(view, 10);
  EXPECT_EQ(view.Items(10), (std::vector<std::string>{"OFF", " ON"}));

  FillNumberList(view, 11, 100);
  ASSERT_EQ(view.Items(11).size(), 100u);
  EXPECT_EQ(view.Items(11)[0], "0");
  EXPECT_EQ(view.Items(11)[99], "99");
}

TEST(ListFillingTest, PreselectOutsideTheListShowsNothing) {
  FakeDialogView view;
  FillOffOnList(view, 10);
  Preselect(view, 10, 1);
  EXPECT_EQ(view.SelectedText(10), " ON");
  Preselect(view, 10, 2);
  EXPECT_EQ(view.SelectedItem(10), kNoSelection);
  Preselect(view, 10, -5);
  EXPECT_EQ(view.SelectedItem(10), kNoSelection);
}

TEST(StoreChoiceTest, StoresOnlyOnSelectionChange) {
  SettingsStore store;
  FakeDialogView view;
  FillOffOnList(view, 10);
  view.SelectItem(10, 0);
  EXPECT_FALSE(StoreChoice(view, 10, ControlNotification::kOther, store,
                           &DeviceSettings::alarm_display));
  EXPECT_EQ(store.Snapshot().alarm_display, 1);
  EXPECT_TRUE(StoreChoice(view, 10, ControlNotification::kSelectionChange,
                          store, &DeviceSettings::alarm_display));
  EXPECT_EQ(store.Snapshot().alarm_display, 0);

  // A list showing no selection stores nothing.
  view.SelectItem(10, kNoSelection);
  EXPECT_FALSE(StoreChoice(view, 10, ControlNotification::kSelectionChange,
                           store, &DeviceSettings::alarm_display));
}

}  // namespace
}  // namespace vqx
