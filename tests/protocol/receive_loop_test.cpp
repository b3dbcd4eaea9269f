#include "transport/receive_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "protocol/reply_dispatch.h"
#include "tests/support/link_fakes.h"
#include "transport/link.h"

namespace vqx {
namespace {

class ReceiveLoopTest : public ::testing::Test {
 protected:
  ReceiveLoopTest() {
    settings.Update([](DeviceSettings& s) { LoadDefaultSettings(s); });
    dispatcher.SetObserver(
        [this](std::string_view work_copy) { seen.emplace_back(work_copy); });
  }

  void StartThread() {
    state.receive_running = 1;
    thread = std::thread([this] { RunReceiveLoop(port, state, dispatcher); });
  }

  void StopThread() {
    state.receive_running = 0;
    port.CancelRead();
    thread.join();
  }

  LinkState state;
  LinkConfig config;
  SettingsStore settings;
  testing::RecordingBoxes boxes;
  testing::ManualSteadyClock clock;
  ReplyDispatcher dispatcher{state, config, settings, boxes, clock};
  testing::FakePort port;
  std::thread thread;
  std::vector<std::string> seen;  // receive thread only until joined
};

TEST_F(ReceiveLoopTest, ReturnsAtOnceWhenNotRunning) {
  state.receive_running = 0;
  port.Receive("GO\r\n");
  RunReceiveLoop(port, state, dispatcher);
  EXPECT_TRUE(seen.empty());
}

TEST_F(ReceiveLoopTest, DispatchesEveryLineAcrossReads) {
  StartThread();
  port.Receive("AMENU\r\nG");
  port.Receive("O\r\nVLFFFF");
  port.Receive("FFFF\r\nE3\r");
  port.Receive("\n");
  port.WaitUntilDrained();
  StopThread();
  EXPECT_EQ(seen, (std::vector<std::string>{"AMENU\r\n", "GO\r\n",
                                            "VLFFFFFFFF\r\n", "E3\r\n"}));
  EXPECT_EQ(settings.Snapshot().vloss_detect[7], 0);
  EXPECT_EQ(boxes.Take(),
            (std::vector<testing::Box>{{"error", "Command Error"}}));
  EXPECT_EQ(state.success_pending, 1);
  EXPECT_EQ(state.reply_error, 1);
}

// The receive thread stores a stream of read-back lines while the user
// interface thread reads the record, sends, runs the timer duty and drives
// the read-all flags. Run under ThreadSanitizer this must report nothing.
TEST_F(ReceiveLoopTest, ReceiveThreadAndUserInterfaceShareStateSafely) {
  config.rs_control = 1;
  std::atomic<int> slave{3};
  Link link(state, config, slave, clock);
  link.AttachPort(&port);
  StartThread();

  const char* replies[] = {"03VLFNFNFNFN\r\n",
                           "03VAB05127\r\n",
                           "03CASTM0102030405060708091011121",
                           "3\r\n03GO\r\n",
                           "03CJ0223412121234221212121212121212121212121\r\n",
                           "03ADT045\r\n",
                           "03E3\r\n",
                           "03SPD90807060504030201\r\n",
                           "03VN0100\r\n",
                           "03GN\r\n"};
  constexpr int kRounds = 200;
  std::thread feeder([&] {
    for (int round = 0; round < kRounds; ++round) {
      for (const char* reply : replies) port.Receive(reply);
    }
  });

  int reads = 0;
  for (int i = 0; i < 2000; ++i) {
    const DeviceSettings snapshot = settings.Snapshot();
    reads += snapshot.adjust_brightness[4] + snapshot.layout_9[0];
    link.SendCommand("RVN\r\n");
    RunLinkTimerDuty(state, boxes);
    state.sequence_step = i % 2;
    if (state.reply_error == 1) state.reply_error = 0;
  }
  feeder.join();
  port.WaitUntilDrained();
  StopThread();

  const DeviceSettings s = settings.Snapshot();
  EXPECT_GT(reads, 0);
  EXPECT_EQ(s.adjust_brightness[4], 63);
  EXPECT_EQ(s.vloss_detect[0], 0);
  EXPECT_EQ(s.layout_9[0], 7);
  EXPECT_EQ(s.seq_dwell[12], 13);
  EXPECT_STREQ(s.alarm_hold_time, "045");
  EXPECT_EQ(s.dirty, 0);
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kRounds) * 10);
}

}  // namespace
}  // namespace vqx
