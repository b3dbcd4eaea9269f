#include "dialogs/slave_address_dialog.h"

#include "dialogs/conventions.h"

namespace vqx {

void SlaveAddressDialog::OnInit(DialogView& view) {
  Core& core = services_.core;
  FillSlaveAddressCombo(view);
  // Unlike every other dialog, the list is usable in RS-232C too: the choice
  // waits there for the switch to RS-485.
  view.SelectItem(kSlaveAddressCombo, core.slave_address.load());
  core.working.hidden_access_count = 0;
  ApplyDialogCaption(view, core.config, kHeading);
}

void SlaveAddressDialog::OnCommand(DialogView& view, int control,
                                   ControlNotification notification) {
  if (HandleSlaveAddressChange(view, control, notification,
                               services_.core.slave_address)) {
    return;
  }
  HandleClose(view, control, notification, CloseIds::kCloseOnly);
}

}  // namespace vqx
