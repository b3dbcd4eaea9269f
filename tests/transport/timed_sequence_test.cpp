// The one engine behind every timed sequence, with steps that record what
// they were asked to do and a test driving the ticks.
#include "transport/timed_sequence.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vqx {
namespace {

class TimedSequenceTest : public ::testing::Test {
 protected:
  TimedSequence& Make(SequencePlan plan) {
    sequence_ = std::make_unique<TimedSequence>(link, plan, [this](int step) {
      steps.push_back(step);
      if (on_step) on_step(step);
      auto found = results.find(step);
      return found == results.end() ? StepResult::kSent : found->second;
    });
    return *sequence_;
  }

  LinkState link;
  std::vector<int> steps;
  std::map<int, StepResult> results;
  std::function<void(int)> on_step;
  std::unique_ptr<TimedSequence> sequence_;
};

constexpr SequencePlan kStopAtNextTick{.steps = 5,
                                       .period_ms = 100,
                                       .finished_percent = "   ",
                                       .end_after_step_on_error = false};
constexpr SequencePlan kEndAfterStep{.steps = 8,
                                     .period_ms = 200,
                                     .finished_percent = "  ",
                                     .end_after_step_on_error = true};

TEST_F(TimedSequenceTest, RunsEveryStepWithBarAndPercent) {
  TimedSequence& sequence = Make(kEndAfterStep);
  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(link.sequence_step, 1);
  std::vector<std::string> percents;
  SequenceTick tick;
  while ((tick = sequence.OnTick()) == SequenceTick::kRunning) {
    percents.push_back(sequence.percent_text());
    EXPECT_EQ(sequence.bar_position(), static_cast<int>(percents.size()));
    EXPECT_EQ(link.sequence_step, static_cast<int>(percents.size()) + 1);
  }
  EXPECT_EQ(tick, SequenceTick::kFinished);
  EXPECT_EQ(percents, (std::vector<std::string>{"12", "25", "37", "50", "62",
                                                "75", "87"}));
  EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(sequence.percent_text(), "  ");
  EXPECT_EQ(sequence.bar_position(), 0);
  EXPECT_EQ(link.sequence_step, 0);
  EXPECT_FALSE(sequence.running());
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kFinished);
  EXPECT_EQ(steps.size(), 8u);
}

TEST_F(TimedSequenceTest, RefusedWhileAnySequenceRunsAndRestartsClean) {
  TimedSequence& sequence = Make(kStopAtNextTick);
  link.sequence_step = 3;  // another dialog's run
  EXPECT_FALSE(sequence.Start());
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kFinished);
  EXPECT_TRUE(steps.empty());
  link.sequence_step = 0;

  ASSERT_TRUE(sequence.Start());
  sequence.OnTick();
  sequence.OnTick();
  EXPECT_FALSE(sequence.Start());
  link.reply_error = 1;
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kStoppedOnError);
  EXPECT_EQ(sequence.bar_position(), 2);
  EXPECT_EQ(sequence.percent_text(), "40");

  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(sequence.bar_position(), 0);
  EXPECT_EQ(sequence.percent_text(), "");
  sequence.OnTick();
  EXPECT_EQ(steps, (std::vector<int>{1, 2, 1}));
}

// Read-all and send-all: an error the step brings (a failed step, or a
// reply arriving meanwhile) stops the run at the next tick, bar kept; a late
// error after the last step is left for the next run to see.
TEST_F(TimedSequenceTest, ErrorDuringAStepStopsAtTheNextTick) {
  TimedSequence& sequence = Make(kStopAtNextTick);
  results[2] = StepResult::kFailed;
  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_EQ(link.reply_error, 1);
  EXPECT_EQ(sequence.bar_position(), 2);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kStoppedOnError);
  EXPECT_EQ(steps, (std::vector<int>{1, 2}));
  EXPECT_EQ(sequence.bar_position(), 2);
  EXPECT_EQ(link.reply_error, 0);

  on_step = [this](int step) {
    if (step == 5) link.reply_error = 1;
  };
  results.clear();
  ASSERT_TRUE(sequence.Start());
  while (sequence.OnTick() == SequenceTick::kRunning) {
  }
  EXPECT_EQ(sequence.percent_text(), "   ");
  EXPECT_EQ(link.reply_error, 1);
}

// The set-all buttons: such an error ends the run right after the step,
// clearing the bar, the percentage and the error.
TEST_F(TimedSequenceTest, ErrorDuringAStepEndsASetAllAtOnce) {
  TimedSequence& sequence = Make(kEndAfterStep);
  on_step = [this](int step) {
    if (step == 3) link.reply_error = 1;  // "E3" to step 2 came meanwhile
  };
  ASSERT_TRUE(sequence.Start());
  sequence.OnTick();
  sequence.OnTick();
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kStoppedOnError);
  EXPECT_EQ(sequence.bar_position(), 0);
  EXPECT_EQ(sequence.percent_text(), "  ");
  EXPECT_EQ(link.reply_error, 0);
  EXPECT_EQ(link.sequence_step, 0);
  EXPECT_FALSE(sequence.running());

  on_step = nullptr;
  results[4] = StepResult::kFailed;
  ASSERT_TRUE(sequence.Start());
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  }
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kStoppedOnError);
  EXPECT_EQ(link.reply_error, 0);
}

TEST_F(TimedSequenceTest, SkippedStepsLetTheRunGoOn) {
  TimedSequence& sequence = Make(kStopAtNextTick);
  results[1] = results[3] = StepResult::kSkipped;
  ASSERT_TRUE(sequence.Start());
  while (sequence.OnTick() == SequenceTick::kRunning) {
  }
  EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(link.reply_error, 0);
}

TEST_F(TimedSequenceTest, TickFromInsideAStepIsAbsorbed) {
  TimedSequence& sequence = Make(kStopAtNextTick);
  on_step = [&](int step) {
    // A box of this step is open and its message loop delivers a tick.
    if (step == 1) {
      EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
    }
  };
  ASSERT_TRUE(sequence.Start());
  sequence.OnTick();
  EXPECT_EQ(steps, std::vector<int>{1});
  EXPECT_EQ(sequence.bar_position(), 1);
}

TEST_F(TimedSequenceTest, AbortLeavesOtherRunsAlone) {
  TimedSequence& sequence = Make(kStopAtNextTick);
  sequence.Abort();
  link.sequence_step = 9;
  sequence.Abort();
  EXPECT_EQ(link.sequence_step, 9);
  link.sequence_step = 0;
  ASSERT_TRUE(sequence.Start());
  sequence.OnTick();
  sequence.Abort();
  EXPECT_EQ(link.sequence_step, 0);
  EXPECT_EQ(sequence.bar_position(), 1);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kFinished);
}

TEST(SequencePercentTest, RoundsDown) {
  EXPECT_EQ(SequencePercent(1, 78), "1");
  EXPECT_EQ(SequencePercent(10, 78), "12");
  EXPECT_EQ(SequencePercent(78, 78), "100");
  EXPECT_EQ(SequencePercent(1, 8), "12");
  EXPECT_EQ(SequencePercent(3, 8), "37");
}

}  // namespace
}  // namespace vqx
