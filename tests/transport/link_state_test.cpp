// The memory of lines whose echo may come back, and the judge of which
// received line answers which step of a fixed-pace run (the reply pace and
// the dispatch are in tests/protocol/run_answers_test.cpp).
#include "transport/link_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vqx {
namespace {

using std::chrono::milliseconds;

TEST(SentLineEchoesTest, EchoesComeBackInOrderAndOnlyOnce) {
  SentLineEchoes echoes;
  const milliseconds t{0};
  echoes.Note("05RAM\r\n", t);
  echoes.Note("05RAP\r\n", t);
  echoes.Note("05RAM\r\n", t);
  EXPECT_FALSE(echoes.Take("05AMI\r\n", t));  // a reply is no echo
  EXPECT_FALSE(echoes.Take("05RAM\n", t));    // nor is a line that differs
  EXPECT_FALSE(echoes.Take("RAM\r\n", t));    // the address is part of it
  EXPECT_TRUE(echoes.Take("05RAM\r\n", t));
  EXPECT_TRUE(echoes.Take("05RAP\r\n", t));
  EXPECT_TRUE(echoes.Take("05RAM\r\n", t));
  EXPECT_FALSE(echoes.Take("05RAM\r\n", t));
}

TEST(SentLineEchoesTest, KeepsOnlyTheNewestLines) {
  SentLineEchoes echoes;
  const milliseconds t{0};
  for (std::size_t i = 0; i < SentLineEchoes::kHeld + 3; ++i) {
    echoes.Note("L" + std::to_string(i) + "\r\n", t);
  }
  EXPECT_FALSE(echoes.Take("L2\r\n", t));
  EXPECT_TRUE(echoes.Take("L3\r\n", t));
  echoes.Clear();
  EXPECT_FALSE(echoes.Take("L4\r\n", t));
}

// ---- Which line answers which step

ReceivedAnswer Received(std::string_view line, AnswerKind kind,
                        std::string_view mnemonic = "", int address_bytes = 0) {
  return {line, line.substr(address_bytes), kind, mnemonic};
}

AnswerRule SetRule() {
  AnswerRule rule;
  rule.acknowledged = true;
  return rule;
}

AnswerRule ReadRule(std::string mnemonic, std::string start) {
  AnswerRule rule;
  rule.read_back_mnemonic = std::move(mnemonic);
  rule.read_back_start = std::move(start);
  return rule;
}

std::vector<int> RefusedSteps(const AwaitedAnswers& answers) {
  std::vector<int> steps;
  for (const Refusal& refusal : answers.refusals()) {
    steps.push_back(refusal.step);
  }
  return steps;
}

// At the fixed pace lines go out without waiting: an answer that comes
// after the next line went out is still its own line's when only that line
// can take it; a "GO" or "GN" goes to the line last sent; a "GN" that
// answers nothing still counts against the line last sent.
TEST(AwaitedAnswersTest, FixedPaceTakesLateAnswersByWhatTheyCanAnswer) {
  AwaitedAnswers answers;
  answers.BeginRun(true);
  answers.Declare(1, ReadRule("CJ", "CJ01"));
  answers.NoteSent("RCJ01\r\n", false);
  answers.Declare(2, ReadRule("CJ", "CJ02"));
  answers.NoteSent("RCJ02\r\n", false);
  EXPECT_EQ(answers.awaited(), 2u);
  EXPECT_TRUE(
      answers.Offer(Received("CJ012121212121212121212121212121212121212121\r\n",
                             AnswerKind::kReadBack, "CJ")));
  EXPECT_EQ(answers.awaited(), 1u);
  EXPECT_FALSE(
      answers.Offer(Received("CJ012121212121212121212121212121212121212121\r\n",
                             AnswerKind::kReadBack, "CJ")));
  EXPECT_TRUE(answers.Offer(Received("GN\r\n", AnswerKind::kRefused)));
  EXPECT_EQ(answers.awaited(), 0u);
  EXPECT_FALSE(answers.Offer(Received("GN\r\n", AnswerKind::kRefused)));
  EXPECT_EQ(RefusedSteps(answers), std::vector<int>{2});
  EXPECT_EQ(answers.answers(), 2u);

  answers.Declare(3, SetRule());
  answers.NoteSent("ADON\r\n", false);
  EXPECT_TRUE(answers.Offer(Received("GO\r\n", AnswerKind::kAcknowledged)));
  EXPECT_FALSE(answers.Offer(Received("GN\r\n", AnswerKind::kRefused)));
  EXPECT_EQ(RefusedSteps(answers), (std::vector<int>{2, 3}));
  EXPECT_EQ(answers.refusals().back().line, "ADON\r\n");

  // After the run its steps may still be answered; a new run forgets them.
  answers.Declare(4, SetRule());
  answers.NoteSent("AROF\r\n", false);
  answers.EndRun();
  EXPECT_TRUE(answers.Offer(Received("GN\r\n", AnswerKind::kRefused)));
  EXPECT_EQ(RefusedSteps(answers), (std::vector<int>{2, 3, 4}));
  answers.BeginRun(false);
  EXPECT_TRUE(answers.refusals().empty());
  EXPECT_EQ(answers.awaited(), 0u);
}

// File > New clears what a run and a reply leave in the flags, but the
// receive thread goes on and the counters that waiters watch keep growing.
TEST(LinkStateTest, ResetFlagsEndsTheRunButNotReception) {
  LinkState state;
  state.sequence_step = 4;
  state.reply_awaited = 1;
  state.reply_wait_ticks = 3;
  state.success_pending = 1;
  state.reply_error = 1;
  state.receive_running = 1;
  state.lines_received = 7;
  state.ResetFlags();
  EXPECT_EQ(state.sequence_step, 0);
  EXPECT_EQ(state.reply_awaited, 0);
  EXPECT_EQ(state.reply_wait_ticks, 0);
  EXPECT_EQ(state.success_pending, 0);
  EXPECT_EQ(state.reply_error, 0);
  EXPECT_EQ(state.receive_running, 1);
  EXPECT_EQ(state.lines_received, 7u);
}

}  // namespace
}  // namespace vqx
