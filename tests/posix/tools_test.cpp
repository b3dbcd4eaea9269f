// The two programs as other suites and the README use them: vqx460-sim's
// command line, first stdout line, link, log lines and saved state, and
// vqx460ctl's commands and exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "base/settings_report.h"
#include "files/settings_file.h"
#include "posix/platform_posix.h"
#include "protocol/read_all.h"
#include "tests/posix/process_support.h"
#include "tests/support/changed_settings.h"

namespace {

namespace fs = std::filesystem;

using vqx::testing::Child;
using vqx::testing::FirstLine;
using vqx::testing::RunProgram;
using vqx::testing::Wait;

// Starts `args`, its stdout on a pipe; stderr on the same pipe, or discarded.
Child Start(const std::vector<std::string>& args, bool keep_stderr) {
  return vqx::testing::Start(args, keep_stderr
                                       ? vqx::testing::Stderr::kMerged
                                       : vqx::testing::Stderr::kDiscarded);
}

using vqx::testing::ReadText;

class ToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vqx-tools-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) { return (dir_ / name).string(); }

  fs::path dir_;
  const std::string sim_ = VQX_SIM_PROGRAM;
  const std::string ctl_ = VQX_CTL_PROGRAM;
};

TEST_F(ToolsTest, SimulatorServesTheToolAndSavesItsState) {
  const std::string link = Path("com1");
  const std::string log = Path("sim.log");
  const std::string state = Path("state.dat");
  Child sim = Start({sim_, "--link", link, "--log", log, "--save-state", state,
                     "--reply", "2=E3"},
                    false);
  ASSERT_GT(sim.pid, 0);
  const std::string slave = FirstLine(sim.output);
  EXPECT_EQ(slave.rfind("/dev/", 0), 0u) << slave;
  EXPECT_EQ(fs::read_symlink(link).string(), slave);

  std::string output;
  EXPECT_EQ(RunProgram({ctl_, "send", "RVN", "--port", link}, output), 0)
      << output;
  EXPECT_NE(output.find("reply: VN1.00"), std::string::npos) << output;
  EXPECT_EQ(RunProgram({ctl_, "send", "AME", "--port", link}, output), 1)
      << output;
  EXPECT_NE(output.find("reply: E3"), std::string::npos) << output;
  EXPECT_EQ(RunProgram({ctl_, "send", "AME", "--port", link}, output), 0)
      << output;
  EXPECT_NE(output.find("reply: GO"), std::string::npos) << output;

  kill(sim.pid, SIGTERM);
  EXPECT_EQ(Wait(sim.pid), 0);
  close(sim.output);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
  EXPECT_EQ(ReadText(state).substr(0, 3), "1\r\n");  // alarm_mode External

  const std::string text = ReadText(log);
  std::regex received(R"(^\d\d:\d\d:\d\d\.\d{3} RX RVN$)",
                      std::regex::multiline);
  std::regex replied(R"(^\d\d:\d\d:\d\d\.\d{3} TX VN1\.00$)",
                     std::regex::multiline);
  std::regex refused(R"(^\d\d:\d\d:\d\d\.\d{3} TX E3$)", std::regex::multiline);
  EXPECT_TRUE(std::regex_search(text, received)) << text;
  EXPECT_TRUE(std::regex_search(text, replied)) << text;
  EXPECT_TRUE(std::regex_search(text, refused)) << text;
}

