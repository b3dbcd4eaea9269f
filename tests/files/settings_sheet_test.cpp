// The handover sheet: every title and every pane in place, texts from a
// file escaped wherever they land, and nothing on the page the customer
// cannot read (field names) or that reaches outside it (scripts, URLs).
#include "files/settings_sheet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "base/screen_layouts.h"
#include "base/settings_catalogue.h"
#include "tests/support/changed_settings.h"
#include "tests/support/default_settings.h"
#include "tests/support/fakes.h"

namespace vqx {
namespace {

using testing::Defaults;

SheetDetails Details() {
  SheetDetails details;
  details.file_name = "site.dat";
  details.written = {.year = 2026, .month = 4, .day = 7};
  return details;
}

using testing::SetTitle;

int Count(const std::string& page, const std::string& text) {
  int count = 0;
  for (std::size_t at = page.find(text); at != std::string::npos;
       at = page.find(text, at + text.size())) {
    ++count;
  }
  return count;
}

// The part of the page between `from` and the next `to`.
std::string Between(const std::string& page, const std::string& from,
                    const std::string& to) {
  const std::size_t start = page.find(from);
  if (start == std::string::npos) return {};
  const std::size_t end = page.find(to, start);
  return page.substr(start, end - start);
}

struct Pane {
  int number;
  std::string channel;
  bool repeated;
};

// The panes of one layout's picture, as the page gives them.
std::vector<Pane> PanesOf(const std::string& page, SplitLayout layout) {
  const std::string figure = Between(
      page, "data-layout=\"" + std::string(SplitLayoutName(layout)) + "\"",
      "</figure>");
  const std::regex pane(
      "<g class=\"pane\" data-pane=\"(\\d+)\" data-channel=\"(\\d*)\""
      "( data-repeated=\"1\")?>");
  std::vector<Pane> panes;
  for (auto it = std::sregex_iterator(figure.begin(), figure.end(), pane);
       it != std::sregex_iterator(); ++it) {
    panes.push_back({std::stoi((*it)[1]), (*it)[2], (*it)[3].matched});
  }
  return panes;
}

TEST(SettingsSheetTest, FactorySheetHoldsEveryTitleAndPane) {
  testing::SmallJapaneseCodec codec;
  const DeviceSettings defaults = Defaults();
  const std::string page = BuildSettingsSheet(defaults, Details(), codec);
  EXPECT_TRUE(page.starts_with("<!DOCTYPE html>"));
  EXPECT_TRUE(page.ends_with("</html>\n"));
  EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_NE(page.find("size: A4 portrait"), std::string::npos);
  EXPECT_NE(page.find("site.dat"), std::string::npos);
  EXPECT_NE(page.find("2026年4月7日"), std::string::npos);
  EXPECT_EQ(page.find("設置場所"), std::string::npos);
  EXPECT_EQ(page.find("機器のバージョン"), std::string::npos);
  const char* digits[] = {"１", "２", "３", "４", "５", "６", "７", "８"};
  int panes_per_channel[kChannelCount] = {};
  for (SplitLayout layout : kSplitLayouts) {
    const std::span<const int> channels = SplitLayoutChannels(defaults, layout);
    const std::vector<Pane> panes = PanesOf(page, layout);
    ASSERT_EQ(panes.size(), channels.size()) << SplitLayoutName(layout);
    for (std::size_t i = 0; i < panes.size(); ++i) {
      EXPECT_EQ(panes[i].number, static_cast<int>(i) + 1);
      EXPECT_EQ(panes[i].channel, std::to_string(channels[i] + 1));
      EXPECT_FALSE(panes[i].repeated);
      ++panes_per_channel[channels[i]];
    }
  }
  for (int channel = 0; channel < kChannelCount; ++channel) {
    // Its row of the channel table, and each pane that shows it.
    const std::string title = std::string("　　　ＣＨ０") + digits[channel];
    EXPECT_EQ(Count(page, ">" + title + "<"), 1 + panes_per_channel[channel])
        << title;
  }
  EXPECT_EQ(Count(page, "（配置なし）"), 1);
  EXPECT_EQ(Count(page, "data-repeated"), 0);
}

// What the installer or a file typed lands on the page as text, wherever it
// goes: the heading, the table, the pictures, the title element.
TEST(SettingsSheetTest, EscapesEveryTextFromTheFileAndTheUser) {
  testing::SmallJapaneseCodec codec;
  DeviceSettings s = Defaults();
  SetTitle(s, 0, "<b>&\"x'</b>");
  SetTitle(s, 4, "</svg><script>");
  SheetDetails details = Details();
  details.file_name = "a<b>&.dat";
  details.site = "<script>alert(1)</script> & \"Co\"";
  details.device_version = "1.00<i>";
  const std::string page = BuildSettingsSheet(s, details, codec);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
  EXPECT_EQ(page.find("<i>"), std::string::npos);
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(Count(page, "</svg>"), 5);
  // Channel 1 is in 4A, 6A, 6B and the 9-split; channel 5 in 4B, 6A and 9.
  EXPECT_EQ(Count(page, "&lt;b&gt;&amp;&quot;x&#39;&lt;/b&gt;"), 1 + 4);
  EXPECT_EQ(Count(page, "&lt;/svg&gt;&lt;script&gt;"), 1 + 3);
  EXPECT_EQ(Count(page, "a&lt;b&gt;&amp;.dat"), 2);  // heading and <title>
  EXPECT_EQ(
      Count(page, "&lt;script&gt;alert(1)&lt;/script&gt; &amp; &quot;Co&quot;"),
      1);
  EXPECT_EQ(Count(page, "1.00&lt;i&gt;"), 1);
}

// Nothing reaches outside the page, and the settings file's field names
// never show, whatever the record holds.
TEST(SettingsSheetTest, HasNoFieldNamesScriptsOrOutsideReferences) {
  testing::SmallJapaneseCodec codec;
  SheetDetails details = Details();
  details.site = "本社";
  details.device_version = "1.00";
  for (const DeviceSettings& s : {Defaults(), testing::EverySettingChanged()}) {
    const std::string page = BuildSettingsSheet(s, details, codec);
    for (const SettingsField& field : kSettingsCatalogue) {
      EXPECT_EQ(page.find(field.name), std::string::npos) << field.name;
    }
    for (const char* outside : {"<script", "http:", "https:", "url(",
                                "src=", "href=", "@import", "<link", "<img"}) {
      EXPECT_EQ(page.find(outside), std::string::npos) << outside;
    }
    EXPECT_NE(page.find("本社"), std::string::npos);
    EXPECT_NE(page.find("1.00"), std::string::npos);
  }
}

TEST(SettingsSheetTest, MarksPanesThatRepeatAChannel) {
  testing::SmallJapaneseCodec codec;
  DeviceSettings s = Defaults();
  s.layout_9[0] = 2;   // pane 1 and pane 3 show ch.03
  s.layout_4b[3] = 5;  // panes 2 and 4 show ch.06
  const std::string page = BuildSettingsSheet(s, Details(), codec);
  for (SplitLayout layout : kSplitLayouts) {
    const std::vector<bool> expected =
        RepeatedPanes(SplitLayoutChannels(s, layout));
    const std::vector<Pane> panes = PanesOf(page, layout);
    ASSERT_EQ(panes.size(), expected.size());
    for (std::size_t i = 0; i < panes.size(); ++i) {
      EXPECT_EQ(panes[i].repeated, expected[i])
          << SplitLayoutName(layout) << " pane " << i + 1;
    }
  }
  EXPECT_EQ(Count(page, "data-repeated"), 4);
  EXPECT_EQ(Count(page, ">＊ch.03<"), 2);
  EXPECT_EQ(Count(page, ">＊ch.06<"), 2);
  EXPECT_NE(page.find("同じチャンネルを別の画面にも表示"), std::string::npos);
}

// A value no dialog can show is said to be out of range, and a pane with no
// channel shows no title; the page is still whole.
TEST(SettingsSheetTest, ShowsValuesOutOfRangeAsSuch) {
  testing::SmallJapaneseCodec codec;
  DeviceSettings s = Defaults();
  s.layout_6a[2] = 9;
  s.alarm_mode = 5;
  SetTitle(s, 3, "");
  const std::string page = BuildSettingsSheet(s, Details(), codec);
  const std::vector<Pane> panes = PanesOf(page, SplitLayout::k6A);
  ASSERT_EQ(panes.size(), 6u);
  EXPECT_EQ(panes[2].channel, "");
  EXPECT_NE(page.find(">9（範囲外）<"), std::string::npos);
  EXPECT_NE(page.find(">5（範囲外）<"), std::string::npos);
  EXPECT_NE(page.find(">（空欄）<"), std::string::npos);
  EXPECT_TRUE(page.ends_with("</html>\n"));
}

// The other settings in the words of their dialogs.
TEST(SettingsSheetTest, GroupsTheOtherSettingsByDialog) {
  testing::SmallJapaneseCodec codec;
  DeviceSettings s = Defaults();
  s.alarm_mode = 1;
  s.seq_dwell[12] = 17;
  const std::string page = BuildSettingsSheet(s, Details(), codec);
  for (const char* heading :
       {"<h3>アラーム</h3>", "<h3>ビデオロス</h3>", "<h3>日付・時刻</h3>",
        "<h3>タイトル</h3>", "<h3>自動切換え</h3>", "<h3>その他</h3>"}) {
    EXPECT_EQ(Count(page, heading), 1) << heading;
  }
  EXPECT_NE(page.find("<td>モード</td><td>External</td>"), std::string::npos);
  EXPECT_NE(page.find("<td>時間（秒） 9分割</td><td>17</td>"),
            std::string::npos);
  EXPECT_NE(page.find("<td>電源投入時画面</td><td>9分割</td>"),
            std::string::npos);
}

}  // namespace
}  // namespace vqx
