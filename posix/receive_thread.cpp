#include "posix/receive_thread.h"

#include "transport/receive_loop.h"

namespace vqx {

ReceiveThread::ReceiveThread(SerialPort& port, LinkState& state,
                             ReplyLineHandler& handler)
    : port_(port), state_(state) {
  state_.receive_running = 1;
  thread_ = std::thread(
      [&port, &state, &handler] { RunReceiveLoop(port, state, handler); });
}

ReceiveThread::~ReceiveThread() { Stop(); }

void ReceiveThread::Stop() {
  if (!thread_.joinable()) return;
  state_.receive_running = 0;
  port_.CancelRead();
  thread_.join();
}

}  // namespace vqx
