// Platform services for the POSIX tools: the local and steady clocks, Shift_JIS
// conversion through iconv (code page 932), result boxes that become lines on
// stderr, and forcing saved files to the disk.
#pragma once

#include <iconv.h>

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/platform.h"

namespace vqx {

// The local time, to the millisecond.
class PosixClock : public Clock {
 public:
  LocalTime Now() override;
};

// CLOCK_MONOTONIC, through std::chrono::steady_clock.
class PosixSteadyClock : public SteadyClock {
 public:
  std::chrono::milliseconds Now() override;
};

// UTF-8 <-> CP932. Bytes that do not convert become U+FFFD (to UTF-8) or '?'
// (to Shift_JIS), as the interface asks.
class IconvTextCodec : public TextCodec {
 public:
  // Throws PosixError when the system has no CP932 converter.
  IconvTextCodec();
  ~IconvTextCodec() override;
  IconvTextCodec(const IconvTextCodec&) = delete;
  IconvTextCodec& operator=(const IconvTextCodec&) = delete;

  std::string ShiftJisToUtf8(std::string_view sjis) override;
  std::string Utf8ToShiftJis(std::string_view utf8) override;

 private:
  std::mutex mutex_;  // an iconv descriptor carries state
  iconv_t to_utf8_;
  iconv_t to_sjis_;
};

// The boxes of a command-line tool: each one is a line on stderr ("Error:
// Command Error"), and is remembered so the tool can decide its exit status.
// Questions are answered No. Safe to call from any thread.
class ConsoleMessageBoxes : public MessageBoxes {
 public:
  struct Shown {
    enum Kind { kSuccess, kError, kWarning } kind;
    std::string text;
  };

  // `print_success` also prints the success boxes (on stdout).
  explicit ConsoleMessageBoxes(bool print_success = false)
      : print_success_(print_success) {}

  void ShowSuccessBox(std::string_view text) override;
  void ShowErrorBox(std::string_view text) override;
  void ShowWarningBox(std::string_view text) override;
  bool AskYesNo(std::string_view text, std::string_view caption) override;

  std::vector<Shown> shown() const;
  // Error and warning boxes shown so far.
  int failures() const;
  void Clear();

 private:
  void Add(Shown::Kind kind, std::string_view text);

  bool print_success_;
  mutable std::mutex mutex_;
  std::vector<Shown> shown_;
};

// Makes the settings-file writer fsync its temporary file before the rename.
void InstallPosixFileSync();

}  // namespace vqx
