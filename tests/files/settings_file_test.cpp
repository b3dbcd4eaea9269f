#include "files/settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "tests/support/scratch_folder.h"

namespace vqx {
namespace {

namespace fs = std::filesystem;

DeviceSettings Defaults() {
  DeviceSettings s;
  LoadDefaultSettings(s);
  return s;
}

std::string DefaultTitle(int channel) {
  std::string title = "\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82";
  title += static_cast<char>(0x50 + channel);
  title += "\x81\x40\x81\x40\x81\x40";
  return title;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<no CR LF>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

bool SameRecord(const DeviceSettings& a, const DeviceSettings& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(SettingsFileText, DefaultsGiveTheFactoryFile) {
  std::vector<std::string> expected = {"0", "0", "030", "1", "1"};
  auto repeat = [&expected](int count, const std::string& value) {
    for (int i = 0; i < count; ++i) expected.push_back(value);
  };
  auto list = [&expected](std::initializer_list<const char*> values) {
    for (const char* value : values) expected.push_back(value);
  };
  repeat(8, "1");
  list({"1", "0", "0", "1", "0", "1", "1", "1", "0", "2"});
  repeat(8, "11");
  repeat(8, "13");
  repeat(13, "3");
  repeat(8, "64");
  repeat(8, "64");
  repeat(8, "0");
  repeat(8, "0");
  repeat(8, "80");
  list({"0", "0", "12", "0"});
  repeat(8, "0");
  list({"8", "8"});
  for (int ch = 0; ch < 8; ++ch) expected.push_back(DefaultTitle(ch));
  list({"0", "1", "0", "1", "2", "3", "4", "5", "6", "7", "0",
        "1", "2", "3", "4", "5", "0", "1", "2", "3", "6", "7",
        "0", "1", "2", "3", "4", "5", "6", "7", "0"});
  repeat(8, "1");
  ASSERT_EQ(expected.size(), 153u);

  const std::string text = WriteSettingsText(Defaults());
  EXPECT_EQ(Lines(text), expected);
  EXPECT_EQ(text, JoinCrLf(expected));  // exact bytes, CR LF everywhere
}

template <std::size_t N>
void SetText(char (&buffer)[N], const std::string& text) {
  std::memset(buffer, 0, N);
  std::memcpy(buffer, text.data(), std::min(text.size(), N));
}

// A record with every kind of value a field can come to hold.
DeviceSettings OddRecord() {
  DeviceSettings s = Defaults();
  s.alarm_mode = -1;
  s.alarm_polarity = INT_MAX;
  SetText(s.alarm_hold_time, "7");
  s.alarm_return = INT_MIN;
  s.vloss_detect[7] = 1234567;
  s.seq_dwell[12] = 99;
  s.adjust_hue[3] = 255;
  s.misc_power_on_screen = 13;
  s.misc_dss_mode = -42;
  s.format_video[0] = 6;
  SetText(s.title_text[0], "");
  SetText(s.title_text[1], "\x88\x9F\x88\xA0");  // two kanji, 4 bytes
  SetText(s.title_text[2], "ABC");               // odd length
  std::memcpy(s.title_text[3],
              "\x82\x60\x82\x61\x82\x62\x82\x63\x82\x64"
              "\x82\x65\x82\x66\x82\x67\x82\x68\x82\x69",
              20);  // full 20
  s.layout_9[7] = -7;
  s.agc_enable[7] = 0;
  return s;
}

TEST(SettingsFileText, OddValuesReadBackInPlace) {
  const DeviceSettings original = OddRecord();
  const std::string text = WriteSettingsText(original);
  EXPECT_EQ(Lines(text).size(), 153u);
  DeviceSettings loaded = Defaults();
  ReadSettingsText(text, loaded);
  EXPECT_TRUE(SameRecord(loaded, original));
  EXPECT_EQ(WriteSettingsText(loaded), text);
}

TEST(SettingsFileText, EmptyTitleIsTheLetterS) {
  DeviceSettings s = Defaults();
  s.title_text[4][0] = '\0';
  const std::vector<std::string> lines = Lines(WriteSettingsText(s));
  EXPECT_EQ(lines[110], "s");  // line 111: channel 5

  // A title typed as the single letter "s" is filed the same way, so it
  // reads back empty as well.
  SetText(s.title_text[4], "s");
  DeviceSettings loaded = Defaults();
  ReadSettingsText(WriteSettingsText(s), loaded);
  EXPECT_STREQ(loaded.title_text[4], "");
}

TEST(SettingsFileText, HoldTimeStandInsKeepLaterValuesInPlace) {
  struct Case {
    const char* typed;
    const char* line;
    const char* read_back;
  };
  const Case cases[] = {
      {"030", "030", "030"}, {"5", "5", "5"},    {"07x", "07x", "07x"},
      {"", "-", ""},         {" 1", "_1", "_1"}, {"1 2", "1_2", "1_2"},
      {"\t", "_", "_"},      {"-", "-", ""},
  };
  for (const Case& c : cases) {
    DeviceSettings s = Defaults();
    SetText(s.alarm_hold_time, c.typed);
    s.alarm_return = 0;
    s.agc_enable[7] = 0;
    const std::string text = WriteSettingsText(s);
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 153u) << c.typed;
    EXPECT_EQ(lines[2], c.line) << c.typed;

    DeviceSettings loaded = Defaults();
    ReadSettingsText(text, loaded);
    EXPECT_STREQ(loaded.alarm_hold_time, c.read_back) << c.typed;
    EXPECT_EQ(loaded.alarm_return, 0) << c.typed;
    EXPECT_EQ(loaded.agc_enable[7], 0) << c.typed;
  }
}

// A half-width blank would split a title into two tokens; it is written as
// the one-byte stand-in and reads back as the blank it was, so no title
// changes length and none loses a character, however full it is.
TEST(SettingsFileText, TitleWithHalfWidthBlankKeepsEveryCharacter) {
  struct Case {
    std::string title;  // as held
    std::string line;   // as written
  };
  const std::string kFull18 =  // ＡＢＣＤＥＦＧＨＩ: 18 bytes
      "\x82\x60\x82\x61\x82\x62\x82\x63\x82\x64\x82\x65\x82\x66\x82"
      "\x67\x82\x68";
  const Case cases[] = {
      {"CAM 1",
       "CAM\x7F"
       "1"},
      {kFull18 + " 1", kFull18 + "\x7F"
                                 "1"},  // 20 bytes, last one kept
      {"A B C D E F G H I J ",
       "A\x7F"
       "B\x7F"
       "C\x7F"
       "D\x7F"
       "E\x7F"
       "F\x7F"
       "G\x7F"
       "H\x7F"
       "I\x7F"
       "J\x7F"},
      {" ", "\x7F"},
      {"\x82\x60\t\x82\x61", "\x82\x60\x7F\x82\x61"},  // a pasted tab
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    DeviceSettings s = Defaults();
    SetText(s.title_text[0], c.title);
    s.title_text[1][0] = '\0';
    s.agc_enable[7] = 0;
    const std::string text = WriteSettingsText(s);
    EXPECT_EQ(Lines(text)[106], c.line);
    EXPECT_EQ(Lines(text).size(), 153u);
    DeviceSettings loaded = Defaults();
    ReadSettingsText(text, loaded);
    std::string expected = c.title;
    std::replace(expected.begin(), expected.end(), '\t', ' ');
    EXPECT_EQ(std::string(loaded.title_text[0]), expected);
    EXPECT_STREQ(loaded.title_text[1], "");
    EXPECT_EQ(loaded.agc_enable[7], 0);
  }
}

// Files an earlier version wrote, with the blank widened to the
// full-width one, read as they stand.
TEST(SettingsFileText, WidenedBlankOfAnEarlierFileReadsAsItStands) {
  DeviceSettings s = Defaults();
  std::string text = WriteSettingsText(s);
  const std::string old_title =
      "CAM\x81\x40"
      "1";
  const std::size_t at = text.find(Lines(text)[106]);
  text.replace(at, Lines(text)[106].size(), old_title);
  ReadSettingsText(text, s);
  EXPECT_EQ(std::string(s.title_text[0]), old_title);
}

TEST(SettingsFileText, LineEndsAndBlankLinesDoNotMatter) {
  const DeviceSettings original = OddRecord();
  const std::string crlf = WriteSettingsText(original);
  std::string lf;
  std::string spaced;
  for (const std::string& line : Lines(crlf)) {
    lf += line + "\n";
    spaced += "  \t" + line + "\r\n\r\n\n \n";
  }
  for (const std::string* text : {&lf, &spaced}) {
    DeviceSettings loaded = Defaults();
    ReadSettingsText(*text, loaded);
    EXPECT_TRUE(SameRecord(loaded, original));
  }
}

TEST(SettingsFileText, ShortFileChangesOnlyWhatItHolds) {
  DeviceSettings base = OddRecord();
  base.dirty = 1;
  std::vector<std::string> lines = Lines(WriteSettingsText(Defaults()));
  lines.resize(10);
  DeviceSettings loaded = base;
  ReadSettingsText(JoinCrLf(lines), loaded);

  DeviceSettings expected = base;
  expected.alarm_mode = 0;
  expected.alarm_polarity = 0;
  SetText(expected.alarm_hold_time, "030");
  expected.alarm_return = 1;
  expected.alarm_display = 1;
  for (int i = 0; i < 5; ++i) expected.vloss_detect[i] = 1;
  EXPECT_TRUE(SameRecord(loaded, expected));
  EXPECT_EQ(loaded.dirty, 1);  // the text reader leaves dirty alone

  DeviceSettings untouched = base;
  ReadSettingsText("", untouched);
  EXPECT_TRUE(SameRecord(untouched, base));
}

TEST(SettingsFileText, NonNumberStopsIntegersUntilTheNextText) {
  std::vector<std::string> lines = Lines(WriteSettingsText(OddRecord()));
  lines[3] = "abc";  // line 4, alarm_return
  DeviceSettings loaded = Defaults();
  ReadSettingsText(JoinCrLf(lines), loaded);

  DeviceSettings expected = Defaults();
  expected.alarm_mode = -1;
  expected.alarm_polarity = INT_MAX;
  SetText(expected.alarm_hold_time, "7");
  // Lines 4 to 106 are all integers: every one fails on "abc". The first
  // title takes "abc", and each later text takes the token after it.
  SetText(expected.title_text[0], "abc");
  EXPECT_EQ(loaded.alarm_return, expected.alarm_return);
  EXPECT_EQ(loaded.misc_osd_offset_v, expected.misc_osd_offset_v);
  EXPECT_STREQ(loaded.title_text[0], "abc");
  // Title 2 takes line 5 ("1"), and the integers go on from line 6.
  EXPECT_STREQ(loaded.title_text[1], "1");
  EXPECT_EQ(loaded.layout_2[0], 1);  // line 6
}

TEST(SettingsFileText, NumberFollowedByLettersSplitsTheToken) {
  DeviceSettings loaded = Defaults();
  // "%d" takes 12 from "12ab"; the next integer fails on "ab".
  ReadSettingsText("12ab\r\n5\r\n", loaded);
  EXPECT_EQ(loaded.alarm_mode, 12);
  EXPECT_EQ(loaded.alarm_polarity, 0);
  EXPECT_STREQ(loaded.alarm_hold_time, "ab");
  EXPECT_EQ(loaded.alarm_return, 5);
}

TEST(SettingsFileText, SignsAndOverflowingNumbers) {
  struct Case {
    const char* token;
    int value;
  };
  const Case cases[] = {
      {"+17", 17},
      {"-0", 0},
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"2147483648", INT_MAX},
      {"99999999999999999999999999", INT_MAX},
      {"-99999999999999999999999999", INT_MIN},
      {"000000000000000000000000042", 42},
  };
  for (const Case& c : cases) {
    DeviceSettings loaded = Defaults();
    ReadSettingsText(std::string(c.token) + "\n3\n", loaded);
    EXPECT_EQ(loaded.alarm_mode, c.value) << c.token;
    EXPECT_EQ(loaded.alarm_polarity, 3) << c.token;  // next value in place
  }
  for (const char* token : {"+", "-", "--1", "x"}) {
    DeviceSettings loaded = Defaults();
    loaded.alarm_mode = 9;
    ReadSettingsText(std::string(token) + "\n3\n", loaded);
    EXPECT_EQ(loaded.alarm_mode, 9) << token;
    EXPECT_EQ(loaded.alarm_polarity, 0) << token;
  }
}

std::string TitleFile(const std::string& title_token) {
  std::vector<std::string> lines = Lines(WriteSettingsText(Defaults()));
  lines[106] = title_token;
  return JoinCrLf(lines);
}

TEST(SettingsFileText, OverlongTitlesKeepWholeCharacters) {
  const std::string kanji = "\x88\x9F";
  std::string eleven;
  for (int i = 0; i < 11; ++i) eleven += kanji;
  std::string ten = eleven.substr(0, 20);
  struct Case {
    std::string token;
    std::string stored;
  };
  const Case cases[] = {
      {eleven, ten},                                 // 22 bytes
      {"a" + ten, "a" + ten.substr(0, 18)},          // pair at 20..21
      {std::string(25, 'x'), std::string(20, 'x')},  // single bytes
      {"a" + ten.substr(0, 18) + "b\x88", "a" + ten.substr(0, 18) + "b"},
      {ten.substr(0, 19), ten.substr(0, 19)},  // short: kept
  };
  for (const Case& c : cases) {
    DeviceSettings loaded = Defaults();
    ReadSettingsText(TitleFile(c.token), loaded);
    EXPECT_EQ(std::string(loaded.title_text[0]), c.stored);
    EXPECT_EQ(loaded.title_text[0][kTitleBufferBytes - 1], '\0');
    EXPECT_EQ(loaded.agc_enable[7], 1);
    EXPECT_STREQ(loaded.title_text[1], DefaultTitle(1).c_str());
  }
}

TEST(SettingsFileText, OverlongHoldTimeKeepsThreeCharacters) {
  DeviceSettings loaded = Defaults();
  ReadSettingsText("0 0 12345 0", loaded);
  EXPECT_STREQ(loaded.alarm_hold_time, "123");
  EXPECT_EQ(loaded.alarm_return, 0);
}

TEST(SettingsFileText, HoldTimeIsCutAtCharacterBoundaries) {
  // "１２" (four bytes) read from a hand-edited file keeps only "１": three
  // bytes would end in half a character.
  DeviceSettings loaded = Defaults();
  ReadSettingsText("0 0 \x82\x50\x82\x51 0", loaded);
  EXPECT_STREQ(loaded.alarm_hold_time, "\x82\x50");
  EXPECT_EQ(loaded.alarm_return, 0);

  // The same for a field that fills its buffer without a terminator.
  DeviceSettings s = Defaults();
  std::memcpy(s.alarm_hold_time, "12\x82\x50", 4);
  EXPECT_EQ(Lines(WriteSettingsText(s))[2], "12");
}

TEST(SettingsFileText, UnterminatedBuffersAreWrittenWithinBounds) {
  DeviceSettings s = Defaults();
  std::memset(s.alarm_hold_time, '9', sizeof s.alarm_hold_time);
  std::memset(s.title_text[0], 'T', sizeof s.title_text[0]);
  const std::vector<std::string> lines = Lines(WriteSettingsText(s));
  EXPECT_EQ(lines[2], "999");
  EXPECT_EQ(lines[106], std::string(20, 'T'));
}

TEST(NeedsDatSuffix, SearchesFromTheEndDownToPositionOne) {
  struct Case {
    const char* path;
    bool needs;
  };
  const Case cases[] = {
      {"settings", true},
      {"settings.dat", false},
      {"settings.DAT", true},
      {"settings.dat.bak", false},
      {"my.data", false},
      {"C:\\work.dat\\file", false},
      {".dat", true},  // position 0 is never looked at
      {"a.dat", false},
      {"x.da", true},
      {"", true},
      {"dat", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NeedsDatSuffix(c.path), c.needs) << c.path;
  }
}

class SettingsFileOnDisk : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const {
    return folder_.PathOf(name);
  }
  static std::string Contents(const std::string& utf8_path) {
    std::ifstream in(PathFromUtf8(utf8_path), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  std::size_t EntryCount() const { return folder_.EntryCount(); }

  testing::ScratchFolder folder_{"vqx_settings"};
};

TEST_F(SettingsFileOnDisk, WriteThenReadRestoresTheRecord) {
  // A Japanese file name: the path is UTF-8 on every platform.
  const std::string path =
      PathOf("設定\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF.dat");
  DeviceSettings original = OddRecord();
  original.dirty = 1;
  ASSERT_TRUE(WriteSettingsFile(path, original));
  EXPECT_EQ(original.dirty, 0);
  EXPECT_EQ(Contents(path), WriteSettingsText(original));
  EXPECT_EQ(EntryCount(), 1u);  // no temporary file left behind

  DeviceSettings loaded = Defaults();
  loaded.dirty = 1;
  ASSERT_TRUE(ReadSettingsFile(path, loaded));
  EXPECT_EQ(loaded.dirty, 0);
  EXPECT_TRUE(SameRecord(loaded, original));
}

TEST_F(SettingsFileOnDisk, SaveReplacesAnExistingFile) {
  const std::string path = PathOf("a.dat");
  { std::ofstream(PathFromUtf8(path), std::ios::binary) << "old contents"; }
  DeviceSettings s = Defaults();
  ASSERT_TRUE(WriteSettingsFile(path, s));
  EXPECT_EQ(Contents(path), WriteSettingsText(s));
  EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(SettingsFileOnDisk, PathThatIsAFolderFailsAndKeepsDirty) {
  const std::string path = PathOf("folder.dat");
  fs::create_directory(PathFromUtf8(path));
  DeviceSettings s = Defaults();
  s.dirty = 1;
  EXPECT_FALSE(WriteSettingsFile(path, s));
  EXPECT_EQ(s.dirty, 1);
  EXPECT_TRUE(fs::is_directory(PathFromUtf8(path)));
  EXPECT_EQ(EntryCount(), 1u);

  DeviceSettings loaded = OddRecord();
  loaded.dirty = 1;
  EXPECT_FALSE(ReadSettingsFile(path, loaded));
  EXPECT_TRUE(SameRecord(loaded, [] {
    DeviceSettings s = OddRecord();
    s.dirty = 1;
    return s;
  }()));
}

TEST_F(SettingsFileOnDisk, FailedSaveLeavesTheOldFile) {
  const std::string path = PathOf("keep.dat");
  { std::ofstream(PathFromUtf8(path), std::ios::binary) << "old contents"; }
  fs::permissions(folder_.path(),
                  fs::perms::owner_read | fs::perms::owner_exec);
  {
    // Some accounts (root) write anyway; then there is nothing to test.
    std::ofstream probe(folder_ / "probe", std::ios::binary);
    if (probe) {
      probe.close();
      fs::remove(folder_ / "probe");
      GTEST_SKIP() << "the folder stays writable for this account";
    }
  }
  DeviceSettings s = Defaults();
  s.dirty = 1;
  EXPECT_FALSE(WriteSettingsFile(path, s));
  EXPECT_EQ(s.dirty, 1);
  EXPECT_EQ(Contents(path), "old contents");
  EXPECT_EQ(EntryCount(), 1u);
}

bool FailSync(const fs::path&) { return false; }

TEST_F(SettingsFileOnDisk, FailureAfterWritingLeavesTheOldFile) {
  const std::string path = PathOf("keep.dat");
  { std::ofstream(PathFromUtf8(path), std::ios::binary) << "old contents"; }
  SetFileSyncHook(&FailSync);
  DeviceSettings s = Defaults();
  s.dirty = 1;
  const bool written = WriteSettingsFile(path, s);
  SetFileSyncHook(nullptr);
  EXPECT_FALSE(written);
  EXPECT_EQ(s.dirty, 1);
  EXPECT_EQ(Contents(path), "old contents");
  EXPECT_EQ(EntryCount(), 1u);  // the temporary file is gone
}

TEST_F(SettingsFileOnDisk, MissingFolderOrFileFails) {
  DeviceSettings s = Defaults();
  s.dirty = 1;
  EXPECT_FALSE(WriteSettingsFile(PathOf("no/such/folder.dat"), s));
  EXPECT_EQ(s.dirty, 1);
  EXPECT_FALSE(ReadSettingsFile(PathOf("missing.dat"), s));
  EXPECT_EQ(s.dirty, 1);
}

TEST_F(SettingsFileOnDisk, ShortFileStillLoadsAndLowersDirty) {
  const std::string path = PathOf("short.dat");
  { std::ofstream(PathFromUtf8(path), std::ios::binary) << "1\n1\n999\n"; }
  DeviceSettings s = Defaults();
  s.dirty = 1;
  ASSERT_TRUE(ReadSettingsFile(path, s));
  EXPECT_EQ(s.alarm_mode, 1);
  EXPECT_EQ(s.alarm_polarity, 1);
  EXPECT_STREQ(s.alarm_hold_time, "999");
  EXPECT_EQ(s.alarm_return, 1);
  EXPECT_EQ(s.dirty, 0);
}

}  // namespace
}  // namespace vqx
