#include "protocol/reply_dispatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/link_fakes.h"
#include "transport/link.h"

namespace vqx {
namespace {

using testing::Box;

class ReplyDispatchTest : public ::testing::Test {
 protected:
  ReplyDispatchTest() {
    settings.Update([](DeviceSettings& s) { LoadDefaultSettings(s); });
  }

  LinkState state;
  LinkConfig config;
  SettingsStore settings;
  testing::RecordingBoxes boxes;
  testing::ManualSteadyClock clock;
  ReplyDispatcher dispatcher{state, config, settings, boxes, clock};
};

struct ResultCase {
  const char* line;
  int sequence_step;
  ReplyKind kind;
  int reply_error;
  int success_pending;
  std::vector<Box> boxes;
};

TEST_F(ReplyDispatchTest, ResultsAndBoxes) {
  const std::vector<ResultCase> cases = {
      {"GO\r\n", 0, ReplyKind::kSuccess, 0, 1, {}},
      {"GO\r\n", 5, ReplyKind::kSuccess, 0, 0, {}},
      {"MENU\r\n", 0, ReplyKind::kMenu, 1, 0, {{"error", "Menu Display"}}},
      {"MENU\r\n", 5, ReplyKind::kMenu, 1, 0, {{"error", "Menu Display"}}},
      // A version line that answers no command raises nothing.
      {"VN0102\r\n", 0, ReplyKind::kReadBack, 0, 0, {}},
      {"VN0102\r\n", 79, ReplyKind::kReadBack, 0, 0, {}},
      {"AMI\r\n", 0, ReplyKind::kReadBack, 0, 0, {}},
      {"GN\r\n", 0, ReplyKind::kModeError, 0, 0, {{"error", "Mode Error"}}},
      {"GN\r\n", 5, ReplyKind::kModeError, 0, 0, {}},
      {"E0\r\n",
       0,
       ReplyKind::kDeviceError,
       1,
       0,
       {{"error", "Framing Error"}}},
      {"E1\r\n", 0, ReplyKind::kDeviceError, 1, 0, {{"error", "Parity Error"}}},
      {"E2\r\n",
       0,
       ReplyKind::kDeviceError,
       1,
       0,
       {{"error", "Over Run Error"}}},
      {"E3\r\n",
       5,
       ReplyKind::kDeviceError,
       1,
       0,
       {{"error", "Command Error"}}},
      {"E4\r\n", 0, ReplyKind::kIgnored, 0, 0, {}},
      {"GO\n", 0, ReplyKind::kIgnored, 0, 0, {}},
      {"GOO\r\n", 0, ReplyKind::kIgnored, 0, 0, {}},
      {"\r\n", 0, ReplyKind::kIgnored, 0, 0, {}},
      {"xyz\r\n", 0, ReplyKind::kIgnored, 0, 0, {}},
  };
  for (const ResultCase& c : cases) {
    SCOPED_TRACE(c.line);
    state.ResetFlags();
    state.reply_error = 1;  // left over from an earlier line
    state.reply_awaited = 1;
    state.reply_wait_ticks = 9;
    state.sequence_step = c.sequence_step;
    dispatcher.DispatchReply(c.line);
    EXPECT_EQ(dispatcher.last_kind(), c.kind);
    // Nothing was awaited, so nothing answered.
    EXPECT_FALSE(dispatcher.last_answered());
    EXPECT_EQ(state.reply_error, c.reply_error);
    EXPECT_EQ(state.success_pending, c.success_pending);
    EXPECT_EQ(state.reply_awaited, 0);
    EXPECT_EQ(state.reply_wait_ticks, 0);
    EXPECT_EQ(boxes.Take(), c.boxes);
  }
}

TEST_F(ReplyDispatchTest, Rs485AddressIsRemoved) {
  config.rs_control = 1;
  dispatcher.DispatchReply("05GO\r\n");
  EXPECT_EQ(state.success_pending, 1);

  settings.Update([](DeviceSettings& s) { s.alarm_display = 0; });
  dispatcher.DispatchReply("01ADON\r\n");
  EXPECT_EQ(settings.Snapshot().alarm_display, 1);

  dispatcher.DispatchReply("07E3\r\n");
  EXPECT_EQ(boxes.Take(), (std::vector<Box>{{"error", "Command Error"}}));

  // A line too short to hold an address still counts as an answer.
  state.reply_awaited = 1;
  dispatcher.DispatchReply("\n");
  EXPECT_EQ(dispatcher.last_kind(), ReplyKind::kIgnored);
  EXPECT_EQ(state.reply_awaited, 0);
}

TEST_F(ReplyDispatchTest, AddressedLineIsIgnoredOnRs232) {
  dispatcher.DispatchReply("05GO\r\n");
  EXPECT_EQ(dispatcher.last_kind(), ReplyKind::kIgnored);
  EXPECT_EQ(state.success_pending, 0);
}

TEST_F(ReplyDispatchTest, WorkCopyEndsAtNul) {
  EXPECT_EQ(ReplyWorkCopy(std::string_view("GO\0\r\n", 5), 0), "GO");
  EXPECT_EQ(ReplyWorkCopy(std::string_view("0\0GO\r\n", 6), 1), "");
  EXPECT_EQ(ReplyWorkCopy("05GO\r\n", 1), "GO\r\n");

  dispatcher.DispatchReply(std::string_view("GO\r\n\0", 5));
  EXPECT_EQ(dispatcher.last_kind(), ReplyKind::kSuccess);
  dispatcher.DispatchReply(std::string_view("E\0\r\n", 4));
  EXPECT_EQ(dispatcher.last_kind(), ReplyKind::kIgnored);
  // A read-back cut short by a NUL is shorter than its layout.
  settings.Update([](DeviceSettings& s) { s.vloss_detect[7] = 1; });
  dispatcher.DispatchReply(std::string_view("VLFFFFFFF\0F\r\n", 13));
  EXPECT_EQ(settings.Snapshot().vloss_detect[7], 1);
  EXPECT_TRUE(boxes.Take().empty());
}

TEST_F(ReplyDispatchTest, LongerMnemonicWins) {
  settings.Update([](DeviceSettings& s) {
    s.vloss_signal_output = 0;
    s.vloss_detect[0] = 1;
  });
  dispatcher.DispatchReply("VLSOON\r\n");
  const DeviceSettings s = settings.Snapshot();
  EXPECT_EQ(s.vloss_signal_output, 1);
  EXPECT_EQ(s.vloss_detect[0], 1);
}

TEST_F(ReplyDispatchTest, ObserverSeesTheWorkCopy) {
  std::vector<std::string> seen;
  dispatcher.SetObserver(
      [&](std::string_view work_copy) { seen.emplace_back(work_copy); });
  config.rs_control = 1;
  dispatcher.DispatchReply("03VN0102\r\n");
  dispatcher.DispatchReply("03junk\r\n");
  EXPECT_EQ(seen, (std::vector<std::string>{"VN0102\r\n", "junk\r\n"}));
}

// ---- Echo tolerance and the counters a reply-paced run watches ----

TEST_F(ReplyDispatchTest, EchoOfALineSentIsNeitherDispatchedNorCounted) {
  struct Case {
    const char* what;
    int echo;              // LinkConfig::echo
    const char* received;  // the line sent was "05RAM\r\n"
    bool answer;           // dispatched and counted as an answer
  };
  const Case cases[] = {
      {"echo tolerated", 1, "05RAM\r\n", false},
      {"the reply after it", 1, "05AMI\r\n", true},
      {"same text, other address", 1, "06RAM\r\n", true},
      {"echo tolerance off", 0, "05RAM\r\n", true},
  };
  config.rs_control = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    config.echo = c.echo;
    state.echoes.Clear();
    state.echoes.Note("05RAM\r\n", clock.Now());
    state.reply_awaited = 1;
    state.reply_wait_ticks = 7;
    const unsigned before = state.lines_received;
    int observed = 0;
    dispatcher.SetObserver([&](std::string_view) { ++observed; });
    dispatcher.DispatchReply(c.received);
    EXPECT_EQ(observed, c.answer ? 1 : 0);
    EXPECT_EQ(state.lines_received - before, c.answer ? 1u : 0u);
    // An echo leaves the watchdog counting.
    EXPECT_EQ(state.reply_awaited, c.answer ? 0 : 1);
    EXPECT_EQ(state.reply_wait_ticks, c.answer ? 0 : 7);
  }
  dispatcher.SetObserver(nullptr);
}

TEST_F(ReplyDispatchTest, LineIsCountedOnceItsEffectIsInPlace) {
  unsigned counted_when_observed = 0;
  int stored_when_observed = -1;
  int error_when_observed = -1;
  dispatcher.SetObserver([&](std::string_view) {
    counted_when_observed = state.lines_received;
    stored_when_observed = settings.Snapshot().alarm_mode;
    error_when_observed = state.reply_error;
  });
  dispatcher.DispatchReply("AME\r\n");
  EXPECT_EQ(counted_when_observed, 1u);
  EXPECT_EQ(stored_when_observed, 1);
  dispatcher.DispatchReply("E3\r\n");
  EXPECT_EQ(counted_when_observed, 2u);
  EXPECT_EQ(error_when_observed, 1);
  dispatcher.DispatchReply("junk\r\n");  // any complete line is counted
  EXPECT_EQ(state.lines_received, 3u);
  boxes.Take();
}

TEST_F(ReplyDispatchTest, VersionsAreNotedByAddress) {
  config.rs_control = 1;
  dispatcher.DispatchReply("17VN2.10\r\n");
  EXPECT_EQ(dispatcher.version_replies().Find(17), "VN2.10");
  dispatcher.DispatchReply("03VN1.00\r\n");
  EXPECT_EQ(dispatcher.version_replies().Find(3), "VN1.00");
  // Not an address: nothing noted.
  dispatcher.DispatchReply("FFVN1.00\r\n");
  dispatcher.DispatchReply("4xVN1.00\r\n");
  config.rs_control = 0;
  dispatcher.DispatchReply("VN1.00\r\n");
  for (int a = 0; a < kScanAddresses; ++a) {
    if (a != 3 && a != 17) {
      EXPECT_EQ(dispatcher.version_replies().Find(a), std::nullopt) << a;
    }
  }
  // None of them answered a version the program asked for.
  EXPECT_EQ(state.success_pending, 0);
}

class LinkTimerDutyTest : public ::testing::Test {
 protected:
  LinkState state;
  testing::RecordingBoxes boxes;
};

TEST_F(LinkTimerDutyTest, NoConnectOnThe27thTick) {
  state.reply_awaited = 1;
  for (int tick = 1; tick <= 26; ++tick) {
    RunLinkTimerDuty(state, boxes);
    ASSERT_TRUE(boxes.Take().empty()) << "tick " << tick;
  }
  EXPECT_EQ(state.reply_wait_ticks, 26);
  RunLinkTimerDuty(state, boxes);
  EXPECT_EQ(boxes.Take(), (std::vector<Box>{{"error", "No Connect"}}));
  EXPECT_EQ(state.reply_awaited, 0);
  EXPECT_EQ(state.reply_wait_ticks, 0);
  // Once only.
  for (int tick = 0; tick < 40; ++tick) RunLinkTimerDuty(state, boxes);
  EXPECT_TRUE(boxes.Take().empty());
}

TEST_F(LinkTimerDutyTest, NoConnectIsCountedBeforeItsBoxShows) {
  // A reply-paced run ticked from the box's message loop sees the count.
  unsigned counted_while_open = 0;
  boxes.while_open = [&] { counted_while_open = state.reply_timeouts; };
  state.reply_awaited = 1;
  for (int tick = 0; tick < 27; ++tick) RunLinkTimerDuty(state, boxes);
  EXPECT_EQ(counted_while_open, 1u);
  EXPECT_EQ(state.reply_timeouts, 1u);
  boxes.while_open = nullptr;
}

TEST_F(LinkTimerDutyTest, ReceivedLineStopsTheCount) {
  LinkConfig config;
  SettingsStore settings;
  testing::ManualSteadyClock clock;
  ReplyDispatcher dispatcher(state, config, settings, boxes, clock);
  state.reply_awaited = 1;
  for (int tick = 0; tick < 20; ++tick) RunLinkTimerDuty(state, boxes);
  dispatcher.DispatchReply("junk\r\n");
  for (int tick = 0; tick < 40; ++tick) RunLinkTimerDuty(state, boxes);
  EXPECT_TRUE(boxes.Take().empty());
}

TEST_F(LinkTimerDutyTest, SendDoesNotRestartTheCount) {
  // Only a line or the time-out resets the count: a second send 10 ticks
  // after the first still times out 27 ticks after the first.
  state.reply_awaited = 1;
  for (int tick = 0; tick < 10; ++tick) RunLinkTimerDuty(state, boxes);
  state.reply_awaited = 1;
  for (int tick = 0; tick < 16; ++tick) RunLinkTimerDuty(state, boxes);
  EXPECT_TRUE(boxes.Take().empty());
  RunLinkTimerDuty(state, boxes);
  EXPECT_EQ(boxes.Take(), (std::vector<Box>{{"error", "No Connect"}}));
}

TEST_F(LinkTimerDutyTest, BroadcastNeverTimesOut) {
  LinkConfig config;
  config.rs_control = 1;
  std::atomic<int> slave{kBroadcastAddress};
  testing::ManualSteadyClock clock;
  Link link(state, config, slave, clock);
  link.SendCommand("RVN\r\n");
  for (int tick = 0; tick < 100; ++tick) RunLinkTimerDuty(state, boxes);
  EXPECT_TRUE(boxes.Take().empty());
}

TEST_F(LinkTimerDutyTest, PendingSuccessShownOnce) {
  state.success_pending = 1;
  RunLinkTimerDuty(state, boxes);
  EXPECT_EQ(boxes.Take(), (std::vector<Box>{{"success", "Success"}}));
  EXPECT_EQ(state.success_pending, 0);
  RunLinkTimerDuty(state, boxes);
  EXPECT_TRUE(boxes.Take().empty());
}

// The program's read-all learns which replies came from the dispatch: every
// read-back line is noted, on RS-485 without its address, and nothing else.
TEST_F(ReplyDispatchTest, NotesReadBackLinesForTheReadAll) {
  ReadBackRecord record;
  dispatcher.SetReadBackRecord(&record);
  config.rs_control = 1;
  for (int step = 1; step <= kReadAllSteps; ++step) {
    if (step == 57) continue;  // RVLD never answered
    dispatcher.DispatchReply("05" + ReadAllExpectedReply(step) + "1\r\n");
  }
  dispatcher.DispatchReply("05GO\r\n");
  dispatcher.DispatchReply("05E3\r\n");
  boxes.Take();
  EXPECT_EQ(record.MissingSteps(), std::vector<int>{57});
  EXPECT_EQ(record.MissingGroups(),
            std::vector<SettingsGroup>{SettingsGroup::kVideoLoss});
  EXPECT_EQ(SettingsGroupName(SettingsGroup::kVideoLoss), "ビデオロス");
}

// One meaning per reply: the box a reply raises is the traffic log's word
// for it, and vqx460ctl's description says the same at more length.
TEST_F(ReplyDispatchTest, TheBoxOfAReplyIsItsMeaning) {
  struct Case {
    const char* work_copy;
    ReplyKind kind;
    const char* description;
  };
  const Case cases[] = {
      {"GO\r\n", ReplyKind::kSuccess, "acknowledged"},
      {"MENU\r\n", ReplyKind::kMenu,
       "Menu Display: the device's own menu is open"},
      {"GN\r\n", ReplyKind::kModeError,
       "Mode Error: the device refuses this in its current mode"},
      {"E0\r\n", ReplyKind::kDeviceError, "Framing Error"},
      {"E1\r\n", ReplyKind::kDeviceError, "Parity Error"},
      {"E2\r\n", ReplyKind::kDeviceError, "Over Run Error"},
      {"E3\r\n", ReplyKind::kDeviceError,
       "Command Error: the device does not know this command or value"},
  };
  testing::PassThroughCodec codec;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.work_copy);
    const ReplyMeaning meaning = ExplainReply(c.work_copy, codec);
    EXPECT_EQ(meaning.kind, c.kind);
    EXPECT_EQ(meaning.description, c.description);
    EXPECT_TRUE(meaning.settings.empty());
    dispatcher.DispatchReply(c.work_copy);
    RunLinkTimerDuty(state, boxes);
    const std::vector<Box> shown = boxes.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, meaning.summary);
    EXPECT_EQ(shown[0].text, meaning.words);
  }
}

