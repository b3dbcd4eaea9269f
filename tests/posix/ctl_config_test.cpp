// vqx460ctl's configuration file: which defaults a command line gets, and
// which files and values are refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "posix/ctl/config_file.h"
#include "tests/support/scratch_folder.h"

namespace vqx {
namespace {

using Args = std::vector<std::string>;

class CtlConfigTest : public ::testing::Test {
 protected:
  CtlConfigTest() {
    std::filesystem::create_directories(folder_ / "config" / "vqx460");
    environment_["XDG_CONFIG_HOME"] = folder_.PathOf("config");
  }

  void WriteDefaultFile(const std::string& text) {
    folder_.Put("config/vqx460/vqx460ctl.ini", text);
  }

  Args With(const Args& args) {
    error_.clear();
    return WithCtlDefaults(
        args,
        [this](const char* name) -> std::optional<std::string> {
          auto found = environment_.find(name);
          if (found == environment_.end()) return std::nullopt;
          return found->second;
        },
        error_);
  }

  testing::ScratchFolder folder_{"vqx_ctl_config"};
  std::map<std::string, std::string> environment_;
  std::string error_;
};

TEST_F(CtlConfigTest, EachCommandTakesTheDefaultsOfItsOwnOptions) {
  WriteDefaultFile(
      "[vqx460ctl]\nport=/dev/ttyUSB1\nrs485=yes\naddress=05\necho=On\n"
      "fast=1\n");
  struct Case {
    Args args;
    Args added;
  };
  const Case cases[] = {
      {{"vqx460ctl", "send-all", "a.dat"},
       {"--port", "/dev/ttyUSB1", "--rs485", "--address", "05", "--echo",
        "--fast"}},
      {{"vqx460ctl", "--log", "send", "read-all", "-o", "b.dat"},
       {"--port", "/dev/ttyUSB1", "--rs485", "--address", "05", "--echo",
        "--fast"}},
      {{"vqx460ctl", "send", "RVN"},
       {"--port", "/dev/ttyUSB1", "--rs485", "--address", "05", "--echo"}},
      {{"vqx460ctl", "scan"}, {"--port", "/dev/ttyUSB1", "--echo"}},
      {{"vqx460ctl", "show", "a.dat"}, {}},
      {{"vqx460ctl", "--help"}, {}},
      // What the command line says wins.
      {{"vqx460ctl", "send", "RVN", "--port=/dev/ttyS0", "--address",
        "broadcast", "--echo", "--rs485"},
       {}},
      {{"vqx460ctl", "send-all", "a.dat", "--fast", "--port", "/dev/x"},
       {"--rs485", "--address", "05", "--echo"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1]);
    Args expected = c.args;
    expected.insert(expected.end(), c.added.begin(), c.added.end());
    EXPECT_EQ(With(c.args), expected);
    EXPECT_EQ(error_, "");
  }
}

TEST_F(CtlConfigTest, AnAddressWaitsForAnRs485Line) {
  WriteDefaultFile("[VQX460CTL]\naddress=7\nrs485=no\n");
  EXPECT_EQ(With({"vqx460ctl", "send", "RVN"}),
            (Args{"vqx460ctl", "send", "RVN"}));
  EXPECT_EQ(With({"vqx460ctl", "send", "RVN", "--rs485"}),
            (Args{"vqx460ctl", "send", "RVN", "--rs485", "--address", "7"}));
}

TEST_F(CtlConfigTest, ConfigOptionNamesTheFileAndOnlyANamedFileMustExist) {
  folder_.Put("site.ini", "[vqx460ctl]\nport=/dev/site\n");
  WriteDefaultFile("[vqx460ctl]\nport=/dev/default\n");
  EXPECT_EQ(With({"vqx460ctl", "--config", folder_.PathOf("site.ini"), "scan"}),
            (Args{"vqx460ctl", "--config", folder_.PathOf("site.ini"), "scan",
                  "--port", "/dev/site"}));
  const std::string named = "--config=" + folder_.PathOf("site.ini");
  EXPECT_EQ(With({"vqx460ctl", named, "scan"}),
            (Args{"vqx460ctl", named, "scan", "--port", "/dev/site"}));

  // No file at the usual place, or no place at all: no defaults.
  std::filesystem::remove(folder_ / "config" / "vqx460" / "vqx460ctl.ini");
  EXPECT_EQ(With({"vqx460ctl", "scan"}), (Args{"vqx460ctl", "scan"}));
  environment_.clear();
  EXPECT_EQ(With({"vqx460ctl", "scan"}), (Args{"vqx460ctl", "scan"}));
  EXPECT_EQ(error_, "");
  environment_["HOME"] = "/home/u";
  EXPECT_EQ(DefaultCtlConfigPath(
                [this](const char* name) -> std::optional<std::string> {
                  if (environment_.count(name) == 0) return std::nullopt;
                  return environment_[name];
                }),
            "/home/u/.config/vqx460/vqx460ctl.ini");

  // A named file that is missing, or a folder, is an error.
  for (const char* name : {"missing.ini", "config"}) {
    EXPECT_TRUE(
        With({"vqx460ctl", "--config", folder_.PathOf(name), "scan"}).empty());
    EXPECT_EQ(error_,
              "cannot read the configuration file " + folder_.PathOf(name));
  }
}

TEST_F(CtlConfigTest, ValuesItDoesNotUnderstandAreRefusedByName) {
  const std::string file = folder_.PathOf("config/vqx460/vqx460ctl.ini");
  struct Case {
    std::string text;
    std::string error;  // "" = accepted
  };
  const Case cases[] = {
      {"[vqx460ctl]\nrs485=maybe\n", file + ": rs485=maybe: not yes or no"},
      {"[vqx460ctl]\nfast=2\n", file + ": fast=2: not yes or no"},
      {"[vqx460ctl]\naddress=32\n",
       file + ": address=32: not 00..31 or broadcast"},
      {"[vqx460ctl]\naddress=FF\n",
       file + ": address=FF: not 00..31 or broadcast"},
      {"[vqx460ctl]\naddress=005\n",
       file + ": address=005: not 00..31 or broadcast"},
      // Empty values and other sections say nothing.
      {"[vqx460ctl]\nrs485=\nport=\n[other]\nfast=maybe\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    WriteDefaultFile(c.text);
    const Args result = With({"vqx460ctl", "send-all", "a.dat"});
    EXPECT_EQ(error_, c.error);
    EXPECT_EQ(result.empty(), !c.error.empty());
  }
}

}  // namespace
}  // namespace vqx
