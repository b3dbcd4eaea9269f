#include "protocol/connection.h"

#include "transport/receive_loop.h"

namespace vqx {

Connection::Connection(SettingsStore& settings, MessageBoxes& boxes,
                       SteadyClock& clock)
    : link_(state_, config_, slave_address_, clock),
      dispatcher_(state_, config_, settings, boxes, clock) {
  dispatcher_.SetReadBackRecord(&read_backs_);
}

Connection::~Connection() { Stop(); }

void Connection::Attach(SerialPort* port) {
  Stop();
  port_ = port;
  link_.AttachPort(port);
}

void Connection::SetTrafficLog(TrafficLog* log) {
  link_.AttachTap(log);
  dispatcher_.SetTrafficLog(log);
}

bool Connection::Start() {
  if (thread_.joinable() || port_ == nullptr) return false;
  {
    std::lock_guard<std::mutex> lock(ended_mutex_);
    ended_ = false;
  }
  state_.receive_running = 1;
  try {
    thread_ = std::thread([this, port = port_] {
      RunReceiveLoop(*port, state_, dispatcher_);
      std::lock_guard<std::mutex> lock(ended_mutex_);
      ended_ = true;
      ended_changed_.notify_all();
    });
  } catch (const std::system_error&) {
    state_.receive_running = 0;
    return false;
  }
  return true;
}

bool Connection::Stop(std::chrono::milliseconds wait) {
  if (!thread_.joinable()) return true;
  state_.receive_running = 0;
  port_->CancelRead();
  bool ended = true;
  if (wait != std::chrono::milliseconds::max()) {
    std::unique_lock<std::mutex> lock(ended_mutex_);
    ended = ended_changed_.wait_for(lock, wait, [this] { return ended_; });
  }
  if (ended) {
    thread_.join();
  } else {
    thread_.detach();
  }
  return ended;
}

}  // namespace vqx
