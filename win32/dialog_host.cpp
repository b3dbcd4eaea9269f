#include "win32/dialog_host.h"

#include <commctrl.h>
#include <imm.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "win32/dpi.h"
#include "win32/text.h"

namespace vqx::win32 {
namespace {

bool IsClass(HWND control, const wchar_t* name) {
  wchar_t class_name[32] = {};
  GetClassNameW(control, class_name, 32);
  return lstrcmpiW(class_name, name) == 0;
}

class Win32DialogView : public DialogView {
 public:
  // A modeless dialog ends by being destroyed; a modal one by EndDialog.
  Win32DialogView(HWND dialog, bool modeless)
      : dialog_(dialog), modeless_(modeless) {}

  void InsertItem(int control, int index, std::string_view text) override {
    const std::wstring wide = Widen(text);
    SendDlgItemMessageW(dialog_, control,
                        IsListBox(control) ? LB_INSERTSTRING : CB_INSERTSTRING,
                        static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(wide.c_str()));
  }
  void SelectItem(int control, int index) override {
    // An index the list does not hold clears the selection.
    SendDlgItemMessageW(dialog_, control,
                        IsListBox(control) ? LB_SETCURSEL : CB_SETCURSEL,
                        static_cast<WPARAM>(index < 0 ? -1 : index), 0);
  }
  int SelectedItem(int control) override {
    const LRESULT index = SendDlgItemMessageW(
        dialog_, control, IsListBox(control) ? LB_GETCURSEL : CB_GETCURSEL, 0,
        0);
    return index < 0 ? kNoSelection : static_cast<int>(index);
  }
  int ItemCount(int control) override {
    const LRESULT count = SendDlgItemMessageW(
        dialog_, control, IsListBox(control) ? LB_GETCOUNT : CB_GETCOUNT, 0, 0);
    return count < 0 ? 0 : static_cast<int>(count);
  }
  void DeleteItem(int control, int index) override {
    if (index < 0) return;
    SendDlgItemMessageW(dialog_, control,
                        IsListBox(control) ? LB_DELETESTRING : CB_DELETESTRING,
                        static_cast<WPARAM>(index), 0);
  }
  void ClearItems(int control) override {
    SendDlgItemMessageW(dialog_, control,
                        IsListBox(control) ? LB_RESETCONTENT : CB_RESETCONTENT,
                        0, 0);
  }
  void ShowItem(int control, int index) override {
    if (IsListBox(control) && index >= 0) {
      SendDlgItemMessageW(dialog_, control, LB_SETTOPINDEX,
                          static_cast<WPARAM>(index), 0);
    }
  }
  void SetTabStops(int control, std::span<const int> stops) override {
    if (!IsListBox(control)) return;
    std::vector<INT> units(stops.begin(), stops.end());
    SendDlgItemMessageW(dialog_, control, LB_SETTABSTOPS,
                        static_cast<WPARAM>(units.size()),
                        reinterpret_cast<LPARAM>(units.data()));
    InvalidateRect(GetDlgItem(dialog_, control), nullptr, TRUE);
  }
  void SetCheck(int control, bool checked) override {
    CheckDlgButton(dialog_, control, checked ? BST_CHECKED : BST_UNCHECKED);
  }
  bool IsChecked(int control) override {
    return IsDlgButtonChecked(dialog_, control) == BST_CHECKED;
  }
  void EnableControl(int control, bool enabled) override {
    if (HWND item = GetDlgItem(dialog_, control)) {
      EnableWindow(item, enabled ? TRUE : FALSE);
    }
  }
  void SetControlText(int control, std::string_view text) override {
    SetDlgItemTextW(dialog_, control, Widen(text).c_str());
  }
  std::string ControlText(int control) override {
    HWND item = GetDlgItem(dialog_, control);
    if (item == nullptr) return {};
    const int length = GetWindowTextLengthW(item);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(item, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return Narrow(text);
  }
  void LimitText(int control, int max_characters) override {
    SendDlgItemMessageW(dialog_, control, EM_LIMITTEXT,
                        static_cast<WPARAM>(max_characters), 0);
  }
  void SetCaption(std::string_view caption) override {
    SetWindowTextW(dialog_, Widen(caption).c_str());
  }
  int Dpi() override { return WindowDpi(dialog_); }
  void DrawTextAtPixel(int control, int x, int y,
                       std::string_view text) override {
    HWND target =
        control == kDialogClientArea ? dialog_ : GetDlgItem(dialog_, control);
    if (target == nullptr) return;
    HDC dc = GetDC(target);
    if (dc == nullptr) return;
    // The dialog's own font, so Japanese text draws with the same face as
    // the controls around it.
    HFONT font =
        reinterpret_cast<HFONT>(SendMessageW(dialog_, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, OPAQUE);
    const std::wstring wide = Widen(text);
    TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
    if (previous != nullptr) SelectObject(dc, previous);
    ReleaseDC(target, dc);
  }
  void StartTimer(int timer_id, int period_ms) override {
    SetTimer(dialog_, static_cast<UINT_PTR>(timer_id),
             static_cast<UINT>(period_ms), nullptr);
  }
  void StopTimer(int timer_id) override {
    KillTimer(dialog_, static_cast<UINT_PTR>(timer_id));
  }
  void SetProgressRange(int control, int low, int high) override {
    SendDlgItemMessageW(dialog_, control, PBM_SETRANGE32,
                        static_cast<WPARAM>(low), static_cast<LPARAM>(high));
  }
  void SetProgressStep(int control, int step) override {
    SendDlgItemMessageW(dialog_, control, PBM_SETSTEP,
                        static_cast<WPARAM>(step), 0);
  }
  void SetProgressPosition(int control, int position) override {
    SendDlgItemMessageW(dialog_, control, PBM_SETPOS,
                        static_cast<WPARAM>(position), 0);
  }
  void StepProgress(int control) override {
    SendDlgItemMessageW(dialog_, control, PBM_STEPIT, 0, 0);
  }
  void OpenInputMethod() override {
    HWND window = GetActiveWindow();
    if (window == nullptr) window = dialog_;
    if (HIMC context = ImmGetContext(window)) {
      ImmSetOpenStatus(context, TRUE);
      ImmReleaseContext(window, context);
    }
  }
  void EndDialog(int result) override {
    if (modeless_) {
      DestroyWindow(dialog_);
    } else {
      ::EndDialog(dialog_, result);
    }
  }

 private:
  bool IsListBox(int control) {
    HWND item = GetDlgItem(dialog_, control);
    return item != nullptr && IsClass(item, WC_LISTBOXW);
  }

  HWND dialog_;
  bool modeless_;
};

struct HostedDialog {
  Dialog* dialog;
  Win32DialogView* view;
  // A modeless dialog: its object, owned until the window is gone, and the
  // runner that lists it.
  std::unique_ptr<Dialog> owned;
  Win32DialogRunner* runner = nullptr;
};

// Combo box, edit and button notification codes overlap, so the kind of
// control decides what a code means.
ControlNotification Classify(HWND control, WORD code) {
  if (control == nullptr) {
    // Enter and Escape from the dialog manager, or an accelerator.
    return ControlNotification::kClicked;
  }
  if (IsClass(control, WC_COMBOBOXW)) {
    return code == CBN_SELCHANGE ? ControlNotification::kSelectionChange
                                 : ControlNotification::kOther;
  }
  if (IsClass(control, WC_LISTBOXW)) {
    return code == LBN_SELCHANGE ? ControlNotification::kSelectionChange
                                 : ControlNotification::kOther;
  }
  if (IsClass(control, WC_EDITW)) {
    return code == EN_CHANGE ? ControlNotification::kEditChange
                             : ControlNotification::kOther;
  }
  if (IsClass(control, WC_BUTTONW)) {
    return code == BN_CLICKED ? ControlNotification::kClicked
                              : ControlNotification::kOther;
  }
  return ControlNotification::kOther;
}

// A dialog that disables its Close button (a sequence is running) cannot be
// closed by Escape or the close box either.
bool CloseDisabled(HWND dialog) {
  HWND close = GetDlgItem(dialog, kIdClose);
  return close != nullptr && !IsWindowEnabled(close);
}

INT_PTR CALLBACK HostDialogProc(HWND window, UINT message, WPARAM wparam,
                                LPARAM lparam) {
  auto* hosted =
      reinterpret_cast<HostedDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (message == WM_INITDIALOG) {
    hosted = reinterpret_cast<HostedDialog*>(lparam);
    SetWindowLongPtrW(window, DWLP_USER, lparam);
    hosted->view = new Win32DialogView(window, hosted->owned != nullptr);
    hosted->dialog->OnInit(*hosted->view);
    return TRUE;  // the dialog manager sets the default focus
  }
  if (hosted == nullptr || hosted->view == nullptr) return FALSE;
  Dialog& dialog = *hosted->dialog;
  DialogView& view = *hosted->view;
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == kIdClose && CloseDisabled(window)) return TRUE;
      dialog.OnCommand(
          view, id, Classify(reinterpret_cast<HWND>(lparam), HIWORD(wparam)));
      return TRUE;
    }
    case WM_TIMER:
      dialog.OnTimer(view, static_cast<int>(wparam));
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      dialog.OnPaint(view);
      return TRUE;
    }
    case WM_CLOSE:
      if (!CloseDisabled(window)) dialog.OnClose(view);
      return TRUE;
    case WM_NCDESTROY:
      delete hosted->view;
      hosted->view = nullptr;
      SetWindowLongPtrW(window, DWLP_USER, 0);
      if (hosted->owned != nullptr) {
        hosted->runner->Forget(window);
        delete hosted;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void Win32DialogRunner::ShowModeless(std::unique_ptr<Dialog> dialog) {
  const int template_id = dialog->template_id();
  for (HWND window : modeless_) {
    auto* hosted =
        reinterpret_cast<HostedDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (hosted != nullptr && hosted->dialog->template_id() == template_id) {
      ShowWindow(window, SW_RESTORE);
      SetForegroundWindow(window);
      return;
    }
  }
  auto* hosted =
      new HostedDialog{dialog.get(), nullptr, std::move(dialog), this};
  HWND window =
      CreateDialogParamW(instance_, MAKEINTRESOURCEW(template_id), owner_,
                         HostDialogProc, reinterpret_cast<LPARAM>(hosted));
  if (window == nullptr) {
    delete hosted;
    return;
  }
  modeless_.push_back(window);
  ShowWindow(window, SW_SHOW);
}

bool Win32DialogRunner::HandleDialogMessage(MSG& message) {
  for (HWND window : modeless_) {
    if (IsDialogMessageW(window, &message)) return true;
  }
  return false;
}

void Win32DialogRunner::Forget(HWND window) { std::erase(modeless_, window); }

int Win32DialogRunner::RunModal(Dialog& dialog) {
  HostedDialog hosted{&dialog, nullptr, nullptr, nullptr};
  const INT_PTR result =
      DialogBoxParamW(instance_, MAKEINTRESOURCEW(dialog.template_id()), owner_,
                      HostDialogProc, reinterpret_cast<LPARAM>(&hosted));
  delete hosted.view;  // only when the dialog ended before WM_NCDESTROY
  return static_cast<int>(result);
}

}  // namespace vqx::win32
