#include "transport/link_config.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "base/ini_file.h"
#include "tests/support/fakes.h"
#include "tests/support/scratch_folder.h"

namespace vqx {
namespace {

using testing::MemoryProfile;

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

// The link's keys in a real INI file, as the program reads it at start and
// the serial settings dialog writes it.
class LinkConfigOnDisk : public ::testing::Test {
 protected:
  testing::ScratchFolder folder_{"vqx_link_config"};
};

TEST_F(LinkConfigOnDisk, MissingFileGivesTheFallbackAndZeroConfig) {
  IniFileProfileStore store(folder_.PathOf("vqx460j.ini"));
  EXPECT_EQ(store.GetString(kIniSection, kComPortKey, "0"), "0");
  LinkConfig config;
  config.select_number = 5;
  ReadLinkConfig(store, config);
  EXPECT_EQ(config.com_port, 0);
  EXPECT_EQ(config.rs_control, 0);
  EXPECT_EQ(config.select_number, 0);
}

TEST_F(LinkConfigOnDisk, TypicalFileAndDialogWrites) {
  folder_.Put("vqx460j.ini",
              "[VQX-460J_Section]\r\ncom_port=2\r\nrs_control=1\r\n"
              "select_number=-1\r\n");
  IniFileProfileStore store(folder_.PathOf("vqx460j.ini"));
  LinkConfig config;
  ReadLinkConfig(store, config);
  EXPECT_EQ(config.com_port, 2);
  EXPECT_EQ(config.rs_control, 1);
  EXPECT_EQ(config.select_number, -1);

  EXPECT_TRUE(WriteComPort(store, config, 4));
  EXPECT_TRUE(WriteRsControl(store, config, 0));
  EXPECT_EQ(folder_.Contents("vqx460j.ini"),
            "[VQX-460J_Section]\r\ncom_port=4\r\nrs_control=0\r\n"
            "select_number=-1\r\n");
  // No temporary file is left behind.
  EXPECT_EQ(folder_.EntryCount(), 1u);
}

}  // namespace
}  // namespace vqx
