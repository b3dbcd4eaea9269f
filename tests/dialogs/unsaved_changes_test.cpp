// Which user actions in the settings dialogs count as unsaved work: a choice
// or an edit that changes a value the settings file keeps raises `dirty`;
// the same choice again, the dialog's own filling of its controls (an edit
// box reports that as an edit), the set buttons and the lists of values the
// file does not keep (slave address, selections, clock, button lock) do not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "dialogs/agc_dialog.h"
#include "dialogs/alarm_dialog.h"
#include "dialogs/auto_switching_dialog.h"
#include "dialogs/conventions.h"
#include "dialogs/date_time_dialog.h"
#include "dialogs/display_channel_dialog.h"
#include "dialogs/other_settings_dialog.h"
#include "dialogs/slave_address_dialog.h"
#include "dialogs/title_dialog.h"
#include "dialogs/video_adjustment_dialog.h"
#include "dialogs/video_format_dialog.h"
#include "dialogs/video_loss_dialog.h"
#include "tests/support/dialog_fixture.h"
#include "tests/support/fake_dialog_view.h"

namespace vqx {
namespace {

struct DirtyCase {
  const char* name;
  std::function<std::unique_ptr<Dialog>(DialogServices&)> make;
  int storing_lists;                      // lists whose choice the file keeps
  std::map<int, const char*> edits = {};  // edit box -> a new text
};
void PrintTo(const DirtyCase& c, std::ostream* out) { *out << c.name; }

using testing::Maker;

const DirtyCase kCases[] = {
    {"Alarm", Maker<AlarmDialog>(), 4, {{AlarmDialog::kHoldTimeEdit, "45"}}},
    {"VideoLoss", Maker<VideoLossDialog>(), 11},
    {"DateTime", Maker<DateTimeDialog>(), 2},
    {"AutoSwitching", Maker<AutoSwitchingDialog>(), 3},  // time, common, mode
    {"VideoFormat", Maker<VideoFormatDialog>(), 9},      // 8 channels, common
    {"Agc", Maker<AgcDialog>(), 8},
    {"Title", Maker<TitleDialog>(), 2, {{TitleDialog::kTitleEdit, "ＡＢ"}}},
    {"DisplayChannel", Maker<DisplayChannelDialog>(), 28},  // every pane
    {"OtherSettings", Maker<OtherSettingsDialog>(), 8},
    {"VideoAdjustment", Maker<VideoAdjustmentDialog>(), 5},
    {"SlaveAddress", Maker<SlaveAddressDialog>(), 0},
};

class UnsavedChangesTest : public ::testing::TestWithParam<DirtyCase> {
 protected:
  bool Dirty() { return fakes_.settings.Snapshot().dirty != 0; }

  testing::FakeDialogServices fakes_;
  testing::FakeDialogView view_;
};

TEST_P(UnsavedChangesTest, OnlyTheUsersChangeOfAStoredValueCounts) {
  fakes_.config.rs_control = 1;
  // The first title lacks its padding, which the title dialog adds as it
  // shows it: a change, but not the user's.
  fakes_.settings.Update([](DeviceSettings& s) {
    std::memset(s.title_text[0], 0, sizeof s.title_text[0]);
    std::memcpy(s.title_text[0], "AB", 2);
  });
  std::unique_ptr<Dialog> dialog = GetParam().make(fakes_.services);
  std::set<int> edits;
  for (const auto& [edit, text] : GetParam().edits) edits.insert(edit);
  view_.ReportEditChanges(*dialog, edits);
  dialog->OnInit(view_);
  EXPECT_FALSE(Dirty()) << "filling the dialog";

  std::vector<int> lists;
  for (const auto& [id, control] : view_.controls) {
    if (control.items.size() >= 2) lists.push_back(id);
  }
  for (int list : lists) view_.Choose(*dialog, list, view_.SelectedItem(list));
  for (const auto& [edit, text] : GetParam().edits) {
    view_.Type(*dialog, edit, view_.ControlText(edit));
  }
  EXPECT_FALSE(Dirty()) << "the same choices again";
  for (int id = 1000; id <= 1200; ++id) view_.Click(*dialog, id);
  EXPECT_EQ(fakes_.sink.lines.empty(), GetParam().storing_lists == 0);
  EXPECT_FALSE(Dirty()) << "the set buttons";

  int storing = 0;
  for (int list : lists) {
    SCOPED_TRACE(list);
    const DeviceSettings before = fakes_.settings.Snapshot();
    const int count = view_.ItemCount(list);
    view_.Choose(*dialog, list,
                 (std::max(view_.SelectedItem(list), 0) + 1) % count);
    const bool changed = !SameSavedSettings(before, fakes_.settings.Snapshot());
    EXPECT_EQ(Dirty(), changed);
    storing += changed ? 1 : 0;
    fakes_.settings.Update([](DeviceSettings& s) { s.dirty = 0; });
  }
  EXPECT_EQ(storing, GetParam().storing_lists);
  for (const auto& [edit, text] : GetParam().edits) {
    view_.Type(*dialog, edit, text);
    EXPECT_TRUE(Dirty()) << "a new text";
  }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, UnsavedChangesTest,
                         ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DirtyCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(SameSavedSettingsTest, IgnoresTheFlagAndBytesBehindATextsEnd) {
  DeviceSettings a;
  LoadDefaultSettings(a);
  DeviceSettings b = a;
  b.dirty = 1;
  b.title_text[7][21] = 'x';  // behind the terminator of a 20-byte title
  EXPECT_TRUE(SameSavedSettings(a, b));
  b.layout_2[1] = 5;  // filed, though no dialog edits it
  EXPECT_FALSE(SameSavedSettings(a, b));
}

}  // namespace
}  // namespace vqx
