// The one engine behind every timed sequence, with steps that record what
// they were asked to do and a test driving the ticks.
#include "transport/timed_sequence.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/fakes.h"

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

// A line the link writes for a step, and the device's answer to it, as the
// link and the receive thread hand them to the judge of answers.
void SendSetLine(LinkState& link) {
  ++link.sends_awaiting_reply;
  link.answers.NoteSent("AMI\r\n", false);
}
bool Answer(LinkState& link, std::string_view reply = "GO\r\n",
            AnswerKind kind = AnswerKind::kAcknowledged) {
  return link.answers.Offer({reply, reply, kind, ""});
}

// The receive thread may take the last line's "GO" before the tick that
// sent it ends the run; the interlock hid it from the dispatch, so the run
// owes the "Success" box. The run holds the interlock one tick longer for
// that answer.
TEST_F(TimedSequenceTest, LastGoBeforeTheRunEndsStillEarnsTheSuccessBox) {
  TimedSequence& sequence = Make({2, 500, "   "});
  on_step = [this](int step) {
    SendSetLine(link);
    if (step == 2) Answer(link);
  };
  ASSERT_TRUE(sequence.Start());
  ASSERT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  ASSERT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_NE(link.sequence_step, 0);
  EXPECT_EQ(link.success_pending, 0);
  ASSERT_EQ(sequence.OnTick(), SequenceTick::kFinished);
  EXPECT_EQ(link.success_pending, 1);
  EXPECT_EQ(steps.size(), 2u);
}

// The last line's answer decides how a run ends. At the fixed pace the
// last line gets one more tick for it; at the reply pace the run waits.
// Only a run whose last line is answered and that nothing was refused
// owes the "Success" box.
TEST_F(TimedSequenceTest, TheLastLinesAnswerDecidesTheEnd) {
  testing::ManualSteadyClock clock;
  struct Case {
    bool reply_paced;
    std::string_view reply;  // "" for none
    AnswerKind kind;
    SequenceTick end;
    int success_pending;
    std::size_t refused;
  };
  const Case cases[] = {
      {false, "GO\r\n", AnswerKind::kAcknowledged, SequenceTick::kFinished, 1,
       0},
      {false, "GN\r\n", AnswerKind::kRefused, SequenceTick::kFinished, 0, 1},
      {false, "E3\r\n", AnswerKind::kFailed, SequenceTick::kStoppedOnError, 0,
       0},
      {false, "", AnswerKind::kNone, SequenceTick::kFinished, 0, 0},
      {true, "GO\r\n", AnswerKind::kAcknowledged, SequenceTick::kFinished, 1,
       0},
      {true, "GN\r\n", AnswerKind::kRefused, SequenceTick::kFinished, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.reply_paced ? "reply pace, " : "fixed, ") +
                 std::string(c.reply));
    link.success_pending = 0;
    TimedSequence& sequence = Make({2, 500, "   "});
    if (c.reply_paced) sequence.PaceByReplies(clock);
    on_step = [this](int) { SendSetLine(link); };
    ASSERT_TRUE(sequence.Start());
    ASSERT_EQ(sequence.OnTick(), SequenceTick::kRunning);
    Answer(link);
    if (c.reply_paced) {
      ASSERT_EQ(sequence.OnTick(), SequenceTick::kWaiting);
      clock.Advance(std::chrono::milliseconds(kReplyGuardMs));
    }
    ASSERT_EQ(sequence.OnTick(), SequenceTick::kRunning);  // the last line
    EXPECT_NE(link.sequence_step, 0);
    if (!c.reply.empty()) {
      if (c.kind == AnswerKind::kFailed) link.reply_error = 1;
      EXPECT_TRUE(Answer(link, c.reply, c.kind));
    }
    EXPECT_EQ(sequence.OnTick(), c.end);
    EXPECT_EQ(link.sequence_step, 0);
    EXPECT_EQ(link.success_pending, c.success_pending);
    EXPECT_EQ(sequence.refusals().size(), c.refused);
  }
}

