#include "app/about_dialog.h"

namespace vqx {

void AboutDialog::OnInit(DialogView& view) {
  view.SetControlText(kVersionLabel, kVersionText);
}

void AboutDialog::OnCommand(DialogView& view, int control,
                            ControlNotification notification) {
  if ((control == kIdOk || control == kIdClose) &&
      notification == ControlNotification::kClicked) {
    view.EndDialog(control);
  }
}

}  // namespace vqx
