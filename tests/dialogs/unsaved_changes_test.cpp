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

// A control whose change the file keeps, with its set button; `typed`, for
// an edit box, is a text other than the stored one.
struct Storing {
  int control;
  int set;
  const char* typed = nullptr;
};

struct DirtyCase {
  const char* name;
  std::function<std::unique_ptr<Dialog>(DialogServices&)> make;
  std::set<int> edits;
  std::vector<Storing> storing;
};
void PrintTo(const DirtyCase& c, std::ostream* out) { *out << c.name; }

template <class D>
std::function<std::unique_ptr<Dialog>(DialogServices&)> Maker() {
  return [](DialogServices& s) { return std::make_unique<D>(s); };
}

template <class Rows>
std::vector<Storing> Listed(const Rows& rows, std::vector<Storing> more = {}) {
  for (const auto& row : rows) more.push_back({row.list, row.set});
  return more;
}

std::vector<Storing> Panes() {
  std::vector<Storing> panes;
  for (const auto& layout : DisplayChannelDialog::kLayouts) {
    for (int p = 0; p < layout.pane_count; ++p) {
      panes.push_back({layout.panes[p], layout.set});
    }
  }
  return panes;
}

using A = AlarmDialog;
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
     Listed(V::kChannels, {{V::kBackgroundList, V::kBackgroundSet},
                           {V::kDisplayList, V::kDisplaySet},
                           {V::kSignalOutputList, V::kSignalOutputSet}})},
    {"DateTime",
     Maker<DateTimeDialog>(),
     {},
     {{DateTimeDialog::kRangeList, DateTimeDialog::kRangeSet},
      {DateTimeDialog::kDisplayList, DateTimeDialog::kDisplaySet}}},
    {"AutoSwitching",
     Maker<S>(),
     {},
     {{S::kTimeList, S::kTimesSet},
      {S::kCommonList, S::kTimesSet},
      {S::kModeList, S::kModeSet}}},
    {"VideoFormat",
     Maker<VideoFormatDialog>(),
     {},
     Listed(VideoFormatDialog::kChannels,
            {{VideoFormatDialog::kCommonList, VideoFormatDialog::kSetAll}})},
    {"Agc", Maker<AgcDialog>(), {}, Listed(AgcDialog::kChannels)},
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
    {"VideoAdjustment",
     Maker<VideoAdjustmentDialog>(),
     {},
     Listed(VideoAdjustmentDialog::kAdjustments)},
    {"SlaveAddress", Maker<SlaveAddressDialog>(), {}, {}},
};

// A dialog opened on fresh services, its edit boxes reporting every change
// of their text. The first title lacks its padding, which the title dialog
// adds as it shows it: a change, but not the user's.
struct Opened {
  explicit Opened(const DirtyCase& c) {
    fakes.core.config.rs_control = 1;
    fakes.core.settings.Update([](DeviceSettings& s) {
      std::memset(s.title_text[0], 0, sizeof s.title_text[0]);
      std::memcpy(s.title_text[0], "AB", 2);
    });
    dialog = c.make(fakes.services);
    view.ReportEditChanges(*dialog, c.edits);
    dialog->OnInit(view);
  }
  bool Dirty() { return fakes.core.settings.Snapshot().dirty != 0; }
  // Picks the item after the selected one.
  void ChooseAnother(int list) {
    view.Choose(
        *dialog, list,
        (std::max(view.SelectedItem(list), 0) + 1) % view.ItemCount(list));
  }

  FakeDialogServices fakes;
  std::unique_ptr<Dialog> dialog;
  FakeDialogView view;
};

class UnsavedChangesTest : public ::testing::TestWithParam<DirtyCase> {};

TEST_P(UnsavedChangesTest, OnlyTheUsersChangeOfAStoredValueCounts) {
  for (const Storing& storing : GetParam().storing) {
    SCOPED_TRACE(storing.control);
    Opened d(GetParam());
    EXPECT_FALSE(d.Dirty()) << "filling the dialog";
    if (storing.typed == nullptr) {
      d.view.Choose(*d.dialog, storing.control,
                    d.view.SelectedItem(storing.control));
    } else {
      d.view.Type(*d.dialog, storing.control,
                  d.view.ControlText(storing.control));
    }
    EXPECT_FALSE(d.Dirty()) << "the same choice again";
    d.view.Click(*d.dialog, storing.set);
    EXPECT_FALSE(d.Dirty()) << "the set button";
    // It did its work: a line, or the box of a check that refused.
    EXPECT_FALSE(d.fakes.sink.lines.empty() && d.fakes.boxes.shown.empty());
    if (storing.typed == nullptr) {
      d.ChooseAnother(storing.control);
    } else {
      d.view.Type(*d.dialog, storing.control, storing.typed);
    }
    EXPECT_TRUE(d.Dirty()) << "a new choice";
  }
}

// Every other list (slave address, which channel or entry is shown, the
// clock, the button lock) changes nothing the file keeps; a list that does
// but is missing from the table above fails here.
TEST_P(UnsavedChangesTest, OtherListsChangeNothingTheFileKeeps) {
  Opened d(GetParam());
  std::set<int> storing;
  for (const Storing& s : GetParam().storing) storing.insert(s.control);
  std::vector<int> lists;
  for (const auto& [id, control] : d.view.controls) {
    if (control.items.size() >= 2 && storing.count(id) == 0)
      lists.push_back(id);
  }
  for (int list : lists) {
    SCOPED_TRACE(list);
    const DeviceSettings before = d.fakes.core.settings.Snapshot();
    d.ChooseAnother(list);
    EXPECT_FALSE(d.Dirty());
    EXPECT_TRUE(SameSavedSettings(before, d.fakes.core.settings.Snapshot()));
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
