// The receive thread of the POSIX tools: the portable receive loop on a
// std::thread, stopped and joined cleanly.
#pragma once

#include <thread>

#include "base/link_state.h"
#include "transport/receive_loop.h"
#include "transport/serial_port.h"

namespace vqx {

class ReceiveThread {
 public:
  // Sets receive_running to 1 and starts reading `port`.
  ReceiveThread(SerialPort& port, LinkState& state, ReplyLineHandler& handler);
  // Stop().
  ~ReceiveThread();
  ReceiveThread(const ReceiveThread&) = delete;
  ReceiveThread& operator=(const ReceiveThread&) = delete;

  // Clears receive_running, wakes the pending read and waits for the thread
  // to end. Idempotent.
  void Stop();

 private:
  SerialPort& port_;
  LinkState& state_;
  std::thread thread_;
};

}  // namespace vqx
