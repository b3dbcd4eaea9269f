// What every settings dialog shares, checked on each of them through the
// fake view: the caption rule, the slave-address rule, the ids that close
// it, and that opening or closing sends nothing and raises no flag.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "dialogs/agc_dialog.h"
#include "dialogs/alarm_dialog.h"
#include "dialogs/auto_switching_dialog.h"
#include "dialogs/conventions.h"
#include "dialogs/date_time_dialog.h"
#include "dialogs/display_channel_dialog.h"
#include "dialogs/other_settings_dialog.h"
#include "dialogs/read_all_dialog.h"
#include "dialogs/send_all_dialog.h"
#include "dialogs/slave_address_dialog.h"
#include "dialogs/title_dialog.h"
#include "dialogs/video_adjustment_dialog.h"
#include "dialogs/video_format_dialog.h"
#include "dialogs/video_loss_dialog.h"
#include "tests/support/dialog_fixture.h"
#include "tests/support/fake_dialog_view.h"

namespace vqx {
namespace {

using testing::FakeDialogServices;
using testing::FakeDialogView;

struct DialogCase {
  std::string name;
  std::function<std::unique_ptr<Dialog>(DialogServices&)> make;
  int template_id;
  std::string heading;
  bool enter_closes;
  bool address_list_always_usable = false;  // the slave address dialog
  std::size_t address_items = 33;           // 32: no broadcast to read from
};

using testing::Maker;

const DialogCase kDialogs[] = {
    {"Alarm", Maker<AlarmDialog>(), 133, "アラーム ", true},
    {"VideoLoss", Maker<VideoLossDialog>(), 134, "ビデオロス ", true},
    {"DateTime", Maker<DateTimeDialog>(), 135, "日付・時刻 ", true},
    {"AutoSwitching", Maker<AutoSwitchingDialog>(), 138, "自動切換え ", false},
    {"DisplayChannel", Maker<DisplayChannelDialog>(), 139, "表示チャンネル ",
     true},
    {"VideoAdjustment", Maker<VideoAdjustmentDialog>(), 140,
     "ビデオ映像の調整 ", true},
    {"OtherSettings", Maker<OtherSettingsDialog>(), 141, "その他 ", false},
    {"SlaveAddress", Maker<SlaveAddressDialog>(), 142,
     "機器のスレーブアドレス ", false, true},
    {"VideoFormat", Maker<VideoFormatDialog>(), 148, "ビデオフォーマット ",
     true},
    {"Agc", Maker<AgcDialog>(), 150, "オート・ゲイン・コントロール ", true},
    {"Title", Maker<TitleDialog>(), 136, "タイトル ", false},
    {"SendAll", Maker<SendAllDialog>(), 143, "全項目の設定", false},
    {"ReadAll", Maker<ReadAllDialog>(), 145, "設定項目の読み込み", false, false,
     32},
};

class SettingsDialogTest : public ::testing::TestWithParam<DialogCase> {
 protected:
  std::unique_ptr<Dialog> Open(FakeDialogView& view) {
    std::unique_ptr<Dialog> dialog = GetParam().make(fakes_.services);
    dialog->OnInit(view);
    return dialog;
  }