TEST(ReplyMeaningTest, ReadBacksAreExplainedByWhatTheySet) {
  testing::PassThroughCodec codec;
  const ReplyMeaning version = ExplainReply("VN1.00\r\n", codec);
  EXPECT_EQ(version.summary, "device version 1.00");
  EXPECT_EQ(version.description, "device version 1.00");
  EXPECT_EQ(version.words, "機器のバージョン: 1.00");
  EXPECT_TRUE(version.settings.empty());

  const ReplyMeaning agc = ExplainReply("AGCNFNNNNNN\r\n", codec);
  EXPECT_EQ(agc.kind, ReplyKind::kReadBack);
  EXPECT_EQ(agc.description, "read-back");
  ASSERT_EQ(agc.settings.size(), 8u);
  EXPECT_EQ(FormatReportLine(agc.settings[1]), "agc_enable[ch.02] = 0 (OFF)");
  ASSERT_EQ(agc.settings_in_words.size(), 8u);
  EXPECT_EQ(agc.settings_in_words[1],
            "オート・ゲイン・コントロール ch.02: OFF");
  EXPECT_TRUE(agc.summary.starts_with(
      "agc_enable[ch.01] = 1 (ON); agc_enable[ch.02] = 0 (OFF); "))
      << agc.summary;

  // A known mnemonic whose fields say nothing sets nothing.
  const ReplyMeaning garbled = ExplainReply("AGCXX\r\n", codec);
  EXPECT_EQ(garbled.description, "read-back");
  EXPECT_TRUE(garbled.settings.empty());
  EXPECT_EQ(garbled.summary, "read-back that sets nothing (garbled), ignored");

  const ReplyMeaning noise = ExplainReply("GO \r\n", codec);
  EXPECT_EQ(noise.kind, ReplyKind::kIgnored);
  EXPECT_EQ(noise.description, "not a reply, ignored");
}

}  // namespace
}  // namespace vqx
