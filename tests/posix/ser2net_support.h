// A real serial device server for the tests: ser2net in the foreground
// with a configuration the test writes, and the checks around it.
#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/posix/network_support.h"

extern char** environ;

namespace vqx::testing {

namespace fs = std::filesystem;

inline std::string FindSer2net() {
  for (const char* path :
       {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/usr/local/sbin/ser2net",
        "/usr/local/bin/ser2net"}) {
    if (access(path, X_OK) == 0) return path;
  }
  return "";
}

// True while something listens on 127.0.0.1:`port` (a bind there fails),
// found without connecting: a connection would open the server's device.
// SO_REUSEADDR lets the bind through when only a closed connection of a
// server killed before still holds the port (TIME_WAIT): without it the
// port looks taken before the new server listens, and a test connecting
// then is refused.
inline bool Listening(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool taken =
      bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
      errno == EADDRINUSE;
  close(fd);
  return taken;
}

// ser2net in the foreground with the given configuration, output to a log.
class Ser2net {
 public:
  Ser2net(const std::string& program, const fs::path& config,
          const fs::path& log) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const std::string config_text = config.string();
    std::vector<char*> argv = {const_cast<char*>(program.c_str()),
                               const_cast<char*>("-n"),
                               const_cast<char*>("-u"),
                               const_cast<char*>("-c"),
                               const_cast<char*>(config_text.c_str()),
                               nullptr};
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(),
                    environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Ser2net() { Stop(SIGTERM); }
  bool started() const { return pid_ > 0; }

  // Sends `signal` and waits for the end (SIGKILL after 3 s).
  void Stop(int signal) {
    if (pid_ <= 0) return;
    kill(pid_, signal);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(3);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

// One connection of a ser2net configuration: an accepter
// ("telnet(rfc2217),tcp,127.0.0.1,PORT" or "tcp,127.0.0.1,PORT") bridged to
// a serial device at the device's own line settings.
struct Ser2netConnection {
  std::string name;
  std::string accepter;
  std::string device;
  // ser2net holds what the serial side received for a few character times
  // by default, hoping for more, before sending it on.
  bool chardelay = true;
};

inline void WriteSer2netConfig(const fs::path& path,
                               const std::vector<Ser2netConnection>& all) {
  std::ofstream config(path);
  for (const Ser2netConnection& connection : all) {
    config << "connection: &" << connection.name << "\n"
           << "  accepter: " << connection.accepter << "\n"
           << "  connector: serialdev," << connection.device
           << ",9600e81,local\n";
    if (!connection.chardelay) config << "  options:\n    chardelay: false\n";
  }
}

// Waits until something listens on each of `ports`; false after `timeout`.
inline bool WaitListening(const std::vector<int>& ports,
                          std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    bool all = true;
    for (int port : ports) all = all && Listening(port);
    if (all) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace vqx::testing
