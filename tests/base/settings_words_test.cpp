// A setting in the words of the program's dialogs: where a person finds it
// and what its list shows.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <set>
#include <string>

#include "base/settings_report.h"
#include "tests/support/changed_settings.h"
#include "tests/support/default_settings.h"
#include "tests/support/fakes.h"

namespace vqx {
namespace {

using testing::Defaults;

TEST(SettingsInWordsTest, DifferencesReadAsTheDialogsShowThem) {
  struct Case {
    const char* value;  // the listing's name
    void (*change)(DeviceSettings&);
    std::string expected;
  };
  const Case cases[] = {
      {"alarm_mode", [](DeviceSettings& s) { s.alarm_mode = 1; },
       "アラーム / モード: Internal → External"},
      // List items lose the blanks that pad them: "Make ", " ON", "ON ".
      {"alarm_polarity", [](DeviceSettings& s) { s.alarm_polarity = 1; },
       "アラーム / 入力極性: Make → Break"},
      {"alarm_display", [](DeviceSettings& s) { s.alarm_display = 0; },
       "アラーム / 表示: ON → OFF"},
      {"clock_display", [](DeviceSettings& s) { s.clock_display = 0; },
       "日付・時刻 / 表示: ON → OFF"},
      {"vloss_background", [](DeviceSettings& s) { s.vloss_background = 1; },
       "ビデオロス / 背景色: 黒 → 青"},
      // Blanks that stand for a left-out part stay; the padding goes.
      {"clock_display_range",
       [](DeviceSettings& s) { s.clock_display_range = 4; },
       "日付・時刻 / 表示範囲: 年月日時分秒 → 　月日時分"},
      {"seq_mode", [](DeviceSettings& s) { s.seq_mode = 0; },
       "自動切換え / モード: ミックス → 単画面"},
      {"alarm_hold_time",
       [](DeviceSettings& s) { std::strcpy(s.alarm_hold_time, "5"); },
       "アラーム / 保持時間: 030 → 5"},
      {"alarm_hold_time",
       [](DeviceSettings& s) { s.alarm_hold_time[0] = '\0'; },
       "アラーム / 保持時間: 030 → （空欄）"},
      // Array entries by the labels their dialog gives them.
      {"vloss_detect[ch.07]", [](DeviceSettings& s) { s.vloss_detect[6] = 0; },
       "ビデオロス ch.07: ON → OFF"},
      {"agc_enable[ch.08]", [](DeviceSettings& s) { s.agc_enable[7] = 0; },
       "オート・ゲイン・コントロール ch.08: ON → OFF"},
      {"format_video[ch.02]", [](DeviceSettings& s) { s.format_video[1] = 1; },
       "ビデオフォーマット ch.02: AHD 1920 → AHD  720"},
      {"seq_dwell[4-split A]", [](DeviceSettings& s) { s.seq_dwell[8] = 12; },
       "自動切換え / 時間（秒） 4分割A: 3 → 12"},
      {"seq_dwell[9-split]", [](DeviceSettings& s) { s.seq_dwell[12] = 0; },
       "自動切換え / 時間（秒） 9分割: 3 → 0"},
      {"layout_9[pane 8]", [](DeviceSettings& s) { s.layout_9[7] = 2; },
       "表示チャンネル / 9分割 ch.配置 画面８: ch.08 → ch.03"},
      {"misc_power_on_screen",
       [](DeviceSettings& s) { s.misc_power_on_screen = 13; },
       "その他 / 電源投入時画面: 9分割 → 自動"},
      // Numbers as wide as their lists write them.
      {"adjust_brightness[ch.03]",
       [](DeviceSettings& s) { s.adjust_brightness[2] = 0; },
       "ビデオ映像の調整 / Brightness ch.03: 00 → -64"},
      {"adjust_brightness[ch.03]",
       [](DeviceSettings& s) { s.adjust_brightness[2] = 63; },
       "ビデオ映像の調整 / Brightness ch.03: 00 → -01"},
      {"adjust_brightness[ch.04]",
       [](DeviceSettings& s) { s.adjust_brightness[3] = 127; },
       "ビデオ映像の調整 / Brightness ch.04: 00 → 63"},
      {"adjust_contrast[ch.01]",
       [](DeviceSettings& s) { s.adjust_contrast[0] = 5; },
       "ビデオ映像の調整 / Contrast ch.01: 064 → 005"},
      {"adjust_sharpness[ch.08]",
       [](DeviceSettings& s) { s.adjust_sharpness[7] = 31; },
       "ビデオ映像の調整 / Sharpness ch.08: 00 → 31"},
      {"misc_osd_offset_h", [](DeviceSettings& s) { s.misc_osd_offset_h = 15; },
       "その他 / OSD Offset水平: 08 → 15"},
      // What no dialog shows: its description, and the number.
      {"title_pos_x[ch.01]", [](DeviceSettings& s) { s.title_pos_x[0] = 40; },
       "タイトルの表示位置（横） ch.01: 11 → 40"},
      {"layout_2[pane 2]", [](DeviceSettings& s) { s.layout_2[1] = 0; },
       "2分割の配置 画面２: ch.02 → ch.01"},
      {"misc_dss_mode", [](DeviceSettings& s) { s.misc_dss_mode = 1; },
       "DSSモード（機器が報告した値）: 0 → 1"},
      // A value no list holds.
      {"misc_border_line", [](DeviceSettings& s) { s.misc_border_line = 9; },
       "その他 / ボーダーライン: 黒色 → 9（範囲外）"},
      {"adjust_hue[ch.01]", [](DeviceSettings& s) { s.adjust_hue[0] = -1; },
       "ビデオ映像の調整 / Hue ch.01: 000 → -1（範囲外）"},
      {"adjust_brightness[ch.01]",
       [](DeviceSettings& s) { s.adjust_brightness[0] = 128; },
       "ビデオ映像の調整 / Brightness ch.01: 00 → 128（範囲外）"},
      {"title_pos_y[ch.02]", [](DeviceSettings& s) { s.title_pos_y[1] = -300; },
       "タイトルの表示位置（縦） ch.02: 13 → -300"},
  };
  testing::PassThroughCodec codec;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const std::optional<SettingsValue> value = SettingsValueNamed(c.value);
    ASSERT_TRUE(value);
    DeviceSettings changed = Defaults();
    c.change(changed);
    EXPECT_EQ(DifferenceInWords(*value, Defaults(), changed, codec),
              c.expected);
  }
}

// A title reads as the text the device shows, without the full-width
// blanks it pads every title with; blanks before or inside it stay.
TEST(SettingsInWordsTest, TitlesReadAsTextWithoutTheirPadding) {
  struct Case {
    const char* sjis;
    const char* words;
  };
  const Case cases[] = {
      {"\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x52\x81\x40"
       "\x81\x40\x81\x40",
       "　　　ＣＨ０３"},
      {"\x8C\xBA\x8A\xD6\x81\x40\x81\x40", "玄関"},
      {"\x82\x60\x81\x40\x82\x61", "Ａ　Ｂ"},
      {"\x83\x4A\x83\x81\x83\x89 ", "カメラ "},  // a half-width blank is text
      {"\x81\x40\x81\x40", "（空欄）"},
      {"", "（空欄）"},
  };
  testing::SmallJapaneseCodec codec;
  const SettingsValue title = *SettingsValueNamed("title_text[ch.03]");
  for (const Case& c : cases) {
    DeviceSettings s = Defaults();
    StoreFieldText(*title.field, s, title.entry, c.sjis);
    EXPECT_EQ(SettingInWords(title, s, codec),
              std::string("タイトル ch.03: ") + c.words)
        << c.words;
  }
}

TEST(SettingsInWordsTest, OneValueReadsAsPlaceAndValue) {
  testing::PassThroughCodec codec;
  DeviceSettings s = Defaults();
  s.alarm_mode = 1;
  EXPECT_EQ(SettingInWords(*SettingsValueNamed("alarm_mode"), s, codec),
            "アラーム / モード: External");
  EXPECT_EQ(SettingPlaceInWords(*SettingsValueNamed("title_text[ch.03]")),
            "タイトル ch.03");
}

// On a handover sheet every value needs a place of its own, and the factory
// settings and any settings the device takes read without a "範囲外".
TEST(SettingsInWordsTest, EveryValueHasItsOwnPlaceAndReadableWords) {
  testing::PassThroughCodec codec;
  std::set<std::string> places;
  const DeviceSettings factory = Defaults();
  const DeviceSettings changed = testing::EverySettingChanged();
  for (const SettingsValue& value : SettingsValues()) {
    const std::string place = SettingPlaceInWords(value);
    EXPECT_TRUE(places.insert(place).second) << place;
    for (const DeviceSettings* s : {&factory, &changed}) {
      const std::string words = SettingValueInWords(value, *s, codec);
      EXPECT_FALSE(words.empty()) << place;
      EXPECT_EQ(words.find("範囲外"), std::string::npos) << place;
    }
  }
}

// Trimming the lists' items never makes two choices read alike.
TEST(SettingsInWordsTest, EveryChoiceReadsDifferently) {
  testing::PassThroughCodec codec;
  for (const SettingsValue& value : SettingsValues()) {
    const SettingsField& field = *value.field;
    if (field.kind != FieldKind::kNumber || !field.range) continue;
    std::set<std::string> words;
    DeviceSettings s = Defaults();
    for (int number = field.range->low; number <= field.range->high; ++number) {
      FieldNumbers(field, s)[value.entry] = number;
      words.insert(SettingValueInWords(value, s, codec));
    }
    EXPECT_EQ(static_cast<int>(words.size()),
              field.range->high - field.range->low + 1)
        << ListingName(value);
  }
}

}  // namespace
}  // namespace vqx
