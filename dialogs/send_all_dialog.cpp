#include "dialogs/send_all_dialog.h"

#include "dialogs/conventions.h"

namespace vqx {

SendAllDialog::SendAllDialog(DialogServices& services)
    : services_(services),
      sequence_(services.core.link, services.core.settings, services.sink,
                services.boxes),
      run_(services, sequence_, {kProgress, kPercent, kFastBox, kTimer},
           SendAllSettingName) {}

void SendAllDialog::OnInit(DialogView& view) {
  Core& core = services_.core;
  InitSlaveAddressCombo(view, core.config, core.slave_address.load());
  services_.selections.hidden_access_count = 0;
  ApplyDialogCaption(view, core.config, kHeading);
  run_.Init(view);
}

void SendAllDialog::OnCommand(DialogView& view, int control,
                              ControlNotification notification) {
  Core& core = services_.core;
  // The address may change during a run: the following lines go there.
  if (HandleSlaveAddressChange(view, control, notification,
                               core.slave_address) ||
      run_.HandleFastBox(view, control, notification)) {
    return;
  }
  if (control == kStart) {
    if (notification == ControlNotification::kClicked) run_.Start(view);
    return;
  }
  if (!run_.running()) {
    HandleClose(view, control, notification, CloseIds::kCloseOnly);
  }
}

void SendAllDialog::OnTimer(DialogView& view, int timer_id) {
  if (timer_id != kTimer) return;
  if (run_.Tick(view) == SequenceTick::kFinished) {
    view.EndDialog(kDialogClosed);
  }
}

}  // namespace vqx
