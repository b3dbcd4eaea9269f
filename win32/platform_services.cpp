#include "win32/platform_services.h"

#include <commdlg.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "win32/text.h"

namespace vqx::win32 {
namespace {

constexpr wchar_t kIniFileName[] = L"vqx460j.ini";
constexpr wchar_t kIniFolderName[] = L"VQX-460";
// Paths of up to 8191 characters.
constexpr DWORD kPathBufferCharacters = 8192;

std::string Utf8Path(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::filesystem::path RoamingAppData() {
  PWSTR folder = nullptr;
  std::filesystem::path path;
  if (SUCCEEDED(
          SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder))) {
    path = folder;
  }
  CoTaskMemFree(folder);
  if (path.empty()) {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", buffer, MAX_PATH);
    if (length > 0 && length < MAX_PATH) path = buffer;
  }
  return path;
}

std::filesystem::path WindowsFolder() {
  wchar_t buffer[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return buffer;
}

}  // namespace

bool FlushFileToDisk(const std::filesystem::path& path) {
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool flushed = FlushFileBuffers(file) != FALSE;
  CloseHandle(file);
  return flushed;
}

LocalTime Win32Clock::Now() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  LocalTime time;
  time.year = now.wYear;
  time.month = now.wMonth;
  time.day = now.wDay;
  time.weekday = now.wDayOfWeek;
  time.hour = now.wHour;
  time.minute = now.wMinute;
  time.second = now.wSecond;
  time.millisecond = now.wMilliseconds;
  return time;
}

std::chrono::milliseconds Win32SteadyClock::Now() {
  return std::chrono::milliseconds(GetTickCount64());
}

std::optional<std::string> Win32FileChooser::Choose(FileChooserMode mode) {
  std::vector<wchar_t> path(kPathBufferCharacters, L'\0');
  // Pairs of (description, pattern), the list ending in an empty pair.
  static constexpr wchar_t kFilter[] =
      L"データ(*.dat)\0*.dat\0すべて(*.*)\0*.*\0";
  static constexpr wchar_t kLogFilter[] =
      L"テキスト(*.txt)\0*.txt\0すべて(*.*)\0*.*\0";
  static constexpr wchar_t kSheetFilter[] =
      L"設定一覧(*.html)\0*.html\0すべて(*.*)\0*.*\0";
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = mode == FileChooserMode::kSaveLog     ? kLogFilter
                       : mode == FileChooserMode::kSaveSheet ? kSheetFilter
                                                             : kFilter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = kPathBufferCharacters;
  BOOL chosen = FALSE;
  if (mode == FileChooserMode::kOpen) {
    dialog.lpstrTitle = L"ファイルのオープン";
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    chosen = GetOpenFileNameW(&dialog);
  } else if (mode == FileChooserMode::kCompare) {
    dialog.lpstrTitle = L"比較するファイル";
    dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    chosen = GetOpenFileNameW(&dialog);
  } else if (mode == FileChooserMode::kSaveLog) {
    dialog.lpstrTitle = L"通信ログの保存";
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    chosen = GetSaveFileNameW(&dialog);
  } else if (mode == FileChooserMode::kSaveSheet) {
    dialog.lpstrTitle = L"設定一覧の保存";
    dialog.lpstrDefExt = L"html";
    dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    chosen = GetSaveFileNameW(&dialog);
  } else {
    dialog.lpstrTitle = L"ファイルの保存";
    dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    chosen = GetSaveFileNameW(&dialog);
  }
  if (!chosen) return std::nullopt;
  return Narrow(path.data());
}

bool Win32DocumentOpener::Open(std::string_view utf8_path) {
  const std::wstring path = Widen(utf8_path);
  // A value above 32 means the system started the program for it.
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
      nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

ProfileLocations CurrentUserProfileLocations() {
  std::filesystem::path user = RoamingAppData();
  if (!user.empty()) user = user / kIniFolderName / kIniFileName;
  std::filesystem::path legacy = WindowsFolder();
  if (!legacy.empty()) legacy /= kIniFileName;
  // Without a per-user folder the old place is all there is.
  if (user.empty()) return {Utf8Path(legacy), {}};
  return {Utf8Path(user), Utf8Path(legacy)};
}

}  // namespace vqx::win32
