#include "transport/writer_thread_port.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/link_fakes.h"

namespace vqx {
namespace {

// A port that is down until told otherwise; a write may be held until the
// test lets it go, as a connect waits out its time-out.
class FlakyPort : public testing::FakePort {
 public:
  bool Write(std::string_view bytes) override {
    attempts.push_back(std::string(bytes));
    if (hold) held.get_future().wait();
    if (!up) return false;
    return FakePort::Write(bytes);
  }
  std::atomic<bool> up{true};
  bool hold = false;
  std::promise<void> held;
  std::vector<std::string> attempts;  // writer thread only until idle
};

TEST(WriterThreadPortTest, WritesGoOutInOrderAfterWhatWasPostedFirst) {
  FlakyPort port;
  std::vector<std::string> order;
  WriterThreadPort writer(port, [] { FAIL() << "nothing fails"; });
  writer.Post([&] { order.push_back("connect"); });
  EXPECT_TRUE(writer.Write("RVN\r\n"));
  EXPECT_TRUE(writer.Write("RAM\r\n"));
  writer.WaitUntilIdle();
  EXPECT_EQ(order, std::vector<std::string>{"connect"});
  EXPECT_EQ(port.written(), (std::vector<std::string>{"RVN\r\n", "RAM\r\n"}));
}

// A write that fails while the caller queues more is reported once; what
// was queued meanwhile is dropped, and the next write tries again.
TEST(WriterThreadPortTest, AFailureIsReportedOnceAndTheQueueBehindItDropped) {
  FlakyPort port;
  port.up = false;
  port.hold = true;
  int failures = 0;
  WriterThreadPort writer(port, [&] { ++failures; });
  writer.Write("AME\r\n");
  writer.Write("VLF1\r\n");  // queued while the first waits
  writer.Write("VLF2\r\n");
  port.held.set_value();
  writer.WaitUntilIdle();
  EXPECT_EQ(failures, 1);
  EXPECT_EQ(port.attempts, std::vector<std::string>{"AME\r\n"});
  port.hold = false;
  port.up = true;
  writer.Write("RVN\r\n");
  writer.WaitUntilIdle();
  EXPECT_EQ(failures, 1);
  EXPECT_EQ(port.written(), std::vector<std::string>{"RVN\r\n"});
}

TEST(WriterThreadPortTest, ReadsPassThrough) {
  FlakyPort port;
  WriterThreadPort writer(port, {});
  port.Receive("GO\r\n");
  char buffer[16];
  ASSERT_EQ(writer.WaitAndRead(buffer), 4u);
  EXPECT_EQ(std::string(buffer, 4), "GO\r\n");
  writer.CancelRead();
  EXPECT_EQ(writer.WaitAndRead(buffer), 0u);
}

}  // namespace
}  // namespace vqx
