// Platform services the portable core calls. The Win32 program and the POSIX
// tools each implement them; tests use recording fakes.
//
// All texts crossing these interfaces are UTF-8, except where a comment says
// Shift_JIS. Conversion to the platform's own encoding happens at the edge.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vqx {

// Result boxes and questions. The three box kinds each play the question-mark
// sound first, have no owner window and block the calling thread until the
// user closes them (the receive thread may call them too).
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Caption "Success", no icon.
  virtual void ShowSuccessBox(std::string_view text) = 0;
  // Caption "Error", error icon.
  virtual void ShowErrorBox(std::string_view text) = 0;
  // Caption "Error", warning icon.
  virtual void ShowWarningBox(std::string_view text) = 0;
  // Yes/No question with the question icon and the given caption.
  // Returns true for Yes.
  virtual bool AskYesNo(std::string_view text, std::string_view caption) = 0;
};

struct LocalTime {
  int year = 2000;
  int month = 1;    // 1..12
  int day = 1;      // 1..31
  int weekday = 0;  // 0 Sunday .. 6 Saturday
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;  // 0..999
};

// The local wall-clock time (status bar, time stamps of the traffic log).
// Safe to call from any thread.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
};

// A monotonic clock for pacing: time since an arbitrary fixed point, never
// going backwards, unaffected by changes of the wall clock. Safe to call
// from any thread.
class SteadyClock {
 public:
  virtual ~SteadyClock() = default;
  virtual std::chrono::milliseconds Now() = 0;
};

// Private-profile style key/value store (the INI file).
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  // The value of `key` in `section`, or `fallback` when the file, section or
  // key is missing.
  virtual std::string GetString(std::string_view section, std::string_view key,
                                std::string_view fallback) = 0;
  // Returns false when the value could not be written.
  virtual bool WriteString(std::string_view section, std::string_view key,
                           std::string_view value) = 0;
};

// Conversion between UTF-8 (user interface) and Shift_JIS (code page 932,
// titles and settings files).
class TextCodec {
 public:
  virtual ~TextCodec() = default;
  // Bytes that do not convert become U+FFFD or '?', never an error.
  virtual std::string ShiftJisToUtf8(std::string_view sjis) = 0;
  // Characters without a Shift_JIS form become '?'.
  virtual std::string Utf8ToShiftJis(std::string_view utf8) = 0;
};

// A serial port the system has now.
struct SerialPortInfo {
  int number = 0;           // n of "COMn", 1..256
  std::string description;  // what the system calls it; may be empty
};

class SerialPortList {
 public:
  virtual ~SerialPortList() = default;
  // The serial ports present now, by ascending number.
  virtual std::vector<SerialPortInfo> PresentPorts() = 0;
};

// Open and save a settings file; choose a settings file to compare the
// settings in memory with; save the traffic log as text; save the settings
// sheet (HTML).
enum class FileChooserMode {
  kOpen = 1,
  kSave = 2,
  kCompare = 3,
  kSaveLog = 4,
  kSaveSheet = 5
};

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // The chosen path (UTF-8), or nothing when the user cancelled.
  virtual std::optional<std::string> Choose(FileChooserMode mode) = 0;
};

// Opens a file the program wrote (the settings sheet) in the program the
// system opens such files with: the default browser for a page.
class DocumentOpener {
 public:
  virtual ~DocumentOpener() = default;
  // False when the system could not open it.
  virtual bool Open(std::string_view utf8_path) = 0;
};

// The platform's services the dialogs and the file menu work with, as one
// bundle the front end fills.
struct PlatformServices {
  MessageBoxes& boxes;
  TextCodec& codec;  // Shift_JIS <-> UTF-8
  Clock& clock;      // the PC's local time
  SteadyClock& steady_clock;
  ProfileStore& profile;  // the program's INI file
  FileChooser& chooser;
};

}  // namespace vqx