  FakeDialogServices fakes_;
};

TEST_P(SettingsDialogTest, CaptionIsTheHeadingUnlessSelectNumberIsMinusOne) {
  FakeDialogView view;
  std::unique_ptr<Dialog> dialog = Open(view);
  EXPECT_EQ(dialog->template_id(), GetParam().template_id);
  EXPECT_EQ(view.caption, GetParam().heading);

  fakes_.config.select_number = -1;
  FakeDialogView kept;
  Open(kept);
  EXPECT_EQ(kept.caption, "");  // the template's caption stays

  fakes_.config.select_number = 97;  // names no device entry
  FakeDialogView unknown;
  Open(unknown);
  EXPECT_EQ(unknown.caption, "");
}

TEST_P(SettingsDialogTest, SlaveAddressListFollowsTheWiring) {
  fakes_.slave_address = 7;
  FakeDialogView rs232c;
  Open(rs232c);
  EXPECT_EQ(rs232c.Items(kSlaveAddressCombo).size(), GetParam().address_items);
  if (GetParam().address_list_always_usable) {
    EXPECT_TRUE(rs232c.Enabled(kSlaveAddressCombo));
    EXPECT_EQ(rs232c.SelectedText(kSlaveAddressCombo), "07");
  } else {
    EXPECT_FALSE(rs232c.Enabled(kSlaveAddressCombo));
    EXPECT_EQ(rs232c.SelectedItem(kSlaveAddressCombo), kNoSelection);
  }
  // Any non-zero wiring is RS-485, as the line takes it.
  for (int rs_control : {1, 2}) {
    fakes_.config.rs_control = rs_control;
    FakeDialogView rs485;
    std::unique_ptr<Dialog> dialog = Open(rs485);
    EXPECT_TRUE(rs485.Enabled(kSlaveAddressCombo));
    EXPECT_EQ(rs485.SelectedText(kSlaveAddressCombo), "07");
    const int last = static_cast<int>(GetParam().address_items) - 1;
    rs485.Choose(*dialog, kSlaveAddressCombo, last);
    EXPECT_EQ(fakes_.slave_address.load(), last);
    fakes_.slave_address = 7;
  }
  EXPECT_EQ(rs232c.insert_errors, 0);
}

TEST_P(SettingsDialogTest, CloseEndsItEnterOnlyWhereItShould) {
  FakeDialogView view;
  std::unique_ptr<Dialog> dialog = Open(view);
  view.Click(*dialog, kIdOk);
  EXPECT_EQ(view.ended, GetParam().enter_closes);
  view.ended = false;
  view.Click(*dialog, kIdClose);
  EXPECT_TRUE(view.ended);
  EXPECT_EQ(view.end_result, kDialogClosed);

  FakeDialogView closed_by_box;
  dialog = Open(closed_by_box);
  dialog->OnClose(closed_by_box);
  EXPECT_TRUE(closed_by_box.ended);
}

TEST_P(SettingsDialogTest, OpeningAndClosingSendNothingAndLeaveTheFileClean) {
  FakeDialogView view;
  std::unique_ptr<Dialog> dialog = Open(view);
  dialog->OnTimer(view, 1);
  dialog->OnTimer(view, 3);
  dialog->OnPaint(view);
  view.Click(*dialog, kIdClose);
  EXPECT_TRUE(fakes_.sink.lines.empty());
  EXPECT_TRUE(fakes_.boxes.shown.empty());
  EXPECT_EQ(fakes_.settings.Snapshot().dirty, 0);
  EXPECT_EQ(fakes_.state.sequence_step, 0);
}

// A hand-edited settings file may hold anything: no list is indexed
// outside, and every button still sends a well-formed line or nothing.
TEST_P(SettingsDialogTest, OutOfRangeValuesNeverReachOutsideAList) {
  // Every int huge, then every int negative.
  for (unsigned char fill : {0x7F, 0x80}) {
    SCOPED_TRACE(static_cast<int>(fill));
    fakes_.settings.Update([fill](DeviceSettings& s) {
      std::memset(&s, fill, sizeof s);
      for (auto& title : s.title_text) title[0] = '\0';
      s.alarm_hold_time[0] = '\0';
    });
    fakes_.selections.selected_channel = fill == 0x7F ? 99 : -5;
    fakes_.selections.seq_selected_entry = fill == 0x7F ? 40 : -1;
    fakes_.selections.misc_button_lock = 9;
    fakes_.selections.format_common = -1;
    fakes_.sink.lines.clear();
    FakeDialogView view;
    std::unique_ptr<Dialog> dialog = Open(view);
    EXPECT_EQ(view.insert_errors, 0);
    for (auto& [id, control] : view.controls) {
      if (control.selection == kNoSelection) continue;
      EXPECT_LT(control.selection, static_cast<int>(control.items.size()))
          << id;
    }
    // Every button of the dialog pressed once.
    for (int id = 1006; id <= 11003; ++id) {
      if (id == 1200) id = 11003;
      view.Click(*dialog, id);
    }
    for (const std::string& line : fakes_.sink.lines) {
      EXPECT_TRUE(line.ends_with("\r\n")) << line;
      for (char c : line.substr(0, line.size() - 2)) {
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) << line;
      }
    }
    fakes_.state.sequence_step = 0;
  }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, SettingsDialogTest,
                         ::testing::ValuesIn(kDialogs),
                         [](const ::testing::TestParamInfo<DialogCase>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace vqx