TEST_F(ToolsTest, Rs485SimulatorStartsFromAStateFile) {
  const std::string file = Path("start.dat");
  std::string output;
  ASSERT_EQ(RunProgram({ctl_, "defaults", "-o", file}, output), 0) << output;
  std::string text = ReadText(file);
  text.replace(0, 1, "1");  // alarm_mode External
  std::ofstream(file, std::ios::binary) << text;

  const std::string link = Path("com2");
  Child sim = Start(
      {sim_, "--link", link, "--rs485", "--address", "07", "--state", file},
      false);
  ASSERT_GT(sim.pid, 0);
  FirstLine(sim.output);
  EXPECT_EQ(RunProgram({ctl_, "send", "RAM", "--port", link, "--rs485",
                        "--address", "07", "--timeout-ms", "2000"},
                       output),
            0)
      << output;
  EXPECT_NE(output.find("reply: AME"), std::string::npos) << output;
  EXPECT_NE(output.find("alarm_mode = 1 (External)"), std::string::npos);
  EXPECT_EQ(RunProgram({ctl_, "send", "RAM", "--port", link, "--rs485",
                        "--address", "06", "--timeout-ms", "300"},
                       output),
            1)
      << output;
  EXPECT_EQ(RunProgram({ctl_, "send", "AMI", "--port", link, "--rs485",
                        "--address", "broadcast"},
                       output),
            0)
      << output;
  kill(sim.pid, SIGINT);
  EXPECT_EQ(Wait(sim.pid), 0);
  close(sim.output);
}

TEST_F(ToolsTest, DefaultsAndShow) {
  const std::string file = Path("defaults.dat");
  std::string output;
  ASSERT_EQ(RunProgram({ctl_, "defaults", "-o", file}, output), 0) << output;
  EXPECT_EQ(RunProgram({ctl_, "show", file}, output), 0);
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'),
            vqx::kSettingsFileLines);
  EXPECT_NE(output.find("title_text[ch.01] = \"　　　ＣＨ０１　　　\""),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("misc_power_on_screen = 12 (9-split)"),
            std::string::npos);
  EXPECT_EQ(RunProgram({ctl_, "show", Path("missing.dat")}, output), 1);
  EXPECT_NE(output.find("cannot read"), std::string::npos);
}

