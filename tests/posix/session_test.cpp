// The termios port, the receive thread and the core's sequences against the
// simulated device over real pseudo-terminals. The sequences run at a short
// step period so that each full pass takes a second or two; their pacing at
// the real periods is measured by the benchmark instead.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "files/settings_file.h"
#include "posix/device_session.h"
#include "posix/platform_posix.h"
#include "posix/posix_error.h"
#include "posix/serial_port_posix.h"
#include "posix/sim/device_model.h"
#include "posix/sim/pty_device.h"
#include "protocol/connection.h"
#include "tests/posix/process_support.h"
#include "tests/support/default_settings.h"
#include "tests/support/scratch_folder.h"

namespace vqx {
namespace {

using namespace std::chrono_literals;
using sim::DeviceModel;
using sim::DeviceOptions;
using sim::Fault;

// The simulated device serving a pseudo-terminal on its own thread.
class DeviceOnPty {
 public:
  explicit DeviceOnPty(DeviceOptions options = {},
                       const DeviceSettings* state = nullptr,
                       sim::PtyDeviceOptions pty_options = {})
      : DeviceOnPty(std::vector<DeviceModel>{MakeModel(options, state)},
                    std::move(pty_options)) {}
  // Several devices on one line.
  DeviceOnPty(std::vector<DeviceModel> models,
              sim::PtyDeviceOptions pty_options)
      : device_(std::move(models), std::move(pty_options)), thread_([this] {
          try {
            device_.Run();
          } catch (const std::exception& error) {
            failure_ = error.what();
          }
        }) {}
  ~DeviceOnPty() {
    device_.Stop();
    thread_.join();
    EXPECT_EQ(failure_, "");
  }

  const std::string& path() const { return device_.slave_path(); }
  DeviceSettings state() {
    return device_.WithModel([](DeviceModel& m) { return m.state(); });
  }
  int commands_seen() {
    return device_.WithModel([](DeviceModel& m) { return m.commands_seen(); });
  }

 private:
  static DeviceModel MakeModel(const DeviceOptions& options,
                               const DeviceSettings* state) {
    DeviceModel model(options);
    if (state != nullptr) model.set_state(*state);
    return model;
  }

