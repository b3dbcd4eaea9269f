// vqx460ctl over the network and over several devices, as an installer
// runs it: through ser2net bridging the simulator's pseudo-terminal
// (skipped when ser2net is not installed), through the simulator's own raw
// TCP line, and over several RS-485 addresses and lines in one command,
// with the summary as a table and as JSON.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "files/settings_file.h"
#include "tests/posix/process_support.h"
#include "tests/posix/ser2net_support.h"
#include "tests/support/changed_settings.h"

namespace vqx {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::Child;
using testing::RunProgram;
using testing::Start;
using testing::Stderr;
using testing::Wait;

using testing::ReadText;

// The traffic of a --log without its times and connection notes: the
// lines sent and received with their meaning, in order.
std::vector<std::string> Traffic(const std::string& log) {
  std::vector<std::string> lines;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    line.erase(0, tab + 1);
    if (line.rfind("--\t", 0) == 0) continue;
    lines.push_back(line);
  }
  return lines;
}

class NetCtlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vqx-netctl-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    for (Child& sim : sims_) {
      kill(sim.pid, SIGTERM);
      Wait(sim.pid);
      close(sim.output);
    }
    server_.reset();
    if (HasFailure() && fs::exists(dir_ / "ser2net.log")) {
      std::cerr << "ser2net log:\n" << ReadText(dir_ / "ser2net.log") << "\n";
    }
    fs::remove_all(dir_);
  }

  std::string Path(const std::string& name) { return (dir_ / name).string(); }

  // Starts the simulator; returns the first line of its output (the slave
  // device, or the tcp:// address it listens on).
  std::string Simulator(std::vector<std::string> args) {
    args.insert(args.begin(), VQX_SIM_PROGRAM);
    sims_.push_back(Start(args, Stderr::kDiscarded));
    return testing::FirstLine(sims_.back().output);
  }

  // ser2net bridging `device` to an RFC 2217 accepter and a raw TCP
  // accepter; false (the test skipped) without ser2net.
  bool Ser2net(const std::string& device) {
    const std::string program = testing::FindSer2net();
    if (program.empty()) return false;
    rfc2217_ = "rfc2217://127.0.0.1:" + std::to_string(rfc2217_port_);
    raw_ = "tcp://127.0.0.1:" + std::to_string(raw_port_);
    testing::WriteSer2netConfig(
        dir_ / "ser2net.yaml",
        {{"rfc2217",
          "telnet(rfc2217),tcp,127.0.0.1," + std::to_string(rfc2217_port_),
          device},
         {"raw", "tcp,127.0.0.1," + std::to_string(raw_port_), device}});
    server_ = std::make_unique<testing::Ser2net>(program, dir_ / "ser2net.yaml",
                                                 dir_ / "ser2net.log");
    EXPECT_TRUE(server_->started());
    EXPECT_TRUE(testing::WaitListening({rfc2217_port_, raw_port_}, 5s));
    return true;
  }

  std::string Changed() {
    const std::string file = Path("changed.dat");
    DeviceSettings changed = testing::EverySettingChanged();
    EXPECT_TRUE(WriteSettingsFile(file, changed));
    return file;
  }

  fs::path dir_;
  const std::string ctl_ = VQX_CTL_PROGRAM;
  std::vector<Child> sims_;
  std::unique_ptr<testing::Ser2net> server_;
  int rfc2217_port_ = testing::FreePort();
  int raw_port_ = testing::FreePort();
  std::string rfc2217_, raw_;
};

// A single device on a single port prints what it always printed: the
// progress by tenths and the result line.
TEST_F(NetCtlTest, OneDeviceKeepsItsOutput) {
  const std::string link = Path("com");
  Simulator({"--link", link});
  const std::string file = Path("read.dat");
  std::string output;
  ASSERT_EQ(RunProgram({ctl_, "read-all", "-o", file, "--port", link, "--fast"},
                       output),
            0);
  std::string expected;
  int last_tenth = -1;
  for (int step = 1; step <= 79; ++step) {
    const int percent = step * 100 / 79;
    if (percent / 10 == last_tenth) continue;
    last_tenth = percent / 10;
    expected += "read-all: " + std::to_string(step) + "/79 (" +
                std::to_string(percent) + "%)\n";
  }
  expected += "read-all: 79 settings groups read, written to " + file + "\n";
  EXPECT_EQ(output, expected);
}

