// The alarm dialog: alarm mode, hold time, input polarity, on-screen display
// and return, each with its own set button.
#pragma once

#include <string_view>

#include "dialogs/dialog.h"

namespace vqx {

class AlarmDialog : public Dialog {
 public:
  static constexpr int kTemplateId = 133;
  static constexpr std::string_view kHeading = "アラーム ";

  // Control ids of the template.
  static constexpr int kModeList = 1000;
  static constexpr int kHoldTimeEdit = 1001;
  static constexpr int kPolarityList = 1002;
  static constexpr int kDisplayList = 1003;
  static constexpr int kReturnList = 1004;
  static constexpr int kModeSet = 1006;
  static constexpr int kHoldTimeSet = 1007;
  static constexpr int kPolaritySet = 1008;
  static constexpr int kDisplaySet = 1009;
  static constexpr int kReturnSet = 1010;
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
