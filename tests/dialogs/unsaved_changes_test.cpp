// Which user actions in the settings dialogs count as unsaved work: every
// choice that changes a value the settings file keeps raises `dirty`; the
// same choice again, the dialog's own filling of its controls (an edit box
// reports that as an edit), the set buttons and the lists of values the
// file does not keep do not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
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
#include "tests/support/fake_dialog_view.h"

namespace vqx {
namespace {

using testing::FakeDialogServices;
using testing::FakeDialogView;

// A control whose change the file keeps, and the set button beside it.
struct Storing {
  int control;
  int set;
  const char* typed = nullptr;  // an edit box: a text other than the stored
};

struct DirtyCase {
  std::string name;
  std::function<std::unique_ptr<Dialog>(DialogServices&)> make;
  std::set<int> edits;
  std::vector<Storing> storing;
};

void PrintTo(const DirtyCase& c, std::ostream* out) { *out << c.name; }

template <class D>
std::function<std::unique_ptr<Dialog>(DialogServices&)> Maker() {
  return [](DialogServices& services) { return std::make_unique<D>(services); };
}

std::vector<Storing> Rows(const ChannelRows& rows) {
  std::vector<Storing> storing;
  for (const ChannelRow& row : rows) storing.push_back({row.list, row.set});
  return storing;
}

std::vector<Storing> Panes() {
  std::vector<Storing> storing;
  for (const auto& layout : DisplayChannelDialog::kLayouts) {
    for (int pane = 0; pane < layout.pane_count; ++pane) {
      storing.push_back({layout.panes[pane], layout.set});
    }
  }
  return storing;
}

std::vector<Storing> Adjustments() {
  std::vector<Storing> storing;
  for (const auto& row : VideoAdjustmentDialog::kAdjustments) {
    storing.push_back({row.list, row.set});
  }
  return storing;
}

std::vector<Storing> WithCommon(std::vector<Storing> storing, Storing common) {
  storing.push_back(common);
  return storing;
}

using A = AlarmDialog;
using D = DateTimeDialog;
using O = OtherSettingsDialog;
using S = AutoSwitchingDialog;
using T = TitleDialog;
using V = VideoLossDialog;

const DirtyCase kCases[] = {
    {"Alarm",
     Maker<A>(),
     {A::kHoldTimeEdit},
     {{A::kModeList, A::kModeSet},
      {A::kPolarityList, A::kPolaritySet},
      {A::kDisplayList, A::kDisplaySet},
      {A::kReturnList, A::kReturnSet},
      {A::kHoldTimeEdit, A::kHoldTimeSet, "45"}}},
    {"VideoLoss",
     Maker<V>(),
     {},
     WithCommon(WithCommon(WithCommon(Rows(V::kChannels),
                                      {V::kBackgroundList, V::kBackgroundSet}),
                           {V::kDisplayList, V::kDisplaySet}),
                {V::kSignalOutputList, V::kSignalOutputSet})},
    {"DateTime",
     Maker<D>(),
     {},
     {{D::kRangeList, D::kRangeSet}, {D::kDisplayList, D::kDisplaySet}}},
    {"AutoSwitching",
     Maker<S>(),
     {},
     {{S::kTimeList, S::kTimesSet},
      {S::kCommonList, S::kTimesSet},
      {S::kModeList, S::kModeSet}}},
    {"VideoFormat",
     Maker<VideoFormatDialog>(),
     {},
     WithCommon(Rows(VideoFormatDialog::kChannels),
                {VideoFormatDialog::kCommonList, VideoFormatDialog::kSetAll})},
    {"Agc", Maker<AgcDialog>(), {}, Rows(AgcDialog::kChannels)},
    {"Title",
     Maker<T>(),
     {T::kTitleEdit},
     {{T::kTitleEdit, T::kTitleSet, "ＡＢ"},
      {T::kSingleScreenList, T::kSingleScreenSet},
      {T::kSplitScreenList, T::kSplitScreenSet}}},
    {"DisplayChannel", Maker<DisplayChannelDialog>(), {}, Panes()},
    {"OtherSettings",
     Maker<O>(),
     {},
     {{O::kConnectorInputList, O::kConnectorInputSet},
      {O::kPowerOnScreenList, O::kPowerOnScreenSet},
      {O::kBorderLineList, O::kBorderLineSet},
      {O::kOsdOffsetHList, O::kOsdOffsetHSet},
      {O::kOsdOffsetVList, O::kOsdOffsetVSet},
      {O::kOsdSizeSingleList, O::kOsdSizeSingleSet},
      {O::kOsdSizeSplitList, O::kOsdSizeSplitSet},
      {O::kNtscAspectList, O::kNtscAspectSet}}},
    {"VideoAdjustment", Maker<VideoAdjustmentDialog>(), {}, Adjustments()},
    {"SlaveAddress", Maker<SlaveAddressDialog>(), {}, {}},
};

class UnsavedChangesTest : public ::testing::TestWithParam<DirtyCase> {
 protected:
  // A dialog on fresh services, its edit boxes reporting every change of
  // their text. The record holds a title without its padding, which the
  // title dialog pads as it shows it: a change, but not the user's.
  struct Opened {
    std::unique_ptr<FakeDialogServices> fakes =
        std::make_unique<FakeDialogServices>();
    std::unique_ptr<Dialog> dialog;
    FakeDialogView view;