// Saving through a symbolic link writes the file it points to: the link
// stays a link and the file keeps its permission bits.
TEST_F(ToolsTest, DefaultsThroughASymbolicLinkWriteItsTarget) {
  const fs::path real = dir_ / "real.dat";
  const fs::path link = dir_ / "link.dat";
  { std::ofstream(real) << "stale\n"; }
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write |
                            fs::perms::group_read);
  fs::create_symlink("real.dat", link);
  std::string output;
  ASSERT_EQ(RunProgram({ctl_, "defaults", "-o", link.string()}, output), 0)
      << output;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), "real.dat");
  const std::string written = ReadText(real);
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'),
            vqx::kSettingsFileLines);
  EXPECT_EQ(written.substr(0, 3), "0\r\n");
  EXPECT_EQ(
      fs::status(real).permissions() & fs::perms::all,
      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // Nothing else was left in the folder.
  EXPECT_EQ(
      std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(ToolsTest, BadArgumentsPrintUsage) {
  std::string output;
  EXPECT_EQ(RunProgram({ctl_}, output), 2);
  EXPECT_NE(output.find("Usage"), std::string::npos);
  EXPECT_EQ(RunProgram({ctl_, "send-all", "x.dat"}, output), 2);
  EXPECT_EQ(RunProgram(
                {ctl_, "send", "RVN", "--port", "/dev/null", "--address", "05"},
                output),
            2);  // --address needs --rs485
  EXPECT_EQ(RunProgram({ctl_, "send", "RVN", "--port", "/dev/null", "--rs485",
                        "--address", "32"},
                       output),
            2);
  EXPECT_EQ(RunProgram({sim_, "--reply", "0=E3"}, output), 2);
  EXPECT_EQ(RunProgram({sim_, "--reply", "3=E9"}, output), 2);
}

TEST_F(ToolsTest, PortErrorsAreOneLine) {
  std::string output;
  EXPECT_EQ(RunProgram({ctl_, "send", "RVN", "--port", Path("none")}, output),
            1);
  EXPECT_EQ(output, "vqx460ctl: open " + Path("none") +
                        ": No such file or directory\n");
}

// Starts the simulator with `args` and waits until it serves its line.
Child StartSimulator(const std::string& sim, std::vector<std::string> args) {
  args.insert(args.begin(), sim);
  Child child = Start(args, false);
  FirstLine(child.output);
  return child;
}

void StopSimulator(Child& child) {
  kill(child.pid, SIGTERM);
  EXPECT_EQ(Wait(child.pid), 0);
  close(child.output);
}

// The lines of `output` that list an answering address.
std::vector<std::string> AddressLines(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  std::regex answer(R"(^\d\d .*)");
  for (std::string line; std::getline(in, line);) {
    if (std::regex_match(line, answer)) lines.push_back(line);
  }
  return lines;
}

TEST_F(ToolsTest, ScanListsEveryDeviceOnTheLine) {
  const std::string link = Path("bus");
  Child sim = StartSimulator(
      sim_, {"--link", link, "--rs485", "--address", "03", "--address", "17"});
  std::string output;
  EXPECT_EQ(
      RunProgram({ctl_, "scan", "--port", link, "--timeout-ms", "100"}, output),
      0)
      << output;
  EXPECT_EQ(AddressLines(output),
            (std::vector<std::string>{"03 VN1.00", "17 VN1.00"}))
      << output;
  StopSimulator(sim);

  // A device at 08 (a decimal address, not an octal one), behind an
  // echoing adapter.
  sim = StartSimulator(
      sim_, {"--link", link, "--rs485", "--address", "08", "--echo"});
  EXPECT_EQ(RunProgram(
                {ctl_, "scan", "--port", link, "--echo", "--timeout-ms", "100"},
                output),
            0)
      << output;
  EXPECT_EQ(AddressLines(output), std::vector<std::string>{"08 VN1.00"});
  StopSimulator(sim);

  // An RS-232C device answers no address.
  sim = StartSimulator(sim_, {"--link", link});
  EXPECT_EQ(
      RunProgram({ctl_, "scan", "--port", link, "--timeout-ms", "50"}, output),
      1)
      << output;
  EXPECT_TRUE(AddressLines(output).empty()) << output;
  EXPECT_NE(output.find("no device answered"), std::string::npos) << output;
  StopSimulator(sim);
}

TEST_F(ToolsTest, SimulatorRefusesAddressesItCannotServe) {
  std::string output;
  for (std::vector<std::string> args : {
           std::vector<std::string>{"--rs485", "--address", "32"},
           {"--rs485", "--address", "3", "--address", "03"},
           {"--rs485", "--address", "x1"},
       }) {
    args.insert(args.begin(), sim_);
    EXPECT_EQ(RunProgram(args, output), 2) << output;
  }
}

// Through an echoing line, --echo makes a full send-all and read-all work
// quietly; without it the echoes answer nothing, so both still work, and
// the tool says the line echoes.
TEST_F(ToolsTest, EchoingLineNeedsEcho) {
  const std::string link = Path("echoing");
  const std::string file = Path("site.dat");
  std::string output;
  ASSERT_EQ(RunProgram({ctl_, "defaults", "-o", file}, output), 0) << output;
  Child sim = StartSimulator(sim_, {"--link", link, "--echo"});
  EXPECT_EQ(
      RunProgram({ctl_, "send-all", file, "--port", link, "--fast", "--echo"},
                 output),
      0)
      << output;
  const std::string read = Path("read.dat");
  EXPECT_EQ(RunProgram({ctl_, "read-all", "-o", read, "--port", link, "--fast",
                        "--echo"},
                       output),
            0)
      << output;
  // What was sent came back. The device keeps no trailing blanks of a
  // title, but a title with and without them is the same title.
  EXPECT_EQ(RunProgram({ctl_, "diff", file, read}, output), 0) << output;
  EXPECT_EQ(output, "");

  const std::string reread = Path("reread.dat");
  EXPECT_EQ(
      RunProgram({ctl_, "send-all", file, "--port", link, "--fast"}, output), 0)
      << output;
  EXPECT_NE(output.find("--echo"), std::string::npos) << output;
  EXPECT_EQ(
      RunProgram({ctl_, "read-all", "-o", reread, "--port", link, "--fast"},
                 output),
      0)
      << output;
  EXPECT_NE(output.find("--echo"), std::string::npos) << output;
  EXPECT_EQ(RunProgram({ctl_, "diff", file, reread}, output), 0) << output;
  EXPECT_EQ(output, "");
  StopSimulator(sim);
}

TEST_F(ToolsTest, LogHoldsEveryLineWithItsMeaning) {
  const std::string link = Path("com3");
  const std::string log = Path("traffic.log");
  Child sim = StartSimulator(
      sim_, {"--link", link, "--rs485", "--address", "05", "--reply", "2=E3"});
  std::string output;
  EXPECT_EQ(RunProgram({ctl_, "--log", log, "send", "RVN", "--port", link,
                        "--rs485", "--address", "05"},
                       output),
            0)
      << output;
  EXPECT_EQ(RunProgram({ctl_, "--log", log, "send", "AME", "--port", link,
                        "--rs485", "--address", "05"},
                       output),
            1)
      << output;
  EXPECT_EQ(RunProgram({ctl_, "--log", log, "send", "RAM", "--port", link,
                        "--rs485", "--address", "05"},
                       output),
            0)
      << output;
  StopSimulator(sim);
  const std::string text = ReadText(log);
  const std::string time = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3})";
  const std::vector<std::string> expected = {
      "TX\t05\tRVN<CR><LF>\t",
      "RX\t05\tVN1\\.00<CR><LF>\tdevice version 1\\.00",
      "TX\t05\tAME<CR><LF>\t",
      "RX\t05\tE3<CR><LF>\tCommand Error",
      "TX\t05\tRAM<CR><LF>\t",
      "RX\t05\tAMI<CR><LF>\talarm_mode = 0 \\(Internal\\)",
  };
  std::string pattern;
  for (const std::string& line : expected) pattern += time + "\t" + line + "\n";
  EXPECT_TRUE(std::regex_match(text, std::regex(pattern))) << text;

  EXPECT_EQ(RunProgram({ctl_, "--log", Path("no/such/folder/x.log"), "send",
                        "RVN", "--port", link},
                       output),
            1);
  EXPECT_NE(output.find("cannot open the log"), std::string::npos) << output;
}

