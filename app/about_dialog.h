// The About box: the program's icon, name and version, and an OK button.
#pragma once

#include <string_view>

#include "app/ids/about_ids.h"
#include "dialogs/dialog.h"

namespace vqx {

inline constexpr std::string_view kVersionText = "VQX460 Version 1.01";

class AboutDialog : public Dialog {
 public:
  static constexpr int kTemplateId = IDD_ABOUT;
  // The static text that carries the version.
  static constexpr int kVersionLabel = IDC_ABOUT_VERSION;

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;
};

}  // namespace vqx
