#include "dialogs/sequence_dialog.h"

#include <utility>

namespace vqx {

SequenceDialog::SequenceDialog(DialogServices& services,
                               const SequenceDialogLayout& layout,
                               std::unique_ptr<TimedSequence> sequence,
                               StepNamer name)
    : services_(services),
      layout_(layout),
      sequence_(std::move(sequence)),
      run_(services, *sequence_,
           {.progress = layout.progress,
            .percent = layout.percent,
            .fast_box = layout.fast_box,
            .timer = layout.timer},
           std::move(name)) {}

void SequenceDialog::OnInit(DialogView& view) {
  FillSlaveAddressCombo(view, layout_.broadcast);
  // A broadcast address where the list has none leaves it without a
  // selection.
  ApplySlaveAddressRule(view, services_.device.config,
                        services_.device.slave_address.load());
  services_.selections.hidden_access_count = 0;
  ApplyDialogCaption(view, services_.device.config, layout_.heading);
  run_.Init(view);
}

void SequenceDialog::OnCommand(DialogView& view, int control,
                               ControlNotification notification) {
  if (HandleSlaveAddressChange(view, control, notification,
                               services_.device.slave_address) ||
      run_.HandleFastBox(view, control, notification)) {
    return;
  }
  if (control == layout_.start) {
    // Refused while this or another run goes on.
    if (notification == ControlNotification::kClicked && run_.Start(view)) {
      OnRunStarted(view);
    }
    return;
  }
  // Close is off while the run goes on; a close box or Escape then does
  // nothing either.
  if (!run_.running()) {
    HandleClose(view, control, notification, CloseIds::kCloseOnly);
  }
}

void SequenceDialog::OnTimer(DialogView& view, int timer_id) {
  if (timer_id != layout_.timer) return;
  const SequenceTick tick = run_.Tick(view);
  if (KeepsTicking(tick)) return;
  OnRunEnded(view, tick);
  if (tick == SequenceTick::kFinished) view.EndDialog(kDialogClosed);
}

}  // namespace vqx
