// Recording fakes of the link, shared by the unit tests of the layers that
// send: the command sink collects the lines sent, the port is an in-memory
// line whose bytes the test hands over as the device would.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstring>
#include <deque>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/fakes.h"
#include "transport/command_sink.h"
#include "transport/serial_port.h"

namespace vqx::testing {

// Collects the bare command lines in the order they were sent.
class RecordingSink : public CommandSink {
 public:
  void SendCommand(std::string_view bare_command) override {
    lines.emplace_back(bare_command);
  }
  std::vector<std::string> lines;
};

// An in-memory port: Write records, WaitAndRead hands out queued chunks one
// per call and blocks while none is queued.
class FakePort : public SerialPort {
 public:
  bool Write(std::string_view bytes) override {
    std::lock_guard<std::mutex> lock(mutex_);
    written_.emplace_back(bytes);
    return true;
  }

  std::size_t WaitAndRead(std::span<char> buffer) override {
    std::unique_lock<std::mutex> lock(mutex_);
    ++reads_waiting_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return cancelled_ || !chunks_.empty(); });
    --reads_waiting_;
    if (cancelled_) {
      cancelled_ = false;
      return 0;
    }
    std::string& chunk = chunks_.front();
    const std::size_t count = std::min(chunk.size(), buffer.size());
    std::memcpy(buffer.data(), chunk.data(), count);
    chunk.erase(0, count);
    if (chunk.empty()) chunks_.pop_front();
    return count;
  }

  void CancelRead() override {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
    changed_.notify_all();
  }

  // Queues bytes as if the device had sent them.
  void Receive(std::string chunk) {
    std::lock_guard<std::mutex> lock(mutex_);
    chunks_.push_back(std::move(chunk));
    changed_.notify_all();
  }

  // Blocks until every queued chunk has been handed out and the reader is
  // back waiting, so everything handed out has been processed.
  void WaitUntilDrained() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return chunks_.empty() && reads_waiting_ > 0; });
  }

  // Each Write's bytes, in order.
  std::vector<std::string> written() {
    std::lock_guard<std::mutex> lock(mutex_);
    return written_;
  }
  void ClearWritten() {
    std::lock_guard<std::mutex> lock(mutex_);
    written_.clear();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> chunks_;
  std::vector<std::string> written_;
  int reads_waiting_ = 0;
  bool cancelled_ = false;
};

}  // namespace vqx::testing
