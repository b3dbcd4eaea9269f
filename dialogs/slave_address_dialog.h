// The slave address dialog: which device on an RS-485 line the program talks
// to, without opening a settings group. It sends nothing.
#pragma once

#include <string_view>

#include "dialogs/dialog.h"

namespace vqx {

class SlaveAddressDialog : public Dialog {
 public:
  static constexpr int kTemplateId = 142;
  static constexpr std::string_view kHeading = "機器のスレーブアドレス ";

  explicit SlaveAddressDialog(DialogServices& services) : services_(services) {}

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;

 private:
  DialogServices& services_;
};

}  // namespace vqx