// The reply pace. Each step stands for a set line the link writes (unless
// it is a broadcast); the test plays the receive thread (answers offered to
// `LinkState::answers`) and the watchdog (`reply_timeouts`), and moves the
// steady clock by hand.
class ReplyPacedSequenceTest : public TimedSequenceTest {
 protected:
  ReplyPacedSequenceTest() {
    on_step = [this](int step) {
      if (results.count(step) == 0 && !broadcast) SendSetLine(link);
    };
  }

  TimedSequence& MakeReplyPaced(SequencePlan plan) {
    TimedSequence& sequence = Make(plan);
    EXPECT_TRUE(sequence.PaceByReplies(clock));
    return sequence;
  }
  void Reply() { EXPECT_TRUE(Answer(link)); }
  void Wait(int ms) { clock.Advance(std::chrono::milliseconds(ms)); }

  testing::ManualSteadyClock clock;
  bool broadcast = false;
};

TEST_F(ReplyPacedSequenceTest, EachLineWaitsForTheReplyAndTheGuardGap) {
  TimedSequence& sequence = MakeReplyPaced(kStopAtNextTick);
  EXPECT_EQ(sequence.tick_period_ms(), kReplyPacedTickMs);
  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);  // step 1 at once
  EXPECT_TRUE(sequence.awaiting_reply());
  for (int i = 0; i < 50; ++i) {
    Wait(10);
    ASSERT_EQ(sequence.OnTick(), SequenceTick::kWaiting);  // however long
  }
  Reply();
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kWaiting);  // the guard gap
  Wait(kReplyGuardMs - 1);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kWaiting);
  Wait(1);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_EQ(steps, (std::vector<int>{1, 2}));
  EXPECT_EQ(sequence.bar_position(), 2);
  EXPECT_EQ(sequence.percent_text(), "40");
  EXPECT_EQ(link.sequence_step, 3);
}

TEST_F(ReplyPacedSequenceTest, FinishesOnceTheLastLineIsAnswered) {
  TimedSequence& sequence = MakeReplyPaced(kStopAtNextTick);
  ASSERT_TRUE(sequence.Start());
  for (int step = 1; step <= 5; ++step) {
    ASSERT_EQ(sequence.OnTick(), SequenceTick::kRunning);
    if (step < 5) {
      Reply();
      sequence.OnTick();
      Wait(kReplyGuardMs);
    }
  }
  // Every step has run; the run holds the interlock until the reply.
  EXPECT_EQ(sequence.bar_position(), 5);
  EXPECT_EQ(sequence.percent_text(), "100");
  EXPECT_NE(link.sequence_step, 0);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kWaiting);
  Reply();
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kFinished);
  EXPECT_EQ(sequence.bar_position(), 0);
  EXPECT_EQ(sequence.percent_text(), "   ");
  EXPECT_EQ(link.sequence_step, 0);
  EXPECT_EQ(steps.size(), 5u);
}

// The receive thread runs beside the ticks: a reply may land just after a
// tick read the clock. The next line still waits the whole guard gap after
// the reply, not after that reading.
TEST_F(ReplyPacedSequenceTest, GuardGapNeverShorterThanAfterTheReply) {
  struct LateReplyClock : SteadyClock {
    std::chrono::milliseconds now{0};
    std::function<void()> after_read;
    std::chrono::milliseconds Now() override {
      const std::chrono::milliseconds read = now;
      if (after_read) std::exchange(after_read, nullptr)();
      return read;
    }
  } late;
  using std::chrono::milliseconds;
  TimedSequence& sequence = Make(kStopAtNextTick);
  ASSERT_TRUE(sequence.PaceByReplies(late));
  ASSERT_TRUE(sequence.Start());
  ASSERT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  late.now = milliseconds(100);
  const milliseconds arrival(105);
  late.after_read = [&] {
    Reply();
    late.now = arrival;
  };
  sequence.OnTick();
  if (late.after_read) std::exchange(late.after_read, nullptr)();
  late.now = arrival + milliseconds(kReplyGuardMs - 1);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kWaiting);
  late.now += milliseconds(kReplyGuardMs);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_EQ(steps, (std::vector<int>{1, 2}));
}

