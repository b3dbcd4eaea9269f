// The density of a window. The program declares itself aware of each
// monitor's density, so a window has its own: GetDpiForWindow tells it
// from Windows 10 version 1607 on; before that (Windows 7 to 8.1) the
// system density of a device context is the one there is. Both are looked
// up at run time, so the program still starts on Windows 7.
#pragma once

#include <windows.h>

#include "dialogs/dialog_view.h"

namespace vqx::win32 {

template <class Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(
                                 GetProcAddress(user32, name)))
                           : nullptr;
}

// Dots per inch of `window` (96 at 100 %).
inline int WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto get_dpi_for_window =
      User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (get_dpi_for_window != nullptr && window != nullptr) {
    if (const UINT dpi = get_dpi_for_window(window); dpi != 0) {
      return static_cast<int>(dpi);
    }
  }
  HDC dc = GetDC(window);
  if (dc == nullptr) return kDefaultDpi;
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(window, dc);
  return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace vqx::win32
