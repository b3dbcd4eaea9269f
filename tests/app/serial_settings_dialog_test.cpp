#include "app/serial_settings_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/link_config.h"
#include "tests/support/fake_dialog_view.h"

namespace vqx {
namespace {

using testing::FakeDialogView;
using testing::MemoryProfile;

class SerialSettingsDialogTest : public ::testing::Test {
 protected:
  Core core_;
  MemoryProfile profile_;
  SerialSettingsDialog dialog_{core_, profile_};
  FakeDialogView view_;
};

TEST_F(SerialSettingsDialogTest, OpensOnTheConfiguredPortAndLine) {
  core_.config.com_port = 2;
  core_.config.rs_control = 1;
  core_.working.hidden_access_count = 6;
  dialog_.OnInit(view_);
  EXPECT_EQ(view_.Items(SerialSettingsDialog::kPortList),
            (std::vector<std::string>{"COM 1", "COM 2", "COM 3", "COM 4",
                                      "COM 5", "COM 6"}));
  EXPECT_EQ(view_.Items(SerialSettingsDialog::kLineList),
            (std::vector<std::string>{"RS-232C", "RS-485"}));
  EXPECT_EQ(view_.SelectedText(SerialSettingsDialog::kPortList), "COM 3");
  EXPECT_EQ(view_.SelectedText(SerialSettingsDialog::kLineList), "RS-485");
  EXPECT_EQ(core_.working.hidden_access_count, 0);
  EXPECT_TRUE(profile_.writes.empty());  // opening writes nothing
}

TEST_F(SerialSettingsDialogTest, PortsTheListDoesNotOfferShowNoSelection) {
  for (int port : {6, 7, 8, 99, -1}) {
    core_.config.com_port = port;
    core_.config.rs_control = 2;
    FakeDialogView view;
    dialog_.OnInit(view);
    EXPECT_EQ(view.SelectedItem(SerialSettingsDialog::kPortList), kNoSelection)
        << port;
    EXPECT_EQ(view.SelectedItem(SerialSettingsDialog::kLineList), kNoSelection);
    // Opening alone leaves the configuration as it was.
    EXPECT_EQ(core_.config.com_port.load(), port);
  }
}

TEST_F(SerialSettingsDialogTest, ChoicesAreWrittenToMemoryAndFileAtOnce) {
  core_.config.com_port = 7;
  dialog_.OnInit(view_);
  view_.Choose(dialog_, SerialSettingsDialog::kPortList, 2);
  EXPECT_EQ(core_.config.com_port.load(), 2);
  EXPECT_EQ(profile_.writes,
            std::vector<std::string>{"[VQX-460J_Section] com_port=2"});

  view_.Choose(dialog_, SerialSettingsDialog::kLineList, 1);
  EXPECT_EQ(core_.config.rs_control.load(), 1);
  EXPECT_EQ(profile_.writes,
            (std::vector<std::string>{"[VQX-460J_Section] com_port=2",
                                      "[VQX-460J_Section] rs_control=1"}));

  // Read back the way the next start reads it.
  LinkConfig next_start;
  ReadLinkConfig(profile_, next_start);
  EXPECT_EQ(next_start.com_port.load(), 2);
  EXPECT_EQ(next_start.rs_control.load(), 1);
}

TEST_F(SerialSettingsDialogTest, AFailedWriteStillChangesTheLiveValue) {
  profile_.writable = false;
  dialog_.OnInit(view_);
  view_.Choose(dialog_, SerialSettingsDialog::kLineList, 1);
  EXPECT_EQ(core_.config.rs_control.load(), 1);
  EXPECT_EQ(profile_.writes,
            std::vector<std::string>{"[VQX-460J_Section] rs_control=1"});
}

TEST_F(SerialSettingsDialogTest, OtherNotificationsChangeNothing) {
  dialog_.OnInit(view_);
  view_.SelectItem(SerialSettingsDialog::kPortList, 4);
  dialog_.OnCommand(view_, SerialSettingsDialog::kPortList,
                    ControlNotification::kOther);
  EXPECT_EQ(core_.config.com_port.load(), 0);
  EXPECT_TRUE(profile_.writes.empty());
}

TEST_F(SerialSettingsDialogTest, SetButtonEnterEscapeAndCloseBoxAllClose) {
  dialog_.OnInit(view_);
  view_.Click(dialog_, kIdOk);
  EXPECT_EQ(view_.end_result, kDialogClosed);

  FakeDialogView escape;
  dialog_.OnInit(escape);
  escape.Click(dialog_, kIdClose);
  EXPECT_EQ(escape.end_result, kDialogClosed);

  FakeDialogView close_box;
  dialog_.OnInit(close_box);
  dialog_.OnClose(close_box);
  EXPECT_EQ(close_box.end_result, kDialogClosed);
  EXPECT_TRUE(profile_.writes.empty());  // the button stores nothing
}

}  // namespace
}  // namespace vqx
