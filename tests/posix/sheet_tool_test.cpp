// vqx460ctl's settings sheet: from a file through the strict reader, and
// after a read-all from the simulated device, with its version line; never
// from a file it refused or a read-all that failed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/device_settings.h"
#include "files/settings_file.h"
#include "tests/posix/process_support.h"

namespace {

namespace fs = std::filesystem;

using vqx::testing::Child;
using vqx::testing::Stderr;

int WaitFor(pid_t pid) { return vqx::testing::Wait(pid); }

int RunTool(const std::vector<std::string>& args, std::string& output) {
  return vqx::testing::RunProgram(args, output);
}

using vqx::testing::ReadText;

class SheetToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vqx-sheet-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    if (sim_.pid > 0) {
      kill(sim_.pid, SIGTERM);
      EXPECT_EQ(WaitFor(sim_.pid), 0);
      close(sim_.output);
    }
    fs::remove_all(dir_);
  }
  std::string Path(const std::string& name) { return (dir_ / name).string(); }
  // The simulated device on a pseudo-terminal at Path("com"), ready once
  // it has told its first line.
  std::string StartDevice(std::vector<std::string> args) {
    const std::string link = Path("com");
    args.insert(args.begin(), {kSim, "--link", link});
    sim_ = vqx::testing::Start(args, Stderr::kDiscarded);
    char c;
    while (read(sim_.output, &c, 1) == 1 && c != '\n') {
    }
    return link;
  }

  const std::string kSim = VQX_SIM_PROGRAM;
  const std::string kCtl = VQX_CTL_PROGRAM;
  fs::path dir_;
  Child sim_;
};

TEST_F(SheetToolTest, WritesThePageOfAFile) {
  const std::string file = Path("site.dat");
  const std::string page = Path("site.html");
  std::string output;
  ASSERT_EQ(RunTool({kCtl, "defaults", "-o", file}, output), 0) << output;
  EXPECT_EQ(
      RunTool({kCtl, "sheet", file, "-o", page, "--site", "Hall <2> & \"B\""},
              output),
      0);
  EXPECT_EQ(output, "sheet written to " + page + "\n");
  const std::string html = ReadText(page);
  EXPECT_TRUE(html.starts_with("<!DOCTYPE html>")) << html.substr(0, 80);
  EXPECT_NE(html.find("<td>site.dat</td>"), std::string::npos);
  EXPECT_NE(html.find("Hall &lt;2&gt; &amp; &quot;B&quot;"), std::string::npos);
  // From a file, the device's version is not known.
  EXPECT_EQ(html.find("機器のバージョン"), std::string::npos);
  for (const char* title : {"ＣＨ０１", "ＣＨ０８"}) {
    EXPECT_NE(html.find(title), std::string::npos) << title;
  }
}

// A file the reader refuses, or cannot read, gives its message and no page;
// a page that was there stays as it was.
TEST_F(SheetToolTest, RefusedFilesWriteNothing) {
  const std::string notes = Path("notes.txt");
  std::ofstream(notes, std::ios::binary) << "call the installer\n";
  const std::string page = Path("notes.html");
  std::string output;
  EXPECT_EQ(RunTool({kCtl, "sheet", notes, "-o", page}, output), 1);
  EXPECT_EQ(output, "vqx460ctl: " + notes +
                        " is not a settings file: line 1: expected a whole "
                        "number for alarm_mode, found \"call\"\n");
  EXPECT_FALSE(fs::exists(page));
  std::ofstream(page, std::ios::binary) << "old";
  EXPECT_EQ(RunTool({kCtl, "sheet", Path("none.dat"), "-o", page}, output), 1);
  EXPECT_EQ(output, "vqx460ctl: cannot read " + Path("none.dat") + "\n");
  EXPECT_EQ(ReadText(page), "old");
}

// After a read-all the page shows what the device holds, named after the
// file written, with the version the device gave; with --log too.
TEST_F(SheetToolTest, ReadAllWritesThePageWithTheDeviceVersion) {
  vqx::DeviceSettings state;
  vqx::LoadDefaultSettings(state);
  state.layout_9[7] = 2;  // pane 8 repeats pane 3's channel
  ASSERT_TRUE(vqx::WriteSettingsFile(Path("state.dat"), state));
  const std::string link = StartDevice({"--state", Path("state.dat")});
  std::string output;
  for (bool logged : {false, true}) {
    SCOPED_TRACE(logged ? "with --log" : "without --log");
    const std::string page = Path(logged ? "logged.html" : "read.html");
    std::vector<std::string> args = {kCtl};
    if (logged) args.insert(args.end(), {"--log", Path("traffic.log")});
    args.insert(args.end(), {"read-all", "-o", Path("read.dat"), "--port", link,
                             "--fast", "--sheet", page});
    ASSERT_EQ(RunTool(args, output), 0) << output;
    EXPECT_NE(output.find("sheet written to " + page), std::string::npos)
        << output;
    const std::string html = ReadText(page);
    EXPECT_NE(html.find("<td>read.dat</td>"), std::string::npos);
    EXPECT_NE(html.find("<th>機器のバージョン</th><td>1.00</td>"),
              std::string::npos);
    EXPECT_NE(html.find("data-pane=\"8\" data-channel=\"3\" data-repeated"),
              std::string::npos);
  }
}

TEST_F(SheetToolTest, FailedReadAllWritesNoPage) {
  const std::string link = StartDevice({"--silent"});
  const std::string page = Path("never.html");
  std::string output;
  EXPECT_EQ(RunTool({kCtl, "read-all", "-o", Path("never.dat"), "--port", link,
                     "--fast", "--sheet", page},
                    output),
            1);
  EXPECT_NE(output.find("nothing written"), std::string::npos) << output;
  EXPECT_FALSE(fs::exists(page));
  EXPECT_FALSE(fs::exists(Path("never.dat")));
}

// A page describes one device: asked of several, the tool refuses before
// it talks to any of them rather than keep one page of many.
TEST_F(SheetToolTest, SheetOfSeveralDevicesIsRefused) {
  const std::string page = Path("many.html");
  std::string output;
  EXPECT_EQ(RunTool({kCtl, "read-all", "-o", Path("site"), "--port",
                     Path("no-such-port"), "--rs485", "--address", "01,03",
                     "--sheet", page},
                    output),
            2);
  EXPECT_NE(output.find("--sheet"), std::string::npos) << output;
  EXPECT_FALSE(fs::exists(page));
  EXPECT_FALSE(fs::exists(Path("site")));
}

}  // namespace
