// The address scan driven by a hand-moved clock, over the real link and
// reply dispatch; the test plays the devices on the line.
#include "protocol/address_scan.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "protocol/read_all.h"
#include "protocol/reply_dispatch.h"
#include "tests/support/link_fakes.h"

namespace vqx {
namespace {

using namespace std::chrono_literals;

class AddressScanTest : public ::testing::Test {
 protected:
  AddressScanTest() {
    config.rs_control = 1;
    link.AttachPort(&port);
  }

  // The devices answer every line addressed to them, as soon as it is
  // written; with `echo` the line adapter first sends each line back.
  void Serve() {
    const std::vector<std::string> written = port.written();
    for (; served < written.size(); ++served) {
      const std::string& line = written[served];
      if (echo) dispatcher.DispatchReply(line);
      auto device = devices.find(line.substr(0, 2));
      if (device != devices.end()) {
        dispatcher.DispatchReply(device->first + device->second + "\r\n");
      }
    }
  }

  // Ticks every 10 ms until the scan is over; returns the time it took.
  std::chrono::milliseconds RunScan() {
    const std::chrono::milliseconds start = clock.Now();
    for (int tick = 0; tick < 100'000; ++tick) {
      if (scan.OnTick() == ScanTick::kFinished) break;
      Serve();
      RunLinkTimerDutyEvery300ms();
      clock.Advance(10ms);
    }
    return clock.Now() - start;
  }

  void RunLinkTimerDutyEvery300ms() {
    if (clock.Now().count() % 300 == 0) RunLinkTimerDuty(state, boxes);
  }

  std::vector<std::string> Probes() {
    std::vector<std::string> probes;
    for (const std::string& line : port.written()) {
      if (!line.ends_with("RVN\r\n") || line.size() != 7) continue;
      probes.push_back(line.substr(0, 2));
    }
    return probes;
  }

  LinkState state;
  LinkConfig config;
  std::atomic<int> slave{9};
  SettingsStore settings;
  testing::RecordingBoxes boxes;
  testing::FakePort port;
  testing::ManualSteadyClock clock;
  Link link{state, config, slave, clock};
  ReplyDispatcher dispatcher{state, config, settings, boxes, clock};
  AddressScan scan{state, config, link, dispatcher.version_replies(), clock};
  std::map<std::string, std::string> devices{{"03", "VN1.00"},
                                             {"17", "VN2.10"}};
  bool echo = false;
  std::size_t served = 0;
};

TEST_F(AddressScanTest, FindsEveryDeviceAskingOneAddressAtATime) {
  ASSERT_EQ(scan.Start(), ScanStart::kStarted);
  EXPECT_EQ(scan.tick_period_ms(), kScanTickMs);
  const std::chrono::milliseconds took = RunScan();
  EXPECT_EQ(scan.answers(),
            (std::vector<ScanAnswer>{{3, "VN1.00"}, {17, "VN2.10"}}));
  EXPECT_EQ(scan.addresses_done(), kScanAddresses);
  EXPECT_FALSE(scan.running());
  // Every address once, in order.
  std::vector<std::string> expected;
  for (int a = 0; a < kScanAddresses; ++a) {
    expected.push_back((a < 10 ? "0" : "") + std::to_string(a));
  }
  EXPECT_EQ(Probes(), expected);
  // A silent address costs the time-out, an answering one hardly anything.
  EXPECT_GE(took, 30 * kScanReplyTimeout);
  EXPECT_LE(took, 30 * kScanReplyTimeout + 2 * 100ms);
  // Neither the watchdog nor a "Success" box: the scan waits on its own.
  EXPECT_EQ(state.reply_awaited, 0);
  EXPECT_TRUE(boxes.Take().empty());
  EXPECT_EQ(state.success_pending, 0);
  EXPECT_EQ(state.sequence_step, 0);
  EXPECT_EQ(state.address_scan_running, 0);
  // The address the user chose is left alone.
  EXPECT_EQ(slave, 9);
}

TEST_F(AddressScanTest, StartIsRefusedOnRs232AndWhileAnythingRuns) {
  config.rs_control = 0;
  EXPECT_EQ(scan.Start(), ScanStart::kNotRs485);
  config.rs_control = 1;
  state.sequence_step = 4;  // a read-all, say
  EXPECT_EQ(scan.Start(), ScanStart::kBusy);
  EXPECT_EQ(scan.OnTick(), ScanTick::kFinished);
  EXPECT_TRUE(port.written().empty());
  state.sequence_step = 0;

  ASSERT_EQ(scan.Start(), ScanStart::kStarted);
  EXPECT_EQ(scan.Start(), ScanStart::kBusy);
  testing::RecordingSink sink;
  ReadAllSequence read_all(state, sink);
  EXPECT_FALSE(read_all.Start());  // the interlock holds during the scan
  scan.OnTick();
  EXPECT_NE(state.sequence_step, 0);
}

TEST_F(AddressScanTest, StopKeepsTheAnswersSoFar) {
  ASSERT_EQ(scan.Start(), ScanStart::kStarted);
  while (scan.addresses_done() < 4) {
    scan.OnTick();
    Serve();
    clock.Advance(10ms);
  }
  scan.Stop();
  EXPECT_FALSE(scan.running());
  EXPECT_EQ(scan.answers(), (std::vector<ScanAnswer>{{3, "VN1.00"}}));
  EXPECT_EQ(state.sequence_step, 0);
  EXPECT_EQ(state.address_scan_running, 0);
  const std::size_t sent = port.written().size();
  EXPECT_EQ(scan.OnTick(), ScanTick::kFinished);
  EXPECT_EQ(port.written().size(), sent);
  scan.Stop();  // idle: nothing happens
  // A new scan forgets the old answers.
  ASSERT_EQ(scan.Start(), ScanStart::kStarted);
  EXPECT_TRUE(scan.answers().empty());
}

TEST_F(AddressScanTest, LateAnswerIsStillTaken) {
  devices.clear();
  ASSERT_EQ(scan.Start(), ScanStart::kStarted);
  scan.OnTick();  // asks 00
  clock.Advance(kScanReplyTimeout);
  scan.OnTick();                             // gives up on 00, asks 01
  dispatcher.DispatchReply("00VN3.00\r\n");  // 00 after all
  clock.Advance(kScanReplyTimeout);
  scan.OnTick();
  EXPECT_EQ(scan.answers(), (std::vector<ScanAnswer>{{0, "VN3.00"}}));
}

// Through an echoing adapter the scan finds the same devices, with echo
// tolerance on or off: an echoed "RVN" is no version line.
TEST_F(AddressScanTest, EchoedLinesAreNoAnswers) {
  echo = true;
  for (int tolerance : {1, 0}) {
    SCOPED_TRACE(tolerance);
    config.echo = tolerance;
    ASSERT_EQ(scan.Start(), ScanStart::kStarted);
    RunScan();
    EXPECT_EQ(scan.answers(),
              (std::vector<ScanAnswer>{{3, "VN1.00"}, {17, "VN2.10"}}));
  }
}

}  // namespace
}  // namespace vqx
