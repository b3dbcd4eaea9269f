// The send-all dialog: every setting of the record to the device in one
// timed pass of 78 lines, 500 ms apart, with progress; it closes by itself
// after a complete run. The address may change during a run: the following
// lines go there.
#pragma once

#include <string_view>

#include "dialogs/ids/send_all_ids.h"
#include "dialogs/sequence_dialog.h"
#include "protocol/send_all.h"

namespace vqx {

class SendAllDialog : public SequenceDialog {
 public:
  static constexpr int kTemplateId = IDD_SEND_ALL;
  static constexpr std::string_view kHeading = "全項目の設定";

  static constexpr int kStart = IDC_SEND_ALL_START;
  static constexpr int kProgress = IDC_SEND_ALL_PROGRESS;
  static constexpr int kPercent = IDC_SEND_ALL_PERCENT;
  static constexpr int kTimer = 16;
  // "高速": each line as soon as the previous one is answered.
  static constexpr int kFastBox = IDC_SEND_ALL_FAST;

  explicit SendAllDialog(DialogServices& services);
};

}  // namespace vqx
