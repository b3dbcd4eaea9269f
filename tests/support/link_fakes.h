// Recording fakes of the link, shared by the unit tests of the layers that
// send: the command sink collects the lines sent, the port is an in-memory
// line whose bytes the test hands over as the device would.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/fakes.h"
#include "transport/command_sink.h"
#include "transport/link.h"
#include "transport/receive_loop.h"
#include "transport/serial_port.h"

namespace vqx::testing {

// Collects the bare command lines in the order they were sent.
// Probes to a given address are recorded in `lines` with the address's
// two digits in front.
class RecordingSink : public CommandSink, public ProbeSink {
 public:
  void SendCommand(std::string_view bare_command) override {
    lines.emplace_back(bare_command);
  }
  void SendProbe(std::string_view bare_command, int slave_address) override {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02d", slave_address);
    lines.push_back(digits + std::string(bare_command));
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

// A device on a hand-moved clock: every line written to the port is
// answered `delay` later (in order), the answer handed to `handler` as the
// receive thread would; an empty answer is silence. Records when each line went
// out and when each was answered.
class SlowDevice {
 public:
  using Answer = std::function<std::string(const std::string& line)>;

  SlowDevice(FakePort& port, ManualSteadyClock& clock,
             ReplyLineHandler& handler, std::chrono::milliseconds delay,
             Answer answer)
      : port_(port),
        clock_(clock),
        handler_(handler),
        delay_(delay),
        answer_(std::move(answer)) {}

  // Takes the lines written since the last call and delivers the answers
  // that are due.
  void Poll() {
    const std::vector<std::string> written = port_.written();
    for (; taken_ < written.size(); ++taken_) {
      sent_at.push_back(clock_.Now());
      std::string answer = answer_(written[taken_]);
      if (!answer.empty()) {
        pending_.push_back({clock_.Now() + delay_, std::move(answer)});
      }
    }
    while (!pending_.empty() && pending_.front().first <= clock_.Now()) {
      answered_at.push_back(clock_.Now());
      handler_.DispatchReply(pending_.front().second);
      pending_.pop_front();
    }
  }

  std::vector<std::chrono::milliseconds> sent_at;
  std::vector<std::chrono::milliseconds> answered_at;

 private:
  FakePort& port_;
  ManualSteadyClock& clock_;
  ReplyLineHandler& handler_;
  std::chrono::milliseconds delay_;
  Answer answer_;
  std::size_t taken_ = 0;
  std::deque<std::pair<std::chrono::milliseconds, std::string>> pending_;
};

}  // namespace vqx::testing
