#include "win32/main_window_win32.h"

#include <commctrl.h>
#include <windowsx.h>

#include <array>
#include <utility>
#include <vector>

#include "app/commands.h"
#include "win32/dpi.h"
#include "win32/text.h"

namespace vqx::win32 {
namespace {

// Where File Open draws the path into the client area, at 96 DPI.
constexpr int kFileNameX = 124;
constexpr int kFileNameY = 132;

constexpr UINT kDpiChangedMessage = 0x02E0;  // WM_DPICHANGED

// The message font at `dpi`. Windows 10 (1607 on) gives it for any
// density; before, a window has the system's density, whose font is the
// one there is. Each font lives as long as the program.
HFONT MessageFontAt(int dpi) {
  static std::vector<std::pair<int, HFONT>> fonts;
  for (const auto& [font_dpi, font] : fonts) {
    if (font_dpi == dpi) return font;
  }
  using ForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  static const auto for_dpi =
      User32Function<ForDpiFunction>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  const BOOL found = for_dpi != nullptr
                         ? for_dpi(SPI_GETNONCLIENTMETRICS, sizeof metrics,
                                   &metrics, 0, static_cast<UINT>(dpi))
                         : SystemParametersInfoW(SPI_GETNONCLIENTMETRICS,
                                                 sizeof metrics, &metrics, 0);
  HFONT font = found ? CreateFontIndirectW(&metrics.lfMessageFont) : nullptr;
  if (font == nullptr) {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  fonts.emplace_back(dpi, font);
  return font;
}

void SetStatusBarParts(HWND status, int dpi) {
  std::array<int, 2> edges = kStatusBarPartEdges;
  for (int& edge : edges) edge = ScaleForDpi(edge, dpi);
  SendMessageW(status, SB_SETPARTS, edges.size(),
               reinterpret_cast<LPARAM>(edges.data()));
}

HWND CreateStatusBar(HWND window, HINSTANCE instance, int dpi) {
  HWND status = CreateWindowExW(
      0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0, 0, 0,
      window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBarId)),
      instance, nullptr);
  if (status != nullptr) SetStatusBarParts(status, dpi);
  return status;
}

HWND CreateToolbar(HWND window, HINSTANCE instance, const ToolbarArt& art) {
  std::array<TBBUTTON, kToolbarButtonCount> buttons{};
  for (int i = 0; i < kToolbarButtonCount; ++i) {
    buttons[i].iBitmap = i;
    buttons[i].idCommand = kFirstToolbarCommand + i;
    buttons[i].fsState = TBSTATE_ENABLED;
    buttons[i].fsStyle = TBSTYLE_BUTTON;
  }
  return CreateToolbarEx(window, WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS,
                         kToolbarId, kToolbarButtonCount, instance,
                         static_cast<UINT>(art.bitmap_id), buttons.data(),
                         kToolbarButtonCount, art.image_width, art.image_height,
                         art.image_width, art.image_height, sizeof(TBBUTTON));
}

// The window moved to a monitor of another density: the status bar takes
// the font and the part edges for it, and the toolbar the strip drawn for
// it (a new toolbar: its buttons take their size from the strip).
void FollowDpi(HWND window, MainWindowContext& context, int dpi) {
  if (context.status_bar != nullptr) {
    SendMessageW(context.status_bar, WM_SETFONT,
                 reinterpret_cast<WPARAM>(MessageFontAt(dpi)), FALSE);
    SetStatusBarParts(context.status_bar, dpi);
  }
  const ToolbarArt art = ToolbarArtFor(dpi);
  if (art.bitmap_id != context.toolbar_bitmap_id) {
    const auto instance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    if (context.toolbar != nullptr) DestroyWindow(context.toolbar);
    context.toolbar = CreateToolbar(window, instance, art);
    context.toolbar_bitmap_id = art.bitmap_id;
  }
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
      const int dpi = WindowDpi(window);
      context->status_bar = CreateStatusBar(window, instance, dpi);
      const ToolbarArt art = ToolbarArtFor(dpi);
      context->toolbar = CreateToolbar(window, instance, art);
      context->toolbar_bitmap_id = art.bitmap_id;
      INITCOMMONCONTROLSEX classes{sizeof classes, ICC_INTERNET_CLASSES};
      InitCommonControlsEx(&classes);
      context->link_state->receive_running = 1;
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
      // The bars first, so that the new size lays out the new ones.
      FollowDpi(window, *context, LOWORD(wparam));
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left,
                   suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      RECT client;
      GetClientRect(window, &client);
      SendMessageW(window, WM_SIZE, SIZE_RESTORED,
                   MAKELPARAM(client.right, client.bottom));
      InvalidateRect(window, nullptr, TRUE);
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
  // The frame, the menu bar and the bars grow with the density, and so
  // does the window. Its density is known once it exists (the monitor at
  // the top-left corner may have another than the system's).
  const WindowSize size = MainWindowSize(RunningVersionCode());
  HWND window = CreateWindowExW(
      0, kWindowClassName, Widen(kFileCaption).c_str(),
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0,
      size.width, size.height, nullptr, nullptr, instance, &context);
  if (window == nullptr) return nullptr;
  if (const int dpi = WindowDpi(window); dpi != kDefaultDpi) {
    SetWindowPos(window, nullptr, 0, 0, ScaleForDpi(size.width, dpi),
                 ScaleForDpi(size.height, dpi),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
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
  const int dpi = WindowDpi(window_);
  HDC dc = GetDC(window_);
  if (dc == nullptr) return;
  HGDIOBJ previous = SelectObject(dc, MessageFontAt(dpi));
  const std::wstring wide = Widen(text);
  TextOutW(dc, ScaleForDpi(kFileNameX, dpi), ScaleForDpi(kFileNameY, dpi),
           wide.c_str(), static_cast<int>(wide.size()));
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
