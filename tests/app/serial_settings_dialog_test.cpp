#include "app/serial_settings_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fake_dialog_view.h"
#include "transport/link_config.h"

namespace vqx {
namespace {

using testing::FakeDialogView;
using testing::MemoryProfile;

class SerialSettingsDialogTest : public ::testing::Test {
 protected:
  LinkState state_;
  LinkConfig config_;
  DialogSelections selections_;
  MemoryProfile profile_;
  testing::ListedPorts ports_;
  SerialSettingsDialog dialog_{state_, config_, selections_, profile_, ports_};
  FakeDialogView view_;
};

TEST_F(SerialSettingsDialogTest, OpensOnTheConfiguredPortAndLine) {
  config_.com_port = 2;
  config_.rs_control = 1;
  selections_.hidden_access_count = 6;
  dialog_.OnInit(view_);
  EXPECT_EQ(view_.Items(SerialSettingsDialog::kPortList),
            (std::vector<std::string>{"COM 1", "COM 2", "COM 3", "COM 4",
                                      "COM 5", "COM 6"}));
  EXPECT_EQ(view_.Items(SerialSettingsDialog::kLineList),
            (std::vector<std::string>{"RS-232C", "RS-485"}));
  EXPECT_EQ(view_.SelectedText(SerialSettingsDialog::kPortList), "COM 3");
  EXPECT_EQ(view_.SelectedText(SerialSettingsDialog::kLineList), "RS-485");
  EXPECT_EQ(selections_.hidden_access_count, 0);
  EXPECT_TRUE(profile_.writes.empty());  // opening writes nothing
}

// A port the six items do not hold is listed after them, marked absent
// when the system does not have it, and selected: never replaced by
// another. A value no COM port has shows no selection.
TEST_F(SerialSettingsDialogTest, ConfiguredPortIsShownEvenWhenAbsent) {
  struct Case {
    int com_port;
    std::string shown;  // "" = no selection
  };
  const Case cases[] = {
      {6, "COM7 （見つかりません）"},
      {8, "COM9 （見つかりません）"},
      {99, "COM100 （見つかりません）"},
      {255, "COM256 （見つかりません）"},
      {256, ""},
      {-1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.com_port);
    config_.com_port = c.com_port;
    config_.rs_control = 2;
    FakeDialogView view;
    dialog_.OnInit(view);
    EXPECT_EQ(view.SelectedText(SerialSettingsDialog::kPortList), c.shown);
    EXPECT_EQ(view.Items(SerialSettingsDialog::kPortList).size(),
              c.shown.empty() ? 6u : 7u);
    EXPECT_EQ(view.ControlText(SerialSettingsDialog::kPortDescription),
              c.shown.empty() ? "" : "（見つかりません）");
    EXPECT_EQ(view.SelectedItem(SerialSettingsDialog::kLineList), kNoSelection);
    // Opening alone leaves the configuration as it was.
    EXPECT_EQ(config_.com_port.load(), c.com_port);
  }
  EXPECT_TRUE(profile_.writes.empty());
}

TEST_F(SerialSettingsDialogTest, EveryPortTheSystemHasIsListed) {
  ports_.ports = {{1, "Communications Port"},
                  {3, "USB Serial Port"},
                  {12, "USB-SERIAL CH340"},
                  {10, ""}};
  config_.com_port = 2;
  dialog_.OnInit(view_);
  EXPECT_EQ(
      view_.Items(SerialSettingsDialog::kPortList),
      (std::vector<std::string>{"COM 1", "COM 2", "COM 3", "COM 4", "COM 5",
                                "COM 6", "COM10", "COM12 USB-SERIAL CH340"}));
  EXPECT_EQ(view_.ControlText(SerialSettingsDialog::kPortDescription),
            "USB Serial Port");
  view_.Choose(dialog_, SerialSettingsDialog::kPortList, 7);
  EXPECT_EQ(config_.com_port.load(), 11);  // COM12
  EXPECT_EQ(profile_.writes,
            std::vector<std::string>{"[VQX-460J_Section] com_port=11"});
  EXPECT_EQ(view_.ControlText(SerialSettingsDialog::kPortDescription),
            "USB-SERIAL CH340");
  view_.Choose(dialog_, SerialSettingsDialog::kPortList, 1);
  EXPECT_EQ(config_.com_port.load(), 1);
  EXPECT_EQ(view_.ControlText(SerialSettingsDialog::kPortDescription),
            "（見つかりません）");

  // The next opening shows the port chosen, present or not.
  ports_.ports = {};
  config_.com_port = 11;
  FakeDialogView again;
  dialog_.OnInit(again);
  EXPECT_EQ(again.SelectedText(SerialSettingsDialog::kPortList),
            "COM12 （見つかりません）");
}

TEST_F(SerialSettingsDialogTest, ChoicesAreWrittenToMemoryAndFileAtOnce) {
  config_.com_port = 7;
  dialog_.OnInit(view_);
  view_.Choose(dialog_, SerialSettingsDialog::kPortList, 2);
  EXPECT_EQ(config_.com_port.load(), 2);
  EXPECT_EQ(profile_.writes,
            std::vector<std::string>{"[VQX-460J_Section] com_port=2"});

  view_.Choose(dialog_, SerialSettingsDialog::kLineList, 1);
  EXPECT_EQ(config_.rs_control.load(), 1);
  EXPECT_EQ(profile_.writes,
            (std::vector<std::string>{"[VQX-460J_Section] com_port=2",
                                      "[VQX-460J_Section] rs_control=1"}));

  // Read back the way the next start reads it.
  LinkConfig next_start;
  ReadLinkConfig(profile_, next_start);
  EXPECT_EQ(next_start.com_port.load(), 2);
  EXPECT_EQ(next_start.rs_control.load(), 1);
}

TEST_F(SerialSettingsDialogTest, EchoToleranceIsLiveAndKept) {
  config_.echo = 1;
  dialog_.OnInit(view_);
  EXPECT_TRUE(view_.IsChecked(SerialSettingsDialog::kEchoBox));
  view_.Toggle(dialog_, SerialSettingsDialog::kEchoBox);
  EXPECT_EQ(config_.echo.load(), 0);
  view_.Toggle(dialog_, SerialSettingsDialog::kEchoBox);
  EXPECT_EQ(config_.echo.load(), 1);
  EXPECT_EQ(profile_.writes,
            (std::vector<std::string>{"[VQX-460J_Section] echo=0",
                                      "[VQX-460J_Section] echo=1"}));
  LinkConfig next_start;
  ReadLinkConfig(profile_, next_start);
  EXPECT_EQ(next_start.echo.load(), 1);
}

// Lines noted for their echo under one setting are forgotten when it
// changes: turned off and on again, an old line must not swallow a reply.
TEST_F(SerialSettingsDialogTest, ChangingEchoToleranceForgetsTheNotedLines) {
  config_.echo = 1;
  dialog_.OnInit(view_);
  state_.echoes.Note("ADON\r\n", std::chrono::milliseconds(0));
  view_.Toggle(dialog_, SerialSettingsDialog::kEchoBox);
  view_.Toggle(dialog_, SerialSettingsDialog::kEchoBox);
  EXPECT_FALSE(state_.echoes.Take("ADON\r\n", std::chrono::milliseconds(1)));
}

TEST_F(SerialSettingsDialogTest, AFailedWriteStillChangesTheLiveValue) {
  profile_.writable = false;
  dialog_.OnInit(view_);
  view_.Choose(dialog_, SerialSettingsDialog::kLineList, 1);
  EXPECT_EQ(config_.rs_control.load(), 1);
  EXPECT_EQ(profile_.writes,
            std::vector<std::string>{"[VQX-460J_Section] rs_control=1"});
}

TEST_F(SerialSettingsDialogTest, OtherNotificationsChangeNothing) {
  dialog_.OnInit(view_);
  view_.SelectItem(SerialSettingsDialog::kPortList, 4);
  dialog_.OnCommand(view_, SerialSettingsDialog::kPortList,
                    ControlNotification::kOther);
  EXPECT_EQ(config_.com_port.load(), 0);
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

using SS = SerialSettingsDialog;

// A user who never touches the network finds it off and greyed, and the
// INI file gains nothing about it, however the COM port is chosen.
TEST_F(SerialSettingsDialogTest, NetworkIsOffAndUnwrittenUntilTouched) {
  view_.ReportEditChanges(dialog_, {SS::kHostEdit, SS::kNetPortEdit});
  dialog_.OnInit(view_);
  EXPECT_FALSE(view_.IsChecked(SS::kNetworkBox));
  for (int control : {SS::kHostEdit, SS::kNetPortEdit, SS::kProtocolList}) {
    EXPECT_FALSE(view_.Enabled(control)) << control;
  }
  EXPECT_EQ(view_.Items(SS::kProtocolList),
            (std::vector<std::string>{"RFC 2217", "TCP"}));
  EXPECT_EQ(view_.SelectedText(SS::kProtocolList), "RFC 2217");
  EXPECT_EQ(view_.ControlText(SS::kHostEdit), "");
  view_.Choose(dialog_, SS::kPortList, 3);
  EXPECT_EQ(profile_.writes,
            std::vector<std::string>{"[VQX-460J_Section] com_port=3"});
  EXPECT_FALSE(ReadNetworkChoice(profile_).chosen);
}

// Each network choice is written as it is made; a port outside 1..65535 is
// not kept; the next opening (and the next start) finds what was chosen.
TEST_F(SerialSettingsDialogTest, NetworkChoiceIsWrittenAsItIsMade) {
  view_.ReportEditChanges(dialog_, {SS::kHostEdit, SS::kNetPortEdit});
  dialog_.OnInit(view_);
  view_.Toggle(dialog_, SS::kNetworkBox);
  EXPECT_TRUE(view_.Enabled(SS::kHostEdit));
  view_.Type(dialog_, SS::kHostEdit, "serial-7.site");
  view_.Type(dialog_, SS::kNetPortEdit, "70000");
  view_.Type(dialog_, SS::kNetPortEdit, "0");
  view_.Type(dialog_, SS::kNetPortEdit, "4001");
  view_.Choose(dialog_, SS::kProtocolList, 1);
  EXPECT_EQ(profile_.writes, (std::vector<std::string>{
                                 "[VQX-460J_Section] net_kind=1",
                                 "[VQX-460J_Section] net_host=serial-7.site",
                                 "[VQX-460J_Section] net_port=4001",
                                 "[VQX-460J_Section] net_kind=2",
                             }));
  const NetworkChoice next_start = ReadNetworkChoice(profile_);
  ASSERT_TRUE(next_start.Address());
  EXPECT_EQ(next_start.Address()->ToString(), "tcp://serial-7.site:4001");

  profile_.writes.clear();
  FakeDialogView again;
  again.ReportEditChanges(dialog_, {SS::kHostEdit, SS::kNetPortEdit});
  dialog_.OnInit(again);
  EXPECT_TRUE(again.IsChecked(SS::kNetworkBox));
  EXPECT_TRUE(again.Enabled(SS::kProtocolList));
  EXPECT_EQ(again.ControlText(SS::kHostEdit), "serial-7.site");
  EXPECT_EQ(again.ControlText(SS::kNetPortEdit), "4001");
  EXPECT_EQ(again.SelectedText(SS::kProtocolList), "TCP");
  EXPECT_TRUE(profile_.writes.empty());
  // Off again: the COM port is used from the next start; host and port
  // stay for another time.
  again.Toggle(dialog_, SS::kNetworkBox);
  EXPECT_EQ(profile_.writes,
            std::vector<std::string>{"[VQX-460J_Section] net_kind=0"});
  EXPECT_FALSE(again.Enabled(SS::kHostEdit));
  EXPECT_EQ(ReadNetworkChoice(profile_).host, "serial-7.site");
}

TEST(NetworkChoiceTest, OnlyAHostAndAPortMakeAnAddress) {
  struct Case {
    std::string host;
    int port;
    PortKind kind;
    std::string address;  // "" = none
  };
  const Case cases[] = {
      {"127.0.0.1", 2217, PortKind::kRfc2217, "rfc2217://127.0.0.1:2217"},
      {"::1", 4001, PortKind::kRawTcp, "tcp://[::1]:4001"},
      {"", 4001, PortKind::kRfc2217, ""},
      {"host", 0, PortKind::kRfc2217, ""},
      {"host", 65536, PortKind::kRfc2217, ""},
      {"two words", 23, PortKind::kRfc2217, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host);
    const NetworkChoice choice{true, c.kind, c.host, c.port};
    const std::optional<PortAddress> address = choice.Address();
    EXPECT_EQ(address ? address->ToString() : "", c.address);
  }
  for (const char* text : {"", "0", "65536", "12a", "-1", "123456"}) {
    EXPECT_EQ(ParseNetworkPort(text), std::nullopt) << text;
  }
  EXPECT_EQ(ParseNetworkPort("65535"), 65535);
}

}  // namespace
}  // namespace vqx
