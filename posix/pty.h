// A pseudo-terminal pair: the master end for a simulated device, the slave
// end for the program under test (or Wine's COM port) to open like a serial
// device.
#pragma once

#include <termios.h>

#include <string>

namespace vqx {

class PseudoTerminal {
 public:
  // Opens a new pair. The master is non-blocking and close-on-exec. One
  // descriptor of the slave is kept open for the pair's whole life, so the
  // master never sees a hang-up while the peer closes and reopens the slave
  // (as a Windows program under Wine does with its COM port); the slave is
  // put in raw mode so that nothing is echoed or translated until the peer
  // applies its own line settings. Throws PosixError.
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  int master_fd() const { return master_; }
  const std::string& slave_path() const { return slave_path_; }

  // Puts the slave back into the raw state it was created in and discards
  // input nobody read. For the moments no peer has the slave open: a peer
  // applies its line settings on top of what it finds, and a request that
  // changes nothing but what a pseudo-terminal cannot hold (parity) is
  // refused as a whole.
  void ResetSlave();

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slave_path_;
  termios initial_{};
};

}  // namespace vqx
