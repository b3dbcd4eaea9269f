// Which received line answers a run's step, over the real link and reply
// dispatch with a hand-moved clock: the test writes through the link to an
// in-memory port and plays the device and the line adapter.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "protocol/address_scan.h"
#include "protocol/read_all.h"
#include "protocol/reply_dispatch.h"
#include "protocol/send_all.h"
#include "tests/support/link_fakes.h"

namespace vqx {
namespace {

using namespace std::chrono_literals;
using testing::Box;

constexpr std::string_view kBlankTitleReply =
    "CJ012121212121212121212121212121212121212121\r\n";

class RunAnswersTest : public ::testing::Test {
 protected:
  RunAnswersTest() {
    link.AttachPort(&port);
    settings.Update([](DeviceSettings& s) { LoadDefaultSettings(s); });
  }

  // Ticks the run every 10 ms, each line answered by `device` (the reply,
  // or "" for none) as soon as it is written, until the run stops.
  SequenceTick Run(TimedSequence& sequence,
                   const std::function<std::string(int step)>& device,
                   int ms_per_tick = 10) {
    SequenceTick tick = SequenceTick::kRunning;
    for (int i = 0; i < 100'000 && KeepsTicking(tick); ++i) {
      tick = sequence.OnTick();
      const std::vector<std::string> written = port.written();
      for (; served < written.size(); ++served) {
        const std::string reply = device(static_cast<int>(served) + 1);
        if (!reply.empty()) dispatcher.DispatchReply(reply);
      }
      clock.Advance(std::chrono::milliseconds(ms_per_tick));
    }
    return tick;
  }

  std::size_t LinesWritten() { return port.written().size(); }

