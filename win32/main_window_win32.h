// The main window of the Win32 program: class "VQX460" with the menu
// "IDM_MENU", a toolbar of the ten settings groups, a status bar with the
// clock, and no painting of its own. Its behaviour is the portable
// MainWindow; this file turns window messages into calls on it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/main_window.h"

namespace vqx::win32 {

inline constexpr wchar_t kWindowClassName[] = L"VQX460";

// Registers the window class. False when the system refuses it.
bool RegisterMainWindowClass(HINSTANCE instance);

// What the window procedure needs, created before the window.
struct MainWindowContext {
  MainWindow* behaviour = nullptr;
  LinkState* link_state = nullptr;  // the connection's
  HWND status_bar = nullptr;
  HWND toolbar = nullptr;
  int toolbar_bitmap_id = 0;  // the picture strip the toolbar shows
  std::wstring tooltip;       // the text handed to the last tooltip request
  // Runs when the session ends, after the behaviour has let the program
  // go; it does not return.
  std::function<void()> on_session_end;
};

// Creates (and shows) the main window at the top-left corner of the screen
// with the size for the running system and the window's density. nullptr
// on failure.
HWND CreateMainWindow(HINSTANCE instance, MainWindowContext& context);

// MainWindowView on a created main window.
class Win32MainWindowView : public MainWindowView {
 public:
  void Attach(HWND window, HWND status_bar) {
    window_ = window;
    status_bar_ = status_bar;
  }
  void SetStatusText(int part, std::string_view text) override;
  void StopMainTimer() override;
  void PostQuit(int exit_code) override;
  void DrawFileName(std::string_view text) override;
  void SetCaption(std::string_view caption) override;
  void SetSessionEndBlockReason(std::string_view reason) override;

 private:
  HWND window_ = nullptr;
  HWND status_bar_ = nullptr;
};

// The version code of the running system (RtlGetVersion, which reports the
// real version whatever the manifest declares).
int RunningVersionCode();

}  // namespace vqx::win32
