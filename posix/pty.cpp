#include "posix/pty.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "posix/posix_error.h"

namespace vqx {

PseudoTerminal::PseudoTerminal() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0) throw PosixError("posix_openpt", errno);
  try {
    if (grantpt(master_) != 0) throw PosixError("grantpt", errno);
    if (unlockpt(master_) != 0) throw PosixError("unlockpt", errno);
    char name[256];
    if (int error = ptsname_r(master_, name, sizeof name); error != 0) {
      throw PosixError("ptsname_r", error);
    }
    slave_path_ = name;
    slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) throw PosixError("open " + slave_path_, errno);
    termios settings{};
    if (tcgetattr(slave_, &settings) != 0) {
      throw PosixError("tcgetattr " + slave_path_, errno);
    }
    cfmakeraw(&settings);
    if (tcsetattr(slave_, TCSANOW, &settings) != 0) {
      throw PosixError("tcsetattr " + slave_path_, errno);
    }
    initial_ = settings;
  } catch (...) {
    if (slave_ >= 0) close(slave_);
    close(master_);
    throw;
  }
}

void PseudoTerminal::ResetSlave() {
  tcsetattr(slave_, TCSANOW, &initial_);
  tcflush(slave_, TCIFLUSH);
}

PseudoTerminal::~PseudoTerminal() {
  close(slave_);
  close(master_);
}

}  // namespace vqx
