#include "transport/writer_thread_port.h"

#include <algorithm>
#include <system_error>

namespace vqx {

WriterThreadPort::WriterThreadPort(SerialPort& port,
                                   std::function<void()> on_failure)
    : port_(port), on_failure_(std::move(on_failure)) {
  running_ = true;
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    running_ = false;
  }
}

WriterThreadPort::~WriterThreadPort() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
    queue_.clear();
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool WriterThreadPort::Write(std::string_view bytes) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!running_) return false;
    queue_.push_back({std::string(bytes), {}});
  }
  changed_.notify_all();
  return true;
}

void WriterThreadPort::Post(std::function<void()> job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!running_) return;
    queue_.push_back({{}, std::move(job)});
  }
  changed_.notify_all();
}

std::size_t WriterThreadPort::WaitAndRead(std::span<char> buffer) {
  return port_.WaitAndRead(buffer);
}

void WriterThreadPort::CancelRead() { port_.CancelRead(); }

void WriterThreadPort::WaitUntilIdle() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock,
                [this] { return !running_ || (queue_.empty() && !busy_); });
}

void WriterThreadPort::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return ending_ || !queue_.empty(); });
    if (ending_) break;
    Item item = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    if (item.job) {
      item.job();
    } else if (!port_.Write(item.bytes)) {
      if (on_failure_) on_failure_();
      lock.lock();
      queue_.erase(
          std::remove_if(queue_.begin(), queue_.end(),
                         [](const Item& queued) { return !queued.job; }),
          queue_.end());
      lock.unlock();
    }
    lock.lock();
    busy_ = false;
    changed_.notify_all();
  }
  running_ = false;
  changed_.notify_all();
}

}  // namespace vqx
