// The send-all sequence driven by explicit ticks: the 78 lines with the
// defaults, progress, and the ways a run stops or goes on.
#include "protocol/send_all.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/link_fakes.h"

namespace vqx {
namespace {

using testing::Box;
using testing::RecordingBoxes;
using testing::RecordingSink;

using testing::kJisWarning;

std::vector<std::string> DefaultLines() {
  std::vector<std::string> lines;
  const char* titles[] = {"2331", "2332", "2333", "2334",
                          "2335", "2336", "2337", "2338"};
  for (int k = 0; k < 8; ++k) {
    lines.push_back("CJ0" + std::to_string(k + 1) + "212121212121234323482330" +
                    titles[k] + "212121212121\r\n");
  }
  const char* adjustments[] = {"VAB0%d000\r\n", "VAC0%d064\r\n",
                               "VASH0%d00\r\n", "VAH0%d000\r\n",
                               "VASA0%d080\r\n"};
  for (const char* format : adjustments) {
    for (int k = 1; k <= 8; ++k) {
      char line[16];
      std::snprintf(line, sizeof line, format, k);
      lines.push_back(line);
    }
  }
  for (const char* line : {
           "ADON\r\n",
           "ADT030\r\n",
           "AMI\r\n",
           "APM\r\n",
           "ARON\r\n",
           "VLNNNNNNNN\r\n",
           "VLBCN\r\n",
           "VLSOOF\r\n",
           "VLDON\r\n",
           "TSDON\r\n",
           "TSDR1\r\n",
           "CTDSON\r\n",
           "CTDDON\r\n",
           "CASTM03030303030303030303030303\r\n",
           "CASMM\r\n",
           "BLB\r\n",
           "CIA\r\n",
           "POSD9\r\n",
           "CTFSDS\r\n",
           "CTFSSL\r\n",
           "OOH08\r\n",
           "OOV08\r\n",
           "VF11111111\r\n",
           "SPD4A01020304\r\n",
           "SPD4B05060708\r\n",
           "SPD6A010203040506\r\n",
           "SPD6B010203040708\r\n",
           "SPD90102030405060708\r\n",
           "NAR4\r\n",
           "AGCNNNNNNNN\r\n",
       }) {
    lines.push_back(line);
  }
  return lines;
}

class SendAllTest : public ::testing::Test {
 protected:
  // Ticks until the run ends; returns the last tick's result.
  SequenceTick RunToEnd() {
    for (int i = 0; i < 200; ++i) {
      const SequenceTick tick = sequence.OnTick();
      if (tick != SequenceTick::kRunning) return tick;
    }
    ADD_FAILURE() << "the run did not end";
    return SequenceTick::kRunning;
  }

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
  SendAllSequence sequence{link, store, sink, boxes};
};

TEST_F(SendAllTest, DefaultsSendSeventyEightLinesWithProgress) {
  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(link.sequence_step, 1);
  EXPECT_TRUE(sink.lines.empty()) << "the first line waits for the first tick";
  EXPECT_EQ(sequence.percent_text(), "");

  std::vector<std::string> percents;
  std::vector<int> bars;
  SequenceTick tick = SequenceTick::kRunning;
  while (tick == SequenceTick::kRunning) {
    tick = sequence.OnTick();
    percents.push_back(sequence.percent_text());
    bars.push_back(sequence.bar_position());
    ASSERT_LE(percents.size(), 78u);
  }

  EXPECT_EQ(tick, SequenceTick::kFinished);
  const std::vector<std::string> expected = DefaultLines();
  ASSERT_EQ(expected.size(), 78u);
  EXPECT_EQ(sink.lines, expected);
  EXPECT_EQ(sink.lines.front(),
            "CJ012121212121212343234823302331212121212121\r\n");
  EXPECT_EQ(sink.lines.back(), "AGCNNNNNNNN\r\n");
  EXPECT_TRUE(boxes.shown.empty());

  ASSERT_EQ(percents.size(), 78u);
  EXPECT_EQ(percents[0], "1");
  EXPECT_EQ(percents[1], "2");
  EXPECT_EQ(percents[38], "50");
  EXPECT_EQ(percents[76], "98");
  for (int s = 1; s < 78; ++s) {
    EXPECT_EQ(percents[s - 1], std::to_string(s * 100 / 78));
    EXPECT_EQ(bars[s - 1], s);
  }
  EXPECT_EQ(percents.back(), "   ");
  EXPECT_EQ(bars.back(), 0);
  EXPECT_FALSE(sequence.running());
  EXPECT_EQ(link.sequence_step, 0);
}

TEST_F(SendAllTest, TheSeventyEighthTickEndsTheRun) {
  ASSERT_TRUE(sequence.Start());
  for (int i = 0; i < 77; ++i) sequence.OnTick();
  EXPECT_EQ(sequence.percent_text(), "98");
  EXPECT_EQ(sequence.bar_position(), 77);
  EXPECT_EQ(link.sequence_step, 78);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kFinished);
  EXPECT_EQ(sink.lines.size(), 78u);
  // A tick after the end does nothing.
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kFinished);
  EXPECT_EQ(sink.lines.size(), 78u);
}

