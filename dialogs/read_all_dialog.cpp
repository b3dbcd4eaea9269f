#include "dialogs/read_all_dialog.h"

#include "base/encoding.h"
#include "base/link_config.h"
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
    : services_(services), sequence_(services.core.link, services.sink) {}

void ReadAllDialog::OnInit(DialogView& view) {
  Core& core = services_.core;
  for (int i = 0; i < kAddressItems; ++i) {
    char digits[2];
    EncodeDecimal2(i, digits);
    view.InsertItem(kSlaveAddressCombo, i, std::string_view(digits, 2));
  }
  // A broadcast address leaves the list without a selection.
  ApplySlaveAddressRule(view, core.config, core.slave_address.load());
  core.working.hidden_access_count = 0;
  ApplyDialogCaption(view, core.config, kHeading);
  view.SetProgressRange(kProgress, 0, kReadAllSteps);
  view.SetProgressStep(kProgress, 1);
  view.SetCheck(kFastBox, core.config.fast.load() != 0);
}

void ReadAllDialog::Start(DialogView& view) {
  if (services_.core.config.fast.load() != 0) {
    sequence_.PaceByReplies(services_.steady_clock);
  } else {
    sequence_.PaceByTimer();
  }
  // Refused while this or another run goes on.
  if (!sequence_.Start()) return;
  // The replies of this run say which settings groups it read.
  services_.read_backs.Clear();
  view.EnableControl(kIdClose, false);
  view.EnableControl(kFastBox, false);
  view.SetProgressPosition(kProgress, 0);
  view.SetControlText(kPercent, "");
  view.StartTimer(kTimer, sequence_.tick_period_ms());
}

void ReadAllDialog::OnCommand(DialogView& view, int control,
                              ControlNotification notification) {
  Core& core = services_.core;
  if (HandleSlaveAddressChange(view, control, notification,
                               core.slave_address)) {
    return;
  }
  const bool clicked = notification == ControlNotification::kClicked;
  if (control == kStart) {
    if (clicked) Start(view);
    return;
  }
  if (control == kFastBox) {
    if (clicked && !sequence_.running()) {
      WriteFast(services_.profile, core.config, view.IsChecked(kFastBox));
    }
    return;
  }
  // Close is off while the run goes on; a close box or Escape then does
  // nothing either.
  if (!sequence_.running()) {
    HandleClose(view, control, notification, CloseIds::kCloseOnly);
  }
}

void ReadAllDialog::OnTimer(DialogView& view, int timer_id) {
  if (timer_id != kTimer) return;
  const SequenceTick tick = sequence_.OnTick();
  if (tick == SequenceTick::kWaiting) return;
  view.SetControlText(kPercent, sequence_.percent_text());
  view.SetProgressPosition(kProgress, sequence_.bar_position());
  if (KeepsTicking(tick)) return;
  view.StopTimer(kTimer);
  view.EnableControl(kIdClose, true);
  view.EnableControl(kFastBox, true);
  if (tick == SequenceTick::kFinished) {
    // Every command is out; the replies still on their way are judged once
    // the last of them has come (the main window tells the user).
    services_.read_backs.RunFinished();
    view.EndDialog(kDialogClosed);
  }
}

}  // namespace vqx
