// The date and time dialog: the device clock, field by field or all at
// once from the lists (which open on the PC's local time), the device's own
// 30-second correction, and the on-screen date/time display.
#pragma once

#include <string_view>

#include "dialogs/dialog.h"
#include "dialogs/ids/date_time_ids.h"
#include "protocol/date_time.h"

namespace vqx {

class DateTimeDialog : public Dialog {
 public:
  static constexpr int kTemplateId = IDD_DATE_TIME;
  static constexpr std::string_view kHeading = "日付・時刻 ";

  static constexpr int kYearList = IDC_CLOCK_YEAR;
  static constexpr int kMonthList = IDC_CLOCK_MONTH;
  static constexpr int kDayList = IDC_CLOCK_DAY;
  static constexpr int kHourList = IDC_CLOCK_HOUR;
  static constexpr int kMinuteList = IDC_CLOCK_MINUTE;
  static constexpr int kSecondList = IDC_CLOCK_SECOND;
  static constexpr int kYearSet = IDC_CLOCK_YEAR_SET;
  static constexpr int kMonthSet = IDC_CLOCK_MONTH_SET;
  static constexpr int kDaySet = IDC_CLOCK_DAY_SET;
  static constexpr int kHourSet = IDC_CLOCK_HOUR_SET;
  static constexpr int kMinuteSet = IDC_CLOCK_MINUTE_SET;
  static constexpr int kSecondSet = IDC_CLOCK_SECOND_SET;
  static constexpr int kRangeList = IDC_CLOCK_RANGE;
  static constexpr int kRangeSet = IDC_CLOCK_RANGE_SET;
  static constexpr int kDisplayList = IDC_CLOCK_DISPLAY;
  static constexpr int kDisplaySet = IDC_CLOCK_DISPLAY_SET;
  static constexpr int kCorrectionSet = IDC_CLOCK_CORRECTION_SET;
  static constexpr int kDateTimeSet = IDC_CLOCK_DATE_TIME_SET;

  // The first year of the year list.
  static constexpr int kFirstYear = 2000;

  explicit DateTimeDialog(DialogServices& services) : services_(services) {}

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;

 private:
  // The six clock lists' selected items; a list without one gives nothing.
  ClockSelection ChosenClock(DialogView& view) const;

  DialogServices& services_;
};

}  // namespace vqx