// Through ser2net, by RFC 2217 and by raw TCP, a send-all and read-alls
// paced by the replies exchange the same lines and write the same file as
// straight through the pseudo-terminal.
TEST_F(NetCtlTest, Ser2netCarriesTheSameRunsAsThePseudoTerminal) {
  const std::string link = Path("com");
  const std::string slave = Simulator({"--link", link, "--baud", "9600"});
  if (!Ser2net(slave)) GTEST_SKIP() << "ser2net is not installed";
  const std::string changed = Changed();
  std::string output;
  ASSERT_EQ(
      RunProgram({ctl_, "send-all", changed, "--port", rfc2217_, "--fast"},
                 output),
      0)
      << output;
  EXPECT_NE(output.find("vqx460ctl: connected to " + rfc2217_),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("send-all: 78 lines sent and acknowledged"),
            std::string::npos)
      << output;

  std::vector<std::string> traffic[3];
  std::string files[3];
  const std::string ports[3] = {link, rfc2217_, raw_};
  for (int i = 0; i < 3; ++i) {
    const std::string file = Path("read" + std::to_string(i) + ".dat");
    const std::string log = Path("log" + std::to_string(i) + ".txt");
    ASSERT_EQ(RunProgram({ctl_, "--log", log, "read-all", "-o", file, "--port",
                          ports[i], "--fast"},
                         output),
              0)
        << ports[i] << "\n"
        << output;
    traffic[i] = Traffic(ReadText(log));
    files[i] = ReadText(file);
    if (i > 0) {
      EXPECT_NE(ReadText(log).find("\t--\t\tconnected to " + ports[i]),
                std::string::npos);
    }
  }
  EXPECT_EQ(traffic[0].size(), 2u * 79);
  EXPECT_EQ(traffic[1], traffic[0]);
  EXPECT_EQ(traffic[2], traffic[0]);
  EXPECT_EQ(files[1], files[0]);
  EXPECT_EQ(files[2], files[0]);
  EXPECT_EQ(RunProgram({ctl_, "diff", "--device", changed, Path("read0.dat")},
                       output),
            0)
      << output;
}

// The server going away in the middle of a read-all ends it as a silent
// device does, with the reason naming host and port, and nothing written.
TEST_F(NetCtlTest, LostServerEndsTheRunAndWritesNothing) {
  const std::string sim_log = Path("sim.log");
  const std::string slave =
      Simulator({"--link", Path("com"), "--log", sim_log, "--delay-ms", "30"});
  if (!Ser2net(slave)) GTEST_SKIP() << "ser2net is not installed";
  const std::string file = Path("never.dat");
  Child run =
      Start({ctl_, "read-all", "-o", file, "--port", rfc2217_, "--fast"});
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  // Killed once a few lines went through.
  for (std::string text = ReadText(sim_log);
       std::count(text.begin(), text.end(), '\n') < 10;
       text = ReadText(sim_log)) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << text;
    std::this_thread::sleep_for(10ms);
  }
  server_->Stop(SIGKILL);
  const std::string output = testing::ReadAll(run.output);
  EXPECT_EQ(Wait(run.pid), 1) << output;
  const std::string endpoint =
      "127.0.0.1 port " + std::to_string(rfc2217_port_);
  // The reason is the loss, or the connection tried again after it.
  const std::string at = std::regex_replace(endpoint, std::regex("\\."), "\\.");
  EXPECT_TRUE(std::regex_search(
      output, std::regex("\nvqx460ctl: read-all stopped after [0-9]+ of 79 "
                         "commands: no reply from the device \\((connection "
                         "to " +
                         at + " lost: [^)]+|connect to " + at +
                         ": Connection refused)\\); nothing written\n$")))
      << output;
  EXPECT_NE(output.find("vqx460ctl: connection to " + endpoint + " lost: "),
            std::string::npos)
      << output;
  EXPECT_FALSE(fs::exists(file));
}

