// The date and time dialog: the device clock, field by field or all at
// once from the lists (which open on the PC's local time), the device's own
// 30-second correction, and the on-screen date/time display.
#pragma once

#include <string_view>

#include "dialogs/dialog.h"
#include "protocol/date_time.h"

namespace vqx {

class DateTimeDialog : public Dialog {
 public:
  static constexpr int kTemplateId = 135;
  static constexpr std::string_view kHeading = "日付・時刻 ";

  static constexpr int kYearList = 1021;
  static constexpr int kMonthList = 1023;
  static constexpr int kDayList = 1025;
  static constexpr int kHourList = 1026;
  static constexpr int kMinuteList = 1027;
  static constexpr int kSecondList = 1028;
  static constexpr int kYearSet = 1032;
  static constexpr int kMonthSet = 1033;
  static constexpr int kDaySet = 1034;
  static constexpr int kHourSet = 1035;
  static constexpr int kMinuteSet = 1036;
  static constexpr int kSecondSet = 1038;
  static constexpr int kRangeList = 1030;
  static constexpr int kRangeSet = 1040;
  static constexpr int kDisplayList = 1031;
  static constexpr int kDisplaySet = 1037;
  static constexpr int kCorrectionSet = 1041;
  static constexpr int kDateTimeSet = 1122;

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
