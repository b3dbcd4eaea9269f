#include "dialogs/send_all_dialog.h"

#include "base/link_config.h"
#include "dialogs/conventions.h"

namespace vqx {

SendAllDialog::SendAllDialog(DialogServices& services)
    : services_(services),
      sequence_(services.core.link, services.core.settings, services.sink,
                services.boxes) {}

void SendAllDialog::OnInit(DialogView& view) {
  Core& core = services_.core;
  InitSlaveAddressCombo(view, core.config, core.slave_address.load());
  core.working.hidden_access_count = 0;
  ApplyDialogCaption(view, core.config, kHeading);
  view.SetProgressRange(kProgress, 0, kSendAllSteps);
  view.SetProgressStep(kProgress, 1);
  view.SetCheck(kFastBox, core.config.fast.load() != 0);
}

void SendAllDialog::Start(DialogView& view) {
  // A broadcast gets no answers to pace by; the run then keeps the fixed
  // pace step by step.
  if (services_.core.config.fast.load() != 0) {
    sequence_.PaceByReplies(services_.steady_clock);
  } else {
    sequence_.PaceByTimer();
  }
  // Refused while this or another run goes on.
  if (!sequence_.Start()) return;
  view.EnableControl(kIdClose, false);
  view.EnableControl(kFastBox, false);
  view.SetProgressPosition(kProgress, 0);
  view.SetControlText(kPercent, "");
  view.StartTimer(kTimer, sequence_.tick_period_ms());
}

void SendAllDialog::OnCommand(DialogView& view, int control,
                              ControlNotification notification) {
  Core& core = services_.core;
  // The address may change during a run: the following lines go there.
  if (HandleSlaveAddressChange(view, control, notification,
                               core.slave_address)) {
    return;
  }
  if (control == kStart) {
    if (notification == ControlNotification::kClicked) Start(view);
    return;
  }
  if (control == kFastBox) {
    if (notification == ControlNotification::kClicked && !sequence_.running()) {
      WriteFast(services_.profile, core.config, view.IsChecked(kFastBox));
    }
    return;
  }
  if (!sequence_.running()) {
    HandleClose(view, control, notification, CloseIds::kCloseOnly);
  }
}

void SendAllDialog::OnTimer(DialogView& view, int timer_id) {
  if (timer_id != kTimer) return;
  const SequenceTick tick = sequence_.OnTick();
  if (tick == SequenceTick::kWaiting) return;
  view.SetControlText(kPercent, sequence_.percent_text());
  view.SetProgressPosition(kProgress, sequence_.bar_position());
  if (KeepsTicking(tick)) return;
  view.StopTimer(kTimer);
  view.EnableControl(kIdClose, true);
  view.EnableControl(kFastBox, true);
  if (tick == SequenceTick::kFinished) view.EndDialog(kDialogClosed);
}

}  // namespace vqx
