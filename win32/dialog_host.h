// Runs the portable dialog objects as Win32 dialogs, modal or modeless: one
// dialog procedure forwards the window's events to the Dialog, and a
// DialogView made of dialog-manager calls carries its changes back.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "dialogs/dialog.h"

namespace vqx::win32 {

class Win32DialogRunner : public DialogRunner {
 public:
  explicit Win32DialogRunner(HINSTANCE instance) : instance_(instance) {}

  // The main window, owner of every dialog.
  void set_owner(HWND owner) { owner_ = owner; }

  // Creates the dialog from its template and returns when it has ended; -1
  // when the template could not be loaded.
  int RunModal(Dialog& dialog) override;

  // Creates the dialog and returns at once; the window owns the object
  // until it is destroyed. A second request for an open one brings that to
  // the front.
  void ShowModeless(std::unique_ptr<Dialog> dialog) override;

  // The message loop's share of the modeless dialogs: keyboard navigation.
  // True when the message was theirs (and was handled).
  bool HandleDialogMessage(MSG& message);

  // A modeless dialog's window is gone.
  void Forget(HWND window);

 private:
  HINSTANCE instance_;
  HWND owner_ = nullptr;
  std::vector<HWND> modeless_;
};

}  // namespace vqx::win32