TEST_F(ToolsTest, DiffListsTheSettingsThatDiffer) {
  const std::string a = Path("a.dat");
  const std::string b = Path("b.dat");
  std::string output;
  ASSERT_EQ(RunProgram({ctl_, "defaults", "-o", a}, output), 0) << output;
  std::string text = ReadText(a);
  text.replace(0, 1, "1");  // alarm_mode External
  std::ofstream(b, std::ios::binary) << text;

  EXPECT_EQ(RunProgram({ctl_, "diff", a, a}, output), 0);
  EXPECT_EQ(output, "");
  EXPECT_EQ(RunProgram({ctl_, "diff", a, b}, output), 1);
  EXPECT_EQ(output, "alarm_mode: 0 (Internal) -> 1 (External)\n");
  EXPECT_EQ(RunProgram({ctl_, "diff", b, a}, output), 1);
  EXPECT_EQ(output, "alarm_mode: 1 (External) -> 0 (Internal)\n");
  EXPECT_EQ(RunProgram({ctl_, "diff", a, Path("missing.dat")}, output), 2);
  EXPECT_NE(output.find("cannot read"), std::string::npos);
  EXPECT_EQ(RunProgram({ctl_, "diff", a}, output), 2);  // usage
}

// diff --words names each difference as the program's comparison window
// does, titles as text; --device and the exit statuses are as without it.
TEST_F(ToolsTest, DiffInWordsNamesTheDialogs) {
  vqx::DeviceSettings first;
  vqx::LoadDefaultSettings(first);
  vqx::DeviceSettings second = first;
  second.alarm_mode = 1;
  std::strcpy(second.title_text[2], "\x92\x93\x8E\xD4\x8F\xEA");  // 駐車場
  second.title_pos_x[0] = 40;
  const std::string a = Path("a.dat");
  const std::string b = Path("b.dat");
  ASSERT_TRUE(vqx::WriteSettingsFile(a, first));
  ASSERT_TRUE(vqx::WriteSettingsFile(b, second));
  const std::string device_fields =
      "アラーム / モード: Internal → External\n"
      "タイトル ch.03: 　　　ＣＨ０３ → 駐車場\n";
  std::string output;
  EXPECT_EQ(RunProgram({ctl_, "diff", "--words", a, b}, output), 1);
  EXPECT_EQ(
      output,
      device_fields +
          "\n機器から読み込まない項目（読み込んだファイルでも元の値のまま）:\n"
          "タイトルの表示位置（横） ch.01: 11 → 40\n");
  EXPECT_EQ(RunProgram({ctl_, "diff", "--device", "--words", a, b}, output), 1);
  EXPECT_EQ(output, device_fields);
  // By field name, as scripts read it.
  EXPECT_EQ(RunProgram({ctl_, "diff", "--device", a, b}, output), 1);
  EXPECT_EQ(output,
            "alarm_mode: 0 (Internal) -> 1 (External)\n"
            "title_text[ch.03]: \"　　　ＣＨ０３　　　\" (20 bytes) -> "
            "\"駐車場\" (6 bytes)\n");
  EXPECT_EQ(RunProgram({ctl_, "diff", "--words", a, a}, output), 0);
  EXPECT_EQ(output, "");
  EXPECT_EQ(
      RunProgram({ctl_, "diff", "--words", a, Path("missing.dat")}, output), 2);
}