// How each way a step can end sets when the next one is due.
TEST_F(ReplyPacedSequenceTest, WhatFollowsAStepThatAwaitsNoReply) {
  struct Case {
    const char* what;
    bool broadcast;
    std::optional<StepResult> result;
    int due_after_ms;
  };
  const Case cases[] = {
      // A broadcast is answered by nobody: the plan's period, as fixed.
      {"broadcast", true, std::nullopt, kStopAtNextTick.period_ms},
      // Nothing went out (a box said why): the next tick.
      {"skipped", false, StepResult::kSkipped, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    steps.clear();
    results.clear();
    broadcast = c.broadcast;
    if (c.result) results[1] = *c.result;
    TimedSequence& sequence = MakeReplyPaced(kStopAtNextTick);
    ASSERT_TRUE(sequence.Start());
    ASSERT_EQ(sequence.OnTick(), SequenceTick::kRunning);
    EXPECT_FALSE(sequence.awaiting_reply());
    if (c.due_after_ms > 0) {
      Wait(c.due_after_ms - 1);
      EXPECT_EQ(sequence.OnTick(), SequenceTick::kWaiting);
      Wait(1);
    }
    EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
    EXPECT_EQ(steps, (std::vector<int>{1, 2}));
    sequence.Abort();
  }
}

TEST_F(ReplyPacedSequenceTest, MissingReplyEndsTheRunAtNoConnect) {
  TimedSequence& sequence = MakeReplyPaced(kStopAtNextTick);
  ASSERT_TRUE(sequence.Start());
  sequence.OnTick();
  Reply();
  sequence.OnTick();
  Wait(kReplyGuardMs);
  ASSERT_EQ(sequence.OnTick(), SequenceTick::kRunning);  // step 2, unanswered
  Wait(8000);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kWaiting);
  ++link.reply_timeouts;  // the watchdog's "No Connect"
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kStoppedNoReply);
  EXPECT_FALSE(sequence.running());
  EXPECT_EQ(link.sequence_step, 0);
  EXPECT_EQ(sequence.bar_position(), 2);  // kept, as after an error
  EXPECT_EQ(sequence.percent_text(), "40");
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kFinished);
  EXPECT_EQ(steps, (std::vector<int>{1, 2}));
  // A later run starts clean.
  ASSERT_TRUE(sequence.Start());
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  EXPECT_EQ(steps.back(), 1);
}

TEST_F(ReplyPacedSequenceTest, ErrorReplyStopsBeforeTheNextLine) {
  TimedSequence& sequence = MakeReplyPaced(kStopAtNextTick);
  ASSERT_TRUE(sequence.Start());
  sequence.OnTick();
  link.reply_error = 1;  // "E3": the flag is set before the line is judged
  EXPECT_TRUE(Answer(link, "E3\r\n", AnswerKind::kFailed));
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kStoppedOnError);
  EXPECT_EQ(link.reply_error, 0);
  EXPECT_EQ(sequence.bar_position(), 1);
  EXPECT_EQ(steps, std::vector<int>{1});
}

// The fixed pace sends one line per tick whatever the replies do; the
// tick after the last line ends the run, answered or not.
TEST_F(ReplyPacedSequenceTest, FixedPaceIgnoresRepliesAndTimeouts) {
  TimedSequence& sequence = Make(kStopAtNextTick);
  ASSERT_TRUE(sequence.Start());
  ++link.reply_timeouts;
  for (int tick = 1; tick <= 5; ++tick) {
    ASSERT_EQ(sequence.OnTick(), SequenceTick::kRunning);
  }
  EXPECT_EQ(steps.size(), 5u);
  EXPECT_EQ(sequence.OnTick(), SequenceTick::kFinished);
  EXPECT_EQ(steps.size(), 5u);
  EXPECT_EQ(link.success_pending, 0);
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
