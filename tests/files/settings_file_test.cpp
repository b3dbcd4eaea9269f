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
#include "base/settings_catalogue.h"
#include "tests/support/changed_settings.h"
#include "tests/support/default_settings.h"
#include "tests/support/fakes.h"
#include "tests/support/scratch_folder.h"

namespace vqx {
namespace {

namespace fs = std::filesystem;

using testing::Defaults;

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

// The factory settings file, as the writer must produce it from the
// defaults byte for byte: 153 lines of Shift_JIS text ending in CR LF.
std::string FactoryFile() {
  const fs::path path =
      fs::path(__FILE__).parent_path() / "factory_settings.dat";
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TEST(SettingsFileText, DefaultsGiveTheFactoryFile) {
  const std::string factory = FactoryFile();
  ASSERT_EQ(Lines(factory).size(), 153u) << "tests/files/factory_settings.dat";
  ASSERT_EQ(kSettingsFileLines, 153);
  const std::string text = WriteSettingsText(Defaults());
  EXPECT_EQ(Lines(text), Lines(factory));  // shows the lines that differ
  EXPECT_EQ(text, factory);                // exact bytes, CR LF everywhere

  // And the file reads back as the defaults, every byte of the record.
  DeviceSettings loaded;
  std::memset(&loaded, 0x5A, sizeof loaded);
  loaded.dirty = 0;
  ASSERT_TRUE(ReadSettingsText(factory, loaded));
  EXPECT_TRUE(SameRecord(loaded, Defaults()));
}

// Every value of the catalogue, each changed from its factory value, reads
// back in its own place.
TEST(SettingsFileText, EveryValueReadsBackInPlace) {
  const DeviceSettings changed = testing::EverySettingChanged();
  const std::string text = WriteSettingsText(changed);
  DeviceSettings loaded = Defaults();
  ASSERT_TRUE(ReadSettingsText(text, loaded));
  const DeviceSettings factory = Defaults();
  for (const SettingsValue& value : SettingsValues()) {
    const SettingsField& field = *value.field;
    if (field.kind == FieldKind::kNumber) {
      const int read = FieldNumbers(field, loaded)[value.entry];
      EXPECT_EQ(read, FieldNumbers(field, changed)[value.entry])
          << ListingName(value);
      EXPECT_NE(read, FieldNumbers(field, factory)[value.entry])
          << ListingName(value);
    } else {
      const std::string_view read = FieldText(field, loaded, value.entry);
      EXPECT_EQ(read, FieldText(field, changed, value.entry))
          << ListingName(value);
      EXPECT_NE(read, FieldText(field, factory, value.entry))
          << ListingName(value);
    }
  }
  EXPECT_TRUE(SameRecord(loaded, changed));
  EXPECT_EQ(WriteSettingsText(loaded), text);
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
  EXPECT_EQ(Lines(text).size(), std::size_t{kSettingsFileLines});
  DeviceSettings loaded = Defaults();
  ASSERT_TRUE(ReadSettingsText(text, loaded));
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
  ASSERT_TRUE(ReadSettingsText(WriteSettingsText(s), loaded));
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
    ASSERT_EQ(lines.size(), std::size_t{kSettingsFileLines}) << c.typed;
    EXPECT_EQ(lines[2], c.line) << c.typed;

    DeviceSettings loaded = Defaults();
    ASSERT_TRUE(ReadSettingsText(text, loaded)) << c.typed;
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
    EXPECT_EQ(Lines(text).size(), std::size_t{kSettingsFileLines});
    DeviceSettings loaded = Defaults();
    ASSERT_TRUE(ReadSettingsText(text, loaded));
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
  ASSERT_TRUE(ReadSettingsText(text, s));
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
    ASSERT_TRUE(ReadSettingsText(*text, loaded));
    EXPECT_TRUE(SameRecord(loaded, original));
  }
}

// A file cut short loads nothing: half of one file and half of another
// would pass for a whole one.
TEST(SettingsFileText, ShortFileChangesNothing) {
  DeviceSettings base = OddRecord();
  base.dirty = 1;
  std::vector<std::string> lines = Lines(WriteSettingsText(Defaults()));
  lines.resize(10);
  DeviceSettings loaded = base;
  const SettingsFileRead read = ReadSettingsText(JoinCrLf(lines), loaded);
  ASSERT_FALSE(read);
  EXPECT_EQ(read.error->problem, SettingsFileProblem::kEndsEarly);
  EXPECT_EQ(read.error->line, 10);
  EXPECT_EQ(read.error->values, 10);
  EXPECT_TRUE(SameRecord(loaded, base));
  EXPECT_EQ(loaded.dirty, 1);  // the text reader leaves dirty alone

  DeviceSettings untouched = base;
  EXPECT_FALSE(ReadSettingsText("", untouched));
  EXPECT_TRUE(SameRecord(untouched, base));
}

// A value that is not a number is refused where it stands, instead of
// shifting every later value onto the wrong field.
TEST(SettingsFileText, NonNumberIsRefusedAtItsLine) {
  std::vector<std::string> lines = Lines(WriteSettingsText(OddRecord()));
  lines[3] = "abc";  // line 4, alarm_return
  DeviceSettings loaded = Defaults();
  const SettingsFileRead read = ReadSettingsText(JoinCrLf(lines), loaded);
  ASSERT_FALSE(read);
  EXPECT_EQ(*read.error, (SettingsFileError{SettingsFileProblem::kNotANumber, 4,
                                            "alarm_return", "abc", 0}));
  EXPECT_TRUE(SameRecord(loaded, Defaults()));

  // A number with letters after it is no number either.
  lines[3] = "12ab";
  EXPECT_FALSE(ReadSettingsText(JoinCrLf(lines), loaded));
  EXPECT_TRUE(SameRecord(loaded, Defaults()));
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
  // Line 1 holds the token, line 2 a 3, the rest are the defaults.
  auto file = [](const std::string& token) {
    std::vector<std::string> lines = Lines(WriteSettingsText(Defaults()));
    lines[0] = token;
    lines[1] = "3";
    return JoinCrLf(lines);
  };
  for (const Case& c : cases) {
    DeviceSettings loaded = Defaults();
    EXPECT_TRUE(ReadSettingsText(file(c.token), loaded)) << c.token;
    EXPECT_EQ(loaded.alarm_mode, c.value) << c.token;
    EXPECT_EQ(loaded.alarm_polarity, 3) << c.token;  // next value in place
  }
  for (const char* token : {"+", "-", "--1", "x", "1-", "+-2", "0x10"}) {
    DeviceSettings loaded = Defaults();
    loaded.alarm_mode = 9;
    const SettingsFileRead read = ReadSettingsText(file(token), loaded);
    ASSERT_FALSE(read) << token;
    EXPECT_EQ(read.error->line, 1) << token;
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
    ASSERT_TRUE(ReadSettingsText(TitleFile(c.token), loaded));
    EXPECT_EQ(std::string(loaded.title_text[0]), c.stored);
    EXPECT_EQ(loaded.title_text[0][kTitleBufferBytes - 1], '\0');
    EXPECT_EQ(loaded.agc_enable[7], 1);
    EXPECT_STREQ(loaded.title_text[1], DefaultTitle(1).c_str());
  }
}

// The defaults with line 3 (the hold time) as given and line 4
// (alarm_return) 0.
std::string HoldTimeFile(const std::string& hold_time) {
  std::vector<std::string> lines = Lines(WriteSettingsText(Defaults()));
  lines[2] = hold_time;
  lines[3] = "0";
  return JoinCrLf(lines);
}

TEST(SettingsFileText, OverlongHoldTimeKeepsThreeCharacters) {
  DeviceSettings loaded = Defaults();
  ASSERT_TRUE(ReadSettingsText(HoldTimeFile("12345"), loaded));
  EXPECT_STREQ(loaded.alarm_hold_time, "123");
  EXPECT_EQ(loaded.alarm_return, 0);
}

TEST(SettingsFileText, HoldTimeIsCutAtCharacterBoundaries) {
  // "１２" (four bytes) read from a hand-edited file keeps only "１": three
  // bytes would end in half a character.
  DeviceSettings loaded = Defaults();
  ASSERT_TRUE(ReadSettingsText(HoldTimeFile("\x82\x50\x82\x51"), loaded));
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

// The factory file with some of its lines replaced (0-based index).
std::vector<std::string> FactoryLines() {
  return Lines(WriteSettingsText(Defaults()));
}

std::string JoinLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// What the reader takes and what it refuses, with the message the tools
// print. A refused file leaves a record it was given as it was.
TEST(SettingsFileReader, TakesWholeFilesAndRefusesEverythingElse) {
  struct Case {
    const char* what;
    std::string text;
    std::string refusal;                        // empty: the file reads
    void (*change)(DeviceSettings&) = nullptr;  // from the defaults
  };
  auto with = [](std::vector<std::pair<int, std::string>> replaced,
                 bool crlf = true) {
    std::vector<std::string> lines = FactoryLines();
    for (const auto& [index, line] : replaced) lines[index] = line;
    return crlf ? JoinCrLf(lines) : JoinLf(lines);
  };
  const std::string factory = WriteSettingsText(Defaults());
  const std::string values = std::to_string(kSettingsFileLines);
  std::string spaced;  // blank lines and blanks between the values
  for (const std::string& line : FactoryLines()) {
    spaced += "\r\n  " + line + " \t\r\n";
  }
  std::string cut80;
  for (int i = 0; i < 80; ++i) cut80 += FactoryLines()[i] + "\r\n";
  std::string cr_only = factory;
  cr_only.erase(std::remove(cr_only.begin(), cr_only.end(), '\n'),
                cr_only.end());

  const Case cases[] = {
      {"the factory file", factory, ""},
      {"a UTF-8 byte-order mark before it", "\xEF\xBB\xBF" + factory, ""},
      {"a byte-order mark before a file read by tokens",
       "\xEF\xBB\xBF" + spaced, ""},
      {"LF line ends", with({{0, "1"}}, false), "",
       [](DeviceSettings& s) { s.alarm_mode = 1; }},
      {"CR line ends only", cr_only, ""},
      {"blank lines and blanks between the values", spaced, ""},
      {"blanks around a number on its line", with({{4, " \t0  "}}), "",
       [](DeviceSettings& s) { s.alarm_display = 0; }},
      {"blank lines after the last value", factory + "\r\n \r\n", ""},
      // An earlier version wrote an empty hold time as an empty line and a
      // half-width blank of a title as it stands.
      {"an empty hold-time line", with({{2, ""}, {152, "0"}}), "",
       [](DeviceSettings& s) {
         SetText(s.alarm_hold_time, "");
         s.agc_enable[7] = 0;
       }},
      {"half-width blanks in titles",
       with({{106, "CAM 1"}, {107, " A\tB "}, {152, "0"}}), "",
       [](DeviceSettings& s) {
         SetText(s.title_text[0], "CAM 1");
         SetText(s.title_text[1], " A B ");
         s.agc_enable[7] = 0;
       }},
      {"an empty file", "",
       "the file is empty: " + values + " values expected"},
      {"blank lines only", "\r\n \r\n\t\n",
       "the file is empty: " + values + " values expected"},
      {"a text file", "Meeting notes\r\nbring the cables\r\n",
       "line 1: expected a whole number for alarm_mode, found \"Meeting\""},
      {"a letter O typed for a zero", with({{11, "O"}}),
       "line 12: expected a whole number for vloss_detect[ch.07], found "
       "\"O\""},
      {"a number with letters after it", with({{0, "12abc"}}),
       "line 1: expected a whole number for alarm_mode, found \"12abc\""},
      {"an empty line for a number", with({{4, ""}}),
       "line 5: expected a whole number for alarm_display, found an empty "
       "line"},
      {"a NUL byte after a number", with({{0, std::string("1\0", 2)}}),
       "line 1: expected a whole number for alarm_mode, found \"1\\x00\""},
      {"control bytes are shown as such", with({{0, "\x1B[2J"}}),
       "line 1: expected a whole number for alarm_mode, found \"\\x1B[2J\""},
      {"a file cut after line 80", cut80,
       "the file ends after line 80: " + values + " values expected, 80 found"},
      // Without lines to go by, every value after the missing one moves up
      // by one, until the first title lands where a number belongs.
      {"an empty hold-time line in a file read by tokens",
       "\n" + with({{2, ""}}),
       "line 108: expected a whole number for misc_osd_offset_v, found \"" +
           DefaultTitle(0) + "\""},
      {"a value after the last one", factory + "7\r\n",
       "line " + std::to_string(kSettingsFileLines + 1) +
           ": expected the end of the file after " + values +
           " values, found "
           "\"7\""},
      {"two values on the last of 153 lines", with({{152, "1 1"}}),
       "line 153: expected a whole number for agc_enable[ch.08], found "
       "\"1 1\""},
  };
  testing::PassThroughCodec codec;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeviceSettings loaded = OddRecord();
    loaded.dirty = 1;
    const SettingsFileRead read = ReadSettingsText(c.text, loaded);
    if (c.refusal.empty()) {
      ASSERT_TRUE(read) << DescribeSettingsFileError(*read.error, codec);
      DeviceSettings expected = Defaults();
      if (c.change) c.change(expected);
      expected.dirty = 1;  // left alone
      EXPECT_TRUE(SameRecord(loaded, expected));
    } else {
      ASSERT_FALSE(read);
      EXPECT_EQ(DescribeSettingsFileError(*read.error, codec), c.refusal);
      DeviceSettings untouched = OddRecord();
      untouched.dirty = 1;
      EXPECT_TRUE(SameRecord(loaded, untouched));
    }
  }
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

TEST_F(SettingsFileOnDisk, ShortFileIsRefusedAndKeepsDirty) {
  const std::string path = PathOf("short.dat");
  { std::ofstream(PathFromUtf8(path), std::ios::binary) << "1\n1\n999\n"; }
  DeviceSettings s = Defaults();
  s.dirty = 1;
  const SettingsFileRead read = ReadSettingsFile(path, s);
  ASSERT_FALSE(read);
  EXPECT_EQ(read.error->problem, SettingsFileProblem::kEndsEarly);
  EXPECT_EQ(s.alarm_mode, 0);
  EXPECT_STREQ(s.alarm_hold_time, "030");
  EXPECT_EQ(s.dirty, 1);

  // A file that cannot be read says so apart from one that is read and
  // refused.
  EXPECT_EQ(ReadSettingsFile(PathOf("missing.dat"), s).error->problem,
            SettingsFileProblem::kCannotRead);
}

}  // namespace
}  // namespace vqx
