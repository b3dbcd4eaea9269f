#include "protocol/connection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fakes.h"
#include "tests/support/link_fakes.h"

namespace vqx {
namespace {

using std::chrono::milliseconds;

class ConnectionTest : public ::testing::Test {
 protected:
  ConnectionTest() { connection.SetTrafficLog(&log); }

  std::vector<std::string> Logged() {
    std::vector<std::string> lines;
    for (const TrafficEntry& entry : log.Snapshot()) {
      lines.push_back(
          (entry.direction == TrafficDirection::kSent ? "> " : "< ") +
          entry.text + (entry.meaning.empty() ? "" : " " + entry.meaning));
    }
    return lines;
  }

  SettingsStore settings;
  testing::RecordingBoxes boxes;
  testing::ManualSteadyClock steady_clock;
  testing::FixedClock clock;
  testing::PassThroughCodec codec;
  TrafficLog log{clock, codec};
  testing::FakePort port;
  Connection connection{settings, boxes, steady_clock};
};

// A command goes out through the attached port, its answer comes back on
// the receive thread into the record and its box, and the traffic log sees
// both lines with the answer's meaning.
TEST_F(ConnectionTest, CarriesACommandAndItsAnswerBothWays) {
  connection.Attach(&port);
  ASSERT_TRUE(connection.Start());
  EXPECT_TRUE(connection.receiving());
  EXPECT_EQ(connection.state().receive_running, 1);
  connection.link().SendCommand("RAM\r\n");
  EXPECT_EQ(port.written(), std::vector<std::string>{"RAM\r\n"});
  port.Receive("AM1\r\n");
  port.Receive("E3\r\n");
  port.WaitUntilDrained();
  EXPECT_TRUE(connection.Stop());
  EXPECT_FALSE(connection.receiving());
  EXPECT_EQ(connection.state().receive_running, 0);
  EXPECT_EQ(settings.Snapshot().alarm_mode, 1);
  EXPECT_EQ(boxes.Take(),
            (std::vector<testing::Box>{{"error", "Command Error"}}));
  const std::vector<std::string> logged = Logged();
  ASSERT_EQ(logged.size(), 3u);
  EXPECT_EQ(logged[0], "> RAM<CR><LF>");
  EXPECT_EQ(logged[2].rfind("< E3<CR><LF> ", 0), 0u) << logged[2];
}

// Another port replaces the first only once the thread reading the first
// has ended; nothing reads the new one until Start.
TEST_F(ConnectionTest, AttachingAnotherPortStopsTheReceiveThreadFirst) {
  connection.Attach(&port);
  ASSERT_TRUE(connection.Start());
  testing::FakePort other;
  connection.Attach(&other);
  EXPECT_FALSE(connection.receiving());
  EXPECT_EQ(connection.state().receive_running, 0);
  EXPECT_EQ(connection.port(), &other);
  connection.link().SendCommand("RVN\r\n");
  EXPECT_TRUE(port.written().empty());
  EXPECT_EQ(other.written(), std::vector<std::string>{"RVN\r\n"});
  ASSERT_TRUE(connection.Start());
  other.Receive("GO\r\n");
  other.WaitUntilDrained();
  EXPECT_TRUE(connection.Stop(milliseconds(2000)));
  EXPECT_EQ(connection.state().lines_received, 1u);
}

TEST_F(ConnectionTest, NoThreadWithoutAPortAndStopIsHarmlessTwice) {
  EXPECT_FALSE(connection.Start());
  EXPECT_EQ(connection.state().receive_running, 0);
  EXPECT_TRUE(connection.Stop());
  connection.Attach(&port);
  ASSERT_TRUE(connection.Start());
  EXPECT_FALSE(connection.Start());  // one receive thread at a time
  EXPECT_TRUE(connection.Stop());
  EXPECT_TRUE(connection.Stop());
}

}  // namespace
}  // namespace vqx
