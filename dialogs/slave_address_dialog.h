// The slave address dialog: which device on an RS-485 line the program talks
// to, without opening a settings group. It sends nothing to choose one; its
// "検索" button asks every address 00..31 for its version and lists the
// devices that answered, and picking one of them chooses it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "dialogs/dialog.h"
#include "dialogs/ids/slave_address_ids.h"
#include "protocol/address_scan.h"

namespace vqx {

// The line of the answer list for one device: "03  VN1.00".
std::string ScanAnswerText(const ScanAnswer& answer);

class SlaveAddressDialog : public Dialog {
 public:
  static constexpr int kTemplateId = IDD_SLAVE_ADDRESS;
  static constexpr std::string_view kHeading = "機器のスレーブアドレス ";

  static constexpr int kScanButton = IDC_SCAN_START;
  static constexpr int kScanProgress = IDC_SCAN_PROGRESS;
  static constexpr int kAnswerList = IDC_SCAN_ANSWERS;
  static constexpr int kScanStatus = IDC_SCAN_STATUS;
  static constexpr int kScanTimer = 1;

  static constexpr std::string_view kScanText = "検索";
  static constexpr std::string_view kStopText = "停止";

  explicit SlaveAddressDialog(DialogServices& services);

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;
  void OnTimer(DialogView& view, int timer_id) override;

  const AddressScan& scan() const { return scan_; }

 private:
  void StartScan(DialogView& view);
  void ShowProgress(DialogView& view);
  void ShowNewAnswers(DialogView& view);
  void EndScan(DialogView& view);

  DialogServices& services_;
  AddressScan scan_;
  // What the answer list shows, row by row.
  std::vector<ScanAnswer> rows_;
};

}  // namespace vqx
