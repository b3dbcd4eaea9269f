// The settings catalogue's words for people are the dialogs' own: each
// field's dialog is known by that dialog's heading, and each value reads as
// the item the dialog's list holds for it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/settings_report.h"
#include "dialogs/agc_dialog.h"
#include "dialogs/alarm_dialog.h"
#include "dialogs/auto_switching_dialog.h"
#include "dialogs/date_time_dialog.h"
#include "dialogs/display_channel_dialog.h"
#include "dialogs/other_settings_dialog.h"
#include "dialogs/title_dialog.h"
#include "dialogs/video_adjustment_dialog.h"
#include "dialogs/video_format_dialog.h"
#include "dialogs/video_loss_dialog.h"
#include "tests/support/fake_dialog_view.h"

namespace vqx {
namespace {

using testing::FakeDialogServices;
using testing::FakeDialogView;

using Maker = std::function<std::unique_ptr<Dialog>(DialogServices&)>;

template <class D>
Maker Make() {
  return [](DialogServices& services) { return std::make_unique<D>(services); };
}

template <std::size_t N>
std::vector<int> Lists(const std::array<ChannelRow, N>& rows) {
  std::vector<int> lists;
  for (const ChannelRow& row : rows) lists.push_back(row.list);
  return lists;
}

std::vector<int> Panes(int layout) {
  const auto& controls = DisplayChannelDialog::kLayouts[layout];
  return std::vector<int>(controls.panes.begin(),
                          controls.panes.begin() + controls.pane_count);
}

int AdjustmentList(int adjustment) {
  return VideoAdjustmentDialog::kAdjustments[adjustment].list;
}

struct Row {
  std::string field;
  Maker make;
  std::string_view heading;
  std::vector<int> lists;  // one per entry, or one for every entry
};

// The list's item without the blanks that pad it.
std::string Trimmed(std::string_view item) {
  while (item.starts_with(' ')) item.remove_prefix(1);
  for (;;) {
    if (item.ends_with(' ')) {
      item.remove_suffix(1);
    } else if (item.ends_with("　")) {
      item.remove_suffix(std::string_view("　").size());
    } else {
      return std::string(item);
    }
  }
}

std::string_view WithoutBlank(std::string_view heading) {
  while (heading.ends_with(' ')) heading.remove_suffix(1);
  return heading;
}

TEST(CatalogueWordsTest, AreTheDialogsHeadingsAndListItems) {
  using Other = OtherSettingsDialog;
  const Row rows[] = {
      {"alarm_mode",
       Make<AlarmDialog>(),
       AlarmDialog::kHeading,
       {AlarmDialog::kModeList}},
      {"alarm_polarity",
       Make<AlarmDialog>(),
       AlarmDialog::kHeading,
       {AlarmDialog::kPolarityList}},
      {"alarm_return",
       Make<AlarmDialog>(),
       AlarmDialog::kHeading,
       {AlarmDialog::kReturnList}},
      {"alarm_display",
       Make<AlarmDialog>(),
       AlarmDialog::kHeading,
       {AlarmDialog::kDisplayList}},
      {"vloss_detect", Make<VideoLossDialog>(), VideoLossDialog::kHeading,
       Lists(VideoLossDialog::kChannels)},
      {"vloss_display",
       Make<VideoLossDialog>(),
       VideoLossDialog::kHeading,
       {VideoLossDialog::kDisplayList}},
      {"vloss_signal_output",
       Make<VideoLossDialog>(),
       VideoLossDialog::kHeading,
       {VideoLossDialog::kSignalOutputList}},
      {"vloss_background",
       Make<VideoLossDialog>(),
       VideoLossDialog::kHeading,
       {VideoLossDialog::kBackgroundList}},
      {"clock_display",
       Make<DateTimeDialog>(),
       DateTimeDialog::kHeading,
       {DateTimeDialog::kDisplayList}},
      {"clock_display_range",
       Make<DateTimeDialog>(),
       DateTimeDialog::kHeading,
       {DateTimeDialog::kRangeList}},
      {"title_single_screen",
       Make<TitleDialog>(),
       TitleDialog::kHeading,
       {TitleDialog::kSingleScreenList}},
      {"title_split_screen",
       Make<TitleDialog>(),
       TitleDialog::kHeading,
       {TitleDialog::kSplitScreenList}},
      {"misc_osd_size_single",
       Make<Other>(),
       Other::kHeading,
       {Other::kOsdSizeSingleList}},
      {"misc_osd_size_split",
       Make<Other>(),
       Other::kHeading,
       {Other::kOsdSizeSplitList}},
      {"seq_mode",
       Make<AutoSwitchingDialog>(),
       AutoSwitchingDialog::kHeading,
       {AutoSwitchingDialog::kModeList}},
      {"seq_dwell",
       Make<AutoSwitchingDialog>(),
       AutoSwitchingDialog::kHeading,
       {AutoSwitchingDialog::kTimeList}},
      {"adjust_brightness",
       Make<VideoAdjustmentDialog>(),
       VideoAdjustmentDialog::kHeading,
       {AdjustmentList(0)}},
      {"adjust_contrast",
       Make<VideoAdjustmentDialog>(),
       VideoAdjustmentDialog::kHeading,
       {AdjustmentList(1)}},
      {"adjust_hue",
       Make<VideoAdjustmentDialog>(),
       VideoAdjustmentDialog::kHeading,
       {AdjustmentList(2)}},
      {"adjust_sharpness",
       Make<VideoAdjustmentDialog>(),
       VideoAdjustmentDialog::kHeading,
       {AdjustmentList(3)}},
      {"adjust_saturation",
       Make<VideoAdjustmentDialog>(),
       VideoAdjustmentDialog::kHeading,
       {AdjustmentList(4)}},
      {"misc_connector_input",
       Make<Other>(),
       Other::kHeading,
       {Other::kConnectorInputList}},
      {"misc_border_line",
       Make<Other>(),
       Other::kHeading,
       {Other::kBorderLineList}},
      {"misc_power_on_screen",
       Make<Other>(),
       Other::kHeading,
       {Other::kPowerOnScreenList}},
      {"format_video", Make<VideoFormatDialog>(), VideoFormatDialog::kHeading,
       Lists(VideoFormatDialog::kChannels)},
      {"misc_osd_offset_h",
       Make<Other>(),
       Other::kHeading,
       {Other::kOsdOffsetHList}},
      {"misc_osd_offset_v",
       Make<Other>(),
       Other::kHeading,
       {Other::kOsdOffsetVList}},
      {"layout_4a", Make<DisplayChannelDialog>(),
       DisplayChannelDialog::kHeading, Panes(0)},
      {"layout_4b", Make<DisplayChannelDialog>(),
       DisplayChannelDialog::kHeading, Panes(1)},
      {"layout_6a", Make<DisplayChannelDialog>(),
       DisplayChannelDialog::kHeading, Panes(2)},
      {"layout_6b", Make<DisplayChannelDialog>(),
       DisplayChannelDialog::kHeading, Panes(3)},
      {"layout_9", Make<DisplayChannelDialog>(), DisplayChannelDialog::kHeading,
       Panes(4)},
      {"misc_ntsc_aspect",
       Make<Other>(),
       Other::kHeading,
       {Other::kNtscAspectList}},
      {"agc_enable", Make<AgcDialog>(), AgcDialog::kHeading,
       Lists(AgcDialog::kChannels)},
  };
  std::size_t fields_with_lists = 0;
  for (const SettingsField& field : kSettingsCatalogue) {
    if (!field.shown.dialog.empty() && field.kind == FieldKind::kNumber) {
      ++fields_with_lists;
    }
  }
  EXPECT_EQ(std::size(rows), fields_with_lists);

  for (const Row& row : rows) {
    SCOPED_TRACE(row.field);
    const SettingsField* field = nullptr;
    for (const SettingsField& candidate : kSettingsCatalogue) {
      if (candidate.name == row.field) field = &candidate;
    }
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->shown.dialog, WithoutBlank(row.heading));

    FakeDialogServices fakes;
    FakeDialogView view;
    row.make(fakes.services)->OnInit(view);
    for (int entry = 0; entry < field->storage.entries; ++entry) {
      const int list = row.lists[row.lists.size() == 1 ? 0 : entry];
      const std::vector<std::string>& items = view.Items(list);
      ASSERT_TRUE(field->range);
      ASSERT_EQ(static_cast<int>(items.size()),
                field->range->high - field->range->low + 1);
      if (field->shown.style == ShownStyle::kChoice) {
        EXPECT_EQ(std::vector<std::string>(field->shown.choices.begin(),
                                           field->shown.choices.end()),
                  items);
      }
      const SettingsValue value{field, entry};
      DeviceSettings s;
      LoadDefaultSettings(s);
      for (int index = 0; index < static_cast<int>(items.size()); ++index) {
        FieldNumbers(*field, s)[entry] = field->range->low + index;
        EXPECT_EQ(SettingValueInWords(value, s, fakes.codec),
                  Trimmed(items[index]));
      }
    }
  }
}

// The auto switching dialog's entries are the labels of the dwell times.
TEST(CatalogueWordsTest, DwellTimesAreLabelledAsTheEntryListShowsThem) {
  FakeDialogServices fakes;
  FakeDialogView view;
  AutoSwitchingDialog(fakes.services).OnInit(view);
  const SettingsField& dwell = *SettingsValueNamed("seq_dwell[ch.01]")->field;
  EXPECT_EQ(std::vector<std::string>(dwell.shown.entries.begin(),
                                     dwell.shown.entries.end()),
            view.Items(AutoSwitchingDialog::kEntryList));
}

}  // namespace
}  // namespace vqx