  LinkState state;
  LinkConfig config;
  std::atomic<int> slave{0};
  SettingsStore settings;
  testing::RecordingBoxes boxes;
  testing::FakePort port;
  testing::ManualSteadyClock clock;
  Link link{state, config, slave, clock};
  ReplyDispatcher dispatcher{state, config, settings, boxes, clock};
  std::size_t served = 0;
};

// A reply-paced run waiting for the answer to its first line hears a line
// that cannot answer it: it is dispatched (and logged), but the run goes on
// waiting, until the real answer comes.
TEST_F(RunAnswersTest, ReplyPacedRunWaitsForALineThatAnswersItsStep) {
  struct Case {
    const char* what;
    bool read_all;  // else send-all
    bool rs485;     // to address 05
    std::string heard;
    std::string answer;
  };
  const std::string title_line =
      "CJ012121212121212343234823302331212121212121\r\n";
  const Case cases[] = {
      // The echoing adapter, echo tolerance off: a set line's echo reads
      // as a read-back of that very setting.
      {"echo of a set line", false, false, title_line, "GO\r\n"},
      {"echo of a read command", true, false, "RCJ01\r\n",
       std::string(kBlankTitleReply)},
      {"another device's answer", false, true, "06GO\r\n", "05GO\r\n"},
      {"a set line's GO for a read", true, false, "GO\r\n",
       std::string(kBlankTitleReply)},
      {"read-back of another channel", true, false,
       "CJ042121212121212121212121212121212121212121\r\n",
       std::string(kBlankTitleReply)},
      {"late reply of an earlier read-all", true, false, "VN1.00\r\n",
       std::string(kBlankTitleReply)},
      {"garbage", false, false, "\xFE*#~GO\r\n", "GO\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    config.rs_control = c.rs485 ? 1 : 0;
    slave = 5;
    port.ClearWritten();
    boxes.Take();
    ReadAllSequence read_all(state, link);
    SendAllSequence send_all(state, settings, link, boxes);
    TimedSequence& sequence =
        c.read_all ? static_cast<TimedSequence&>(read_all) : send_all;
    ASSERT_TRUE(sequence.PaceByReplies(clock));
    ASSERT_TRUE(sequence.Start());
    ASSERT_EQ(sequence.OnTick(), SequenceTick::kRunning);
    const unsigned lines = state.lines_received;
    dispatcher.DispatchReply(c.heard);
    EXPECT_EQ(state.lines_received, lines + 1);  // dispatched all the same
    EXPECT_FALSE(dispatcher.last_answered());
    for (int i = 0; i < 20; ++i) {
      clock.Advance(10ms);
      ASSERT_EQ(sequence.OnTick(), SequenceTick::kWaiting);
    }
    EXPECT_EQ(LinesWritten(), 1u);
    dispatcher.DispatchReply(c.answer);
    EXPECT_TRUE(dispatcher.last_answered());
    sequence.OnTick();
    clock.Advance(std::chrono::milliseconds(kReplyGuardMs));
    EXPECT_EQ(sequence.OnTick(), SequenceTick::kRunning);
    EXPECT_EQ(LinesWritten(), 2u);
    EXPECT_EQ(state.answers.awaited(), 1u);
    sequence.Abort();
  }
}

// "GN" to chosen lines is counted against each of them, at both paces and
// for the last line too; the run then ends without the "Success" box and
// without the "Mode Error" box, and names the steps.
TEST_F(RunAnswersTest, RefusedStepsAreKnownAtBothPaces) {
  struct Case {
    const char* what;
    bool reply_paced;
    bool read_all;
    std::vector<int> refused;
  };
  const Case cases[] = {
      {"fixed send-all", false, false, {3, 50}},
      {"fixed send-all, the last line", false, false, {78}},
      {"reply-paced send-all", true, false, {3, 78}},
      {"fixed read-all, the version", false, true, {79}},
      {"reply-paced read-all", true, true, {12, 79}},
      {"nothing refused", true, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    port.ClearWritten();
    served = 0;
    state.success_pending = 0;
    ReadAllSequence read_all(state, link);
    SendAllSequence send_all(state, settings, link, boxes);
    TimedSequence& sequence =
        c.read_all ? static_cast<TimedSequence&>(read_all) : send_all;
    if (c.reply_paced) {
      ASSERT_TRUE(sequence.PaceByReplies(clock));
    }
    ASSERT_TRUE(sequence.Start());
    const SequenceTick end = Run(
        sequence,
        [&](int step) -> std::string {
          if (std::find(c.refused.begin(), c.refused.end(), step) !=
              c.refused.end()) {
            return "GN\r\n";
          }
          if (!c.read_all) return "GO\r\n";
          return ReadAllExpectedReply(step) + "\r\n";
        },
        c.reply_paced ? 10 : sequence.plan().period_ms);
    EXPECT_EQ(end, SequenceTick::kFinished);
    EXPECT_EQ(LinesWritten(), static_cast<std::size_t>(sequence.plan().steps));
    std::vector<int> refused;
    for (const Refusal& refusal : sequence.refusals()) {
      refused.push_back(refusal.step);
      EXPECT_EQ(refusal.line, port.written()[refusal.step - 1]);
    }
    EXPECT_EQ(refused, c.refused);
    EXPECT_EQ(state.success_pending, c.refused.empty() ? 1 : 0);
    EXPECT_EQ(boxes.Take(), std::vector<Box>{});
  }
  EXPECT_EQ(SendAllSettingName(3).label, "タイトル ch.03");
  EXPECT_EQ(SendAllSettingName(50).label, "アラーム 保持時間");
  EXPECT_EQ(ReadAllSettingName(12).label, "ビデオ映像の調整 Brightness ch.04");
}

// With echo tolerance on, only the oldest line still due may come back as
// its echo, and only within its window; any other line makes the link
// forget the echoes it expected. What is no echo is dispatched.
TEST_F(RunAnswersTest, EchoesExpire) {
  struct Case {
    const char* what;
    std::vector<std::string> sent;  // bare, one after the other
    std::vector<std::pair<int, std::string>> received;  // after ms, line
    std::vector<bool> dispatched;
  };
  const Case cases[] = {
      {"echo, then reply",
       {"RAD\r\n"},
       {{5, "RAD\r\n"}, {20, "ADON\r\n"}},
       {false, true}},
      {"two echoes in order",
       {"RAD\r\n", "RAM\r\n"},
       {{5, "RAD\r\n"}, {6, "RAM\r\n"}},
       {false, false}},
      {"the newer echo first",
       {"RAD\r\n", "RAM\r\n"},
       {{5, "RAM\r\n"}},
       {true}},
      {"echo too late", {"RAD\r\n"}, {{107, "RAD\r\n"}}, {true}},
      // A device without an echoing adapter: the reply comes and the line
      // is forgotten, so a later read-back with the same text is stored.
      {"reply first, then the same text",
       {"ADON\r\n"},
       {{20, "GO\r\n"}, {21, "ADON\r\n"}},
       {true, true}},
  };
  // The window: the line's time on the wire at 9600 baud, plus 100 ms.
  EXPECT_EQ(SentLineEchoes::EchoWindow(5), 106ms);
  EXPECT_EQ(SentLineEchoes::EchoWindow(46), 153ms);
  EXPECT_EQ(SentLineEchoes::EchoWindow(599), 787ms);
  config.echo = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    state.echoes.Clear();
    for (const std::string& line : c.sent) link.SendCommand(line);
    const std::chrono::milliseconds sent_at = clock.Now();
    std::vector<bool> dispatched;
    for (const auto& [after, line] : c.received) {
      clock.Advance(sent_at + std::chrono::milliseconds(after) - clock.Now());
      const unsigned before = state.lines_received;
      dispatcher.DispatchReply(line);
      dispatched.push_back(state.lines_received != before);
    }
    EXPECT_EQ(dispatched, c.dispatched);
    clock.Advance(1s);
  }
  boxes.Take();
}

// The version answers "RVN": the read-all's last line raises "Success" and
// is kept as the device's version. A version line that answers an address
// scan's probe raises nothing and is not kept, even when it comes after the
// scan is over.
TEST_F(RunAnswersTest, OnlyTheReadAllsVersionRaisesSuccessAndIsKept) {
  config.rs_control = 1;
  AddressScan scan(state, config, link, dispatcher.version_replies(), clock);
  ASSERT_EQ(scan.Start(), ScanStart::kStarted);
  for (int i = 0; i < 10'000 && scan.OnTick() != ScanTick::kFinished; ++i) {
    clock.Advance(10ms);
  }
  ASSERT_FALSE(scan.running());
  dispatcher.DispatchReply("31VN1.00\r\n");  // the last probe's late answer
  RunLinkTimerDuty(state, boxes);
  EXPECT_EQ(boxes.Take(), std::vector<Box>{});
  EXPECT_EQ(dispatcher.version_replies().RunAnswer(), "");

  slave = 31;
  port.ClearWritten();
  served = 0;
  ReadAllSequence read_all(state, link);
  ASSERT_TRUE(read_all.PaceByReplies(clock));
  ASSERT_TRUE(read_all.Start());
  EXPECT_EQ(Run(read_all,
                [&](int step) {
                  return "31" +
                         (step == kReadAllSteps ? std::string("VN2.10")
                                                : ReadAllExpectedReply(step)) +
                         "\r\n";
                }),
            SequenceTick::kFinished);
  RunLinkTimerDuty(state, boxes);
  EXPECT_EQ(boxes.Take(), (std::vector<Box>{{"success", "Success"}}));
  EXPECT_EQ(dispatcher.version_replies().RunAnswer(), "2.10");
  // A scan forgets the addresses' versions, not the read-all's.
  dispatcher.version_replies().Clear();
  EXPECT_EQ(dispatcher.version_replies().RunAnswer(), "2.10");
}

}  // namespace
}  // namespace vqx