  sim::PtyDevice device_;
  std::string failure_;
  std::thread thread_;
};

SessionOptions On(const std::string& path, bool rs485 = false,
                  int address = 0) {
  SessionOptions options;
  options.port_path = path;
  options.rs485 = rs485;
  options.address = address;
  return options;
}

Pacing Fast(std::chrono::milliseconds step = 20ms) {
  Pacing pacing;
  pacing.step_period = step;
  pacing.final_reply_timeout = 2000ms;
  return pacing;
}

using testing::SetTitle;

// A configuration far from the factory state, every value one the device
// can hold: every group changed, titles with kana, kanji and inner spaces.
DeviceSettings Changed() {
  DeviceSettings s;
  LoadDefaultSettings(s);
  s.alarm_mode = 1;
  s.alarm_polarity = 1;
  std::memcpy(s.alarm_hold_time, "120", 4);
  s.alarm_return = 0;
  s.alarm_display = 0;
  for (int ch = 0; ch < kChannelCount; ++ch) {
    s.vloss_detect[ch] = ch % 2;
    s.adjust_brightness[ch] = ch * 17;  // both sides of the wire rule
    s.adjust_contrast[ch] = 127 - ch;
    s.adjust_sharpness[ch] = 31 - ch * 3;
    s.adjust_hue[ch] = 255 - ch * 30;
    s.adjust_saturation[ch] = ch * 15;
    s.format_video[ch] = (ch + 3) % 7;
    s.agc_enable[ch] = ch % 3 == 0 ? 0 : 1;
  }
  s.vloss_display = 0;
  s.vloss_signal_output = 1;
  s.vloss_background = 1;
  s.clock_display = 0;
  s.clock_display_range = 7;
  s.title_single_screen = 0;
  s.title_split_screen = 0;
  s.misc_osd_size_single = 0;
  s.misc_osd_size_split = 1;
  s.seq_mode = 1;
  for (int i = 0; i < kSequenceEntryCount; ++i) s.seq_dwell[i] = 99 - 7 * i;
  s.misc_connector_input = 1;
  s.misc_border_line = 3;
  s.misc_power_on_screen = 4;
  s.misc_osd_offset_h = 15;
  s.misc_osd_offset_v = 0;
  for (int i = 0; i < 4; ++i) s.layout_4a[i] = 7 - i;
  for (int i = 0; i < 4; ++i) s.layout_4b[i] = i;
  for (int i = 0; i < 6; ++i) s.layout_6a[i] = (i * 3) % 8;
  for (int i = 0; i < 6; ++i) s.layout_6b[i] = 7;
  for (int i = 0; i < 8; ++i) s.layout_9[i] = (i + 5) % 8;
  s.misc_ntsc_aspect = 1;
  SetTitle(s, 0, "\x93\xFA\x96\x7B");                  // 日本
  SetTitle(s, 1, "\x82\x60\x81\x40\x82\x61");          // Ａ　Ｂ
  SetTitle(s, 2, "\x83\x41\x83\x43\x83\x45\x83\x47");  // アイウエ
  SetTitle(s, 5,
           "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40"
           "\x81\x40\x81\x40\x81\x40\x81\x40\x82\x79");  // 9 spaces, Ｚ
  SetTitle(s, 7, "");
  return s;
}

// What both sides must agree on: the device keeps ten characters per title
// (trailing ideographic spaces are padding), and the title positions, the
// two-pane layout and the DSS mode travel in neither direction.
std::string Comparable(DeviceSettings s, const DeviceSettings& reference) {
  for (auto& title : s.title_text) {
    std::size_t length = std::strlen(title);
    while (length >= 2 &&
           static_cast<unsigned char>(title[length - 2]) == 0x81 &&
           static_cast<unsigned char>(title[length - 1]) == 0x40) {
      length -= 2;
    }
    std::memset(title + length, 0, kTitleBufferBytes - length);
  }
  std::memcpy(s.title_pos_x, reference.title_pos_x, sizeof s.title_pos_x);
  std::memcpy(s.title_pos_y, reference.title_pos_y, sizeof s.title_pos_y);
  std::memcpy(s.layout_2, reference.layout_2, sizeof s.layout_2);
  s.misc_dss_mode = reference.misc_dss_mode;
  return WriteSettingsText(s);
}

std::filesystem::path TempFile(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         (name + "-" + std::to_string(getpid()) + ".dat");
}

TEST(PosixSerialPortTest, OpenErrorsNameTheCallAndTheSystemText) {
  try {
    PosixSerialPort port("/nonexistent/ttyS9");
    FAIL() << "opened a missing port";
  } catch (const PosixError& error) {
    EXPECT_STREQ(error.what(),
                 "open /nonexistent/ttyS9: No such file or directory");
  }
  EXPECT_THROW(PosixSerialPort("/dev/null"), PosixError);  // not a terminal
}

TEST(PosixSerialPortTest, LineSettingsInTermiosForm) {
  termios t{};
  t.c_iflag = ICRNL | INPCK | IXANY;
  t.c_oflag = OPOST | ONLCR;
  t.c_lflag = ICANON | ECHO | ISIG;
  t.c_cflag = CS7 | PARODD | CSTOPB;
  ApplyLineSettings(t, kLineSettings);
  EXPECT_EQ(cfgetospeed(&t), B9600);
  EXPECT_EQ(cfgetispeed(&t), B9600);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_TRUE(t.c_cflag & PARENB);
  EXPECT_FALSE(t.c_cflag & PARODD);
  EXPECT_FALSE(t.c_cflag & CSTOPB);
  EXPECT_TRUE(t.c_cflag & CRTSCTS);
  EXPECT_TRUE(t.c_cflag & CREAD);
  EXPECT_FALSE(t.c_iflag & (INPCK | ICRNL | IXANY));
  EXPECT_TRUE(t.c_iflag & IXON);
  EXPECT_TRUE(t.c_iflag & IXOFF);
  EXPECT_EQ(t.c_cc[VSTART], 0x11);
  EXPECT_EQ(t.c_cc[VSTOP], 0x13);
  EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
  EXPECT_FALSE(t.c_oflag & OPOST);
  EXPECT_EQ(t.c_cc[VMIN], 0);
}

// The device resets the line settings once it sees the last peer go, on
// its own thread, so each opening after the first waits until the device
// has done that: a reset that came late would undo the new port's settings.
TEST(PosixSerialPortTest, OpensAPseudoTerminalAgainAndAgain) {
  testing::ScratchFolder folder("vqx_reopen");
  const std::filesystem::path log_path = folder / "device.log";
  // Closed after the device, which writes to it until it stops.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> log(
      std::fopen(log_path.c_str(), "w"), &std::fclose);
  ASSERT_NE(log, nullptr);
  sim::PtyDeviceOptions options;
  options.log = log.get();
  DeviceOnPty device({}, nullptr, options);
  const auto resets_logged = [&] {
    const std::string text = testing::ReadText(log_path);
    int count = 0;
    for (std::size_t at = text.find("line settings reset");
         at != std::string::npos;
         at = text.find("line settings reset", at + 1)) {
      ++count;
    }
    return count;
  };
  for (int i = 0; i < 3; ++i) {
    // Without inotify the device never resets the line: then the wait
    // simply runs out.
    for (int tries = 0; tries < 200 && resets_logged() < i; ++tries) {
      std::this_thread::sleep_for(10ms);
    }
    PosixSerialPort port(device.path());
    int fd = open(device.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios t{};
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    close(fd);
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_TRUE(t.c_iflag & IXON);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO));
    EXPECT_FALSE(t.c_oflag & OPOST);
    // Exclusive: nobody else may open the port meanwhile.
    EXPECT_THROW(PosixSerialPort(device.path()), PosixError);
  }
}

