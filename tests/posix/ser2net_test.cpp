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
#include <sstream>
#include <thread>

#include "files/settings_file.h"
#include "posix/device_session.h"
#include "posix/platform_posix.h"
#include "posix/tcp_port.h"
#include "tests/posix/network_support.h"
#include "tests/posix/ser2net_support.h"
#include "tests/support/changed_settings.h"

namespace vqx {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::Address;
using testing::FindSer2net;
using testing::FreePort;
using testing::ReadLine;
using testing::RunningDevice;
using testing::ScriptedServer;
using testing::Ser2net;
using Clock = std::chrono::steady_clock;

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
    const auto accepter = [](bool rfc2217, int port) {
      return std::string(rfc2217 ? "telnet(rfc2217)," : "") + "tcp,127.0.0.1," +
             std::to_string(port);
    };
    testing::WriteSer2netConfig(
        dir_ / "ser2net.yaml",
        {{"rfc2217", accepter(true, rfc2217_port_),
          rfc2217_device_->line_name()},
         {"raw", accepter(false, raw_port_), raw_device_->line_name()},
         {"noisy", accepter(true, noisy_port_), noisy_device_->line_name()}});
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
    ASSERT_TRUE(
        testing::WaitListening({rfc2217_port_, raw_port_, noisy_port_}, 5s))
        << "ser2net does not listen";
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
  // The device's answer to the line written just before the kill may have
  // stayed in the serial line the server had open, and come first.
  const std::string answer = ReadLine(port);
  EXPECT_TRUE(answer == "VN1.00\r\n" || answer == "VN1.00\r\nVN1.00\r\n")
      << answer;
}

// The lines a session sent and received, without their times.
class RecordedTraffic {
 public:
  RecordedTraffic() : log_(clock_, codec_) {
    log_.SetListener([this](const TrafficEntry& entry) {
      std::lock_guard<std::mutex> lock(mutex_);
      lines_.push_back(
          (entry.direction == TrafficDirection::kSent ? "TX " : "RX ") +
          entry.text + " " + entry.meaning);
    });
  }
  TrafficLog* log() { return &log_; }
  std::vector<std::string> lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }

 private:
  PosixClock clock_;
  IconvTextCodec codec_;
  TrafficLog log_;
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

// A session through ser2net, by RFC 2217 at the fixed pace (shortened) and
// paced by the replies, and by raw TCP paced by the replies, sends and reads
// what a session straight on the pseudo-terminal does, line for line.
TEST_F(Ser2netTest, SessionsRunAsOnThePseudoTerminal) {
  const DeviceSettings changed = testing::EverySettingChanged();
  const std::string rfc2217 =
      "rfc2217://127.0.0.1:" + std::to_string(rfc2217_port_);
  const std::string raw = "tcp://127.0.0.1:" + std::to_string(raw_port_);
  for (const bool reply_paced : {false, true}) {
    SCOPED_TRACE(reply_paced ? "paced by the replies" : "fixed pace");
    Pacing pacing;
    pacing.reply_paced = reply_paced;
    // Long enough for a reply to come within its own step on a loaded
    // machine under the sanitizers.
    pacing.step_period = 80ms;
    pacing.final_reply_timeout = 2000ms;
    std::vector<std::string> read_files, read_lines, sent_lines;
    std::vector<std::string> ports = {rfc2217_device_->line_name(), rfc2217};
    if (reply_paced) ports.push_back(raw);  // the fixed pace takes long
    for (const std::string& port : ports) {
      SCOPED_TRACE(port);
      ConsoleMessageBoxes boxes;
      RecordedTraffic send_traffic, read_traffic;
      SessionOptions options;
      options.port_path = port;
      {
        options.traffic_log = send_traffic.log();
        DeviceSession session(options, boxes);
        const SessionResult sent = session.SendAll(changed, pacing);
        EXPECT_TRUE(sent.ok) << sent.message;
      }
      DeviceSettings read;
      {
        options.traffic_log = read_traffic.log();
        DeviceSession session(options, boxes);
        const SessionResult result = session.ReadAll(read, pacing);
        EXPECT_TRUE(result.ok) << result.message;
      }
      const fs::path file = dir_ / "read.dat";
      ASSERT_TRUE(WriteSettingsFile(file.string(), read));
      std::ifstream in(file, std::ios::binary);
      std::stringstream text;
      text << in.rdbuf();
      read_files.push_back(text.str());
      // At the fixed pace a reply may come after the next line went out:
      // the lines sent and those received are compared apart.
      for (auto [traffic, lines] : {std::pair{&read_traffic, &read_lines},
                                    std::pair{&send_traffic, &sent_lines}}) {
        std::string sent, received;
        for (const std::string& line : traffic->lines()) {
          (line.rfind("TX ", 0) == 0 ? sent : received) += line + "\n";
        }
        lines->push_back(sent + received);
      }
    }
    EXPECT_EQ(std::count(sent_lines[0].begin(), sent_lines[0].end(), '\n'),
              2 * 78);
    EXPECT_EQ(std::count(read_lines[0].begin(), read_lines[0].end(), '\n'),
              2 * 79);
    for (std::size_t i = 1; i < read_files.size(); ++i) {
      EXPECT_EQ(sent_lines[i], sent_lines[0]);
      EXPECT_EQ(read_lines[i], read_lines[0]);
      EXPECT_EQ(read_files[i], read_files[0]);
    }
  }
  EXPECT_EQ(raw_device_->alarm_mode(), changed.alarm_mode);
}

}  // namespace
}  // namespace vqx
