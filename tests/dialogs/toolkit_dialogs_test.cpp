// The installer's tools in the dialogs: the address scan of the slave
// address dialog and the traffic log window (the reply-paced runs of the
// read-all and send-all dialogs are with the other runs). Clocks and timers
// are moved by hand.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "dialogs/compare_dialog.h"
#include "dialogs/conventions.h"
#include "dialogs/slave_address_dialog.h"
#include "dialogs/traffic_log_dialog.h"
#include "tests/support/dialog_fixture.h"
#include "tests/support/scratch_folder.h"

namespace vqx {
namespace {

using namespace std::chrono_literals;
using testing::Box;
using testing::DialogFixture;
using Strings = std::vector<std::string>;

// ---- Address scan
// ----------------------------------------------------------------

class AddressScanDialogTest : public DialogFixture<SlaveAddressDialog> {
 protected:
  AddressScanDialogTest() { fakes_.config.rs_control = 1; }

  // Ticks the scan as its timer would; the devices at `answering` reply to
  // the probe of their address at once.
  void RunScan(const std::vector<int>& answering, int ticks = 10'000) {
    for (int tick = 0; tick < ticks; ++tick) {
      if (view_.timers.count(SlaveAddressDialog::kScanTimer) == 0) return;
      dialog_.OnTimer(view_, SlaveAddressDialog::kScanTimer);
      const int asked = dialog_.scan().current_address();
      for (int address : answering) {
        if (address == asked) fakes_.versions.Note(address, "VN1.00");
      }
      fakes_.steady_clock.Advance(10ms);
    }
  }
};

// 02 answers only while 04 is asked, long after its own time-out, and the
// scan slots it in before 03, which the list already shows: rows and
// devices stay together, also for a row the user picked meanwhile.
TEST_F(AddressScanDialogTest, ALateAnswerTakesItsPlaceAmongTheRows) {
  Open();
  Click(SlaveAddressDialog::kScanButton);
  const auto tick_until_asking = [&](int address) {
    for (int i = 0; i < 1000 && dialog_.scan().current_address() != address;
         ++i) {
      dialog_.OnTimer(view_, SlaveAddressDialog::kScanTimer);
      const int asked = dialog_.scan().current_address();
      if (asked == 3) fakes_.versions.Note(3, "VN1.00");
      if (asked == 4) fakes_.versions.Note(2, "VN0.90");
      fakes_.steady_clock.Advance(10ms);
    }
  };
  const int list = SlaveAddressDialog::kAnswerList;
  tick_until_asking(4);
  EXPECT_EQ(view_.Items(list), (Strings{"03  VN1.00"}));
  Choose(list, 0);
  tick_until_asking(6);
  EXPECT_EQ(view_.Items(list), (Strings{"02  VN0.90", "03  VN1.00"}));
  EXPECT_EQ(view_.SelectedText(list), "03  VN1.00");
  Choose(list, 0);
  EXPECT_EQ(fakes_.slave_address.load(), 2);
  Choose(list, 1);
  EXPECT_EQ(fakes_.slave_address.load(), 3);
  RunScan({});
  EXPECT_EQ(view_.Items(list), (Strings{"02  VN0.90", "03  VN1.00"}));
}

TEST_F(AddressScanDialogTest, FindsTheDevicesAndChoosingOneSetsTheAddress) {
  Open();
  EXPECT_TRUE(view_.Enabled(SlaveAddressDialog::kScanButton));
  Click(SlaveAddressDialog::kScanButton);
  EXPECT_EQ(view_.ControlText(SlaveAddressDialog::kScanButton), "停止");
  RunScan({3, 17});
  EXPECT_EQ(view_.Items(SlaveAddressDialog::kAnswerList),
            (Strings{"03  VN1.00", "17  VN1.00"}));
  EXPECT_EQ(view_.ControlText(SlaveAddressDialog::kScanButton), "検索");
  EXPECT_EQ(view_.ControlText(SlaveAddressDialog::kScanStatus),
            "応答した機器 2 台");
  EXPECT_EQ(view_.controls[SlaveAddressDialog::kScanProgress].progress_position,
            32);
  ASSERT_EQ(Lines().size(), 32u);
  EXPECT_EQ(Lines().front(), "00RVN\r\n");
  EXPECT_EQ(Lines().back(), "31RVN\r\n");
  // A scan of 32 addresses with two answering takes seconds, not minutes.
  EXPECT_LT(fakes_.steady_clock.Now(), 20s);
  EXPECT_EQ(fakes_.state.sequence_step, 0);

  Choose(SlaveAddressDialog::kAnswerList, 1);
  EXPECT_EQ(fakes_.slave_address.load(), 17);
  EXPECT_EQ(view_.SelectedText(kSlaveAddressCombo), "17");
}

TEST_F(AddressScanDialogTest, CanBeStoppedAndReportsSilence) {
  Open();
  Click(SlaveAddressDialog::kScanButton);
  RunScan({}, 120);
  Click(SlaveAddressDialog::kScanButton);  // 停止
  EXPECT_EQ(view_.timers.count(SlaveAddressDialog::kScanTimer), 0u);
  EXPECT_FALSE(dialog_.scan().running());
  EXPECT_EQ(view_.ControlText(SlaveAddressDialog::kScanStatus),
            "応答した機器はありません");
  EXPECT_LT(Lines().size(), 32u);
  EXPECT_EQ(fakes_.state.sequence_step, 0);
}

TEST_F(AddressScanDialogTest, NotOnRs232cNorWhileARunGoes) {
  fakes_.config.rs_control = 0;
  Open();
  EXPECT_FALSE(view_.Enabled(SlaveAddressDialog::kScanButton));
  Click(SlaveAddressDialog::kScanButton);
  EXPECT_TRUE(view_.timers.empty());

  fakes_.config.rs_control = 1;
  testing::FakeDialogView busy;
  dialog_.OnInit(busy);
  fakes_.state.sequence_step = 7;  // send-all is running
  busy.Click(dialog_, SlaveAddressDialog::kScanButton);
  EXPECT_TRUE(busy.timers.empty());
  EXPECT_TRUE(Lines().empty());
}

// ---- Traffic log window
// ------------------------------------------------------------

class TrafficLogWindowTest : public DialogFixture<TrafficLogDialog> {
 protected:
  void Tick() { dialog_.OnTimer(view_, TrafficLogDialog::kRefreshTimer); }
  TrafficLog& Log() { return fakes_.traffic_log; }
};

TEST_F(TrafficLogWindowTest, ShowsEveryLineWithItsMeaning) {
  Log().OnLineSent("ADON\r\n", false);
  Open();
  EXPECT_EQ(view_.caption, "通信ログ");
  EXPECT_EQ(view_.timers.at(TrafficLogDialog::kRefreshTimer), 200);
  ASSERT_EQ(view_.Items(TrafficLogDialog::kLineList).size(), 1u);
  Log().OnLineReceived("GO\r\n", false, false);
  Log().OnLineReceived("E3\r\n", false, false);
  Tick();
  const Strings rows = view_.Items(TrafficLogDialog::kLineList);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_NE(rows[0].find("\tTX\t\tADON<CR><LF>"), std::string::npos) << rows[0];
  EXPECT_NE(rows[1].find("\tRX\t\tGO<CR><LF>\tSuccess"), std::string::npos)
      << rows[1];
  EXPECT_NE(rows[2].find("Command Error"), std::string::npos) << rows[2];
  EXPECT_EQ(view_.controls[TrafficLogDialog::kLineList].shown_item, 2);
}

TEST_F(TrafficLogWindowTest, ClearPauseAndSave) {
  testing::ScratchFolder folder("vqx_traffic_window");
  Open();
  Log().OnLineSent("RVN\r\n", false);
  Tick();
  Click(TrafficLogDialog::kClear);
  EXPECT_TRUE(view_.Items(TrafficLogDialog::kLineList).empty());
  view_.Toggle(dialog_, TrafficLogDialog::kPause);
  Log().OnLineSent("RVN\r\n", false);
  Tick();
  EXPECT_TRUE(view_.Items(TrafficLogDialog::kLineList).empty());
  view_.Toggle(dialog_, TrafficLogDialog::kPause);
  Log().OnLineSent("AMI\r\n", false);
  Tick();
  EXPECT_EQ(view_.Items(TrafficLogDialog::kLineList).size(), 1u);

  fakes_.chooser.paths = {folder.PathOf("log.txt"), std::nullopt,
                          folder.PathOf("missing/log.txt")};
  Click(TrafficLogDialog::kSave);
  EXPECT_NE(folder.Contents("log.txt").find("AMI<CR><LF>\t\r\n"),
            std::string::npos)
      << folder.Contents("log.txt");
  Click(TrafficLogDialog::kSave);  // cancelled
  Click(TrafficLogDialog::kSave);  // no such folder
  EXPECT_EQ(fakes_.boxes.shown,
            (std::vector<Box>{{"warning", "Can't file open"}}));
  EXPECT_EQ(fakes_.chooser.modes.back(), FileChooserMode::kSaveLog);
}

TEST_F(TrafficLogWindowTest, KeepsOnlyWhatTheLogHolds) {
  Open();
  for (std::size_t i = 0; i < TrafficLog::kCapacity + 25; ++i) {
    Log().OnLineSent("RVN\r\n", false);
  }
  Tick();
  EXPECT_EQ(view_.Items(TrafficLogDialog::kLineList).size(),
            TrafficLog::kCapacity);
  for (int i = 0; i < 5; ++i) Log().OnLineSent("AMI\r\n", false);
  Tick();
  const Strings rows = view_.Items(TrafficLogDialog::kLineList);
  EXPECT_EQ(rows.size(), TrafficLog::kCapacity);
  EXPECT_NE(rows.back().find("AMI"), std::string::npos);
  Click(kIdClose);
  EXPECT_TRUE(view_.ended);
}

// ---- Comparison window
// ------------------------------------------------------------

// A row of a field no read-all reads says so, so that right after a
// read-all it is not taken for the device's value.
TEST(CompareDialogTest, RowsOfFieldsNotReadSaySo) {
  testing::FakeDialogView view;
  CompareDialog dialog(
      "site.dat",
      {{"alarm_mode", "0 (Internal)", "1 (External)", false,
        "アラーム / モード", "Internal", "External"},
       {"title_pos_x[ch.01]", "11", "12", /*not_read_by_read_all=*/true,
        "タイトルの表示位置（横） ch.01", "11", "12"}});
  dialog.OnInit(view);
  EXPECT_EQ(view.ControlText(CompareDialog::kFileName), "site.dat");
  EXPECT_EQ(view.Items(CompareDialog::kDifferenceList),
            (Strings{"アラーム / モード: Internal → External",
                     "タイトルの表示位置（横） ch.01: 11 → 12  "
                     "（機器から読み込まない項目）"}));
}

}  // namespace
}  // namespace vqx
