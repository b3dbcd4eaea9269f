// The alarm dialog: alarm mode, hold time, input polarity, on-screen display
// and return, each with its own set button.
#pragma once

#include <string_view>

#include "dialogs/dialog.h"
#include "dialogs/ids/alarm_ids.h"

namespace vqx {

class AlarmDialog : public Dialog {
 public:
  static constexpr int kTemplateId = IDD_ALARM;
  static constexpr std::string_view kHeading = "アラーム ";

  // Control ids of the template.
  static constexpr int kModeList = IDC_ALARM_MODE;
  static constexpr int kHoldTimeEdit = IDC_ALARM_HOLD_TIME;
  static constexpr int kPolarityList = IDC_ALARM_POLARITY;
  static constexpr int kDisplayList = IDC_ALARM_DISPLAY;
  static constexpr int kReturnList = IDC_ALARM_RETURN;
  static constexpr int kModeSet = IDC_ALARM_MODE_SET;
  static constexpr int kHoldTimeSet = IDC_ALARM_HOLD_TIME_SET;
  static constexpr int kPolaritySet = IDC_ALARM_POLARITY_SET;
  static constexpr int kDisplaySet = IDC_ALARM_DISPLAY_SET;
  static constexpr int kReturnSet = IDC_ALARM_RETURN_SET;
  // The hold time is at most three characters (decimal seconds).
  static constexpr int kHoldTimeCharacters = 3;

  explicit AlarmDialog(DialogServices& services) : services_(services) {}

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;

 private:
  // The edit box into the hold time; `by_user` counts it as a change to
  // save.
  void StoreHoldTime(DialogView& view, bool by_user);

  DialogServices& services_;
  // The dialog itself is putting the hold time into the edit box.
  bool filling_hold_time_ = false;
};

}  // namespace vqx
