// The serial port over termios: a tty device (or the slave end of a
// pseudo-terminal) with the link's fixed line settings.
//
// What termios can say of the line settings is applied: 9600 baud, 8 data
// bits, even parity without checking received parity (no INPCK), one stop
// bit, raw transfer, CTS output flow control (CRTSCTS, which also drives RTS
// as the input handshake), XON/XOFF both ways with 0x11/0x13. Not expressible
// and left to the driver: the DTR handshake mode, the XON/XOFF limits and the
// queue sizes.
#pragma once

#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "transport/serial_port.h"

struct termios;

namespace vqx {

// Changes `t` (what the driver reported) into the termios form of `line`.
void ApplyLineSettings(termios& t, const LineSettings& line);

class PosixSerialPort : public SerialPort {
 public:
  // Opens `path` exclusively and applies the line settings; discards
  // whatever the driver still held from an earlier user. Throws PosixError
  // whose text names the failing call and the path ("open /dev/ttyS9: No such
  // file or directory").
  explicit PosixSerialPort(const std::string& path);
  ~PosixSerialPort() override;
  PosixSerialPort(const PosixSerialPort&) = delete;
  PosixSerialPort& operator=(const PosixSerialPort&) = delete;

  // Writes every byte, waiting for the driver (at most the line settings'
  // write time-out in all) when its queue is full.
  bool Write(std::string_view bytes) override;
  std::size_t WaitAndRead(std::span<char> buffer) override;
  void CancelRead() override;

  const std::string& path() const { return path_; }
  // False when the driver refused even parity and the port runs without it
  // (a pseudo-terminal has no parity bit).
  bool parity_applied() const { return parity_applied_; }
  // The text of the last failure of Write or WaitAndRead, "" if none.
  std::string last_error() const;

 private:
  void Fail(std::string_view call, int error);

  std::string path_;
  int fd_ = -1;
  bool parity_applied_ = true;
  int cancel_pipe_[2] = {-1, -1};
  mutable std::mutex error_mutex_;
  std::string last_error_;
};

}  // namespace vqx
