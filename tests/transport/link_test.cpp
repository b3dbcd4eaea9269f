#include "transport/link.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/link_fakes.h"

namespace vqx {
namespace {

TEST(FrameCommandTest, FramesForTheWiring) {
  struct Case {
    int rs_control;
    int slave;
    std::string expected;
  };
  const Case cases[] = {
      {0, 0, "RVN\r\n"},    // RS-232C: the command alone
      {0, 32, "RVN\r\n"},   // the address list does not matter on RS-232C
      {1, 5, "05RVN\r\n"},  // RS-485: two-digit address
      {1, 0, "00RVN\r\n"},
      {1, 31, "31RVN\r\n"},
      {1, 32, "FFRVN\r\n"},  // broadcast
      {1, 40, "FFRVN\r\n"},
      {2, 7, "07RVN\r\n"},  // any non-zero value means RS-485
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FrameCommand("RVN\r\n", c.rs_control, c.slave), c.expected)
        << c.rs_control << " " << c.slave;
  }
}

class LinkTest : public ::testing::Test {
 protected:
  LinkState state;
  LinkConfig config;
  std::atomic<int> slave{0};
  testing::FakePort port;
  Link link{state, config, slave};
};

TEST_F(LinkTest, Rs232WritesExactlyTheCommandAndAwaitsAReply) {
  link.AttachPort(&port);
  link.SendCommand("RVN\r\n");
  EXPECT_EQ(port.written(), std::vector<std::string>{"RVN\r\n"});
  EXPECT_EQ(state.reply_awaited, 1);
}

TEST_F(LinkTest, Rs485AddressesTheSelectedDevice) {
  link.AttachPort(&port);
  config.rs_control = 1;
  slave = 5;
  link.SendCommand("RVN\r\n");
  EXPECT_EQ(state.reply_awaited, 1);
  slave = 31;
  link.SendCommand("RAM\r\n");
  EXPECT_EQ(port.written(),
            (std::vector<std::string>{"05RVN\r\n", "31RAM\r\n"}));
}

TEST_F(LinkTest, BroadcastAwaitsNoReply) {
  link.AttachPort(&port);
  config.rs_control = 1;
  slave = kBroadcastAddress;
  link.SendCommand("RVN\r\n");
  EXPECT_EQ(port.written(), std::vector<std::string>{"FFRVN\r\n"});
  EXPECT_EQ(state.reply_awaited, 0);
}

TEST_F(LinkTest, SendWithoutPortStillAwaitsAReply) {
  // The port did not open: the send fails silently and the watchdog will
  // report the missing reply.
  link.SendCommand("RVN\r\n");
  EXPECT_EQ(state.reply_awaited, 1);
}

TEST_F(LinkTest, LongestLineIsSentAndLongerIsRefused) {
  link.AttachPort(&port);
  config.rs_control = 1;
  slave = 3;
  const std::string fits = std::string(597 - 2, 'A') + "\r\n";  // 599 framed
  link.SendCommand(fits);
  ASSERT_EQ(port.written().size(), 1u);
  EXPECT_EQ(port.written()[0].size(), 599u);

  state.reply_awaited = 0;
  link.SendCommand(std::string(596, 'A') + "\r\n");  // 600 framed
  EXPECT_EQ(port.written().size(), 1u);
  EXPECT_EQ(state.reply_awaited, 0);
}

}  // namespace
}  // namespace vqx
