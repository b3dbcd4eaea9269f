// The set-all buttons of the title and video adjustment dialogs on the one
// sequence engine: their lines, pacing plans, progress and stop rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "protocol/title.h"
#include "protocol/video_adjustment.h"
#include "tests/support/link_fakes.h"

namespace vqx {
namespace {

using testing::Box;
using testing::RecordingBoxes;
using testing::RecordingSink;

using testing::kJisWarning;

class TitleSetAllTest : public ::testing::Test {
 protected:
  void SetTitle(int channel, std::string_view bytes) {
    store.Update([&](DeviceSettings& s) {
      std::memset(s.title_text[channel], 0, kTitleBufferBytes);
      std::memcpy(s.title_text[channel], bytes.data(), bytes.size());
    });
  }

  LinkState link;
  SettingsStore store;
  RecordingSink sink;
  RecordingBoxes boxes;
  TitleSetAllSequence sequence{link, store, sink, boxes};
};

TEST_F(TitleSetAllTest, EightTitlesTwoHundredMillisecondsApart) {
  EXPECT_EQ(sequence.plan().period_ms, 200);
  ASSERT_TRUE(sequence.Start(TitleVariant::kN));
  std::vector<std::string> percents;
  while (sequence.OnTick() == SequenceTick::kRunning) {
    percents.push_back(sequence.percent_text());
  }
  EXPECT_EQ(percents, (std::vector<std::string>{"12", "25", "37", "50", "62",
                                                "75", "87"}));
  EXPECT_EQ(SequencePercent(8, 8), "100");
  EXPECT_EQ(sequence.percent_text(), "  ");
  EXPECT_EQ(sequence.bar_position(), 0);
  ASSERT_EQ(sink.lines.size(), 8u);
  EXPECT_EQ(sink.lines[2], "CJN032121212121212343234823302333212121212121\r\n");
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(link.sequence_step, 0);

  ASSERT_TRUE(sequence.Start(TitleVariant::kPlain));
  sequence.OnTick();
  EXPECT_EQ(sink.lines.back().substr(0, 4), "CJ01");
}

TEST_F(TitleSetAllTest, UnpreparableTitleIsSkippedUnencodableEndsTheRun) {
  SetTitle(1,
           "\x82\x60"
           "A");                    // odd length: skipped
  SetTitle(3, "\x82\x60\xFA\x4A");  // no JIS code: the run ends
  ASSERT_TRUE(sequence.Start(TitleVariant::kPlain));
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kStoppedOnError);
  EXPECT_EQ(sink.lines.size(), 2u);  // channels 1 and 3
  EXPECT_EQ(boxes.shown, (std::vector<Box>{kJisWarning, kJisWarning}));
  EXPECT_EQ(link.reply_error, 0);
  EXPECT_EQ(sequence.percent_text(), "  ");
  EXPECT_EQ(sequence.bar_position(), 0);
}

TEST_F(TitleSetAllTest, ErrorReplyStopsAtTheNextTickAndKeepsTheProgress) {
  ASSERT_TRUE(sequence.Start(TitleVariant::kPlain));
  sequence.OnTick();
  sequence.OnTick();
  link.reply_error = 1;  // the device rejected the second title
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kStoppedOnError);
  EXPECT_EQ(sink.lines.size(), 2u);
  EXPECT_EQ(sequence.percent_text(), "25");
  EXPECT_EQ(sequence.bar_position(), 2);
  EXPECT_EQ(link.reply_error, 0);
}

TEST_F(TitleSetAllTest, SecondPressKeepsTheRunAndItsForm) {
  link.sequence_step = 4;
  EXPECT_FALSE(sequence.Start(TitleVariant::kN));
  link.sequence_step = 0;
  ASSERT_TRUE(sequence.Start(TitleVariant::kPlain));
  EXPECT_FALSE(sequence.Start(TitleVariant::kN));
  while (sequence.OnTick() == SequenceTick::kRunning) {
  }
  for (const std::string& line : sink.lines) EXPECT_EQ(line[2], '0') << line;
}

class AdjustmentSetAllTest : public ::testing::Test {
 protected:
  LinkState link;
  SettingsStore store;
  RecordingSink sink;
  AdjustmentSetAllSequence sequence{link, store, sink};
};

TEST_F(AdjustmentSetAllTest, FortyLinesInAdjustmentOrder) {
  EXPECT_EQ(sequence.plan().period_ms, 100);
  store.Update([](DeviceSettings& s) { s.adjust_hue[7] = 255; });
  ASSERT_TRUE(sequence.Start());
  int ticks = 0;
  while (sequence.OnTick() == SequenceTick::kRunning) {
    ++ticks;
    EXPECT_EQ(sequence.bar_position(), ticks);
  }
  ASSERT_EQ(sink.lines.size(), 40u);
  EXPECT_EQ(sink.lines[0], "VAB01000\r\n");
  EXPECT_EQ(sink.lines[8], "VAC01064\r\n");
  EXPECT_EQ(sink.lines[16], "VASH0100\r\n");
  EXPECT_EQ(sink.lines[31], "VAH08255\r\n");
  EXPECT_EQ(sink.lines[39], "VASA08080\r\n");
  EXPECT_EQ(sequence.bar_position(), 0);
  EXPECT_EQ(link.sequence_step, 0);
}

TEST_F(AdjustmentSetAllTest, ErrorReplyToTheTenthLineStopsBeforeTheEleventh) {
  ASSERT_TRUE(sequence.Start());
  for (int i = 0; i < 10; ++i) sequence.OnTick();
  link.reply_error = 1;
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kStoppedOnError);
  EXPECT_EQ(sink.lines.size(), 10u);
  EXPECT_EQ(sequence.bar_position(), 10);
  EXPECT_EQ(link.reply_error, 0);
  EXPECT_EQ(link.sequence_step, 0);
}

TEST_F(AdjustmentSetAllTest, ErrorLeftFromASingleSetStopsTheFirstTick) {
  link.reply_error = 1;
  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kStoppedOnError);
  EXPECT_TRUE(sink.lines.empty());
  EXPECT_EQ(link.reply_error, 0);
}

TEST(AdjustmentSteps, OrderOfTheForty) {
  EXPECT_EQ(AdjustmentOfStep(1), Adjustment::kBrightness);
  EXPECT_EQ(ChannelOfStep(1), 0);
  EXPECT_EQ(AdjustmentOfStep(17), Adjustment::kSharpness);
  EXPECT_EQ(AdjustmentOfStep(25), Adjustment::kHue);
  EXPECT_EQ(ChannelOfStep(32), 7);
  EXPECT_EQ(AdjustmentOfStep(40), Adjustment::kSaturation);
}

}  // namespace
}  // namespace vqx
