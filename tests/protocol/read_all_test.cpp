#include "protocol/read_all.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "protocol/reply_dispatch.h"
#include "tests/support/link_fakes.h"
#include "transport/link.h"

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

TEST(SequencePercentTest, ReadAllGoesFromOneToHundred) {
  EXPECT_EQ(SequencePercent(1, kReadAllSteps), "1");
  EXPECT_EQ(SequencePercent(2, kReadAllSteps), "2");
  EXPECT_EQ(SequencePercent(3, kReadAllSteps), "3");
  EXPECT_EQ(SequencePercent(4, kReadAllSteps), "5");
  EXPECT_EQ(SequencePercent(78, kReadAllSteps), "98");
  EXPECT_EQ(SequencePercent(79, kReadAllSteps), "100");
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

  // Restarts from the first command with the bar and the percentage back
  // at their start: a restarted run does not show the old position.
  sink.lines.clear();
  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(sequence.bar_position(), 0);
  EXPECT_EQ(sequence.percent_text(), "");
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_EQ(sink.lines, std::vector<std::string>{"RCJ01\r\n"});
  EXPECT_EQ(sequence.bar_position(), 1);
  EXPECT_EQ(sequence.percent_text(), "1");
}

TEST_F(ReadAllSequenceTest, BarNeverPassesItsEndAfterARestart) {
  ASSERT_TRUE(sequence.Start());
  for (int tick = 0; tick < 70; ++tick) sequence.OnTick();
  state.reply_error = 1;
  sequence.OnTick();
  ASSERT_TRUE(sequence.Start());
  int highest = 0;
  while (sequence.OnTick() == SequenceTick::kRunning) {
    highest = std::max(highest, sequence.bar_position());
  }
  EXPECT_EQ(highest, kReadAllSteps - 1);
  EXPECT_EQ(sequence.bar_position(), 0);
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

TEST(ReadAllStepsTest, EachStepNamesTheReplyThatAnswersIt) {
  EXPECT_EQ(ReadAllExpectedReply(1), "CJ01");
  EXPECT_EQ(ReadAllExpectedReply(16), "VAB08");
  EXPECT_EQ(ReadAllExpectedReply(33), "VASH01");
  EXPECT_EQ(ReadAllExpectedReply(49), "ADO");
  EXPECT_EQ(ReadAllExpectedReply(56), "VLSOO");
  EXPECT_EQ(ReadAllExpectedReply(58), "TSDO");
  EXPECT_EQ(ReadAllExpectedReply(79), "VN");
  EXPECT_EQ(ReadAllExpectedReply(80), "");
  EXPECT_EQ(ReadAllReadBack(55)->group, SettingsGroup::kVideoLoss);
  EXPECT_EQ(ReadAllChannel(48), 7);
  EXPECT_EQ(ReadAllChannel(49), -1);
}

TEST(ReadBackRecordTest, TellsWhichRepliesNeverCame) {
  ReadBackRecord record;
  EXPECT_EQ(record.MissingSteps().size(), 79u);
  for (int step = 1; step <= kReadAllSteps; ++step) {
    if (step == 3 || step == 50 || step == 56) continue;
    std::string reply = ReadAllExpectedReply(step) + "0\r\n";
    record.Note(reply);
  }
  EXPECT_FALSE(record.Complete());
  EXPECT_EQ(record.MissingSteps(), (std::vector<int>{3, 50, 56}));
  EXPECT_EQ(
      record.MissingGroups(),
      (std::vector<SettingsGroup>{SettingsGroup::kTitle, SettingsGroup::kAlarm,
                                  SettingsGroup::kVideoLoss}));
  // "VLSOON" answers the signal output, not the detection.
  record.Note("VLSOON\r\n");
  record.Note("CJ03" + std::string(40, '2') + "\r\n");
  record.Note("ADT045\r\n");
  record.Note("GO\r\n");  // no read-back: nothing
  EXPECT_TRUE(record.Complete());
  record.Clear();
  EXPECT_EQ(record.MissingSteps().size(), 79u);
}

// The reply pace over the real link and dispatch: the same 79 commands; a
// device that never answers the 10th ends the run at the watchdog's
// "No Connect", with the bar where the run stopped.
TEST(ReplyPacedReadAllTest, SameCommandsAndASilentDeviceEndsTheRun) {
  using namespace std::chrono_literals;
  for (bool silent : {false, true}) {
    SCOPED_TRACE(silent ? "silent after 9 lines" : "answering");
    LinkState state;
    LinkConfig config;
    std::atomic<int> slave{0};
    SettingsStore store;
    testing::RecordingBoxes boxes;
    testing::FakePort port;
    testing::ManualSteadyClock clock;
    Link link(state, config, slave, clock);
    link.AttachPort(&port);
    ReplyDispatcher dispatcher(state, config, store, boxes, clock);
    int answered = 0;
    testing::SlowDevice device(
        port, clock, dispatcher, 20ms, [&](const std::string&) {
          if (silent && answered >= 9) {
            return std::string();
          }
          return ReadAllExpectedReply(++answered) + "\r\n";
        });
    ReadAllSequence sequence(state, link);
    ASSERT_TRUE(sequence.PaceByReplies(clock));
    ASSERT_TRUE(sequence.Start());
    SequenceTick tick = SequenceTick::kRunning;
    for (int i = 0; i < 100'000; ++i) {
      tick = sequence.OnTick();
      if (tick != SequenceTick::kRunning && tick != SequenceTick::kWaiting) {
        break;
      }
      device.Poll();
      if (clock.Now() % 300ms == 0ms) RunLinkTimerDuty(state, boxes);
      clock.Advance(10ms);
    }
    if (!silent) {
      EXPECT_EQ(tick, SequenceTick::kFinished);
      EXPECT_EQ(port.written(), ExpectedCommands());
      EXPECT_EQ(boxes.Take(), (std::vector<testing::Box>{}));
      EXPECT_EQ(state.success_pending, 1);  // "VN" ends the read-back
    } else {
      EXPECT_EQ(tick, SequenceTick::kStoppedNoReply);
      EXPECT_EQ(port.written().size(), 10u);
      EXPECT_EQ(sequence.bar_position(), 10);
      EXPECT_EQ(state.sequence_step, 0);
      EXPECT_EQ(boxes.Take(),
                (std::vector<testing::Box>{{"error", "No Connect"}}));
      // About 8 s after the unanswered line.
      EXPECT_GT(clock.Now(), 7800ms);
      EXPECT_LT(clock.Now(), 9000ms);
    }
  }
}

}  // namespace
}  // namespace vqx
