// The comparison of the settings in memory with a settings file: one line
// per value that differs, placed and worded as the dialogs show it
// ("アラーム / モード: Internal → External"); a field the read-all does not
// read says so in its row.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/settings_report.h"
#include "dialogs/dialog.h"
#include "dialogs/ids/compare_ids.h"

namespace vqx {

class CompareDialog : public Dialog {
 public:
  static constexpr int kTemplateId = IDD_COMPARE;
  static constexpr int kFileName = IDC_COMPARE_FILE;
  static constexpr int kDifferenceList = IDC_COMPARE_LIST;
  // Shown when nothing differs.
  static constexpr std::string_view kNoDifference = "違いはありません";
  // After a row of a field no read-all reads: the program's value there is
  // not the device's, even right after a read-all.
  static constexpr std::string_view kNotReadNote =
      "  （機器から読み込まない項目）";

  // `file_name` names the file compared with; `differences` lists the
  // fields, the program's value first.
  CompareDialog(std::string file_name,
                std::vector<SettingsDifference> differences)
      : file_name_(std::move(file_name)),
        differences_(std::move(differences)) {}

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;

 private:
  std::string file_name_;
  std::vector<SettingsDifference> differences_;
};

}  // namespace vqx