TEST(PosixSerialPortTest, NextPeerFindsAFreshLine) {
  DeviceOnPty device;
  { PosixSerialPort port(device.path()); }
  // Once the last peer has gone the device resets the line settings, so a
  // request that could only change parity is never refused as a whole.
  bool reset = false;
  for (int i = 0; i < 100 && !reset; ++i) {
    std::this_thread::sleep_for(10ms);
    int fd = open(device.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios t{};
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    close(fd);
    reset = !(t.c_iflag & IXON) && cfgetospeed(&t) != B9600;
  }
  EXPECT_TRUE(reset);
  PosixSerialPort again(device.path());
  EXPECT_TRUE(again.Write("RVN\r\n"));
}

TEST(PosixSerialPortTest, WritesAndReadsWhatArrives) {
  DeviceOnPty device;
  PosixSerialPort port(device.path());
  ASSERT_TRUE(port.Write("RVN\r\n"));
  std::string received;
  char buffer[64];
  while (received.find('\n') == std::string::npos) {
    std::size_t got = port.WaitAndRead(buffer);
    ASSERT_GT(got, 0u) << port.last_error();
    received.append(buffer, got);
  }
  EXPECT_EQ(received, "VN1.00\r\n");
}

TEST(PosixConnectionTest, ReceiveThreadStopsPromptlyWhileWaiting) {
  DeviceOnPty device;
  PosixSerialPort port(device.path());
  SettingsStore settings;
  ConsoleMessageBoxes boxes;
  PosixSteadyClock steady_clock;
  auto started = std::chrono::steady_clock::now();
  {
    Connection connection(settings, boxes, steady_clock);
    connection.Attach(&port);
    ASSERT_TRUE(connection.Start());
    EXPECT_EQ(connection.state().receive_running, 1);
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(connection.Stop());
    EXPECT_EQ(connection.state().receive_running, 0);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
}

TEST(DeviceSessionTest, SendAllLeavesTheDeviceHoldingTheFile) {
  DeviceOnPty device;
  ConsoleMessageBoxes boxes;
  DeviceSession session(On(device.path()), boxes);
  const DeviceSettings file = Changed();
  int last_step = 0;
  SessionResult result = session.SendAll(
      file, Fast(), [&](int step, const std::string&) { last_step = step; });
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(last_step, 78);
  EXPECT_EQ(device.commands_seen(), 78);
  DeviceSettings held = device.state();
  EXPECT_EQ(Comparable(held, held), Comparable(file, held));
  EXPECT_EQ(boxes.failures(), 0);
}

TEST(DeviceSessionTest, ReadAllWritesAFileEqualToTheDevice) {
  const DeviceSettings on_device = Changed();
  DeviceOnPty device({}, &on_device);
  ConsoleMessageBoxes boxes;
  DeviceSession session(On(device.path()), boxes);
  DeviceSettings read;
  SessionResult result = session.ReadAll(read, Fast());
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(result.steps, 79);
  DeviceSettings held = device.state();
  EXPECT_EQ(Comparable(read, held), Comparable(held, held));

  const auto path = TempFile("vqx-read-all");
  ASSERT_TRUE(WriteSettingsFile(path.string(), read));
  DeviceSettings loaded;
  LoadDefaultSettings(loaded);
  ASSERT_TRUE(ReadSettingsFile(path.string(), loaded));
  std::filesystem::remove(path);
  EXPECT_EQ(WriteSettingsText(loaded), WriteSettingsText(read));
}

TEST(DeviceSessionTest, SurvivesSplitCoalescedAndDelayedReplies) {
  const DeviceSettings on_device = Changed();
  DeviceOptions options;
  options.split = true;
  options.coalesce = true;
  sim::PtyDeviceOptions pty_options;
  pty_options.delay_ms = 15;
  pty_options.write_pause_ms = 5;
  pty_options.held_reply_timeout_ms = 200;
  DeviceOnPty device(options, &on_device, pty_options);
  ConsoleMessageBoxes boxes;
  DeviceSession session(On(device.path()), boxes);
  DeviceSettings read;
  SessionResult result = session.ReadAll(read, Fast());
  ASSERT_TRUE(result.ok) << result.message;
  DeviceSettings held = device.state();
  EXPECT_EQ(Comparable(read, held), Comparable(held, held));
}

TEST(DeviceSessionTest, ErrorReplyStopsSendAllBeforeTheNextLine) {
  DeviceOptions options;
  options.nth_reply[10] = Fault::kE3;
  DeviceOnPty device(options);
  ConsoleMessageBoxes boxes;
  DeviceSession session(On(device.path()), boxes);
  SessionResult result = session.SendAll(Changed(), Fast(100ms));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.steps, 10);
  EXPECT_NE(result.message.find("Command Error"), std::string::npos)
      << result.message;
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(device.commands_seen(), 10);
  EXPECT_EQ(session.connection().state().sequence_step, 0);
}

TEST(DeviceSessionTest, MenuReplyStopsReadAll) {
  DeviceOptions options;
  options.nth_reply[3] = Fault::kMenu;
  DeviceOnPty device(options);
  ConsoleMessageBoxes boxes;
  DeviceSession session(On(device.path()), boxes);
  DeviceSettings read;
  LoadDefaultSettings(read);
  read.alarm_mode = 7;  // must stay untouched
  SessionResult result = session.ReadAll(read, Fast(100ms));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.steps, 3);
  EXPECT_NE(result.message.find("Menu Display"), std::string::npos);
  EXPECT_EQ(read.alarm_mode, 7);
}

