// A port whose writes go out on a thread of their own, so that a write
// which must first connect (a network port whose connection was lost, up to
// its connect and negotiation time-outs) never holds up the user interface.
// Reads pass straight through to the port underneath.
//
// Writes keep their order. A write the port underneath refuses is reported
// once through `on_failure` (on the writer thread; it may show a box), and
// the writes queued while it was being tried and reported are dropped: they
// were meant for a connection that is not there, and each would otherwise
// wait out the same time-out and report the same failure. The next write
// after that tries again.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <thread>

#include "transport/serial_port.h"

namespace vqx {

class WriterThreadPort : public SerialPort {
 public:
  WriterThreadPort(SerialPort& port, std::function<void()> on_failure);
  // Finishes the write in progress, drops the rest and ends the thread.
  ~WriterThreadPort() override;
  WriterThreadPort(const WriterThreadPort&) = delete;
  WriterThreadPort& operator=(const WriterThreadPort&) = delete;

  // Queues `bytes`; true unless the writer thread could not be started.
  bool Write(std::string_view bytes) override;
  std::size_t WaitAndRead(std::span<char> buffer) override;
  void CancelRead() override;

  // Runs `job` on the writer thread before any write queued after it (the
  // first connect, so the first command waits for it).
  void Post(std::function<void()> job);

  // Blocks until everything queued so far has been written or dropped.
  void WaitUntilIdle();

 private:
  struct Item {
    std::string bytes;
    std::function<void()> job;
  };
  void Run();

  SerialPort& port_;
  const std::function<void()> on_failure_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Item> queue_;
  bool busy_ = false;
  bool ending_ = false;
  bool running_ = false;
  std::thread thread_;
};

}  // namespace vqx
