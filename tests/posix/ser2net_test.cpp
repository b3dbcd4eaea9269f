// The network port against a real serial device server: ser2net bridges the
// simulated device's pseudo-terminals to an RFC 2217 accepter and a raw TCP
// accepter on the loopback address, with a configuration the test writes.
// Skipped when ser2net is not installed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <thread>

#include "posix/tcp_port.h"
#include "tests/posix/network_support.h"

extern char** environ;

namespace vqx {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::Address;
using testing::ReadLine;
using testing::RunningDevice;
using testing::ScriptedServer;
using Clock = std::chrono::steady_clock;

std::string FindSer2net() {
  for (const char* path :
       {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/usr/local/sbin/ser2net",
        "/usr/local/bin/ser2net"}) {
    if (access(path, X_OK) == 0) return path;
  }
  return "";
}

// True while something listens on 127.0.0.1:`port` (a bind there fails),
// found without connecting: a connection would open the server's device.
bool Listening(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
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

int FreePort() {
  ScriptedServer server;
  return server.port();
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
    const auto deadline = Clock::now() + 3s;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (Clock::now() > deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        break;
      }
      std::this_thread::sleep_for(10ms);
    }
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

class Ser2netTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = FindSer2net();
    if (program_.empty()) {
      GTEST_SKIP() << "ser2net is not installed (Debian package ser2net; "
                      "scripts/setup-deps installs it)";
    }
    dir_ = fs::temp_directory_path() /
           ("vqx-ser2net-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    // ser2net serves one client per device, so each accepter has a device
    // of its own.
    sim::DeviceOptions noisy;
    noisy.noise = true;
    noisy.noise_bytes = sim::kNoiseBytesWithFF;
    rfc2217_device_ =
        std::make_unique<RunningDevice>(RunningDevice::Line::kPty);
    raw_device_ = std::make_unique<RunningDevice>(RunningDevice::Line::kPty);
    noisy_device_ =
        std::make_unique<RunningDevice>(RunningDevice::Line::kPty, noisy);
    rfc2217_port_ = FreePort();
    raw_port_ = FreePort();
    noisy_port_ = FreePort();
    std::ofstream config(dir_ / "ser2net.yaml");
    const auto connection = [&](const char* name, const std::string& accepter,
                                const RunningDevice& device) {
      config << "connection: &" << name << "\n"
             << "  accepter: " << accepter << "\n"
             << "  connector: serialdev," << device.line_name()
             << ",9600e81,local\n";
    };
    connection("rfc2217",
               "telnet(rfc2217),tcp,127.0.0.1," + std::to_string(rfc2217_port_),
               *rfc2217_device_);
    connection("raw", "tcp,127.0.0.1," + std::to_string(raw_port_),
               *raw_device_);
    connection("noisy",
               "telnet(rfc2217),tcp,127.0.0.1," + std::to_string(noisy_port_),
               *noisy_device_);
    config.close();
    StartServer();
  }

  void TearDown() override {
    server_.reset();
    if (!dir_.empty()) {
      if (HasFailure()) {
        std::ifstream log(dir_ / "ser2net.log");
        std::cerr << "ser2net log:\n" << log.rdbuf() << "\n";
      }
      fs::remove_all(dir_);
    }
  }

  void StartServer() {
    server_ = std::make_unique<Ser2net>(program_, dir_ / "ser2net.yaml",
                                        dir_ / "ser2net.log");
    ASSERT_TRUE(server_->started());
    const auto deadline = Clock::now() + 5s;
    while (!(Listening(rfc2217_port_) && Listening(raw_port_) &&
             Listening(noisy_port_))) {
      ASSERT_LT(Clock::now(), deadline) << "ser2net does not listen";
      std::this_thread::sleep_for(10ms);
    }
  }

  TcpPortOptions Notes() {
    TcpPortOptions options;
    options.on_note = [this](const std::string& note) {
      std::lock_guard<std::mutex> lock(notes_mutex_);
      notes_.push_back(note);
    };
    return options;
  }
  bool Noted(const std::string& text) {
    std::lock_guard<std::mutex> lock(notes_mutex_);
    return std::find(notes_.begin(), notes_.end(), text) != notes_.end();
  }

  std::string program_;
  fs::path dir_;
  std::unique_ptr<RunningDevice> rfc2217_device_, raw_device_, noisy_device_;
  int rfc2217_port_ = 0, raw_port_ = 0, noisy_port_ = 0;
  std::unique_ptr<Ser2net> server_;
  std::mutex notes_mutex_;
  std::vector<std::string> notes_;
};

TEST_F(Ser2netTest, Rfc2217SetsTheLineAndCarriesLines) {
  const auto started = Clock::now();
  TcpPort port(Address(PortKind::kRfc2217, rfc2217_port_), Notes());
  const auto elapsed = Clock::now() - started;
  const auto ms =
      std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count() /
      1000.0;
  std::cout << "connect and negotiate with ser2net on loopback: " << ms
            << " ms\n";
  RecordProperty("connect_negotiate_ms", std::to_string(ms));
  EXPECT_LT(elapsed, 200ms);
  EXPECT_EQ(port.com_port_option(), ComPortOptionState::kAccepted);
  EXPECT_TRUE(Noted(
      "server set its serial port to 9600 baud, 8 data bits, even parity, 1 "
      "stop bit, no flow control"));

  ASSERT_TRUE(port.Write("RVN\r\n"));
  EXPECT_EQ(ReadLine(port), "VN1.00\r\n");
  ASSERT_TRUE(port.Write("AME\r\n"));
  EXPECT_EQ(ReadLine(port), "GO\r\n");
  EXPECT_EQ(rfc2217_device_->alarm_mode(), 1);
  ASSERT_TRUE(port.Write("RAM\r\n"));
  EXPECT_EQ(ReadLine(port), "AME\r\n");
}

TEST_F(Ser2netTest, RawTcpCarriesLines) {
  TcpPort port(Address(PortKind::kRawTcp, raw_port_));
  ASSERT_TRUE(port.Write("RVN\r\n"));
  EXPECT_EQ(ReadLine(port), "VN1.00\r\n");
  ASSERT_TRUE(port.Write("AME\r\n"));
  EXPECT_EQ(ReadLine(port), "GO\r\n");
  EXPECT_EQ(raw_device_->alarm_mode(), 1);
}

TEST_F(Ser2netTest, ByteFFOfTheDeviceArrivesOnce) {
  TcpPort port(Address(PortKind::kRfc2217, noisy_port_));
  ASSERT_TRUE(port.Write("RVN\r\n"));
  EXPECT_EQ(ReadLine(port), std::string(sim::kNoiseBytesWithFF) + "VN1.00\r\n");
}

TEST_F(Ser2netTest, KilledServerIsReportedAndTheNextWriteConnectsAgain) {
  TcpPort port(Address(PortKind::kRfc2217, rfc2217_port_), Notes());
  ASSERT_TRUE(port.Write("RVN\r\n"));
  ASSERT_EQ(ReadLine(port), "VN1.00\r\n");

  ASSERT_TRUE(port.Write("RVN\r\n"));
  server_->Stop(SIGKILL);
  // The reply may still come; then the read returns 0.
  for (int reads = 0; reads < 3 && !ReadLine(port).empty(); ++reads) {
  }
  EXPECT_FALSE(port.connected());
  const std::string lost = "connection to 127.0.0.1 port " +
                           std::to_string(rfc2217_port_) + " lost: ";
  EXPECT_EQ(port.last_error().rfind(lost, 0), 0u) << port.last_error();
  EXPECT_EQ(port.Write("RVN\r\n"), false);
  EXPECT_EQ(port.last_error(), "connect to 127.0.0.1 port " +
                                   std::to_string(rfc2217_port_) +
                                   ": Connection refused");

  StartServer();
  ASSERT_TRUE(port.Write("RVN\r\n")) << port.last_error();
  EXPECT_TRUE(port.connected());
  EXPECT_EQ(port.com_port_option(), ComPortOptionState::kAccepted);
  EXPECT_EQ(ReadLine(port), "VN1.00\r\n");
}

}  // namespace
}  // namespace vqx