TEST(DeviceSessionTest, ReadAllRefusesAFileWithASettingNeverReported) {
  DeviceOptions options;
  options.nth_reply[50] = Fault::kSilent;  // RADT
  DeviceOnPty device(options);
  ConsoleMessageBoxes boxes;
  DeviceSession session(On(device.path()), boxes);
  DeviceSettings read;
  SessionResult result = session.ReadAll(read, Fast());
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("RADT"), std::string::npos) << result.message;
}

TEST(DeviceSessionTest, NoisyRepliesAreNotTakenForAnswers) {
  DeviceOptions options;
  options.noise = true;
  DeviceOnPty device(options);
  ConsoleMessageBoxes boxes;
  DeviceSession session(On(device.path()), boxes);
  Pacing pacing = Fast();
  pacing.final_reply_timeout = 300ms;
  SessionResult result = session.SendAll(Changed(), pacing);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("answered 0 of 78"), std::string::npos)
      << result.message;
}

TEST(DeviceSessionTest, SilentDeviceEndsTheRunWithNoConnect) {
  DeviceOptions options;
  options.silent = true;
  DeviceOnPty device(options);
  ConsoleMessageBoxes boxes;
  DeviceSession session(On(device.path()), boxes);
  Pacing pacing = Fast();
  pacing.timer_period = 10ms;  // the watchdog gives up after 27 ticks
  SessionResult result = session.SendAll(Changed(), pacing);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("no reply"), std::string::npos);
  ASSERT_FALSE(boxes.shown().empty());
  EXPECT_EQ(boxes.shown().back().text, "No Connect");
  EXPECT_LT(result.steps, 78);
}

