// The result boxes and questions of the Win32 program. None has an owner
// window: a box raised on the receive thread leaves the main window and any
// open dialog usable.
#pragma once

#include "base/platform.h"

namespace vqx::win32 {

class Win32MessageBoxes : public MessageBoxes {
 public:
  void ShowSuccessBox(std::string_view text) override;
  void ShowErrorBox(std::string_view text) override;
  void ShowWarningBox(std::string_view text) override;
  bool AskYesNo(std::string_view text, std::string_view caption) override;
};

}  // namespace vqx::win32
