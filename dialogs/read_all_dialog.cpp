#include "dialogs/read_all_dialog.h"

#include <memory>

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

// Nobody would answer a broadcast read.
ReadAllDialog::ReadAllDialog(DialogServices& services)
    : SequenceDialog(services,
                     {kTemplateId, kHeading, kStart, kProgress, kPercent,
                      kFastBox, kTimer, Broadcast::kLeftOut},
                     std::make_unique<ReadAllSequence>(services.device.state,
                                                       services.device.sink),
                     ReadAllSettingName) {}

void ReadAllDialog::OnRunStarted(DialogView& view) {
  // The replies of this run say which settings groups it read. The address
  // stays as it is until the run ends: every reply goes into the one record.
  services_.device.read_backs.Clear();
  view.EnableControl(kSlaveAddressCombo, false);
}

void ReadAllDialog::OnRunEnded(DialogView& view, SequenceTick tick) {
  // RS-232C keeps the list off, as at the opening.
  view.EnableControl(kSlaveAddressCombo,
                     IsRs485(services_.device.config.rs_control.load()));
  if (tick == SequenceTick::kFinished) {
    // The refused reads were named already; the replies still on their way
    // are judged once the last of them has come (the main window tells the
    // user which settings groups were not read).
    for (const Refusal& refusal : sequence().refusals()) {
      services_.device.read_backs.NoteRefused(refusal.step);
    }
    services_.device.read_backs.RunFinished();
  }
}

}  // namespace vqx