TEST(DeviceSessionTest, Rs485TalksToItsAddressOnly) {
  const DeviceSettings on_device = Changed();
  DeviceOptions options;
  options.rs485 = true;
  options.address = 7;
  DeviceOnPty device(options, &on_device);
  ConsoleMessageBoxes boxes;
  {
    DeviceSession session(On(device.path(), true, 7), boxes);
    DeviceSettings read;
    SessionResult result = session.ReadAll(read, Fast());
    ASSERT_TRUE(result.ok) << result.message;
    DeviceSettings held = device.state();
    EXPECT_EQ(Comparable(read, held), Comparable(held, held));
  }
  {
    DeviceSession session(On(device.path(), true, 8), boxes);
    LineReply reply;
    EXPECT_FALSE(session.SendLine("RVN", 300ms, reply).ok);
    EXPECT_EQ(reply.text, "");
  }
  {
    DeviceSession session(On(device.path(), true, kBroadcastAddress), boxes);
    LineReply reply;
    EXPECT_TRUE(session.SendLine("AMI", 300ms, reply).ok);
    DeviceSettings read;
    EXPECT_FALSE(session.ReadAll(read, Fast()).ok);
  }
  for (int i = 0; i < 100 && device.state().alarm_mode != 0; ++i) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(device.state().alarm_mode, 0);
}

TEST(DeviceSessionTest, SendLineReportsTheReply) {
  DeviceOnPty device;
  ConsoleMessageBoxes boxes;
  DeviceSession session(On(device.path()), boxes);
  LineReply reply;
  EXPECT_TRUE(session.SendLine("RVN", 1s, reply).ok);
  EXPECT_EQ(reply.text, "VN1.00");
  EXPECT_EQ(reply.work_copy, "VN1.00\r\n");
  EXPECT_TRUE(session.SendLine("VAB03127", 1s, reply).ok);
  EXPECT_EQ(reply.text, "GO");
  EXPECT_TRUE(session.SendLine("RVAB03", 1s, reply).ok);
  EXPECT_EQ(reply.text, "VAB03127");
  EXPECT_EQ(session.settings().Snapshot().adjust_brightness[2], 63);
  EXPECT_FALSE(session.SendLine("VAB03128", 1s, reply).ok);
  EXPECT_EQ(reply.text, "E3");
}

// ---- The reply pace, echoes, the traffic log and the address scan ----

// What the device received, line by line, and when each line and reply
// went over the line.
struct DeviceRecord {
  std::mutex mutex;
  std::vector<std::string> lines;
  // "RX" or "TX" with the time, in the order the device saw them.
  std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>>
      events;

