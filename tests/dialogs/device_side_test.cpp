// The dialogs' view of the connection: what a dialog changes through its
// device side is what the connection frames, sends and records with.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/dialog.h"
#include "tests/support/fakes.h"
#include "tests/support/link_fakes.h"

namespace vqx {
namespace {

using Strings = std::vector<std::string>;

class DeviceSideTest : public ::testing::Test {
 protected:
  DeviceSideTest() { connection_.Attach(&port_); }

  SettingsStore settings_;
  testing::RecordingBoxes boxes_;
  testing::ManualSteadyClock steady_clock_;
  testing::FixedClock clock_;
  testing::PassThroughCodec codec_;
  TrafficLog log_{clock_, codec_};
  testing::FakePort port_;
  Connection connection_{settings_, boxes_, steady_clock_};
  DeviceSide device_ = DeviceSideOf(connection_, log_);
};

// The wiring and the address a dialog chooses reach the wire; a probe
// goes to its own address and leaves the chosen one alone.
TEST_F(DeviceSideTest, SendsThroughTheConnectionWithTheChosenAddress) {
  EXPECT_EQ(&device_.state, &connection_.state());
  EXPECT_EQ(&device_.config, &connection_.config());
  EXPECT_EQ(&device_.read_backs, &connection_.read_backs());
  EXPECT_EQ(&device_.versions, &connection_.version_replies());
  EXPECT_EQ(&device_.traffic_log, &log_);

  device_.sink.SendCommand("RVN\r\n");
  device_.config.rs_control = 1;
  device_.slave_address = 5;
  device_.sink.SendCommand("RVN\r\n");
  device_.probes.SendProbe("RVN\r\n", 17);
  device_.slave_address = kBroadcastAddress;
  device_.sink.SendCommand("AME\r\n");
  EXPECT_EQ(port_.written(),
            (Strings{"RVN\r\n", "05RVN\r\n", "17RVN\r\n", "FFAME\r\n"}));
  EXPECT_EQ(connection_.slave_address(), kBroadcastAddress);
  EXPECT_EQ(connection_.state().sends_awaiting_reply, 3u);  // not the broadcast
}

}  // namespace
}  // namespace vqx
