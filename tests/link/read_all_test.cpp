#include "link/read_all.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fakes.h"

namespace vqx {
namespace {

std::vector<std::string> ExpectedCommands() {
  std::vector<std::string> commands;
  for (const char* mnemonic :
       {"RCJ", "RVAB", "RVAC", "RVAH", "RVASH", "RVASA"}) {
    for (int channel = 1; channel <= 8; ++channel) {
      commands.push_back(std::string(mnemonic) + "0" + std::to_string(channel) +
                         "\r\n");
    }
  }
  for (const char* fixed :
       {"RAD",   "RADT", "RAM",    "RAP",    "RAR",    "RVL",    "RVLBC",
        "RVLSO", "RVLD", "RTSD",   "RTSDR",  "RCTDS",  "RCTDD",  "RCASTM",
        "RCASM", "RBL",  "RCI",    "RPOS",   "RCTFSD", "RCTFSS", "ROOH",
        "ROOV",  "RVF",  "RSPD4A", "RSPD4B", "RSPD6A", "RSPD6B", "RSPD9",
        "RNAR",  "RAGC", "RVN"}) {
    commands.push_back(std::string(fixed) + "\r\n");
  }
  return commands;
}

TEST(ReadAllCommandTest, EveryStep) {
  const std::vector<std::string> expected = ExpectedCommands();
  ASSERT_EQ(expected.size(), static_cast<std::size_t>(kReadAllSteps));
  for (int step = 1; step <= kReadAllSteps; ++step) {
    EXPECT_EQ(ReadAllCommand(step), expected[step - 1]) << step;
  }
  EXPECT_EQ(ReadAllCommand(0), "");
  EXPECT_EQ(ReadAllCommand(80), "");
  EXPECT_EQ(ReadAllCommand(-1), "");
}

class ReadAllSequenceTest : public ::testing::Test {
 protected:
  LinkState state;
  testing::RecordingSink sink;
  ReadAllSequence sequence{state, sink};
};

TEST_F(ReadAllSequenceTest, RunsAllStepsWithProgress) {
  EXPECT_EQ(sequence.percent_text(), "");
  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(state.sequence_step, 1);
  std::vector<std::string> percents;
  for (int tick = 1; tick < kReadAllSteps; ++tick) {
    ASSERT_EQ(sequence.OnTick(), SequenceTick::kRunning) << tick;
    EXPECT_NE(state.sequence_step, 0);
    EXPECT_EQ(sequence.bar_position(), tick);
    percents.push_back(sequence.percent_text());
  }
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kFinished);
  EXPECT_EQ(sink.lines, ExpectedCommands());
  EXPECT_FALSE(sequence.running());
  EXPECT_EQ(state.sequence_step, 0);
  EXPECT_EQ(sequence.bar_position(), 0);
  EXPECT_EQ(sequence.percent_text(), "   ");

  ASSERT_EQ(percents.size(), 78u);
  EXPECT_EQ(percents[0], "1");
  EXPECT_EQ(percents[1], "2");
  EXPECT_EQ(percents[2], "3");
  EXPECT_EQ(percents[3], "5");
  EXPECT_EQ(percents[77], "98");
  for (int n = 1; n < kReadAllSteps; ++n) {
    EXPECT_EQ(percents[n - 1], std::to_string(n * 100 / 79));
  }
  // Ticks after the end do nothing.
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kFinished);
  EXPECT_EQ(sink.lines.size(), 79u);
}

TEST(ReadAllPercentTest, GoesFromOneToHundred) {
  EXPECT_EQ(ReadAllPercent(1), "1");
  EXPECT_EQ(ReadAllPercent(2), "2");
  EXPECT_EQ(ReadAllPercent(3), "3");
  EXPECT_EQ(ReadAllPercent(4), "5");
  EXPECT_EQ(ReadAllPercent(78), "98");
  EXPECT_EQ(ReadAllPercent(79), "100");
}

TEST_F(ReadAllSequenceTest, RefusedWhileAnySequenceRuns) {
  state.sequence_step = 12;  // another dialog's sequence
  EXPECT_FALSE(sequence.Start());
  EXPECT_FALSE(sequence.running());
  EXPECT_EQ(state.sequence_step, 12);
  state.sequence_step = 0;

  ASSERT_TRUE(sequence.Start());
  sequence.OnTick();
  EXPECT_FALSE(sequence.Start());  // pressed again while running
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_EQ(sink.lines, (std::vector<std::string>{"RCJ01\r\n", "RCJ02\r\n"}));
}

TEST_F(ReadAllSequenceTest, ErrorLeftFromBeforeStopsTheFirstTick) {
  state.reply_error = 1;
  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kStoppedOnError);
  EXPECT_TRUE(sink.lines.empty());
  EXPECT_EQ(state.reply_error, 0);
  EXPECT_EQ(state.sequence_step, 0);
  EXPECT_FALSE(sequence.running());

  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_EQ(sink.lines, std::vector<std::string>{"RCJ01\r\n"});
}

TEST_F(ReadAllSequenceTest, ErrorReplyStopsAtTheNextTickAndKeepsTheBar) {
  ASSERT_TRUE(sequence.Start());
  for (int tick = 0; tick < 10; ++tick) sequence.OnTick();
  state.reply_error = 1;  // "E3" arrived
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kStoppedOnError);
  EXPECT_EQ(sink.lines.size(), 10u);
  EXPECT_EQ(sequence.bar_position(), 10);
  EXPECT_EQ(sequence.percent_text(), std::to_string(10 * 100 / 79));
  EXPECT_EQ(state.sequence_step, 0);

  // Restarts from the first command; the bar steps on from where it was.
  sink.lines.clear();
  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_EQ(sink.lines, std::vector<std::string>{"RCJ01\r\n"});
  EXPECT_EQ(sequence.bar_position(), 11);
  EXPECT_EQ(sequence.percent_text(), "1");
}

TEST_F(ReadAllSequenceTest, BarWrapsWhenSteppedPastItsEnd) {
  ASSERT_TRUE(sequence.Start());
  for (int tick = 0; tick < 70; ++tick) sequence.OnTick();
  state.reply_error = 1;
  sequence.OnTick();
  ASSERT_TRUE(sequence.Start());
  for (int tick = 0; tick < 9; ++tick) sequence.OnTick();
  EXPECT_EQ(sequence.bar_position(), 79);
  sequence.OnTick();
  EXPECT_EQ(sequence.bar_position(), 0);
  EXPECT_LE(sequence.bar_position(), kReadAllSteps);
}

TEST_F(ReadAllSequenceTest, GnDuringTheRunDoesNotStopIt) {
  // "GN" leaves reply_error at 0, so the run goes on.
  ASSERT_TRUE(sequence.Start());
  sequence.OnTick();
  state.reply_error = 0;
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
}

TEST_F(ReadAllSequenceTest, AbortClearsTheSequenceStep) {
  ASSERT_TRUE(sequence.Start());
  sequence.OnTick();
  sequence.Abort();
  EXPECT_FALSE(sequence.running());
  EXPECT_EQ(state.sequence_step, 0);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kFinished);
  EXPECT_EQ(sink.lines.size(), 1u);
  // Aborting while idle leaves another sequence's step alone.
  state.sequence_step = 5;
  sequence.Abort();
  EXPECT_EQ(state.sequence_step, 5);
}

}  // namespace
}  // namespace vqx
