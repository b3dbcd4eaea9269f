#include "posix/receive_thread.h"

#include "link/receive_loop.h"

namespace vqx {

ReceiveThread::ReceiveThread(SerialPort& port, LinkState& state,
                             ReplyDispatcher& dispatcher)
    : port_(port), state_(state) {
  state_.receive_running = 1;
  thread_ = std::thread([&port, &state, &dispatcher] {
    RunReceiveLoop(port, state, dispatcher);
  });
}

ReceiveThread::~ReceiveThread() { Stop(); }

void ReceiveThread::Stop() {
  if (!thread_.joinable()) return;
  state_.receive_running = 0;
  port_.CancelRead();
  thread_.join();
}

}  // namespace vqx