// send --words tells the meaning in the traffic log's words; the reply
// texts of the device stay as they are.
TEST_F(ToolsTest, SendInWordsTellsTheMeaningAsTheLogDoes) {
  const std::string link = Path("com4");
  Child sim = StartSimulator(sim_, {"--link", link, "--reply", "2=E3"});
  std::string output;
  EXPECT_EQ(
      RunProgram({ctl_, "send", "RVN", "--words", "--port", link}, output), 0);
  EXPECT_EQ(output, "reply: VN1.00\nmeaning: 機器のバージョン: 1.00\n");
  EXPECT_EQ(
      RunProgram({ctl_, "send", "AME", "--words", "--port", link}, output), 1);
  EXPECT_NE(output.find("meaning: Command Error\n"), std::string::npos)
      << output;
  EXPECT_EQ(
      RunProgram({ctl_, "send", "RAM", "--words", "--port", link}, output), 0);
  EXPECT_EQ(
      output,
      "reply: AMI\nmeaning: 読み出し応答\n  アラーム / モード: Internal\n");
  StopSimulator(sim);
}

// The real watchdog: a device that never answers ends a reply-paced
// read-all with "No Connect" about 8 s after the first line, and nothing
// is written.
TEST_F(ToolsTest, SilentDeviceEndsAFastReadAllWithNoConnect) {
  const std::string link = Path("silent");
  const std::string file = Path("never.dat");
  Child sim = StartSimulator(sim_, {"--link", link, "--silent"});
  std::string output;
  EXPECT_EQ(RunProgram({ctl_, "read-all", "-o", file, "--port", link, "--fast"},
                       output),
            1);
  EXPECT_NE(output.find("Error: No Connect"), std::string::npos) << output;
  EXPECT_NE(output.find("stopped after 1 of 79"), std::string::npos) << output;
  EXPECT_FALSE(fs::exists(file));
  StopSimulator(sim);
}

