// Recording fakes shared by the link tests.
#pragma once

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/platform.h"
#include "link/command_sink.h"
#include "link/serial_port.h"

namespace vqx::testing {

struct Box {
  std::string kind;  // "success", "error", "warning"
  std::string text;
  bool operator==(const Box&) const = default;
};

class RecordingBoxes : public MessageBoxes {
 public:
  void ShowSuccessBox(std::string_view text) override { Add("success", text); }
  void ShowErrorBox(std::string_view text) override { Add("error", text); }
  void ShowWarningBox(std::string_view text) override { Add("warning", text); }
  bool AskYesNo(std::string_view, std::string_view) override { return true; }

  std::vector<Box> Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(boxes_, {});
  }

 private:
  void Add(const char* kind, std::string_view text) {
    std::lock_guard<std::mutex> lock(mutex_);
    boxes_.push_back({kind, std::string(text)});
  }
  std::mutex mutex_;
  std::vector<Box> boxes_;
};

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

  std::vector<std::string> written() {
    std::lock_guard<std::mutex> lock(mutex_);
    return written_;
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
