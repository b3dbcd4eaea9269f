// The other settings dialog: nine independent display options, each with
// its own list and set button.
#pragma once

#include <string_view>

#include "dialogs/dialog.h"

namespace vqx {

class OtherSettingsDialog : public Dialog {
 public:
  static constexpr int kTemplateId = 141;
  static constexpr std::string_view kHeading = "その他 ";

  static constexpr int kConnectorInputList = 1066;
  static constexpr int kConnectorInputSet = 1093;
  static constexpr int kPowerOnScreenList = 1068;
  static constexpr int kPowerOnScreenSet = 1095;
  static constexpr int kBorderLineList = 1070;
  static constexpr int kBorderLineSet = 1094;
  static constexpr int kOsdOffsetHList = 1074;
  static constexpr int kOsdOffsetHSet = 1097;
  static constexpr int kOsdOffsetVList = 1077;
  static constexpr int kOsdOffsetVSet = 1099;
  static constexpr int kOsdSizeSingleList = 1080;
  static constexpr int kOsdSizeSingleSet = 1101;
  static constexpr int kOsdSizeSplitList = 1083;
  static constexpr int kOsdSizeSplitSet = 11003;
  static constexpr int kButtonLockList = 1071;
  static constexpr int kButtonLockSet = 1096;
  static constexpr int kNtscAspectList = 1072;
  static constexpr int kNtscAspectSet = 1098;
  // The OSD offset lists hold "00" .. "15".
  static constexpr int kOsdOffsetItems = 16;

  explicit OtherSettingsDialog(DialogServices& services)
      : services_(services) {}

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;

 private:
  DialogServices& services_;
};

}  // namespace vqx
