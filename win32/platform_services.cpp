#include "win32/platform_services.h"

#include <commdlg.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <system_error>
#include <vector>

#include "win32/text.h"

namespace vqx::win32 {
namespace {

constexpr wchar_t kIniFileName[] = L"vqx460j.ini";
constexpr wchar_t kIniFolderName[] = L"VQX-460";
// Paths of up to 8191 characters.
constexpr DWORD kPathBufferCharacters = 8192;

bool FileExists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
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
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = mode == FileChooserMode::kSaveLog ? kLogFilter : kFilter;
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
  } else {
    dialog.lpstrTitle = L"ファイルの保存";
    dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    chosen = GetSaveFileNameW(&dialog);
  }
  if (!chosen) return std::nullopt;
  return Narrow(path.data());
}

Win32ProfileStore::Win32ProfileStore(std::filesystem::path user_file,
                                     std::filesystem::path legacy_file)
    : user_file_(std::move(user_file)), legacy_file_(std::move(legacy_file)) {}

Win32ProfileStore Win32ProfileStore::ForCurrentUser() {
  std::filesystem::path user = RoamingAppData();
  if (!user.empty()) user = user / kIniFolderName / kIniFileName;
  std::filesystem::path legacy = WindowsFolder();
  if (!legacy.empty()) legacy /= kIniFileName;
  // Without a per-user folder the old place is all there is.
  if (user.empty()) user = legacy;
  return Win32ProfileStore(user, legacy);
}

std::string Win32ProfileStore::GetString(std::string_view section,
                                         std::string_view key,
                                         std::string_view fallback) {
  const std::filesystem::path& file =
      FileExists(user_file_) || !FileExists(legacy_file_) ? user_file_
                                                          : legacy_file_;
  if (file.empty()) return std::string(fallback);
  const std::wstring wide_fallback = Widen(fallback);
  wchar_t value[256] = {};
  GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                           wide_fallback.c_str(), value, 256, file.c_str());
  return Narrow(value);
}

bool Win32ProfileStore::WriteString(std::string_view section,
                                    std::string_view key,
                                    std::string_view value) {
  if (user_file_.empty()) return false;
  if (!FileExists(user_file_)) {
    std::error_code error;
    std::filesystem::create_directories(user_file_.parent_path(), error);
    if (user_file_ != legacy_file_ && FileExists(legacy_file_)) {
      // Carry the old settings over before the first change.
      CopyFileW(legacy_file_.c_str(), user_file_.c_str(), TRUE);
    }
  }
  return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                                    Widen(value).c_str(),
                                    user_file_.c_str()) != FALSE;
}

}  // namespace vqx::win32
