#include "win32/main_window_win32.h"

#include <commctrl.h>
#include <windowsx.h>

#include <array>

#include "app/commands.h"
#include "win32/text.h"

namespace vqx::win32 {
namespace {

// Where File Open draws the path into the client area.
constexpr int kFileNameX = 124;
constexpr int kFileNameY = 132;

constexpr UINT kDpiChangedMessage = 0x02E0;  // WM_DPICHANGED

HWND CreateStatusBar(HWND window, HINSTANCE instance) {
  HWND status = CreateWindowExW(
      0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0, 0, 0,
      window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBarId)),
      instance, nullptr);
  if (status != nullptr) {
    std::array<int, 2> edges = kStatusBarPartEdges;
    SendMessageW(status, SB_SETPARTS, edges.size(),
                 reinterpret_cast<LPARAM>(edges.data()));
  }
  return status;
}

HWND CreateToolbar(HWND window, HINSTANCE instance) {
  std::array<TBBUTTON, kToolbarButtonCount> buttons{};
  for (int i = 0; i < kToolbarButtonCount; ++i) {
    buttons[i].iBitmap = i;
    buttons[i].idCommand = kFirstToolbarCommand + i;
    buttons[i].fsState = TBSTATE_ENABLED;
    buttons[i].fsStyle = TBSTYLE_BUTTON;
  }
  return CreateToolbarEx(
      window, WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS, kToolbarId,
      kToolbarButtonCount, instance, kToolbarBitmapId, buttons.data(),
      kToolbarButtonCount, kToolbarImageWidth, kToolbarImageHeight,
      kToolbarImageWidth, kToolbarImageHeight, sizeof(TBBUTTON));
}

void OnToolbarTooltip(MainWindowContext& context, NMHDR* header) {
  auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
  if (std::optional<std::string_view> tip =
          ToolbarTooltip(static_cast<int>(header->idFrom))) {
    // The tooltip reads the text after this returns; it stays in the
    // context until the next request.
    context.tooltip = Widen(*tip);
    info->lpszText = context.tooltip.data();
    info->hinst = nullptr;
  }
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam,
                                LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* context = reinterpret_cast<MainWindowContext*>(
      GetWindowLongPtrW(window, GWLP_USERDATA));
  if (context == nullptr) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  switch (message) {
    case WM_CREATE: {
      HINSTANCE instance = reinterpret_cast<CREATESTRUCTW*>(lparam)->hInstance;
      context->status_bar = CreateStatusBar(window, instance);
      context->toolbar = CreateToolbar(window, instance);
      INITCOMMONCONTROLSEX classes{sizeof classes, ICC_INTERNET_CLASSES};
      InitCommonControlsEx(&classes);
      context->core->link.receive_running = 1;
      return 0;
    }
    case WM_PAINT: {
      // Nothing of the window is painted by it; the paint restarts the
      // main timer.
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      if (!context->behaviour->quitting()) {
        SetTimer(window, kMainTimerId, kMainTimerPeriodMs, nullptr);
      }
      return 0;
    }
    case WM_TIMER:
      if (wparam == kMainTimerId) context->behaviour->OnTimerTick();
      return 0;
    case WM_COMMAND:
      context->behaviour->OnCommand(LOWORD(wparam));
      return 0;
    case WM_CONTEXTMENU:
      context->behaviour->OnContextMenu(GET_X_LPARAM(lparam),
                                        GET_Y_LPARAM(lparam));
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lparam);
      if (header->code == TTN_GETDISPINFOW) OnToolbarTooltip(*context, header);
      return 0;
    }
    case WM_SIZE:
      if (context->toolbar != nullptr) {
        SendMessageW(context->toolbar, WM_SIZE, wparam, lparam);
      }
      if (context->status_bar != nullptr) {
        SendMessageW(context->status_bar, WM_SIZE, wparam, lparam);
      }
      return 0;
    case kDpiChangedMessage: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left,
                   suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_CLOSE:
      context->behaviour->RequestExit();
      return 0;
    case WM_QUERYENDSESSION:
      return context->behaviour->QueryEndSession() ? TRUE : FALSE;
    case WM_ENDSESSION:
      context->behaviour->EndSession(wparam != FALSE);
      if (wparam != FALSE && context->on_session_end) {
        context->on_session_end();
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

// The window sizes are given for 96 dots per inch; a larger system setting
// grows the frame, the menu bar and the bars, so the window grows with it.
int ScaleForSystemDpi(int pixels) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 96 ? MulDiv(pixels, dpi, 96) : pixels;
}

HFONT MessageFont() {
  static HFONT font = [] {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics,
                              0)) {
      return CreateFontIndirectW(&metrics.lfMessageFont);
    }
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }();
  return font;
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = MainWindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, L"MYICON");
  window_class.hIconSm = static_cast<HICON>(
      LoadImageW(instance, L"MYICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  window_class.lpszMenuName = L"IDM_MENU";
  window_class.lpszClassName = kWindowClassName;
  return RegisterClassExW(&window_class) != 0;
}

int RunningVersionCode() {
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto rtl_get_version =
      ntdll != nullptr
          ? reinterpret_cast<RtlGetVersionFunction>(
                reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
          : nullptr;
  if (rtl_get_version == nullptr || rtl_get_version(&version) != 0) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&version);
#pragma GCC diagnostic pop
  }
  return VersionCode(static_cast<int>(version.dwMajorVersion),
                     static_cast<int>(version.dwMinorVersion));
}

HWND CreateMainWindow(HINSTANCE instance, MainWindowContext& context) {
  const WindowSize size = MainWindowSize(RunningVersionCode());
  HWND window = CreateWindowExW(
      0, kWindowClassName, Widen(kFileCaption).c_str(),
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0,
      ScaleForSystemDpi(size.width), ScaleForSystemDpi(size.height), nullptr,
      nullptr, instance, &context);
  if (window == nullptr) return nullptr;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  DrawMenuBar(window);
  return window;
}

void Win32MainWindowView::SetStatusText(int part, std::string_view text) {
  if (status_bar_ == nullptr) return;
  // Part 1, the clock, stands out with a raised border.
  const WPARAM style = part == 1 ? SBT_POPOUT : 0;
  const std::wstring wide = Widen(text);
  SendMessageW(status_bar_, SB_SETTEXTW, static_cast<WPARAM>(part) | style,
               reinterpret_cast<LPARAM>(wide.c_str()));
}

void Win32MainWindowView::StopMainTimer() { KillTimer(window_, kMainTimerId); }

void Win32MainWindowView::PostQuit(int exit_code) {
  PostQuitMessage(exit_code);
}

void Win32MainWindowView::DrawFileName(std::string_view text) {
  HDC dc = GetDC(window_);
  if (dc == nullptr) return;
  HGDIOBJ previous = SelectObject(dc, MessageFont());
  const std::wstring wide = Widen(text);
  TextOutW(dc, kFileNameX, kFileNameY, wide.c_str(),
           static_cast<int>(wide.size()));
  SelectObject(dc, previous);
  ReleaseDC(window_, dc);
}

void Win32MainWindowView::SetCaption(std::string_view caption) {
  SetWindowTextW(window_, Widen(caption).c_str());
}

void Win32MainWindowView::SetSessionEndBlockReason(std::string_view reason) {
  if (reason.empty()) {
    ShutdownBlockReasonDestroy(window_);
  } else {
    ShutdownBlockReasonCreate(window_, Widen(reason).c_str());
  }
}

}  // namespace vqx::win32
