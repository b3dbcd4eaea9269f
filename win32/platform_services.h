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

// Opens a file with the program the system associates with it
// (ShellExecuteW "open"): the settings sheet in the default browser.
class Win32DocumentOpener : public DocumentOpener {
 public:
  bool Open(std::string_view utf8_path) override;
};

// Where the program's INI file "vqx460j.ini" lives: in the user's own
// application-data folder ("%APPDATA%\VQX-460"), which every user may write;
// and the file earlier versions kept in the Windows folder, read until the
// user's file exists (IniFileProfileStore's legacy file). UTF-8 paths.
struct ProfileLocations {
  std::string user_file;
  std::string legacy_file;
};
ProfileLocations CurrentUserProfileLocations();

}  // namespace vqx::win32
