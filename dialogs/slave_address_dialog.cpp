#include "dialogs/slave_address_dialog.h"

#include <cstddef>
#include <vector>

#include "base/encoding.h"
#include "dialogs/conventions.h"

namespace vqx {

std::string ScanAnswerText(const ScanAnswer& answer) {
  return Decimal2Text(answer.address) + "  " + answer.version;
}

SlaveAddressDialog::SlaveAddressDialog(DialogServices& services)
    : services_(services),
      scan_(services.device.state, services.device.config,
            services.device.probes, services.device.versions,
            services.platform.steady_clock) {}

void SlaveAddressDialog::OnInit(DialogView& view) {
  FillSlaveAddressCombo(view);
  // Unlike every other dialog, the list is usable in RS-232C too: the choice
  // waits there for the switch to RS-485.
  view.SelectItem(kSlaveAddressCombo, services_.device.slave_address.load());
  // An RS-232C line has no addresses to scan.
  view.EnableControl(kScanButton,
                     IsRs485(services_.device.config.rs_control.load()));
  view.SetProgressRange(kScanProgress, 0, kScanAddresses);
  view.SetProgressStep(kScanProgress, 1);
  services_.selections.hidden_access_count = 0;
  ApplyDialogCaption(view, services_.device.config, kHeading);
}

void SlaveAddressDialog::StartScan(DialogView& view) {
  // Refused while a run (or another scan) goes on, and on RS-232C.
  if (scan_.Start() != ScanStart::kStarted) return;
  view.ClearItems(kAnswerList);
  rows_.clear();
  view.SetControlText(kScanButton, kStopText);
  ShowProgress(view);
  view.StartTimer(kScanTimer, scan_.tick_period_ms());
}

void SlaveAddressDialog::ShowProgress(DialogView& view) {
  view.SetProgressPosition(kScanProgress, scan_.addresses_done());
  ShowNewAnswers(view);
  if (const int address = scan_.current_address(); address >= 0) {
    view.SetControlText(kScanStatus,
                        "検索中 " + Decimal2Text(address) + " ...");
  }
}

void SlaveAddressDialog::ShowNewAnswers(DialogView& view) {
  // The scan keeps its answers in address order and slots an answer that
  // came late in among them; each new one goes into the list at the same
  // place, so row i always shows answer i.
  const std::vector<ScanAnswer>& answers = scan_.answers();
  for (std::size_t i = 0; i < answers.size(); ++i) {
    if (i < rows_.size() && rows_[i] == answers[i]) continue;
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(i), answers[i]);
    view.InsertItem(kAnswerList, static_cast<int>(i),
                    ScanAnswerText(answers[i]));
  }
}

void SlaveAddressDialog::EndScan(DialogView& view) {
  view.StopTimer(kScanTimer);
  ShowProgress(view);
  view.SetControlText(kScanButton, kScanText);
  const std::size_t found = scan_.answers().size();
  view.SetControlText(kScanStatus,
                      found == 0
                          ? std::string("応答した機器はありません")
                          : "応答した機器 " + std::to_string(found) + " 台");
}

void SlaveAddressDialog::OnCommand(DialogView& view, int control,
                                   ControlNotification notification) {
  if (HandleSlaveAddressChange(view, control, notification,
                               services_.device.slave_address)) {
    return;
  }
  if (control == kScanButton) {
    if (notification != ControlNotification::kClicked) return;
    if (scan_.running()) {
      scan_.Stop();
      EndScan(view);
    } else {
      StartScan(view);
    }
    return;
  }
  if (control == kAnswerList) {
    // Picking a device that answered chooses its address.
    if (const std::optional<int> index =
            ChosenIndex(view, control, notification);
        index && *index < static_cast<int>(rows_.size())) {
      const int address = rows_[*index].address;
      services_.device.slave_address = address;
      view.SelectItem(kSlaveAddressCombo, address);
    }
    return;
  }
  // Closing ends a scan still going (the scan goes with the dialog).
  HandleClose(view, control, notification, CloseIds::kCloseOnly);
}

void SlaveAddressDialog::OnTimer(DialogView& view, int timer_id) {
  if (timer_id != kScanTimer) return;
  if (scan_.OnTick() == ScanTick::kFinished) {
    EndScan(view);
  } else {
    ShowProgress(view);
  }
}

}  // namespace vqx
