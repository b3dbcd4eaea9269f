#include "win32/serial_port_win32.h"

#include <algorithm>
#include <string>

namespace vqx::win32 {
namespace {

constexpr int kPortCount = 256;  // COM1..COM256

HANDLE NewManualResetEvent() {
  return CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

}  // namespace

Win32SerialPort::Win32SerialPort()
    : write_event_(NewManualResetEvent()),
      read_event_(NewManualResetEvent()),
      stop_event_(NewManualResetEvent()) {}

Win32SerialPort::~Win32SerialPort() {
  if (handle_ != INVALID_HANDLE_VALUE) {
    FinishWrite();
    CloseHandle(handle_);
  }
  for (HANDLE event : {write_event_, read_event_, stop_event_}) {
    if (event != nullptr) CloseHandle(event);
  }
}

bool Win32SerialPort::Open(int com_port, MessageBoxes& boxes) {
  bool ok = true;
  const auto fail = [&](std::string_view message) {
    ok = false;
    boxes.ShowErrorBox(message);
  };

  if (com_port >= 0 && com_port < kPortCount) {
    // The device namespace form works for every port number.
    const std::wstring name = L"\\\\.\\COM" + std::to_wstring(com_port + 1);
    handle_ =
        CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                    0,  // exclusive
                    nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  }
  if (handle_ == INVALID_HANDLE_VALUE) fail("Miss! File Open");

  if (!SetCommMask(handle_, EV_RXCHAR)) fail("Miss! Mask Set");

  if (!SetupComm(handle_, kLineSettings.receive_queue_bytes,
                 kLineSettings.transmit_queue_bytes)) {
    fail("Miss! Buffer Set");
  }

  // Reads ask for one byte and wait for it at most kReadIdleTimeoutMs, so a
  // read returns as soon as a byte arrives and the idle thread wakes only
  // once per time-out; the rest of the queue is then taken at once.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = 0;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = kReadIdleTimeoutMs;
  timeouts.WriteTotalTimeoutMultiplier = 0;
  timeouts.WriteTotalTimeoutConstant =
      static_cast<DWORD>(kLineSettings.write_timeout_ms);
  if (!SetCommTimeouts(handle_, &timeouts)) fail("Miss! Time Out Set");

  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  bool state_ok = GetCommState(handle_, &dcb) != FALSE;
  if (state_ok) {
    dcb.BaudRate = static_cast<DWORD>(kLineSettings.baud_rate);
    dcb.ByteSize = static_cast<BYTE>(kLineSettings.data_bits);
    dcb.Parity = EVENPARITY;
    dcb.fParity = kLineSettings.check_received_parity ? TRUE : FALSE;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = kLineSettings.raw ? TRUE : FALSE;
    dcb.fOutxCtsFlow = kLineSettings.cts_output_flow ? TRUE : FALSE;
    dcb.fDtrControl = kLineSettings.dtr_handshake ? DTR_CONTROL_HANDSHAKE
                                                  : DTR_CONTROL_ENABLE;
    dcb.fRtsControl = kLineSettings.rts_handshake ? RTS_CONTROL_HANDSHAKE
                                                  : RTS_CONTROL_ENABLE;
    dcb.fOutX = kLineSettings.xon_xoff_output ? TRUE : FALSE;
    dcb.fInX = kLineSettings.xon_xoff_input ? TRUE : FALSE;
    dcb.XonChar = kLineSettings.xon_char;
    dcb.XoffChar = kLineSettings.xoff_char;
    dcb.XonLim = static_cast<WORD>(kLineSettings.xon_limit);
    dcb.XoffLim = static_cast<WORD>(kLineSettings.xoff_limit);
    state_ok = SetCommState(handle_, &dcb) != FALSE;
  }
  if (!state_ok) fail("Miss! Set Comm State");
  return ok;
}

void Win32SerialPort::FinishWrite() {
  if (!write_pending_) return;
  DWORD written = 0;
  GetOverlappedResult(handle_, &write_overlapped_, &written, TRUE);
  write_pending_ = false;
}

bool Win32SerialPort::Write(std::string_view bytes) {
  if (handle_ == INVALID_HANDLE_VALUE || write_event_ == nullptr) return false;
  // The buffer and the overlapped record belong to the write in progress
  // until it completes.
  FinishWrite();
  write_buffer_.assign(bytes);
  write_overlapped_ = OVERLAPPED{};
  write_overlapped_.hEvent = write_event_;
  ResetEvent(write_event_);
  DWORD written = 0;
  if (WriteFile(handle_, write_buffer_.data(),
                static_cast<DWORD>(write_buffer_.size()), &written,
                &write_overlapped_)) {
    return true;
  }
  if (GetLastError() == ERROR_IO_PENDING) {
    write_pending_ = true;
    return true;
  }
  DWORD errors = 0;
  ClearCommError(handle_, &errors, nullptr);
  return false;
}

std::size_t Win32SerialPort::ReadQueued(std::span<char> buffer) {
  DWORD errors = 0;
  COMSTAT status{};
  if (buffer.empty() || !ClearCommError(handle_, &errors, &status) ||
      status.cbInQue == 0) {
    return 0;
  }
  const DWORD wanted =
      std::min<DWORD>(status.cbInQue, static_cast<DWORD>(buffer.size()));
  OVERLAPPED overlapped{};
  overlapped.hEvent = read_event_;
  ResetEvent(read_event_);
  DWORD got = 0;
  if (!ReadFile(handle_, buffer.data(), wanted, &got, &overlapped)) {
    if (GetLastError() != ERROR_IO_PENDING) return 0;
    // Queued bytes complete the read at once. Some drivers report a queue
    // count that is not there; such a read would wait for the next reply and
    // hold this one back, so it is cancelled instead.
    if (WaitForSingleObject(read_event_, 0) != WAIT_OBJECT_0) {
      CancelIo(handle_);
    }
    if (!GetOverlappedResult(handle_, &overlapped, &got, TRUE)) return 0;
  }
  return got;
}

std::size_t Win32SerialPort::WaitAndRead(std::span<char> buffer) {
  if (stop_event_ == nullptr ||
      WaitForSingleObject(stop_event_, 0) == WAIT_OBJECT_0) {
    return 0;
  }
  if (handle_ == INVALID_HANDLE_VALUE || read_event_ == nullptr) {
    // Nothing will ever arrive; sleep until the program ends.
    WaitForSingleObject(stop_event_, INFINITE);
    return 0;
  }
  if (buffer.empty()) return 0;

  for (;;) {
    const ULONGLONG started = GetTickCount64();
    OVERLAPPED overlapped{};
    overlapped.hEvent = read_event_;
    ResetEvent(read_event_);
    DWORD got = 0;
    if (ReadFile(handle_, buffer.data(), 1, &got, &overlapped)) {
      // Completed at once.
    } else if (GetLastError() == ERROR_IO_PENDING) {
      const HANDLE events[2] = {read_event_, stop_event_};
      const DWORD woke = WaitForMultipleObjects(2, events, FALSE, INFINITE);
      if (woke != WAIT_OBJECT_0) {
        // Stop requested (or the wait failed): the record and the buffer
        // must outlive the read, so cancel it and let it finish.
        CancelIo(handle_);
        GetOverlappedResult(handle_, &overlapped, &got, TRUE);
        return 0;
      }
      if (!GetOverlappedResult(handle_, &overlapped, &got, FALSE)) {
        DWORD errors = 0;
        ClearCommError(handle_, &errors, nullptr);
        return 0;
      }
    } else {
      DWORD errors = 0;
      ClearCommError(handle_, &errors, nullptr);
      return 0;
    }
    if (got > 0) {
      return got + ReadQueued(buffer.subspan(got));
    }
    // The idle time-out passed with nothing received: wait again, unless
    // the program is ending. A driver that hands back empty reads early
    // must not make this loop spin.
    const DWORD pause =
        GetTickCount64() - started < kReadIdleTimeoutMs / 2 ? 50 : 0;
    if (WaitForSingleObject(stop_event_, pause) == WAIT_OBJECT_0) return 0;
  }
}

void Win32SerialPort::CancelRead() {
  if (stop_event_ != nullptr) SetEvent(stop_event_);
}

}  // namespace vqx::win32