// A text file and an empty file: show and send-all refuse them (exit 1)
// and send nothing, diff exits 2, the simulator will not start from one;
// each names the line and what was expected there.
TEST_F(ToolsTest, BadSettingsFilesAreRefusedWithTheLine) {
  const std::string factory = Path("factory.dat");
  std::string output;
  ASSERT_EQ(RunProgram({ctl_, "defaults", "-o", factory}, output), 0);
  const std::string link = Path("com");
  const std::string log = Path("sim.log");
  Child sim = StartSimulator(sim_, {"--link", link, "--log", log});
  for (auto [name, bytes, reason] : {
           std::tuple{"notes.txt", "call the installer\n",
                      std::string("line 1: expected a whole number for "
                                  "alarm_mode, found \"call\"")},
           std::tuple{
               "empty.dat", "",
               "the file is empty: " + std::to_string(vqx::kSettingsFileLines) +
                   " values expected"},
       }) {
    const std::string file = Path(name);
    std::ofstream(file, std::ios::binary) << bytes;
    const std::string refusal =
        file + " is not a settings file: " + reason + "\n";
    EXPECT_EQ(RunProgram({ctl_, "show", file}, output), 1);
    EXPECT_EQ(output, "vqx460ctl: " + refusal);
    EXPECT_EQ(RunProgram({ctl_, "send-all", file, "--port", link}, output), 1);
    EXPECT_EQ(output, "vqx460ctl: " + refusal);
    EXPECT_EQ(RunProgram({ctl_, "diff", factory, file}, output), 2);
    EXPECT_EQ(output, "vqx460ctl: " + refusal);
    EXPECT_EQ(RunProgram({sim_, "--state", file}, output), 1);
    EXPECT_EQ(output, "vqx460-sim: the state file " + refusal);
  }
  StopSimulator(sim);
  EXPECT_EQ(ReadText(log).find(" RX "), std::string::npos) << ReadText(log);
}

// The fields (listing names before "[") with a row alike in both.
std::set<std::string> FieldsAlike(const vqx::DeviceSettings& a,
                                  const vqx::DeviceSettings& b) {
  vqx::IconvTextCodec codec;
  const auto first = vqx::DescribeSettings(a, codec);
  const auto second = vqx::DescribeSettings(b, codec);
  std::set<std::string> alike;
  for (std::size_t i = 0; i < first.size(); ++i) {
    if (first[i] == second[i]) {
      alike.insert(std::string(vqx::FieldOfListingName(first[i].name)));
    }
  }
  return alike;
}

// The fields no read-all reads are exactly those a read-all leaves as they
// were: from a device whose every setting differs from the factory
// settings, only they come back with the factory values. diff --device
// leaves them out, so the file sent and the file read back agree.
TEST_F(ToolsTest, ReadAllLeavesExactlyTheFieldsItDoesNotRead) {
  vqx::DeviceSettings factory;
  vqx::LoadDefaultSettings(factory);
  vqx::DeviceSettings changed = vqx::testing::EverySettingChanged();
  ASSERT_TRUE(FieldsAlike(factory, changed).empty());
  const std::string state = Path("state.dat");
  ASSERT_TRUE(vqx::WriteSettingsFile(state, changed));
  const std::string link = Path("com");
  Child sim = StartSimulator(sim_, {"--link", link, "--state", state});
  const std::string read = Path("read.dat");
  std::string output;
  EXPECT_EQ(RunProgram({ctl_, "read-all", "-o", read, "--port", link, "--fast"},
                       output),
            0)
      << output;
  StopSimulator(sim);
  vqx::DeviceSettings from_device;
  ASSERT_TRUE(vqx::ReadSettingsFile(read, from_device));
  EXPECT_EQ(FieldsAlike(factory, from_device),
            std::set<std::string>(vqx::kFieldsReadAllDoesNotRead.begin(),
                                  vqx::kFieldsReadAllDoesNotRead.end()));
  EXPECT_EQ(RunProgram({ctl_, "diff", state, read}, output), 1);
  EXPECT_EQ(output.rfind("Not read by a read-all (a file read from a device "
                         "holds the values it started from):\n"
                         "title_pos_x[ch.01]: 12 -> 11\n",
                         0),
            0u)
      << output;
  EXPECT_EQ(RunProgram({ctl_, "diff", "--device", state, read}, output), 0)
      << output;
  EXPECT_EQ(output, "");
}

