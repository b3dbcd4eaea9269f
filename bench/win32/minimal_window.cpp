// The smallest Windows program shaped like the settings tool: one fixed-size
// window with a message loop, holding COM1 open when asked to ("--port").
// The start-up and idle benchmark runs it next to the real program so the
// figures show what Wine itself costs.

#include <windows.h>

namespace {

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam,
                                 LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int) {
  HANDLE port = INVALID_HANDLE_VALUE;
  if (wcsstr(command_line, L"--port")) {
    port = CreateFileW(L"COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                       OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) return 2;
  }
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = WindowProcedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  window_class.lpszClassName = L"VQXMINIMAL";
  if (!RegisterClassW(&window_class)) return 1;
  HWND window = CreateWindowW(L"VQXMINIMAL", L"minimal",
                              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0,
                              688, 120, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
  return static_cast<int>(message.wParam);
}