TEST_F(SendAllTest, ErrorReplyToStepTenStopsBeforeStepEleven) {
  ASSERT_TRUE(sequence.Start());
  for (int i = 0; i < 10; ++i) {
    ASSERT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  }
  link.reply_error = 1;  // the device rejected line 10
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kStoppedOnError);

  EXPECT_EQ(sink.lines.size(), 10u);
  EXPECT_EQ(sink.lines.back(), "VAB02000\r\n");
  EXPECT_EQ(sequence.bar_position(), 10);
  EXPECT_EQ(sequence.percent_text(), "12");
  EXPECT_FALSE(sequence.running());
  EXPECT_EQ(link.reply_error, 0);
  EXPECT_EQ(link.sequence_step, 0);

  // Further ticks do nothing; a new run starts again at step 1.
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kFinished);
  EXPECT_EQ(sink.lines.size(), 10u);
  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(sequence.bar_position(), 0);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_EQ(sink.lines.back(), sink.lines.front());
  EXPECT_EQ(sequence.bar_position(), 1);
}

TEST_F(SendAllTest, ErrorLeftOverFromBeforeTheStartStopsAtTheFirstTick) {
  link.reply_error = 1;
  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kStoppedOnError);
  EXPECT_TRUE(sink.lines.empty());
  EXPECT_EQ(link.reply_error, 0);
}

TEST_F(SendAllTest, StartIsRefusedWhileAnySequenceRuns) {
  link.sequence_step = 5;  // the read-all sequence is running
  EXPECT_FALSE(sequence.Start());
  EXPECT_FALSE(sequence.running());
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kFinished);
  EXPECT_TRUE(sink.lines.empty());
  EXPECT_EQ(link.sequence_step, 5);

  link.sequence_step = 0;
  ASSERT_TRUE(sequence.Start());
  EXPECT_FALSE(sequence.Start()) << "a second press during the run";
  sequence.OnTick();
  EXPECT_FALSE(sequence.Start());
  EXPECT_EQ(sink.lines.size(), 1u);
}

TEST_F(SendAllTest, UnpreparableTitleIsSkippedAndTheRunGoesOn) {
  SetTitle(1,
           "\x82\x60"
           "A");  // odd length
  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(RunToEnd(), SequenceTick::kFinished);
  std::vector<std::string> expected = DefaultLines();
  expected.erase(expected.begin() + 1);
  EXPECT_EQ(sink.lines, expected);
  EXPECT_EQ(boxes.shown, std::vector<Box>{kJisWarning});
}

TEST_F(SendAllTest, UnencodableTitleStopsTheRunAtTheNextTick) {
  SetTitle(2, "\x82\x60\xFA\x4A");  // no JIS code
  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_EQ(link.reply_error, 1);
  EXPECT_EQ(boxes.shown, std::vector<Box>{kJisWarning});
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kStoppedOnError);
  EXPECT_EQ(sink.lines.size(), 2u);
  EXPECT_EQ(sequence.bar_position(), 3);
  EXPECT_EQ(sequence.percent_text(), "3");
  EXPECT_EQ(link.reply_error, 0);
}

TEST_F(SendAllTest, RefusedHoldTimeShowsItsMessageAndTheRunGoesOn) {
  store.Update(
      [](DeviceSettings& s) { std::memcpy(s.alarm_hold_time, "2", 2); });
  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(RunToEnd(), SequenceTick::kFinished);
  std::vector<std::string> expected = DefaultLines();
  expected.erase(expected.begin() + 49);  // step 50
  EXPECT_EQ(sink.lines, expected);
  EXPECT_EQ(boxes.shown,
            (std::vector<Box>{{"error", "3秒以上を設定してください。"}}));
}

TEST_F(SendAllTest, EachStepReadsTheRecordAsItIsThen) {
  ASSERT_TRUE(sequence.Start());
  for (int i = 0; i < 50; ++i) sequence.OnTick();
  store.Update([](DeviceSettings& s) {
    s.alarm_mode = 1;
    s.layout_9[0] = s.layout_9[7] = 2;  // sent without the duplicate check
    s.seq_dwell[0] = 0;
  });
  EXPECT_EQ(RunToEnd(), SequenceTick::kFinished);
  EXPECT_EQ(sink.lines[50], "AME\r\n");
  EXPECT_EQ(sink.lines[75], "SPD90302030405060703\r\n");
  EXPECT_EQ(sink.lines[61], "CASTM00030303030303030303030303\r\n");
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SendAllTest, TickDuringAnOpenBoxDoesNotRunAStep) {
  SetTitle(0,
           "\x82\x60"
           "A");  // step 1 shows a box
  int reentered = 0;
  boxes.while_open = [&] {
    EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
    ++reentered;
  };
  ASSERT_TRUE(sequence.Start());
  sequence.OnTick();
  EXPECT_EQ(reentered, 1);
  EXPECT_TRUE(sink.lines.empty());
  EXPECT_EQ(sequence.bar_position(), 1);
  boxes.while_open = nullptr;
  sequence.OnTick();
  EXPECT_EQ(sink.lines.size(), 1u);
  EXPECT_EQ(sink.lines[0].substr(0, 4), "CJ02");
}

}  // namespace
}  // namespace vqx