    bool Dirty() { return fakes->core.settings.Snapshot().dirty != 0; }
  };

  std::unique_ptr<Opened> Open() {
    auto opened = std::make_unique<Opened>();
    opened->fakes->core.config.rs_control = 1;
    opened->fakes->core.settings.Update([](DeviceSettings& s) {
      std::memset(s.title_text[0], 0, sizeof s.title_text[0]);
      std::memcpy(s.title_text[0], "AB", 2);
    });
    opened->dialog = GetParam().make(opened->fakes->services);
    opened->view.ReportEditChanges(*opened->dialog, GetParam().edits);
    opened->dialog->OnInit(opened->view);
    return opened;
  }
};

TEST_P(UnsavedChangesTest, OnlyTheUsersChangeOfAStoredValueCounts) {
  for (const Storing& storing : GetParam().storing) {
    SCOPED_TRACE(storing.control);
    std::unique_ptr<Opened> opened = Open();
    FakeDialogView& view = opened->view;
    Dialog& dialog = *opened->dialog;
    EXPECT_FALSE(opened->Dirty()) << "filling the dialog";

    const DeviceSettings before = opened->fakes->core.settings.Snapshot();
    if (storing.typed == nullptr) {
      view.Choose(dialog, storing.control, view.SelectedItem(storing.control));
    } else {
      view.Type(dialog, storing.control, view.ControlText(storing.control));
    }
    EXPECT_FALSE(opened->Dirty()) << "the same choice again";

    view.Click(dialog, storing.set);
    EXPECT_FALSE(opened->Dirty()) << "the set button";
    // It did its work (a line, or the box of a check that refused).
    EXPECT_TRUE(!opened->fakes->sink.lines.empty() ||
                !opened->fakes->boxes.shown.empty());

    if (storing.typed == nullptr) {
      const int count = view.ItemCount(storing.control);
      ASSERT_GE(count, 2);
      view.Choose(dialog, storing.control,
                  (view.SelectedItem(storing.control) + 1) % count);
    } else {
      view.Type(dialog, storing.control, storing.typed);
    }
    EXPECT_TRUE(opened->Dirty()) << "a new choice";
    EXPECT_FALSE(
        SameSavedSettings(before, opened->fakes->core.settings.Snapshot()));
  }
}

// Every other list of the dialog (the slave address, which channel or entry
// is shown, the clock, the button lock) changes nothing the file keeps. A
// list that stores but is missing from the table above fails here too.
TEST_P(UnsavedChangesTest, OtherListsChangeNothingTheFileKeeps) {
  std::unique_ptr<Opened> opened = Open();
  FakeDialogView& view = opened->view;
  std::set<int> storing;
  for (const Storing& s : GetParam().storing) storing.insert(s.control);
  std::vector<int> lists;
  for (const auto& [id, control] : view.controls) {
    if (control.items.size() >= 2 && storing.count(id) == 0) {
      lists.push_back(id);
    }
  }
  for (int list : lists) {
    SCOPED_TRACE(list);
    const DeviceSettings before = opened->fakes->core.settings.Snapshot();
    const int count = view.ItemCount(list);
    view.Choose(*opened->dialog, list,
                (std::max(view.SelectedItem(list), 0) + 1) % count);
    EXPECT_FALSE(opened->Dirty());
    EXPECT_TRUE(
        SameSavedSettings(before, opened->fakes->core.settings.Snapshot()));
  }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, UnsavedChangesTest,
                         ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DirtyCase>& info) {
                           return info.param.name;
                         });

// What counts as a change of the file's values: not the flag itself, not
// the bytes behind the end of a text.
TEST(SameSavedSettingsTest, ComparesWhatTheFileKeeps) {
  struct Case {
    const char* name;
    std::function<void(DeviceSettings&)> change;
    bool same;
  };
  const Case cases[] = {
      {"nothing", [](DeviceSettings&) {}, true},
      {"the flag", [](DeviceSettings& s) { s.dirty = 1; }, true},
      {"bytes behind a title",
       [](DeviceSettings& s) { s.title_text[7][21] = 'x'; }, true},
      {"a shorter hold time",
       [](DeviceSettings& s) { s.alarm_hold_time[2] = '\0'; }, false},
      {"a title", [](DeviceSettings& s) { s.title_text[3][0] = 'x'; }, false},
      {"a field no dialog edits", [](DeviceSettings& s) { s.layout_2[1] = 5; },
       false},
      {"the last field", [](DeviceSettings& s) { s.agc_enable[7] = 0; }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeviceSettings a;
    LoadDefaultSettings(a);
    DeviceSettings b = a;
    c.change(b);
    EXPECT_EQ(SameSavedSettings(a, b), c.same);
  }
}

}  // namespace
}  // namespace vqx
