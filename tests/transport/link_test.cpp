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
  testing::ManualSteadyClock clock;
  Link link{state, config, slave, clock};
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

// Records what the link reports to the traffic log.
class RecordingTap : public SentLineTap {
 public:
  void OnLineSent(std::string_view framed_line, bool addressed) override {
    lines.emplace_back(framed_line);
    addressed_flags.push_back(addressed);
  }
  std::vector<std::string> lines;
  std::vector<bool> addressed_flags;
};

// What each kind of send leaves behind: the line on the port, the tap's
// copy, the watchdog, the count of lines awaiting a reply and the echo
// memory.
TEST_F(LinkTest, EverySendIsTappedCountedAndNotedForItsEcho) {
  struct Case {
    const char* what;
    int rs_control;
    int echo;
    bool probe;
    int address;  // the chosen address, or the probe's
    std::string line;
    int reply_awaited;
    unsigned awaiting;
    bool echo_noted;
  };
  const Case cases[] = {
      {"RS-232C", 0, 0, false, 0, "RVN\r\n", 1, 1, false},
      {"RS-485", 1, 0, false, 5, "05RVN\r\n", 1, 1, false},
      {"broadcast", 1, 0, false, kBroadcastAddress, "FFRVN\r\n", 0, 0, false},
      {"echo on", 1, 1, false, 5, "05RVN\r\n", 1, 1, true},
      {"echo on, broadcast", 1, 1, false, 32, "FFRVN\r\n", 0, 0, true},
      {"probe", 1, 0, true, 17, "17RVN\r\n", 0, 1, false},
      {"probe, echo on", 1, 1, true, 3, "03RVN\r\n", 0, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LinkState state;
    LinkConfig config;
    std::atomic<int> slave{c.probe ? 9 : c.address};
    testing::FakePort port;
    RecordingTap tap;
    testing::ManualSteadyClock clock;
    Link link(state, config, slave, clock);
    link.AttachPort(&port);
    link.AttachTap(&tap);
    config.rs_control = c.rs_control;
    config.echo = c.echo;
    if (c.probe) {
      link.SendProbe("RVN\r\n", c.address);
    } else {
      link.SendCommand("RVN\r\n");
    }
    EXPECT_EQ(port.written(), std::vector<std::string>{c.line});
    EXPECT_EQ(tap.lines, std::vector<std::string>{c.line});
    EXPECT_EQ(tap.addressed_flags, std::vector<bool>{c.rs_control != 0});
    EXPECT_EQ(state.reply_awaited, c.reply_awaited);
    EXPECT_EQ(state.sends_awaiting_reply, c.awaiting);
    EXPECT_EQ(state.echoes.Take(c.line, clock.Now()), c.echo_noted);
  }
}

TEST_F(LinkTest, RefusedLineIsNeitherTappedNorCounted) {
  RecordingTap tap;
  link.AttachTap(&tap);
  config.echo = 1;
  link.SendCommand(std::string(598, 'A') + "\r\n");
  EXPECT_TRUE(tap.lines.empty());
  EXPECT_EQ(state.sends_awaiting_reply, 0u);
  link.AttachTap(nullptr);
  link.SendCommand("RVN\r\n");
  EXPECT_TRUE(tap.lines.empty());
  EXPECT_EQ(state.sends_awaiting_reply, 1u);
}

}  // namespace
}  // namespace vqx
