#include "posix/serial_port_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "posix/posix_error.h"

namespace vqx {

namespace {

speed_t BaudConstant(int baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    default:
      return B9600;
  }
}

}  // namespace

void ApplyLineSettings(termios& t, const LineSettings& line) {
  cfmakeraw(&t);  // no echo, no line editing, no translation, 8 bits
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD);
  t.c_cflag |= CS8 | CREAD | CLOCAL;
  if (line.parity == 'E' || line.parity == 'O') t.c_cflag |= PARENB;
  if (line.parity == 'O') t.c_cflag |= PARODD;
  if (line.stop_bits == 2) t.c_cflag |= CSTOPB;
  if (line.cts_output_flow) t.c_cflag |= CRTSCTS;
  t.c_iflag &= ~static_cast<tcflag_t>(INPCK | IXON | IXOFF | IXANY);
  if (line.check_received_parity) t.c_iflag |= INPCK;
  if (line.xon_xoff_output) t.c_iflag |= IXON;
  if (line.xon_xoff_input) t.c_iflag |= IXOFF;
  t.c_cc[VSTART] = static_cast<cc_t>(line.xon_char);
  t.c_cc[VSTOP] = static_cast<cc_t>(line.xoff_char);
  // read() returns at once with what has arrived; poll() does the waiting.
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  cfsetispeed(&t, BaudConstant(line.baud_rate));
  cfsetospeed(&t, BaudConstant(line.baud_rate));
}

PosixSerialPort::PosixSerialPort(const std::string& path) : path_(path) {
  fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) throw PosixError("open " + path, errno);
  try {
    if (!isatty(fd_)) throw PosixError("open " + path, ENOTTY);
    // Exclusive use, as the port is opened without sharing: the lock keeps
    // out other programs that lock their ports, TIOCEXCL the others (except
    // the superuser's).
    if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      throw PosixError("open " + path + ": in use by another program (flock)",
                       errno);
    }
    if (ioctl(fd_, TIOCEXCL) != 0) throw PosixError("TIOCEXCL " + path, errno);
    termios settings{};
    if (tcgetattr(fd_, &settings) != 0) {
      throw PosixError("tcgetattr " + path, errno);
    }
    ApplyLineSettings(settings, kLineSettings);
    if (tcsetattr(fd_, TCSANOW, &settings) != 0) {
      // A pseudo-terminal carries no parity, and some systems refuse the
      // request outright instead of ignoring the bit.
      if (errno != EINVAL || !(settings.c_cflag & PARENB)) {
        throw PosixError("tcsetattr " + path, errno);
      }
      settings.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
      if (tcsetattr(fd_, TCSANOW, &settings) != 0) {
        throw PosixError("tcsetattr " + path, errno);
      }
      parity_applied_ = false;
    }
    tcflush(fd_, TCIOFLUSH);
    if (pipe2(cancel_pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
      throw PosixError("pipe2", errno);
    }
  } catch (...) {
    close(fd_);
    throw;
  }
}

PosixSerialPort::~PosixSerialPort() {
  close(fd_);
  close(cancel_pipe_[0]);
  close(cancel_pipe_[1]);
}

void PosixSerialPort::Fail(std::string_view call, int error) {
  std::lock_guard<std::mutex> lock(error_mutex_);
  last_error_ = DescribeError(std::string(call) + " " + path_, error);
}

std::string PosixSerialPort::last_error() const {
  std::lock_guard<std::mutex> lock(error_mutex_);
  return last_error_;
}

bool PosixSerialPort::Write(std::string_view bytes) {
  using Clock = std::chrono::steady_clock;
  const auto deadline =
      Clock::now() + std::chrono::milliseconds(kLineSettings.write_timeout_ms);
  while (!bytes.empty()) {
    ssize_t put = write(fd_, bytes.data(), bytes.size());
    if (put > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(put));
      continue;
    }
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && errno != EAGAIN) {
      Fail("write", errno);
      return false;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - Clock::now())
                    .count();
    pollfd fd{fd_, POLLOUT, 0};
    if (left <= 0 || poll(&fd, 1, static_cast<int>(left)) <= 0) {
      Fail("write", ETIMEDOUT);
      return false;
    }
  }
  return true;
}

std::size_t PosixSerialPort::WaitAndRead(std::span<char> buffer) {
  if (buffer.empty()) return 0;
  for (;;) {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {cancel_pipe_[0], POLLIN, 0}};
    int ready = poll(fds, 2, -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      Fail("poll", errno);
      return 0;
    }
    if (fds[1].revents != 0) {
      char drained[64];
      while (read(cancel_pipe_[0], drained, sizeof drained) > 0) {
      }
      return 0;
    }
    if (fds[0].revents & POLLIN) {
      ssize_t got = read(fd_, buffer.data(), buffer.size());
      if (got > 0) return static_cast<std::size_t>(got);
      if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      Fail("read", got < 0 ? errno : EIO);
      return 0;
    }
    // Hang-up or error without data: report it; the caller decides whether
    // to wait again.
    Fail("poll", (fds[0].revents & POLLHUP) ? EIO : EBADF);
    return 0;
  }
}

void PosixSerialPort::CancelRead() {
  char byte = 1;
  [[maybe_unused]] ssize_t written = write(cancel_pipe_[1], &byte, 1);
}

}  // namespace vqx
