// UTF-8 inside the program, UTF-16 at every Win32 call, Shift_JIS (code
// page 932) for titles and settings files.
#pragma once

#include <string>
#include <string_view>

#include "base/platform.h"

namespace vqx::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

class Win32TextCodec : public TextCodec {
 public:
  std::string ShiftJisToUtf8(std::string_view sjis) override;
  std::string Utf8ToShiftJis(std::string_view utf8) override;
};

}  // namespace vqx::win32