  sim::PtyDeviceOptions Options(int delay_ms = 0) {
    sim::PtyDeviceOptions options;
    options.delay_ms = delay_ms;
    options.on_line = [this](const sim::LineEvent& event, sim::SteadyTime at) {
      std::lock_guard<std::mutex> lock(mutex);
      lines.push_back(event.line);
      events.emplace_back("RX", at);
    };
    options.on_reply = [this](const std::string&, sim::SteadyTime at) {
      std::lock_guard<std::mutex> lock(mutex);
      events.emplace_back("TX", at);
    };
    return options;
  }
  std::vector<std::string> Take() {
    std::lock_guard<std::mutex> lock(mutex);
    events.clear();
    return std::exchange(lines, {});
  }
};

Pacing ReplyPaced(Pacing pacing) {
  pacing.reply_paced = true;
  return pacing;
}

TEST(DeviceSessionTest, ReplyPacedRunsSendAndReadWhatTheFixedOnesDo) {
  DeviceRecord record;
  DeviceOnPty device({}, nullptr, record.Options());
  ConsoleMessageBoxes boxes;
  DeviceSession session(On(device.path()), boxes);

  SessionResult fixed = session.SendAll(Changed(), Fast());
  ASSERT_TRUE(fixed.ok) << fixed.message;
  const std::vector<std::string> fixed_sent = record.Take();
  const std::string fixed_state = WriteSettingsText(device.state());
  SessionResult paced = session.SendAll(Changed(), ReplyPaced(Fast()));
  ASSERT_TRUE(paced.ok) << paced.message;
  EXPECT_EQ(paced.steps, 78);
  EXPECT_EQ(record.Take(), fixed_sent);
  EXPECT_EQ(WriteSettingsText(device.state()), fixed_state);

  DeviceSettings read_fixed;
  ASSERT_TRUE(session.ReadAll(read_fixed, Fast()).ok);
  const std::vector<std::string> fixed_read = record.Take();
  DeviceSettings read_paced;
  SessionResult read = session.ReadAll(read_paced, ReplyPaced(Fast()));
  ASSERT_TRUE(read.ok) << read.message;
  EXPECT_EQ(read.steps, 79);
  EXPECT_EQ(record.Take(), fixed_read);
  EXPECT_EQ(WriteSettingsText(read_paced), WriteSettingsText(read_fixed));
  EXPECT_EQ(boxes.failures(), 0);
}

// A device that takes 150 ms for every reply: no line goes out before the
// reply to the one before it has been written, so the device sees its
// lines and replies strictly alternate.
TEST(DeviceSessionTest, ReplyPacedReadAllWaitsForASlowDevice) {
  DeviceRecord record;
  const DeviceSettings on_device = Changed();
  DeviceOnPty device({}, &on_device, record.Options(150));
  ConsoleMessageBoxes boxes;
  DeviceSession session(On(device.path()), boxes);
  DeviceSettings read;
  const auto started = std::chrono::steady_clock::now();
  SessionResult result = session.ReadAll(read, ReplyPaced(Fast()));
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_GE(std::chrono::steady_clock::now() - started, 79 * 150ms);
  DeviceSettings held = device.state();
  EXPECT_EQ(Comparable(read, held), Comparable(held, held));

  std::lock_guard<std::mutex> lock(record.mutex);
  ASSERT_EQ(record.events.size(), 2u * 79);
  for (std::size_t i = 0; i < record.events.size(); ++i) {
    EXPECT_EQ(record.events[i].first, i % 2 == 0 ? "RX" : "TX") << i;
    if (i % 2 == 0 && i > 0) {
      // The guard gap after the reply, before the next line.
      EXPECT_GE(record.events[i].second - record.events[i - 1].second,
                std::chrono::milliseconds(kReplyGuardMs))
          << i;
    }
  }
}