// A byte 0xFF from the device, which the server doubles on the Telnet
// connection, reaches the tool once: the log shows the reply as the
// device sent it.
TEST_F(NetCtlTest, ByteFFIsUndoubled) {
  const std::string slave = Simulator({"--link", Path("com"), "--noise-ff"});
  if (!Ser2net(slave)) GTEST_SKIP() << "ser2net is not installed";
  const std::string log = Path("traffic.log");
  std::string output;
  // The garbage in front makes the reply no reply, as on a serial line.
  EXPECT_EQ(RunProgram({ctl_, "--log", log, "send", "RVN", "--port", rfc2217_,
                        "--timeout-ms", "1000"},
                       output),
            1)
      << output;
  EXPECT_NE(ReadText(log).find("\tRX\t\t<FF>*<FF><FF>#VN1.00<CR><LF>\t"),
            std::string::npos)
      << ReadText(log);
}

// A server that cannot be reached fails at once with its host and port;
// an address that is no address is a bad argument.
TEST_F(NetCtlTest, UnreachableServersAreNamed) {
  const int closed = testing::FreePort();
  const std::string file = Path("never.dat");
  struct Case {
    std::string port;
    int status;
    std::string message;
  };
  for (const Case& c : std::vector<Case>{
           {"tcp://127.0.0.1:" + std::to_string(closed), 1,
            "vqx460ctl: connect to 127.0.0.1 port " + std::to_string(closed) +
                ": Connection refused\n"},
           {"rfc2217://no-such-host.invalid:4001", 1,
            "vqx460ctl: resolve no-such-host.invalid port 4001: "},
           {"tcp://127.0.0.1:99999", 2,
            "vqx460ctl: \"tcp://127.0.0.1:99999\": port 99999 is outside "
            "1..65535\n"},
       }) {
    std::string output;
    EXPECT_EQ(
        RunProgram({ctl_, "read-all", "-o", file, "--port", c.port}, output),
        c.status)
        << output;
    EXPECT_EQ(output.rfind(c.message, 0), 0u) << output;
    EXPECT_FALSE(fs::exists(file));
  }
}

nlohmann::json Json(const std::string& output) {
  try {
    return nlohmann::json::parse(output);
  } catch (const std::exception& error) {
    ADD_FAILURE() << error.what() << "\n" << output;
    return {};
  }
}

// Several addresses on one line, named or found by the scan: one file per
// device, one row each; a device that is not there fails its row and the
// command, and the others are still read.
TEST_F(NetCtlTest, SeveralAddressesOnOneLine) {
  const std::string link = Path("bus");
  Simulator({"--link", link, "--rs485", "--address", "01", "--address", "03",
             "--address", "17"});
  const std::string changed = Changed();
  const std::string folder = Path("site");
  std::string output, errors;
  ASSERT_EQ(RunProgram({ctl_, "send-all", changed, "--port", link, "--fast",
                        "--rs485", "--address", "found"},
                       output, &errors),
            0)
      << output << errors;
  EXPECT_TRUE(std::regex_search(
      output, std::regex("^ADDRESS +RESULT +LINES +TIME\n"
                         "01 +ok +78 +[0-9.]+ s +send-all: 78 lines sent and "
                         "acknowledged\n03 +ok .*\n17 +ok .*\n$")))
      << output;
  EXPECT_NE(errors.find("scan: 3 device(s) answered: 01 03 17\n"),
            std::string::npos)
      << errors;
  // What each device did, each line with its address, never mixed.
  for (const std::string address : {"01", "03", "17"}) {
    EXPECT_NE(errors.find(address + ": send-all: 78 lines sent"),
              std::string::npos)
        << errors;
  }

  ASSERT_EQ(RunProgram({ctl_, "read-all", "-o", folder, "--port", link,
                        "--fast", "--rs485", "--address", "17,01", "--json"},
                       output, &errors),
            0)
      << output << errors;
  nlohmann::json summary = Json(output);
  EXPECT_EQ(summary["command"], "read-all");
  EXPECT_EQ(summary["ok"], true);
  ASSERT_EQ(summary["devices"].size(), 2u);
  for (int i = 0; i < 2; ++i) {
    const nlohmann::json& device = summary["devices"][i];
    const std::string address = i == 0 ? "17" : "01";
    EXPECT_EQ(device["address"], address);
    EXPECT_EQ(device["port"], link);
    EXPECT_EQ(device["ok"], true);
    EXPECT_EQ(device["lines"], 79);
    EXPECT_EQ(device["file"], folder + "/" + address + ".dat");
    EXPECT_EQ(RunProgram({ctl_, "diff", "--device", changed,
                          device["file"].get<std::string>()},
                         output),
              0)
        << output;
  }

  // 05 is not on the line: "No Connect" about 8 s after its first line.
  const std::string missing = Path("missing");
  EXPECT_EQ(RunProgram({ctl_, "read-all", "-o", missing, "--port", link,
                        "--fast", "--rs485", "--address", "03,05", "--json"},
                       output, &errors),
            1)
      << output << errors;
  summary = Json(output);
  EXPECT_EQ(summary["ok"], false);
  ASSERT_EQ(summary["devices"].size(), 2u);
  EXPECT_EQ(summary["devices"][0]["ok"], true);
  EXPECT_EQ(summary["devices"][1]["address"], "05");
  EXPECT_EQ(summary["devices"][1]["ok"], false);
  EXPECT_EQ(summary["devices"][1]["file"], nullptr);
  EXPECT_NE(summary["devices"][1]["message"].get<std::string>().find(
                "no reply from the device"),
            std::string::npos);
  EXPECT_NE(errors.find("05: Error: No Connect\n"), std::string::npos)
      << errors;
  EXPECT_TRUE(fs::exists(missing + "/03.dat"));
  EXPECT_FALSE(fs::exists(missing + "/05.dat"));
}

