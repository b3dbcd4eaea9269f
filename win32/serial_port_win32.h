// The COM port: opened once at start-up with overlapped I/O, written from
// the user-interface thread, read by the receive thread.
#pragma once

#include <windows.h>

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "base/platform.h"
#include "transport/serial_port.h"

namespace vqx::win32 {

// A read waits for its first byte at most this long, then returns empty and
// the receive loop simply waits again. A stop request ends the wait at once,
// so the value only sets how often an idle receive thread wakes.
inline constexpr DWORD kReadIdleTimeoutMs = 1000;

class Win32SerialPort : public SerialPort {
 public:
  Win32SerialPort();
  ~Win32SerialPort() override;
  Win32SerialPort(const Win32SerialPort&) = delete;
  Win32SerialPort& operator=(const Win32SerialPort&) = delete;

  // Opens "COM1".."COM256" for `com_port` 0..255 (as "\\.\COMn", which
  // every port number takes) and applies the fixed line
  // settings. Each failing step shows its error box and the next step is
  // still tried, so a missing port shows five boxes; the program runs on
  // with an unusable port. Returns true when every step succeeded.
  bool Open(int com_port, MessageBoxes& boxes);

  bool is_open() const { return handle_ != INVALID_HANDLE_VALUE; }

  // User-interface thread. The bytes are copied into a buffer that stays
  // alive until the overlapped write completes; a previous write still in
  // progress is finished first (at most the 1000 ms write time-out).
  bool Write(std::string_view bytes) override;

  // Receive thread. Returns as soon as bytes have arrived, with those and
  // whatever else the driver's queue holds; 0 after CancelRead or when the
  // port failed.
  std::size_t WaitAndRead(std::span<char> buffer) override;

  // Any thread: wakes a waiting WaitAndRead, which returns 0 from then on.
  void CancelRead() override;

 private:
  // Finishes the write in progress, if any.
  void FinishWrite();
  // Reads without waiting whatever the driver queue holds now.
  std::size_t ReadQueued(std::span<char> buffer);

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  HANDLE write_event_ = nullptr;
  HANDLE read_event_ = nullptr;
  HANDLE stop_event_ = nullptr;
  OVERLAPPED write_overlapped_{};
  bool write_pending_ = false;
  std::string write_buffer_;
};

}  // namespace vqx::win32
