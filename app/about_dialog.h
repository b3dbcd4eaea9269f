// The About box: the program's icon, name and version, and an OK button.
#pragma once

#include <string_view>

#include "dialogs/dialog.h"

namespace vqx {

inline constexpr std::string_view kVersionText = "VQX460 Version 1.01";

class AboutDialog : public Dialog {
 public:
  static constexpr int kTemplateId = 100;
  // The static text that carries the version.
  static constexpr int kVersionLabel = 1200;

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;
};

}  // namespace vqx
