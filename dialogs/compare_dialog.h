// The comparison of the settings in memory with a settings file: one line
// per field that differs, with both values in words.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/settings_report.h"
#include "dialogs/dialog.h"

namespace vqx {

class CompareDialog : public Dialog {
 public:
  static constexpr int kTemplateId = 152;
  static constexpr int kFileName = 1094;
  static constexpr int kDifferenceList = 1095;
  // Shown when nothing differs.
  static constexpr std::string_view kNoDifference = "違いはありません";

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