TEST(DeviceSessionTest, SilentDeviceEndsAReplyPacedReadAllWithNoConnect) {
  DeviceOptions options;
  options.silent = true;
  DeviceOnPty device(options);
  ConsoleMessageBoxes boxes;
  DeviceSession session(On(device.path()), boxes);
  Pacing pacing = ReplyPaced(Fast());
  pacing.timer_period = 10ms;  // the watchdog gives up after 27 ticks
  DeviceSettings read;
  LoadDefaultSettings(read);
  read.alarm_mode = 7;  // must stay untouched
  SessionResult result = session.ReadAll(read, pacing);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.steps, 1);  // the first line was never answered
  EXPECT_NE(result.message.find("no reply"), std::string::npos)
      << result.message;
  ASSERT_FALSE(boxes.shown().empty());
  EXPECT_EQ(boxes.shown().back().text, "No Connect");
  EXPECT_EQ(read.alarm_mode, 7);
  EXPECT_EQ(device.commands_seen(), 1);
  EXPECT_EQ(session.connection().state().sequence_step, 0);
}

// Through a line that echoes every byte: with echo tolerance both runs
// succeed at either pace and the log marks each echo.
TEST(DeviceSessionTest, EchoingLineWithEchoTolerance) {
  sim::PtyDeviceOptions echoing;
  echoing.echo = true;
  const DeviceSettings on_device = Changed();
  DeviceOnPty device({}, &on_device, echoing);
  ConsoleMessageBoxes boxes;
  PosixClock clock;
  IconvTextCodec codec;
  TrafficLog log(clock, codec);
  SessionOptions options = On(device.path());
  options.echo = true;
  options.traffic_log = &log;
  {
    DeviceSession session(options, boxes);
    for (bool paced : {false, true}) {
      SCOPED_TRACE(paced ? "reply pace" : "fixed pace");
      Pacing pacing = Fast();
      pacing.reply_paced = paced;
      SessionResult sent = session.SendAll(on_device, pacing);
      EXPECT_TRUE(sent.ok) << sent.message;
      EXPECT_EQ(sent.message.find("--echo"), std::string::npos);
      DeviceSettings read;
      SessionResult got = session.ReadAll(read, pacing);
      ASSERT_TRUE(got.ok) << got.message;
      DeviceSettings held = device.state();
      EXPECT_EQ(Comparable(read, held), Comparable(held, held));
    }
  }
  // Each line sent, its echo and its reply.
  const std::vector<TrafficEntry> entries = log.Snapshot();
  ASSERT_EQ(entries.size(), 3u * 2 * (78 + 79));
  EXPECT_EQ(entries[0].direction, TrafficDirection::kSent);
  EXPECT_TRUE(entries[1].echo);
  EXPECT_EQ(entries[1].text, entries[0].text);
  EXPECT_EQ(entries[2].meaning, "Success");
}

// Without echo tolerance the echoes are no answers: each line still waits
// for the device's reply (which comes 30 ms after the echo), both runs do
// their work, and the result points at --echo.
TEST(DeviceSessionTest, EchoingLineWithoutEchoToleranceStillWaitsForReplies) {
  DeviceRecord record;
  sim::PtyDeviceOptions echoing = record.Options(30);
  echoing.echo = true;
  const DeviceSettings on_device = Changed();
  DeviceOnPty device({}, &on_device, echoing);
  ConsoleMessageBoxes boxes;
  DeviceSession session(On(device.path()), boxes);
  const Pacing pacing = ReplyPaced(Fast());
  SessionResult sent = session.SendAll(on_device, pacing);
  EXPECT_TRUE(sent.ok) << sent.message;
  EXPECT_NE(sent.message.find("--echo"), std::string::npos) << sent.message;
  DeviceSettings read;
  SessionResult got = session.ReadAll(read, pacing);
  ASSERT_TRUE(got.ok) << got.message;
  EXPECT_NE(got.message.find("--echo"), std::string::npos) << got.message;
  DeviceSettings held = device.state();
  EXPECT_EQ(Comparable(read, held), Comparable(held, held));
  EXPECT_EQ(boxes.failures(), 0);

  // No line went out before the reply to the one before it.
  std::lock_guard<std::mutex> lock(record.mutex);
  ASSERT_EQ(record.events.size(), 2u * (78 + 79));
  for (std::size_t i = 0; i < record.events.size(); ++i) {
    EXPECT_EQ(record.events[i].first, i % 2 == 0 ? "RX" : "TX") << i;
  }
}

