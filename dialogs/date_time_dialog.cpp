#include "dialogs/date_time_dialog.h"

#include <array>
#include <string>

#include "dialogs/conventions.h"

namespace vqx {
namespace {

// A full-width blank stands where a part of the date or time is left out.
constexpr std::array<std::string_view, 8> kRangeItems = {
    "年月日時分秒", "年月日時分　", "年月日　　　", "　月日時分秒",
    "　月日時分　", "　月日　　　", "　　　時分秒", "　　　時分　"};
// Here ON carries its blank behind.
constexpr std::array<std::string_view, 2> kDisplayItems = {"OFF", "ON "};

// `count` items, item i reading `first` + i without leading zeros.
void FillNumbers(DialogView& view, int control, int first, int count) {
  for (int i = 0; i < count; ++i) {
    view.InsertItem(control, i, std::to_string(first + i));
  }
}

std::optional<int> Selected(DialogView& view, int control) {
  const int index = view.SelectedItem(control);
  if (index == kNoSelection || index < 0) return std::nullopt;
  return index;
}

}  // namespace

void DateTimeDialog::OnInit(DialogView& view) {
  // Read once: the lists do not follow the running clock.
  const LocalTime now = services_.platform.clock.Now();
  const DeviceSettings settings = services_.settings.Snapshot();
  FillNumbers(view, kYearList, kFirstYear, kClockYearItems);
  FillNumbers(view, kMonthList, 1, kClockMonthItems);
  FillNumbers(view, kDayList, 1, kClockDayItems);
  FillNumbers(view, kHourList, 0, kClockHourItems);
  FillNumbers(view, kMinuteList, 0, kClockMinuteItems);
  FillNumbers(view, kSecondList, 0, kClockSecondItems);
  FillList(view, kRangeList, kRangeItems);
  FillList(view, kDisplayList, kDisplayItems);
  FillSlaveAddressCombo(view);
  ApplySlaveAddressRule(view, services_.device.config,
                        services_.device.slave_address.load());
  // A PC year outside 2000..2099 leaves the year list without a selection.
  view.SelectItem(kYearList, now.year - kFirstYear);
  view.SelectItem(kMonthList, now.month - 1);
  view.SelectItem(kDayList, now.day - 1);
  view.SelectItem(kHourList, now.hour);
  view.SelectItem(kMinuteList, now.minute);
  view.SelectItem(kSecondList, now.second);
  Preselect(view, kRangeList, settings.clock_display_range);
  Preselect(view, kDisplayList, settings.clock_display);
  ApplyDialogCaption(view, services_.device.config, kHeading);
}

ClockSelection DateTimeDialog::ChosenClock(DialogView& view) const {
  return {Selected(view, kYearList),   Selected(view, kMonthList),
          Selected(view, kDayList),    Selected(view, kHourList),
          Selected(view, kMinuteList), Selected(view, kSecondList)};
}

void DateTimeDialog::OnCommand(DialogView& view, int control,
                               ControlNotification notification) {
  if (HandleSlaveAddressChange(view, control, notification,
                               services_.device.slave_address) ||
      HandleClose(view, control, notification, CloseIds::kOkAndClose)) {
    return;
  }
  if (control == kRangeList) {
    StoreChoice(view, control, notification, services_.settings,
                &DeviceSettings::clock_display_range);
    return;
  }
  if (control == kDisplayList) {
    StoreChoice(view, control, notification, services_.settings,
                &DeviceSettings::clock_display);
    return;
  }
  // The clock lists store nothing; the buttons read them when pressed, and
  // a list without a selected item sends nothing.
  if (notification != ControlNotification::kClicked) return;
  CommandSink& sink = services_.device.sink;
  switch (control) {
    case kYearSet:
      SendClockYear(sink, Selected(view, kYearList));
      return;
    case kMonthSet:
      SendClockMonth(sink, Selected(view, kMonthList));
      return;
    case kDaySet:
      SendClockDay(sink, Selected(view, kDayList));
      return;
    case kHourSet:
      SendClockHour(sink, Selected(view, kHourList));
      return;
    case kMinuteSet:
      SendClockMinute(sink, Selected(view, kMinuteList));
      return;
    case kSecondSet:
      SendClockSecond(sink, Selected(view, kSecondList));
      return;
    case kDateTimeSet:
      SendClockDateTime(sink, ChosenClock(view));
      return;
    case kCorrectionSet:
      SendClockCorrection(sink);
      return;
    case kRangeSet:
      SendClockDisplayRange(sink, services_.settings.Snapshot());
      return;
    case kDisplaySet:
      SendClockDisplay(sink, services_.settings.Snapshot());
      return;
    default:
      return;
  }
}

}  // namespace vqx
