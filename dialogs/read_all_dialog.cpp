#include "dialogs/read_all_dialog.h"

#include "dialogs/conventions.h"

namespace vqx {

std::string ReadAllIncompleteMessage(const std::vector<SettingsGroup>& groups) {
  std::string text =
      "次の設定項目は機器から読み込めませんでした。以前の値のままです。\n";
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (i > 0) text += "、";
    text += SettingsGroupName(groups[i]);
  }
  return text;
}

ReadAllDialog::ReadAllDialog(DialogServices& services)
    : services_(services),
      sequence_(services.core.link, services.sink),
      run_(services, sequence_, {kProgress, kPercent, kFastBox, kTimer},
           ReadAllSettingName) {}

void ReadAllDialog::OnInit(DialogView& view) {
  Core& core = services_.core;
  FillSlaveAddressCombo(view, Broadcast::kLeftOut);
  // A broadcast address leaves the list without a selection.
  ApplySlaveAddressRule(view, core.config, core.slave_address.load());
  services_.selections.hidden_access_count = 0;
  ApplyDialogCaption(view, core.config, kHeading);
  run_.Init(view);
}

void ReadAllDialog::OnCommand(DialogView& view, int control,
                              ControlNotification notification) {
  Core& core = services_.core;
  if (HandleSlaveAddressChange(view, control, notification,
                               core.slave_address) ||
      run_.HandleFastBox(view, control, notification)) {
    return;
  }
  if (control == kStart) {
    // Refused while this or another run goes on. The replies of this run
    // say which settings groups it read. The address stays as it is until
    // the run ends: every reply goes into the one record.
    if (notification == ControlNotification::kClicked && run_.Start(view)) {
      services_.read_backs.Clear();
      view.EnableControl(kSlaveAddressCombo, false);
    }
    return;
  }
  // Close is off while the run goes on; a close box or Escape then does
  // nothing either.
  if (!run_.running()) {
    HandleClose(view, control, notification, CloseIds::kCloseOnly);
  }
}

void ReadAllDialog::OnTimer(DialogView& view, int timer_id) {
  if (timer_id != kTimer) return;
  const SequenceTick tick = run_.Tick(view);
  if (KeepsTicking(tick)) return;
  // RS-232C keeps the list off, as at the opening.
  view.EnableControl(kSlaveAddressCombo,
                     IsRs485(services_.core.config.rs_control.load()));
  if (tick == SequenceTick::kFinished) {
    // The refused reads were named already; the replies still on their way
    // are judged once the last of them has come (the main window tells the
    // user which settings groups were not read).
    for (const Refusal& refusal : sequence_.refusals()) {
      services_.read_backs.NoteRefused(refusal.step);
    }
    services_.read_backs.RunFinished();
    view.EndDialog(kDialogClosed);
  }
}

}  // namespace vqx
