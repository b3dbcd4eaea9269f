// Helpers of the network port tests: the simulated device on a raw TCP line
// on its own thread, a scripted server on the loopback address, and reads
// that give up after a deadline instead of hanging the test.
#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "posix/sim/device_model.h"
#include "posix/sim/pty_device.h"
#include "posix/tcp_port.h"
#include "transport/port_address.h"

namespace vqx::testing {

inline PortAddress Address(PortKind kind, int port,
                           const std::string& host = "127.0.0.1") {
  return PortAddress{kind, "", host, port};
}

// The simulated device serving a pseudo-terminal, or a raw TCP line on
// 127.0.0.1 (any free port), on its own thread.
class RunningDevice {
 public:
  enum class Line { kPty, kTcp };
  explicit RunningDevice(Line line, sim::DeviceOptions options = {})
      : device_(line == Line::kTcp
                    ? sim::PtyDevice(Models(options), {},
                                     Address(PortKind::kRawTcp, 0))
                    : sim::PtyDevice(Models(options), {})),
        thread_([this] {
          try {
            device_.Run();
          } catch (const std::exception& error) {
            std::lock_guard<std::mutex> lock(mutex_);
            failure_ = error.what();
          }
        }) {}
  ~RunningDevice() {
    device_.Stop();
    thread_.join();
  }

  std::string failure() {
    std::lock_guard<std::mutex> lock(mutex_);
    return failure_;
  }
  // The slave device, or the tcp:// address.
  std::string line_name() const { return device_.line_name(); }
  PortAddress tcp_address() const {
    PortAddress address;
    std::string error;
    ParsePortAddress(device_.line_name(), address, error);
    return address;
  }
  int alarm_mode() {
    return device_.WithModel(
        [](sim::DeviceModel& m) { return m.state().alarm_mode; });
  }

 private:
  static std::vector<sim::DeviceModel> Models(const sim::DeviceOptions& o) {
    std::vector<sim::DeviceModel> models;
    models.emplace_back(o);
    return models;
  }

  sim::PtyDevice device_;
  std::mutex mutex_;
  std::string failure_;
  std::thread thread_;
};

// A listening socket on 127.0.0.1 that a test drives by hand.
class ScriptedServer {
 public:
  explicit ScriptedServer(int backlog = 4) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(fd_, backlog);
    socklen_t length = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~ScriptedServer() {
    for (int client : clients_) close(client);
    if (fd_ >= 0) close(fd_);
  }
  int port() const { return port_; }
  void StopListening() {
    close(fd_);
    fd_ = -1;
  }

  // The next client, or -1 after `ms`. The server owns it.
  int Accept(int ms = 2000) {
    pollfd wait{fd_, POLLIN, 0};
    if (poll(&wait, 1, ms) <= 0) return -1;
    const int client = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client >= 0) clients_.push_back(client);
    return client;
  }

  // What a client sent within `ms`, read until `count` bytes or the time is
  // up.
  static std::string Receive(int client, std::size_t count, int ms = 2000) {
    std::string received;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (received.size() < count) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      pollfd wait{client, POLLIN, 0};
      if (left <= 0 || poll(&wait, 1, static_cast<int>(left)) <= 0) break;
      char buffer[4096];
      const ssize_t got = recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      received.append(buffer, static_cast<std::size_t>(got));
    }
    return received;
  }
  static void Send(int client, std::string_view bytes) {
    [[maybe_unused]] ssize_t sent =
        send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  }

 private:
  int fd_ = -1;
  int port_ = 0;
  std::vector<int> clients_;
};

// Calls port.CancelRead() once `ms` have passed, unless destroyed before.
class CancelAfter {
 public:
  CancelAfter(SerialPort& port, int ms)
      : thread_([this, &port, ms] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!done_.wait_for(lock, std::chrono::milliseconds(ms),
                              [this] { return finished_; })) {
            port.CancelRead();
          }
        }) {}
  ~CancelAfter() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_ = true;
    }
    done_.notify_one();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

// Reads until a line end has come (returns the bytes), or until a read
// returns 0 or `ms` pass (returns what came, without a line end).
inline std::string ReadLine(SerialPort& port, int ms = 3000) {
  CancelAfter guard(port, ms);
  std::string received;
  char buffer[256];
  while (received.find('\n') == std::string::npos) {
    const std::size_t got = port.WaitAndRead(buffer);
    if (got == 0) break;
    received.append(buffer, got);
  }
  return received;
}

// A port number nothing listens on.
inline int FreePort() {
  ScriptedServer server;
  return server.port();
}

}  // namespace vqx::testing
