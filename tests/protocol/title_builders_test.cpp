// Title lines: padding, the JIS X 0208 encoding of every character, the
// refusals, and the title display lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/title.h"
#include "tests/support/default_settings.h"
#include "tests/support/link_fakes.h"

namespace vqx {
namespace {

using testing::Box;
using testing::RecordingBoxes;
using testing::RecordingSink;

using testing::kJisWarning;

using testing::Defaults;

// Stores `bytes` (Shift_JIS) as the title of `channel`, terminated.
using testing::SetTitle;

std::optional<std::string> Line(const DeviceSettings& settings, int channel,
                                TitleVariant variant = TitleVariant::kPlain) {
  const std::optional<PreparedTitle> title = PrepareTitle(settings, channel);
  if (!title) return std::nullopt;
  return TitleCommand(*title, channel, variant);
}

std::string Blanks(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "2121";
  return text;
}

TEST(TitleBuilders, DefaultTitlesInBothForms) {
  const DeviceSettings settings = Defaults();
  const std::optional<std::string> line = Line(settings, 0);
  ASSERT_TRUE(line);
  EXPECT_EQ(*line, "CJ012121212121212343234823302331212121212121\r\n");
  EXPECT_EQ(line->size(), 46u);

  const std::optional<std::string> n_line = Line(settings, 2, TitleVariant::kN);
  ASSERT_TRUE(n_line);
  EXPECT_EQ(*n_line, "CJN032121212121212343234823302333212121212121\r\n");
  EXPECT_EQ(n_line->size(), 47u);

  EXPECT_EQ(Line(settings, 7),
            "CJ082121212121212343234823302338212121212121\r\n");
}

TEST(TitleBuilders, ShortTitlesArePaddedWithFullWidthBlanks) {
  DeviceSettings settings = Defaults();
  SetTitle(settings, 0, "");
  EXPECT_EQ(Line(settings, 0), "CJ01" + Blanks(10) + "\r\n");

  SetTitle(settings, 1, "\x82\x60\x82\x61");  // "ＡＢ"
  const std::optional<PreparedTitle> title = PrepareTitle(settings, 1);
  ASSERT_TRUE(title);
  EXPECT_EQ(title->text(), std::string("\x82\x60\x82\x61") +
                               "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40"
                               "\x81\x40\x81\x40\x81\x40");
  EXPECT_EQ(Line(settings, 1), "CJ0223412342" + Blanks(8) + "\r\n");
}

TEST(TitleBuilders, CharacterCodes) {
  struct Case {
    const char* name;
    std::string_view sjis;  // one character
    const char* code;       // nullptr: no JIS code
  };
  const Case cases[] = {
      {"ideographic space", "\x81\x40", "2121"},
      {"kanji, trail from 0x9F", "\x88\x9F", "3021"},
      {"kanji, trail above 0x7F", "\x88\x80", "2F60"},
      {"last row", "\xEA\xA4", "7426"},
      // IBM extended characters travel as their NEC-selected equivalents.
      {"IBM small roman one", "\xFA\x40", "7C71"},
      {"IBM broken bar", "\xFA\x55", "7C7C"},
      {"IBM kanji FA5C", "\xFA\x5C", "7921"},
      {"IBM kanji FA80", "\xFA\x80", "7944"},
      {"IBM kanji FA9C", "\xFA\x9C", "7960"},
      {"IBM kanji FB40", "\xFB\x40", "7A63"},
      {"IBM kanji FC4B", "\xFC\x4B", "7C6E"},
      // The device's own offset for codes up to 0x1339.
      {"low pair", "\x01\x02", "9447"},
      {"IBM not replaced FA4A", "\xFA\x4A", nullptr},
      {"IBM not replaced FA58", "\xFA\x58", nullptr},
      {"IBM unmapped FA7F", "\xFA\x7F", nullptr},
      {"IBM unmapped FC4C", "\xFC\x4C", nullptr},
      {"user-defined", "\xF0\x40", nullptr},
      {"two half-width letters", "ab", nullptr},
      {"half-width katakana pair", "\xB1\xB2", nullptr},
      {"bad trail byte", "\x88\x7F", nullptr},
  };
  for (const Case& c : cases) {
    DeviceSettings settings = Defaults();
    SetTitle(settings, 4, c.sjis);
    const std::optional<std::string> line = Line(settings, 4);
    if (c.code == nullptr) {
      EXPECT_FALSE(line) << c.name;
    } else {
      EXPECT_EQ(line, "CJ05" + std::string(c.code) + Blanks(9) + "\r\n")
          << c.name;
    }
  }
}

TEST(TitleBuilders, OddOrOverlongTitlesAreNotPrepared) {
  DeviceSettings settings = Defaults();
  SetTitle(settings, 0,
           "\x82\x60\x82\x61"
           "A");  // 5 bytes
  EXPECT_FALSE(PrepareTitle(settings, 0));
  SetTitle(settings, 0, std::string(21, 'A'));
  EXPECT_FALSE(PrepareTitle(settings, 0));
  // A buffer filled to its end without a terminator (hand-edited file).
  std::memset(settings.title_text[0], 0x81, kTitleBufferBytes);
  EXPECT_FALSE(PrepareTitle(settings, 0));
  // Exactly 20 bytes is the limit.
  SetTitle(settings, 0,
           "\x82\x60\x82\x60\x82\x60\x82\x60\x82\x60"
           "\x82\x60\x82\x60\x82\x60\x82\x60\x82\x60");
  EXPECT_TRUE(PrepareTitle(settings, 0));
  EXPECT_FALSE(PrepareTitle(Defaults(), -1));
  EXPECT_FALSE(PrepareTitle(Defaults(), 8));
}

TEST(TitleBuilders, SendReportsEachFailureWithTheJisMessage) {
  DeviceSettings settings = Defaults();
  SetTitle(settings, 1,
           "\x82\x60"
           "A");                              // odd length
  SetTitle(settings, 2, "\x82\x60\xFA\x4A");  // no JIS code
  RecordingSink sink;
  RecordingBoxes boxes;
  EXPECT_EQ(PrepareAndSendTitle(sink, settings, boxes, 0, TitleVariant::kN),
            TitleSendResult::kSent);
  EXPECT_EQ(PrepareAndSendTitle(sink, settings, boxes, 1, TitleVariant::kPlain),
            TitleSendResult::kNotPrepared);
  EXPECT_EQ(PrepareAndSendTitle(sink, settings, boxes, 2, TitleVariant::kPlain),
            TitleSendResult::kNotEncodable);
  EXPECT_EQ(sink.lines,
            std::vector<std::string>{
                "CJN012121212121212343234823302331212121212121\r\n"});
  EXPECT_EQ(boxes.shown, std::vector<Box>(2, kJisWarning));
}

TEST(TitleBuilders, DisplayLines) {
  DeviceSettings settings = Defaults();
  EXPECT_EQ(TitleDisplaySingleCommand(settings), "CTDSON\r\n");
  EXPECT_EQ(TitleDisplaySplitCommand(settings), "CTDDON\r\n");
  settings.title_single_screen = 0;
  settings.title_split_screen = 0;
  EXPECT_EQ(TitleDisplaySingleCommand(settings), "CTDSOF\r\n");
  EXPECT_EQ(TitleDisplaySplitCommand(settings), "CTDDOF\r\n");
  settings.title_split_screen = 3;
  RecordingSink sink;
  SendTitleDisplaySingle(sink, settings);
  SendTitleDisplaySplit(sink, settings);
  EXPECT_EQ(sink.lines, (std::vector<std::string>{"CTDSOF\r\n", "CTDDON\r\n"}));
}

}  // namespace
}  // namespace vqx
