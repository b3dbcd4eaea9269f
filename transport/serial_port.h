// The serial port as the link sees it, and the fixed line settings every
// backend applies. The Win32 backend (overlapped I/O on a COM port) and the
// POSIX backend (termios) implement `SerialPort`.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace vqx {

// Fixed, not configurable: 9600 baud, 8 data bits, even parity (received
// parity not checked), 1 stop bit, raw transfer, CTS output flow control,
// DTR and RTS in handshake mode, XON/XOFF both ways.
struct LineSettings {
  int baud_rate = 9600;
  int data_bits = 8;
  char parity = 'E';  // even
  bool check_received_parity = false;
  int stop_bits = 1;
  bool raw = true;
  bool cts_output_flow = true;
  bool dtr_handshake = true;
  bool rts_handshake = true;
  bool xon_xoff_output = true;
  bool xon_xoff_input = true;
  char xon_char = 0x11;
  char xoff_char = 0x13;
  int xon_limit = 256;
  int xoff_limit = 256;
  int receive_queue_bytes = 2000;
  int transmit_queue_bytes = 2000;
  int write_timeout_ms = 1000;
};

inline constexpr LineSettings kLineSettings{};

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Queues `bytes` for transmission and returns without waiting for a reply.
  // A failure is reported only through the result; callers may ignore it.
  virtual bool Write(std::string_view bytes) = 0;

  // Blocks until at least one byte has arrived, then returns how many bytes
  // were placed in `buffer` (whatever the port held, up to its size).
  // Returns 0 when CancelRead was called or the port failed; the caller
  // checks its own running flag and may call again.
  virtual std::size_t WaitAndRead(std::span<char> buffer) = 0;

  // Makes a pending or the next WaitAndRead return 0 promptly. Safe to call
  // from another thread.
  virtual void CancelRead() = 0;
};

}  // namespace vqx
