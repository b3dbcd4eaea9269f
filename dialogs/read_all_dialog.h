// The read-all dialog: every setting of the device read back into the
// program, one read command per 400 ms, with progress; it closes by itself
// after the last command.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "dialogs/ids/read_all_ids.h"
#include "dialogs/sequence_dialog.h"
#include "protocol/read_all.h"

namespace vqx {

// Told after a read-all whose replies did not all come: the settings groups
// not read, which keep their earlier values.
std::string ReadAllIncompleteMessage(const std::vector<SettingsGroup>& groups);

class ReadAllDialog : public SequenceDialog {
 public:
  static constexpr int kTemplateId = IDD_READ_ALL;
  static constexpr std::string_view kHeading = "設定項目の読み込み";

  static constexpr int kStart = IDC_READ_ALL_START;
  static constexpr int kProgress = IDC_READ_ALL_PROGRESS;
  static constexpr int kPercent = IDC_READ_ALL_PERCENT;
  static constexpr int kTimer = 15;
  // "高速": each command as soon as the previous one is answered.
  static constexpr int kFastBox = IDC_READ_ALL_FAST;

  explicit ReadAllDialog(DialogServices& services);

 private:
  void OnRunStarted(DialogView& view) override;
  void OnRunEnded(DialogView& view, SequenceTick tick) override;
};

}  // namespace vqx
