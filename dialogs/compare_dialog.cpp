#include "dialogs/compare_dialog.h"

#include "dialogs/conventions.h"

namespace vqx {

void CompareDialog::OnInit(DialogView& view) {
  view.SetControlText(kFileName, file_name_);
  if (differences_.empty()) {
    view.InsertItem(kDifferenceList, 0, kNoDifference);
    return;
  }
  int row = 0;
  for (const SettingsDifference& difference : differences_) {
    std::string text = FormatDifferenceInWords(difference);
    if (difference.not_read_by_read_all) text += kNotReadNote;
    view.InsertItem(kDifferenceList, row++, text);
  }
}

void CompareDialog::OnCommand(DialogView& view, int control,
                              ControlNotification notification) {
  HandleClose(view, control, notification, CloseIds::kOkAndClose);
}

}  // namespace vqx
