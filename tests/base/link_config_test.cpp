#include "base/link_config.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "tests/support/fakes.h"

namespace vqx {
namespace {

using testing::MemoryProfile;

TEST(ParseProfileInteger, ConvertsLikeTheProgramAlwaysHas) {
  struct Case {
    const char* text;
    int value;
  };
  const Case cases[] = {
      {"0", 0},
      {"2", 2},
      {"  7", 7},
      {"\t-1", -1},
      {"+3", 3},
      {"12abc", 12},
      {"abc", 0},
      {"", 0},
      {"-", 0},
      {"1 2", 1},
      {"123456789", 123456789},
      {"1234567890", 123456789},  // only nine characters count
      {"99999999999999", 999999999},
      {"-99999999999", -99999999},
      {"        5", 5},
      {"         5", 0},  // the digit is the tenth character
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseProfileInteger(c.text), c.value) << '"' << c.text << '"';
  }
}

TEST(ReadLinkConfig, MissingKeysGiveZero) {
  MemoryProfile profile;
  LinkConfig config;
  config.com_port = 5;
  config.rs_control = 1;
  config.select_number = -1;
  ReadLinkConfig(profile, config);
  EXPECT_EQ(config.com_port, 0);
  EXPECT_EQ(config.rs_control, 0);
  EXPECT_EQ(config.select_number, 0);
}

TEST(ReadLinkConfig, ReadsEachKeyOfTheSection) {
  MemoryProfile profile;
  profile.values[{"VQX-460J_Section", "com_port"}] = "7";
  profile.values[{"VQX-460J_Section", "rs_control"}] = "2";
  profile.values[{"VQX-460J_Section", "select_number"}] = "-1";
  profile.values[{"Other", "com_port"}] = "3";
  LinkConfig config;
  ReadLinkConfig(profile, config);
  EXPECT_EQ(config.com_port, 7);  // COM8, outside the dialog's list
  EXPECT_EQ(config.rs_control, 2);
  EXPECT_EQ(config.select_number, -1);
}

TEST(WriteLinkConfig, ChangesMemoryAndFileAtOnce) {
  MemoryProfile profile;
  LinkConfig config;
  EXPECT_TRUE(WriteComPort(profile, config, 2));
  EXPECT_TRUE(WriteRsControl(profile, config, 1));
  EXPECT_EQ(config.com_port, 2);
  EXPECT_EQ(config.rs_control, 1);
  EXPECT_EQ((profile.values[{"VQX-460J_Section", "com_port"}]), "2");
  EXPECT_EQ((profile.values[{"VQX-460J_Section", "rs_control"}]), "1");
  EXPECT_EQ(profile.values.count({"VQX-460J_Section", "select_number"}), 0u);

  // A failed write is reported to the caller but the value still changes.
  profile.writable = false;
  EXPECT_FALSE(WriteComPort(profile, config, 4));
  EXPECT_EQ(config.com_port, 4);
}

}  // namespace
}  // namespace vqx
