#include "win32/message_boxes.h"

#include <windows.h>

#include "win32/text.h"

namespace vqx::win32 {
namespace {

void ShowResultBox(std::string_view text, const wchar_t* caption, UINT icon) {
  MessageBeep(MB_ICONQUESTION);
  MessageBoxW(nullptr, Widen(text).c_str(), caption,
              MB_OK | MB_TASKMODAL | icon);
}

}  // namespace

void Win32MessageBoxes::ShowSuccessBox(std::string_view text) {
  ShowResultBox(text, L"Success", 0);
}

void Win32MessageBoxes::ShowErrorBox(std::string_view text) {
  ShowResultBox(text, L"Error", MB_ICONHAND);
}

void Win32MessageBoxes::ShowWarningBox(std::string_view text) {
  ShowResultBox(text, L"Error", MB_ICONEXCLAMATION);
}

bool Win32MessageBoxes::AskYesNo(std::string_view text,
                                 std::string_view caption) {
  // Task-modal: while the question is up, the main window takes no second
  // Exit or Open that could start the same flow again.
  return MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(),
                     MB_ICONQUESTION | MB_YESNO | MB_TASKMODAL) == IDYES;
}

}  // namespace vqx::win32