// Several lines in one command, one worker each: the devices each scan
// finds, a file per device named by line and address, and a line that
// cannot be reached failing its own row only.
TEST_F(NetCtlTest, SeveralLinesSideBySide) {
  const std::string link = Path("bus");
  Simulator({"--link", link, "--rs485", "--address", "01", "--address", "03",
             "--baud", "9600"});
  const std::string tcp = Simulator({"--listen", "tcp://127.0.0.1:0", "--rs485",
                                     "--address", "17", "--baud", "9600"});
  const std::string refused =
      "tcp://127.0.0.1:" + std::to_string(testing::FreePort());
  const std::string folder = Path("sites");
  std::string output, errors;
  EXPECT_EQ(RunProgram({ctl_, "read-all", "-o", folder, "--port",
                        link + "," + tcp, "--port", refused, "--fast",
                        "--rs485", "--address", "found", "--json"},
                       output, &errors),
            1)
      << output << errors;
  const nlohmann::json summary = Json(output);
  ASSERT_EQ(summary["devices"].size(), 4u) << output;
  const std::string tcp_label = "127.0.0.1_" + tcp.substr(tcp.rfind(':') + 1);
  const std::vector<std::tuple<std::string, std::string, std::string>> rows = {
      {link, "01", folder + "/bus-01.dat"},
      {link, "03", folder + "/bus-03.dat"},
      {tcp, "17", folder + "/" + tcp_label + "-17.dat"},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& [port, address, file] = rows[i];
    const nlohmann::json& device = summary["devices"][i];
    EXPECT_EQ(device["port"], port);
    EXPECT_EQ(device["address"], address);
    EXPECT_EQ(device["ok"], true) << device;
    EXPECT_EQ(device["file"], file);
    EXPECT_TRUE(fs::exists(file)) << file;
  }
  const nlohmann::json& unreachable = summary["devices"][3];
  EXPECT_EQ(unreachable["port"], refused);
  EXPECT_EQ(unreachable["address"], nullptr);
  EXPECT_EQ(unreachable["ok"], false);
  EXPECT_NE(
      unreachable["message"].get<std::string>().find("Connection refused"),
      std::string::npos);
  // Every line of stderr is whole and names its device or line.
  std::istringstream lines(errors);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_TRUE(
        line.rfind(link + " ", 0) == 0 || line.rfind(tcp + " ", 0) == 0 ||
        line.rfind(link + ": ", 0) == 0 || line.rfind(tcp + ": ", 0) == 0 ||
        line.rfind(refused + ": ", 0) == 0)
        << line;
  }
}

}  // namespace
}  // namespace vqx
