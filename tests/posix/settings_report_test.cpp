// The tool's listing of a settings record.
#include "base/settings_report.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "posix/platform_posix.h"

namespace vqx {
namespace {

std::string Find(const std::vector<ReportLine>& lines, std::string_view name) {
  for (const ReportLine& line : lines) {
    if (line.name == name) return line.value;
  }
  return "<missing>";
}

TEST(SettingsReportTest, NamesEveryValueWithItsMeaning) {
  DeviceSettings s;
  LoadDefaultSettings(s);
  s.adjust_brightness[2] = 0;
  s.format_video[7] = 6;
  s.misc_power_on_screen = 13;
  std::memcpy(s.title_text[4], "\x93\xFA\x96\x7B", 5);  // 日本
  IconvTextCodec codec;
  auto lines = DescribeSettings(s, codec);
  // One per line of the settings file.
  ASSERT_EQ(lines.size(), std::size_t{kSettingsValueCount});
  EXPECT_EQ(lines.front().name, "alarm_mode");
  EXPECT_EQ(lines[152].name, "agc_enable[ch.08]");
  EXPECT_EQ(Find(lines, "alarm_hold_time"), "\"030\" (seconds)");
  EXPECT_EQ(Find(lines, "adjust_brightness[ch.03]"), "0 (brightness -64)");
  EXPECT_EQ(Find(lines, "adjust_brightness[ch.04]"), "64 (brightness +0)");
  EXPECT_EQ(Find(lines, "format_video[ch.08]"), "6 (NTSC)");
  EXPECT_EQ(Find(lines, "misc_power_on_screen"), "13 (automatic switching)");
  EXPECT_EQ(Find(lines, "seq_dwell[9-split]"), "3 s");
  EXPECT_EQ(Find(lines, "layout_6b[pane 5]"), "6 (ch.07)");
  EXPECT_EQ(Find(lines, "title_text[ch.05]"), "\"日本\" (4 bytes)");
  EXPECT_EQ(Find(lines, "clock_display_range"), "0 (年月日時分秒)");
}

TEST(SettingsReportTest, OutOfRangeValuesAreShownNotIndexed) {
  DeviceSettings s;
  LoadDefaultSettings(s);
  s.alarm_mode = 7;
  s.misc_border_line = -1;
  s.layout_9[0] = 99;
  s.adjust_hue[0] = 300;
  std::memset(s.title_text[0], 'x', kTitleBufferBytes);  // no terminator
  IconvTextCodec codec;
  auto lines = DescribeSettings(s, codec);
  EXPECT_EQ(Find(lines, "alarm_mode"), "7 (out of range)");
  EXPECT_EQ(Find(lines, "misc_border_line"), "-1 (out of range)");
  EXPECT_EQ(Find(lines, "layout_9[pane 1]"), "99 (out of range)");
  EXPECT_EQ(Find(lines, "adjust_hue[ch.01]"), "300 (out of range)");
  EXPECT_EQ(Find(lines, "title_text[ch.01]"),
            "\"" + std::string(kTitleBufferBytes, 'x') + "\" (22 bytes)");
}

// Titles read as they show on the screen: in Japanese, without the padding
// the device adds, blanks in front kept.
TEST(SettingsReportTest, TitlesInWordsAreJapaneseWithoutPadding) {
  IconvTextCodec codec;
  const SettingsValue title = *SettingsValueNamed("title_text[ch.03]");
  auto with_title = [&](const std::string& utf8) {
    DeviceSettings s;
    LoadDefaultSettings(s);
    StoreFieldText(*title.field, s, title.entry, codec.Utf8ToShiftJis(utf8));
    return s;
  };
  EXPECT_EQ(DifferenceInWords(title, with_title("駐車場　　　　　　　"),
                              with_title("事務所１"), codec),
            "タイトル ch.03: 駐車場 → 事務所１");
  DeviceSettings factory;
  LoadDefaultSettings(factory);
  EXPECT_EQ(SettingInWords(title, factory, codec),
            "タイトル ch.03: 　　　ＣＨ０３");
  EXPECT_EQ(SettingValueInWords(title, with_title(""), codec), "（空欄）");
  EXPECT_EQ(SettingValueInWords(title, with_title("　　"), codec), "（空欄）");
}

TEST(IconvTextCodecTest, ConvertsAndReplacesWhatDoesNotConvert) {
  IconvTextCodec codec;
  EXPECT_EQ(codec.ShiftJisToUtf8("\x82\x60\x81\x40"), "Ａ　");
  EXPECT_EQ(codec.Utf8ToShiftJis("Ａ　"), "\x82\x60\x81\x40");
  EXPECT_EQ(codec.ShiftJisToUtf8("A\x82"), "A\xEF\xBF\xBD");   // cut pair
  EXPECT_EQ(codec.Utf8ToShiftJis("A\xF0\x9F\x98\x80"), "A?");  // no SJIS form
}

}  // namespace
}  // namespace vqx
