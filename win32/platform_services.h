// The remaining platform services of the Win32 program: the local and steady
// clocks, the common file dialogs and the INI file.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

#include "base/platform.h"

namespace vqx::win32 {

// Forces a saved file's data to the disk before it replaces the old file
// (installed as the settings file's sync hook).
bool FlushFileToDisk(const std::filesystem::path& path);

class Win32Clock : public Clock {
 public:
  LocalTime Now() override;
};

// GetTickCount64: milliseconds since the system started, at the system
// timer's resolution (about 16 ms unless raised).
class Win32SteadyClock : public SteadyClock {
 public:
  std::chrono::milliseconds Now() override;
};

// The open and save dialogs for settings files.
class Win32FileChooser : public FileChooser {
 public:
  void set_owner(HWND owner) { owner_ = owner; }
  std::optional<std::string> Choose(FileChooserMode mode) override;

 private:
  HWND owner_ = nullptr;
};

// The program's INI file "vqx460j.ini". It lives in the user's own
// application-data folder ("%APPDATA%\VQX-460"), which every user may write.
// Until that file exists, values are read from the file earlier versions
// kept in the Windows folder, and the first write copies that file over so
// no setting is lost.
class Win32ProfileStore : public ProfileStore {
 public:
  Win32ProfileStore(std::filesystem::path user_file,
                    std::filesystem::path legacy_file);

  // The usual locations: %APPDATA%\VQX-460\vqx460j.ini and
  // <Windows folder>\vqx460j.ini.
  static Win32ProfileStore ForCurrentUser();

  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view fallback) override;
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override;

  const std::filesystem::path& user_file() const { return user_file_; }

 private:
  std::filesystem::path user_file_;
  std::filesystem::path legacy_file_;
};

}  // namespace vqx::win32
