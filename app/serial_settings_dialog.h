// The serial settings dialog: which COM port the program opens at its next
// start, and whether the line is RS-232C or RS-485 (live at once). Both are
// written to the INI file the moment they are picked.
#pragma once

#include <string_view>

#include "base/core.h"
#include "base/platform.h"
#include "dialogs/dialog.h"

namespace vqx {

class SerialSettingsDialog : public Dialog {
 public:
  static constexpr int kTemplateId = 144;
  static constexpr int kPortList = 1072;
  static constexpr int kLineList = 1075;
  // The list offers COM1..COM6; the INI file may name up to COM9.
  static constexpr int kListedPorts = 6;

  SerialSettingsDialog(Core& core, ProfileStore& profile)
      : core_(core), profile_(profile) {}

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;

 private:
  Core& core_;
  ProfileStore& profile_;
};

}  // namespace vqx
