// Comparing two settings records field by field.
#include <gtest/gtest.h>

#include <cstring>

#include "base/settings_report.h"
#include "tests/support/default_settings.h"
#include "tests/support/fakes.h"

namespace vqx {
namespace {

using testing::Defaults;

TEST(CompareSettingsTest, OneEntryPerDifferingFieldInWords) {
  struct Case {
    const char* what;
    void (*change)(DeviceSettings&);
    std::vector<SettingsDifference> expected;
  };
  const Case cases[] = {
      {"nothing", [](DeviceSettings&) {}, {}},
      {"a switch",
       [](DeviceSettings& s) { s.alarm_mode = 1; },
       {{"alarm_mode", "0 (Internal)", "1 (External)", false,
         "アラーム / モード", "Internal", "External"}}},
      {"one channel of an array",
       [](DeviceSettings& s) { s.adjust_brightness[2] = 0; },
       {{"adjust_brightness[ch.03]", "64 (brightness +0)", "0 (brightness -64)",
         false, "ビデオ映像の調整 / Brightness ch.03", "00", "-64"}}},
      {"two fields, in listing order",
       [](DeviceSettings& s) {
         s.agc_enable[7] = 0;
         s.alarm_polarity = 1;
       },
       {{"alarm_polarity", "0 (Make)", "1 (Break)", false,
         "アラーム / 入力極性", "Make", "Break"},
        {"agc_enable[ch.08]", "1 (ON)", "0 (OFF)", false,
         "オート・ゲイン・コントロール ch.08", "ON", "OFF"}}},
      {"a value out of range",
       [](DeviceSettings& s) { s.misc_border_line = 9; },
       {{"misc_border_line", "0 (black)", "9 (out of range)", false,
         "その他 / ボーダーライン", "黒色", "9（範囲外）"}}},
      {"a title",
       [](DeviceSettings& s) { std::strcpy(s.title_text[1], "AB"); },
       // The pass-through codec shows the Shift_JIS bytes as they are. In
       // words a title reads without its padding.
       {{"title_text[ch.02]",
         "\"\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x51"
         "\x81\x40\x81\x40\x81\x40\" (20 bytes)",
         "\"AB\" (2 bytes)", false, "タイトル ch.02",
         "\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x51", "AB"}}},
      {"a title without its padding, as a read-all brings it back",
       [](DeviceSettings& s) {
         std::strcpy(
             s.title_text[1],
             "\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x51");
       },
       {}},
      {"blanks inside a title are not padding",
       [](DeviceSettings& s) {
         std::strcpy(s.title_text[0], "\x82\x62\x82\x67\x82\x4F\x82\x50");
       },
       {{"title_text[ch.01]",
         "\"\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x50"
         "\x81\x40\x81\x40\x81\x40\" (20 bytes)",
         "\"\x82\x62\x82\x67\x82\x4F\x82\x50\" (8 bytes)", false,
         "タイトル ch.01",
         "\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x50",
         "\x82\x62\x82\x67\x82\x4F\x82\x50"}}},
      {"bytes 0x81 0x40 that straddle two characters are not a blank",
       [](DeviceSettings& s) {
         // The padded title, its last blanks replaced by the kanji 0x88 0x81
         // and a half-width "@" (0x40).
         std::strcpy(s.title_text[1],
                     "\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x51"
                     "\x88\x81\x40");
       },
       {{"title_text[ch.02]",
         "\"\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x51"
         "\x81\x40\x81\x40\x81\x40\" (20 bytes)",
         "\"\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x51"
         "\x88\x81\x40\" (17 bytes)",
         false, "タイトル ch.02",
         "\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x51",
         "\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x51"
         "\x88\x81\x40"}}},
      {"the unsaved-edit flag", [](DeviceSettings& s) { s.dirty = 1; }, {}},
      {"bytes after a title's end",
       [](DeviceSettings& s) { s.title_text[0][21] = 'x'; },
       {}},
  };
  testing::PassThroughCodec codec;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeviceSettings changed = Defaults();
    c.change(changed);
    EXPECT_EQ(CompareSettings(Defaults(), changed, codec), c.expected);
    // The other way round, the values swap sides.
    std::vector<SettingsDifference> back = c.expected;
    for (SettingsDifference& d : back) {
      std::swap(d.first, d.second);
      std::swap(d.first_words, d.second_words);
    }
    EXPECT_EQ(CompareSettings(changed, Defaults(), codec), back);
  }
}

// The rows of fields named as not read by a read-all carry the flag; the
// name counts up to its "[", so every element of an array is flagged.
TEST(CompareSettingsTest, FlagsTheFieldsNamedAsNotRead) {
  DeviceSettings changed = Defaults();
  changed.alarm_mode = 1;
  changed.title_pos_x[2] = 40;
  changed.misc_dss_mode = 1;
  changed.layout_2[1] = 5;
  changed.layout_4a[0] = 7;  // "layout_4a" is not "layout_2"
  const std::string_view not_read[] = {"title_pos_x", "misc_dss_mode",
                                       "layout_2"};
  testing::PassThroughCodec codec;
  std::vector<std::pair<std::string, bool>> flags;
  for (const SettingsDifference& d :
       CompareSettings(Defaults(), changed, codec, not_read)) {
    flags.emplace_back(d.name, d.not_read_by_read_all);
  }
  EXPECT_EQ(flags, (std::vector<std::pair<std::string, bool>>{
                       {"alarm_mode", false},
                       {"title_pos_x[ch.03]", true},
                       {"misc_dss_mode", true},
                       {"layout_2[pane 2]", true},
                       {"layout_4a[pane 1]", false}}));
  for (const SettingsDifference& d :
       CompareSettings(Defaults(), changed, codec)) {
    EXPECT_FALSE(d.not_read_by_read_all) << d.name;
  }
}

TEST(CompareSettingsTest, FormatsOneLine) {
  EXPECT_EQ(FormatDifference({"alarm_mode", "0 (Internal)", "1 (External)"}),
            "alarm_mode: 0 (Internal) -> 1 (External)");
  EXPECT_EQ(FormatDifferenceInWords({"alarm_mode", "0 (Internal)",
                                     "1 (External)", false, "アラーム / モード",
                                     "Internal", "External"}),
            "アラーム / モード: Internal → External");
}

}  // namespace
}  // namespace vqx
