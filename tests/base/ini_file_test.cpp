#include "base/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/scratch_folder.h"

namespace vqx {
namespace {

namespace fs = std::filesystem;

// The program's own section and a key of it, as the files hold them.
constexpr std::string_view kSection = "VQX-460J_Section";
constexpr std::string_view kComPort = "com_port";
constexpr std::string_view kRsControl = "rs_control";

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

TEST(FindIniValue, ToleratesHandEdits) {
  const std::string text =
      "\xEF\xBB\xBF; written by hand\r\n"
      "garbage line\n"
      "stray=1\n"
      "  [ vqx-460j_section ]  \r\n"
      "\r\n"
      "  COM_PORT  =  2  \r\n"
      "rs_control=\t1\n"
      "select_number=\"-1\"\n"
      "empty=\n"
      "=5\n"
      "[Other]\n"
      "com_port=9\n";
  const std::string_view section = "VQX-460J_Section";
  EXPECT_EQ(FindIniValue(text, section, "com_port"), "2");
  EXPECT_EQ(FindIniValue(text, section, "rs_control"), "1");
  EXPECT_EQ(FindIniValue(text, section, "select_number"), "-1");
  EXPECT_EQ(FindIniValue(text, section, "empty"), "");
  EXPECT_EQ(FindIniValue(text, section, "stray"), std::nullopt);
  EXPECT_EQ(FindIniValue(text, section, "missing"), std::nullopt);
  EXPECT_EQ(FindIniValue(text, "Other", "com_port"), "9");
  EXPECT_EQ(FindIniValue(text, "Missing", "com_port"), std::nullopt);
}

TEST(FindIniValue, FirstKeyWinsAndCommentsDoNotCount) {
  const std::string text =
      "[S]\n;k=commented\nk=first\nk=second\n[S]\nk=third\nj=later\n";
  EXPECT_EQ(FindIniValue(text, "s", "K"), "first");
  EXPECT_EQ(FindIniValue(text, "S", "j"), "later");
}

TEST(SetIniValue, KeepsEveryOtherLine) {
  struct Case {
    const char* name;
    std::string before;
    std::string after;
  };
  const Case cases[] = {
      {"new file", "", "[S]\r\nk=1\r\n"},
      {"replaces in place", "; c\r\n[s]\r\nK = 0 \r\nx=y\r\n",
       "; c\r\n[s]\r\nK=1\r\nx=y\r\n"},
      {"adds to its section", "[S]\r\na=b\r\n\r\n[T]\r\nk=9\r\n",
       "[S]\r\na=b\r\nk=1\r\n\r\n[T]\r\nk=9\r\n"},
      {"adds the section", "[T]\nk=9\n", "[T]\nk=9\n[S]\nk=1\n"},
      {"last line without end", "[S]\na=b", "[S]\na=b\nk=1\n"},
      {"section line last", "[S]", "[S]\r\nk=1\r\n"},
      {"file without end", "x", "x\r\n[S]\r\nk=1\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SetIniValue(c.before, "S", "k", "1"), c.after) << c.name;
    EXPECT_EQ(FindIniValue(c.after, "S", "k"), "1") << c.name;
  }
}

class IniFileOnDisk : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const {
    return folder_.PathOf(name);
  }
  void Put(const std::string& name, const std::string& bytes) {
    folder_.Put(name, bytes);
  }
  std::string Contents(const std::string& name) {
    return folder_.Contents(name);
  }

  testing::ScratchFolder folder_{"vqx_ini"};
};

TEST_F(IniFileOnDisk, CreatesTheFileAndItsFolder) {
  IniFileProfileStore store(PathOf("config/vqx460/vqx460j.ini"));
  ASSERT_TRUE(store.WriteString(kSection, kComPort, "3"));
  EXPECT_EQ(Contents("config/vqx460/vqx460j.ini"),
            "[VQX-460J_Section]\r\ncom_port=3\r\n");
  EXPECT_EQ(store.GetString(kSection, kComPort, "0"), "3");
}

TEST_F(IniFileOnDisk, RefusesWhatCannotBeStoredSafely) {
  IniFileProfileStore store(PathOf("vqx460j.ini"));
  EXPECT_FALSE(store.WriteString("S", "k", "1\r\n[T]"));
  EXPECT_FALSE(store.WriteString("S]", "k", "1"));
  EXPECT_FALSE(store.WriteString("S", "k=j", "1"));
  EXPECT_FALSE(store.WriteString("", "k", "1"));
  EXPECT_FALSE(fs::exists(folder_ / "vqx460j.ini"));

  // A folder in place of the file is neither read nor replaced.
  fs::create_directory(folder_ / "dir.ini");
  IniFileProfileStore folder_store(PathOf("dir.ini"));
  EXPECT_EQ(folder_store.GetString("S", "k", "fb"), "fb");
  EXPECT_FALSE(folder_store.WriteString("S", "k", "1"));
  EXPECT_TRUE(fs::is_directory(folder_ / "dir.ini"));
}

TEST_F(IniFileOnDisk, HugeFileIsReadInPartAndNeverRewritten) {
  std::string huge = "[VQX-460J_Section]\ncom_port=5\n";
  huge += std::string(kMaxIniFileBytes, ';');
  huge += "\nrs_control=1\n";
  Put("vqx460j.ini", huge);
  IniFileProfileStore store(PathOf("vqx460j.ini"));
  EXPECT_EQ(store.GetString(kSection, kComPort, "0"), "5");
  EXPECT_EQ(store.GetString(kSection, kRsControl, "0"), "0");
  EXPECT_FALSE(store.WriteString(kSection, kComPort, "1"));
  EXPECT_EQ(fs::file_size(folder_ / "vqx460j.ini"), huge.size());
}

// An older installation kept the file in the Windows folder: it is read
// until the user's own file exists, the first write carries its settings
// over, and it is never changed; one that cannot be read is not left behind.
TEST_F(IniFileOnDisk, LegacyFileIsReadUntilTheOwnFileExists) {
  const std::string legacy =
      "[VQX-460J_Section]\r\ncom_port=6\r\n[Other]\r\nx=1\r\n";
  fs::create_directories(folder_ / "windows" / "blocked.ini");
  Put("windows/vqx460j.ini", legacy);
  IniFileProfileStore store(PathOf("own/vqx460j.ini"),
                            PathOf("windows/vqx460j.ini"));
  EXPECT_EQ(store.GetString(kSection, kComPort, "0"), "6");
  ASSERT_TRUE(store.WriteString(kSection, kRsControl, "1"));
  EXPECT_EQ(Contents("own/vqx460j.ini"),
            "[VQX-460J_Section]\r\ncom_port=6\r\nrs_control=1\r\n"
            "[Other]\r\nx=1\r\n");
  EXPECT_EQ(Contents("windows/vqx460j.ini"), legacy);
  Put("windows/vqx460j.ini", "[VQX-460J_Section]\r\ncom_port=8\r\n");
  EXPECT_EQ(store.GetString(kSection, kComPort, "0"), "6");

  IniFileProfileStore blocked(PathOf("own2/vqx460j.ini"),
                              PathOf("windows/blocked.ini"));
  EXPECT_FALSE(blocked.WriteString(kSection, kComPort, "2"));
  EXPECT_FALSE(fs::exists(folder_ / "own2"));
}

}  // namespace
}  // namespace vqx