// A device that refuses chosen lines with "GN": the run goes on to its
// end, then fails naming each refused line and its setting, at both paces
// and for the last line too.
TEST(DeviceSessionTest, RefusedLinesFailTheRunByName) {
  DeviceOptions options;
  options.nth_reply[3] = Fault::kGn;
  options.nth_reply[50] = Fault::kGn;
  options.nth_reply[78] = Fault::kGn;
  for (bool paced : {false, true}) {
    SCOPED_TRACE(paced ? "reply pace" : "fixed pace");
    DeviceOnPty device(options);
    ConsoleMessageBoxes boxes;
    DeviceSession session(On(device.path()), boxes);
    Pacing pacing = Fast();
    pacing.reply_paced = paced;
    SessionResult result = session.SendAll(Changed(), pacing);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.steps, 78);
    EXPECT_EQ(device.commands_seen(), 78);
    EXPECT_NE(result.message.find("refused 3 line(s)"), std::string::npos)
        << result.message;
    for (const char* named :
         {"CJ03", "(title ch.03)", "ADT120 (alarm hold time)",
          "AGCFNNFNNFN (AGC ch.01-ch.08)"}) {
      EXPECT_NE(result.message.find(named), std::string::npos)
          << named << " in " << result.message;
    }
    EXPECT_EQ(boxes.failures(), 0);  // no "Mode Error" box
  }
}

// Echo tolerance on, but the line does not echo: a read-back with the
// text of a line sent just before (the title just set, read back) is the
// device's reply, not an echo, so read-all reads every setting.
TEST(DeviceSessionTest, EchoToleranceWithoutAnEchoReadsEverySetting) {
  const DeviceSettings on_device = Changed();
  DeviceOnPty device({}, &on_device);
  ConsoleMessageBoxes boxes;
  SessionOptions options = On(device.path());
  options.echo = true;
  DeviceSession session(options, boxes);
  for (bool paced : {false, true}) {
    SCOPED_TRACE(paced ? "reply pace" : "fixed pace");
    LineReply title;
    ASSERT_TRUE(session.SendLine("RCJ01", 1s, title).ok);
    LineReply reply;
    ASSERT_TRUE(session.SendLine(title.text, 1s, reply).ok);  // set it again
    EXPECT_EQ(reply.text, "GO");
    Pacing pacing = Fast();
    pacing.reply_paced = paced;
    pacing.timer_period = 20ms;  // a stop for "No Connect" within a second
    DeviceSettings read;
    SessionResult result = session.ReadAll(read, pacing);
    ASSERT_TRUE(result.ok) << result.message;
    DeviceSettings held = device.state();
    EXPECT_EQ(Comparable(read, held), Comparable(held, held));
  }
}

TEST(DeviceSessionTest, ScanListsTheDevicesOnTheLine) {
  std::vector<DeviceModel> models;
  for (int address : {3, 17}) {
    DeviceOptions options;
    options.rs485 = true;
    options.address = address;
    models.emplace_back(options);
  }
  sim::PtyDeviceOptions pty_options;
  pty_options.echo = true;
  DeviceOnPty device(std::move(models), pty_options);
  ConsoleMessageBoxes boxes;
  SessionOptions options = On(device.path(), true, 9);
  options.echo = true;
  std::vector<ScanAnswer> answers;
  {
    DeviceSession session(options, boxes);
    int last_progress = 0;
    SessionResult result = session.Scan(
        100ms, answers,
        [&](int done, const std::string&) { last_progress = done; });
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(answers,
              (std::vector<ScanAnswer>{{3, "VN1.00"}, {17, "VN1.00"}}));
    EXPECT_EQ(last_progress, kScanAddresses);
    // Neither "Success" nor "No Connect".
    EXPECT_EQ(boxes.shown().size(), 0u);
  }
  DeviceSession rs232(On(device.path()), boxes);
  EXPECT_FALSE(rs232.Scan(100ms, answers).ok);
}

}  // namespace
}  // namespace vqx
