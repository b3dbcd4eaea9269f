// vqx460ctl's configuration file: which defaults a command line gets, and
// which files and values are refused.
#include <gtest/gtest.h>

#include <filesystem>
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
    std::filesystem::create_directories(folder_ / "xdg" / "vqx460");
  }
  // The command line as the tool would parse it, with XDG_CONFIG_HOME set
  // to the scratch folder's "xdg" (the usual file: xdg/vqx460/vqx460ctl.ini).
  Args With(const Args& args) {
    error_.clear();
    return WithCtlDefaults(
        args,
        [this](const char* name) -> std::optional<std::string> {
          if (std::string_view(name) != "XDG_CONFIG_HOME") return std::nullopt;
          return folder_.PathOf("xdg");
        },
        error_);
  }

  testing::ScratchFolder folder_{"vqx_ctl_config"};
  std::string error_;
  const std::string usual_ = "xdg/vqx460/vqx460ctl.ini";
};

TEST_F(CtlConfigTest, EachCommandTakesTheDefaultsOfItsOptionsNotGiven) {
  folder_.Put(usual_,
              "[vqx460ctl]\nport=/dev/ttyUSB1\nrs485=yes\naddress=05\n"
              "echo=On\nfast=1\n");
  const Args all = {"--port",    "/dev/ttyUSB1", "--rs485",
                    "--address", "05",           "--echo"};
  struct Case {
    Args args, added;
  };
  const Case cases[] = {
      {{"ctl", "--log", "send", "read-all", "-o", "b.dat"},
       {all[0], all[1], all[2], all[3], all[4], all[5], "--fast"}},
      {{"ctl", "send", "RVN"}, all},
      {{"ctl", "scan"}, {"--port", "/dev/ttyUSB1", "--echo"}},
      {{"ctl", "show", "a.dat"}, {}},
      {{"ctl", "send", "RVN", "--port=/dev/x", "--address", "00", "--echo"},
       {"--rs485"}},
  };
  for (const Case& c : cases) {
    Args expected = c.args;
    expected.insert(expected.end(), c.added.begin(), c.added.end());
    EXPECT_EQ(With(c.args), expected);
  }
  // An address waits for a line that uses one.
  folder_.Put(usual_, "[VQX460CTL]\naddress=7\n");
  EXPECT_EQ(With({"ctl", "send", "X"}), (Args{"ctl", "send", "X"}));
  EXPECT_EQ(With({"ctl", "send", "X", "--rs485"}),
            (Args{"ctl", "send", "X", "--rs485", "--address", "7"}));
}

TEST_F(CtlConfigTest, NamedFileAndValuesItDoesNotUnderstand) {
  folder_.Put("site.ini", "[vqx460ctl]\nport=/dev/site\n");
  const std::string site = folder_.PathOf("site.ini");
  EXPECT_EQ(With({"ctl", "--config", site, "scan"}),
            (Args{"ctl", "--config", site, "scan", "--port", "/dev/site"}));
  EXPECT_EQ(With({"ctl", "scan"}), (Args{"ctl", "scan"}));  // no usual file
  for (const char* name : {"missing.ini", "xdg"}) {
    EXPECT_TRUE(
        With({"ctl", "--config=" + folder_.PathOf(name), "scan"}).empty());
    EXPECT_EQ(error_,
              "cannot read the configuration file " + folder_.PathOf(name));
  }
  const std::string usual = folder_.PathOf(usual_);
  const std::pair<std::string, std::string> refused[] = {
      {"rs485=maybe", ": rs485=maybe: not yes or no"},
      {"address=32", ": address=32: not 00..31 or broadcast"},
      {"address=005", ": address=005: not 00..31 or broadcast"},
  };
  for (const auto& [line, error] : refused) {
    folder_.Put(usual_, "[vqx460ctl]\n" + line + "\n");
    EXPECT_TRUE(With({"ctl", "send-all", "a.dat"}).empty());
    EXPECT_EQ(error_, usual + error);
  }
}

}  // namespace
}  // namespace vqx
