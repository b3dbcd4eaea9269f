// Runs the portable dialog objects as modal Win32 dialogs: one dialog
// procedure forwards the window's events to the Dialog, and a DialogView
// made of dialog-manager calls carries its changes back.
#pragma once

#include <windows.h>

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

 private:
  HINSTANCE instance_;
  HWND owner_ = nullptr;
};

}  // namespace vqx::win32