// A write-protected file is not replaced by defaults -o or read-all -o
// (the rename would go through, even for root), nothing is left beside it,
// and read-all says so before it asks the device anything.
TEST_F(ToolsTest, WriteProtectedOutputIsRefused) {
  const std::string locked = Path("locked.dat");
  { std::ofstream(locked) << "precious\n"; }
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read);
  const std::string link = Path("com");
  Child sim = StartSimulator(sim_, {"--link", link, "--silent"});
  const std::string refusal =
      "vqx460ctl: cannot write " + locked + ": the file is write-protected\n";
  std::string output;
  EXPECT_EQ(RunProgram({ctl_, "defaults", "-o", locked}, output), 1);
  EXPECT_EQ(output, refusal);
  // Refused at once: the silent device would fail the run only after 8 s.
  EXPECT_EQ(
      RunProgram({ctl_, "read-all", "-o", locked, "--port", link, "--fast"},
                 output),
      1);
  EXPECT_EQ(output, refusal);
  StopSimulator(sim);
  EXPECT_EQ(ReadText(locked), "precious\n");
  EXPECT_EQ(
      std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

// Only the commands that talk to a device open the log, so a log that
// cannot be opened does not turn into "the files differ"; diff keeps 2 for
// every trouble of its own, a listing that cannot be written included.
TEST_F(ToolsTest, ExitStatusesAndTheLog) {
  const std::string a = Path("a.dat");
  const std::string log = Path("traffic.log");
  const std::string no_log = Path("no/such/folder/x.log");
  std::string output;
  ASSERT_EQ(RunProgram({ctl_, "--log", log, "defaults", "-o", a}, output), 0);
  EXPECT_EQ(RunProgram({ctl_, "--log", log, "show", a}, output), 0);
  EXPECT_EQ(RunProgram({ctl_, "--log", no_log, "diff", a, a}, output), 0);
  EXPECT_FALSE(fs::exists(log));
  EXPECT_EQ(RunProgram({ctl_, "--log", no_log, "scan", "--port", a}, output),
            1);
  EXPECT_NE(output.find("cannot open the log"), std::string::npos) << output;
  EXPECT_EQ(RunProgram({ctl_, "diff", "--no-such-option", a, a}, output), 2);
  if (fs::exists("/dev/full")) {
    EXPECT_EQ(RunProgram({"/bin/sh", "-c", ctl_ + " show " + a + " >/dev/full"},
                         output),
              1);
    EXPECT_EQ(output, "vqx460ctl: cannot write the output\n");
  }
}

// A configuration file names the port and the RS-485 address, so a plain
// "send RVN" reaches the device; the command line still wins, and a file
// with a bad value is refused as bad arguments are.
TEST_F(ToolsTest, ConfigurationFileGivesTheDeviceOptions) {
  const std::string link = Path("bus");
  Child sim = StartSimulator(
      sim_, {"--link", link, "--rs485", "--address", "05", "--address", "07"});
  const std::string config = Path("vqx460ctl.ini");
  std::ofstream(config) << "[vqx460ctl]\nport=" << link
                        << "\nrs485=yes\naddress=05\n";
  std::string output;
  EXPECT_EQ(RunProgram({ctl_, "--config", config, "send", "RVN"}, output), 0)
      << output;
  EXPECT_NE(output.find("VN1.00"), std::string::npos) << output;
  EXPECT_EQ(RunProgram({ctl_, "--config", config, "--log", Path("log.txt"),
                        "send", "RVN", "--address", "07"},
                       output),
            0)
      << output;
  EXPECT_NE(ReadText(Path("log.txt")).find("TX\t07\tRVN"), std::string::npos);
  StopSimulator(sim);

  std::ofstream(config, std::ios::trunc)
      << "[vqx460ctl]\nport=" << link << "\nrs485=yes\naddress=99\n";
  EXPECT_EQ(RunProgram({ctl_, "--config", config, "send", "RVN"}, output), 2)
      << output;
  EXPECT_NE(output.find("address"), std::string::npos) << output;
}

}  // namespace
