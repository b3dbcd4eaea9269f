// pty-tap: sits on the serial line between the program and the simulated
// device and records the exact bytes the program sends, which the device's
// own log shows only as lines without their CR LF.
//
//   pty-tap LINK DEVICE RAW_FILE
//
// Opens a new pseudo-terminal, makes LINK point at its slave side (the
// program's COM port), opens DEVICE (the simulator's slave side) and copies
// bytes both ways; every byte from the program is appended to RAW_FILE as
// received. Prints the slave path on its first output line and runs until
// SIGTERM or SIGINT.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

volatile sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "pty-tap: %s: %s\n", what.c_str(), std::strerror(errno));
  std::exit(1);
}

void MakeRaw(int fd) {
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) return;
  cfmakeraw(&settings);
  tcsetattr(fd, TCSANOW, &settings);
}

bool WriteAll(int fd, const char* bytes, size_t count) {
  while (count > 0) {
    ssize_t written = write(fd, bytes, count);
    if (written < 0) {
      if (errno == EINTR || errno == EAGAIN) {
        usleep(1000);
        continue;
      }
      return false;
    }
    bytes += written;
    count -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: pty-tap LINK DEVICE RAW_FILE\n");
    return 2;
  }
  const std::string link = argv[1];
  int device = open(argv[2], O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (device < 0) Fail(std::string("open ") + argv[2]);
  MakeRaw(device);
  int raw = open(argv[3], O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (raw < 0) Fail(std::string("open ") + argv[3]);

  int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    Fail("posix_openpt");
  }
  const std::string slave = ptsname(master);
  // Holding the slave open keeps the master readable while the program
  // closes and reopens its port.
  int keep = open(slave.c_str(), O_RDWR | O_NOCTTY);
  if (keep < 0) Fail("open " + slave);
  MakeRaw(keep);
  unlink(link.c_str());
  if (symlink(slave.c_str(), link.c_str()) != 0) Fail("symlink " + link);

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
  std::printf("%s\n", slave.c_str());
  std::fflush(stdout);

  char buffer[4096];
  while (!g_stop) {
    pollfd fds[2] = {{master, POLLIN, 0}, {device, POLLIN, 0}};
    if (poll(fds, 2, 200) < 0) {
      if (errno == EINTR) continue;
      Fail("poll");
    }
    if (fds[0].revents & POLLIN) {
      ssize_t got = read(master, buffer, sizeof buffer);
      if (got > 0) {
        WriteAll(raw, buffer, static_cast<size_t>(got));
        WriteAll(device, buffer, static_cast<size_t>(got));
      }
    }
    if (fds[1].revents & POLLIN) {
      ssize_t got = read(device, buffer, sizeof buffer);
      if (got > 0) WriteAll(master, buffer, static_cast<size_t>(got));
    }
    if ((fds[0].revents | fds[1].revents) & (POLLHUP | POLLERR)) {
      usleep(20000);
    }
  }
  char target[4096];
  ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
  if (length > 0 && slave == std::string(target, static_cast<size_t>(length))) {
    unlink(link.c_str());
  }
  return 0;
}
