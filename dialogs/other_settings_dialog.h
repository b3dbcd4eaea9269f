// The other settings dialog: nine independent display options, each with
// its own list and set button.
#pragma once

#include <string_view>

#include "dialogs/dialog.h"
#include "dialogs/ids/other_settings_ids.h"

namespace vqx {

class OtherSettingsDialog : public Dialog {
 public:
  static constexpr int kTemplateId = IDD_OTHER_SETTINGS;
  static constexpr std::string_view kHeading = "その他 ";

  static constexpr int kConnectorInputList = IDC_OTHER_CONNECTOR_INPUT;
  static constexpr int kConnectorInputSet = IDC_OTHER_CONNECTOR_INPUT_SET;
  static constexpr int kPowerOnScreenList = IDC_OTHER_POWER_ON_SCREEN;
  static constexpr int kPowerOnScreenSet = IDC_OTHER_POWER_ON_SCREEN_SET;
  static constexpr int kBorderLineList = IDC_OTHER_BORDER_LINE;
  static constexpr int kBorderLineSet = IDC_OTHER_BORDER_LINE_SET;
  static constexpr int kOsdOffsetHList = IDC_OTHER_OSD_OFFSET_H;
  static constexpr int kOsdOffsetHSet = IDC_OTHER_OSD_OFFSET_H_SET;
  static constexpr int kOsdOffsetVList = IDC_OTHER_OSD_OFFSET_V;
  static constexpr int kOsdOffsetVSet = IDC_OTHER_OSD_OFFSET_V_SET;
  static constexpr int kOsdSizeSingleList = IDC_OTHER_OSD_SIZE_SINGLE;
  static constexpr int kOsdSizeSingleSet = IDC_OTHER_OSD_SIZE_SINGLE_SET;
  static constexpr int kOsdSizeSplitList = IDC_OTHER_OSD_SIZE_SPLIT;
  static constexpr int kOsdSizeSplitSet = IDC_OTHER_OSD_SIZE_SPLIT_SET;
  static constexpr int kButtonLockList = IDC_OTHER_BUTTON_LOCK;
  static constexpr int kButtonLockSet = IDC_OTHER_BUTTON_LOCK_SET;
  static constexpr int kNtscAspectList = IDC_OTHER_NTSC_ASPECT;
  static constexpr int kNtscAspectSet = IDC_OTHER_NTSC_ASPECT_SET;
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
