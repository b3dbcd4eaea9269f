#include "win32/text.h"

#include <windows.h>

namespace vqx::win32 {
namespace {

constexpr UINT kShiftJisCodePage = 932;

std::wstring ToWide(UINT code_page, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int length = static_cast<int>(bytes.size());
  const int needed =
      MultiByteToWideChar(code_page, 0, bytes.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), length, wide.data(), needed);
  return wide;
}

std::string FromWide(UINT code_page, std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  // UTF-8 takes no default character; code page 932 maps the unmappable to
  // '?' and must not substitute look-alike characters.
  const DWORD flags = code_page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* fallback = code_page == CP_UTF8 ? nullptr : "?";
  const int needed = WideCharToMultiByte(code_page, flags, wide.data(), length,
                                         nullptr, 0, fallback, nullptr);
  if (needed <= 0) return {};
  std::string bytes(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(code_page, flags, wide.data(), length, bytes.data(),
                      needed, fallback, nullptr);
  return bytes;
}

}  // namespace

std::wstring Widen(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

std::string Narrow(std::wstring_view utf16) { return FromWide(CP_UTF8, utf16); }

std::string Win32TextCodec::ShiftJisToUtf8(std::string_view sjis) {
  return Narrow(ToWide(kShiftJisCodePage, sjis));
}

std::string Win32TextCodec::Utf8ToShiftJis(std::string_view utf8) {
  return FromWide(kShiftJisCodePage, Widen(utf8));
}

}  // namespace vqx::win32
