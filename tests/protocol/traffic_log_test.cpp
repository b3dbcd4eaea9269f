// The traffic log: what each line becomes, fed through the real link and
// reply dispatch, and the log's bounds, paging and threads.
#include "protocol/traffic_log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/file_io.h"
#include "protocol/reply_dispatch.h"
#include "tests/support/link_fakes.h"
#include "tests/support/scratch_folder.h"
#include "transport/link.h"

namespace vqx {
namespace {

TEST(VisibleLineTest, ControlAndOtherBytesBecomeText) {
  struct Case {
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"RVN\r\n", "RVN<CR><LF>"},
      {"", ""},
      {std::string("G\0O", 3), "G<00>O"},
      {"\xFE*#~GO\r\n", "<FE>*#~GO<CR><LF>"},
      {"\x11\x13\x7F \t", "<11><13><7F> <09>"},
      {"\x82\xA0", "<82><A0>"},  // never half a character of UTF-8
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VisibleLine(c.bytes), c.text) << c.text;
  }
}

// The program's log: the device's own texts as its boxes show them, every
// other meaning in Japanese, settings as the dialogs word them.
TEST(ReplyMeaningTest, EachReplyInTheProgramsWords) {
  struct Case {
    const char* work_copy;
    const char* words;
  };
  const Case cases[] = {
      {"GO\r\n", "Success"},
      {"E3\r\n", "Command Error"},
      {"VN1.00\r\n", "機器のバージョン: 1.00"},
      {"AME\r\n", "アラーム / モード: External"},
      {"AMI\r\n", "アラーム / モード: Internal"},
      {"ADT045\r\n", "アラーム / 保持時間: 045"},
      {"VAB03000\r\n", "ビデオ映像の調整 / Brightness ch.03: 00"},
      {"VLSOON\r\n", "ビデオロス / Signal Output: ON"},
      {"VLNFNNNNNN\r\n",
       "ビデオロス ch.01: ON、ビデオロス ch.02: OFF、ビデオロス ch.03: ON、"
       "ビデオロス ch.04: ON、ビデオロス ch.05: ON、ビデオロス ch.06: ON、"
       "ビデオロス ch.07: ON、ビデオロス ch.08: ON"},
      {"SPD4A01020304\r\n",
       "表示チャンネル / 4分割A ch.配置 画面１: ch.01、"
       "表示チャンネル / 4分割A ch.配置 画面２: ch.02、"
       "表示チャンネル / 4分割A ch.配置 画面３: ch.03、"
       "表示チャンネル / 4分割A ch.配置 画面４: ch.04"},
      // Titles as text; a blank inside a title stays.
      {"CJ022341212123422121212121212121212121212121\r\n",
       "タイトル ch.02: Ａ　Ｂ"},
      {"CJ052121212121212121212121212121212121212121\r\n",
       "タイトル ch.05: （空欄）"},
      {"VAB09000\r\n", "壊れた読み出し応答（無視）"},
      {"GO\n", "応答ではない行（無視）"},
  };
  testing::SmallJapaneseCodec codec;
  for (const Case& c : cases) {
    const ReplyMeaning meaning = ExplainReply(c.work_copy, codec);
    EXPECT_EQ(meaning.words, c.words) << c.work_copy;
    // One line of words per setting, beside the one by field name.
    EXPECT_EQ(meaning.settings_in_words.size(), meaning.settings.size());
  }
}

// vqx460ctl's log: settings by field name, as scripts have always read it.
TEST(ReplyMeaningTest, EachReplyByFieldNames) {
  struct Case {
    const char* work_copy;
    const char* meaning;
  };
  const Case cases[] = {
      {"GO\r\n", "Success"},
      {"GN\r\n", "Mode Error"},
      {"MENU\r\n", "Menu Display"},
      {"E0\r\n", "Framing Error"},
      {"E1\r\n", "Parity Error"},
      {"E2\r\n", "Over Run Error"},
      {"E3\r\n", "Command Error"},
      {"VN1.00\r\n", "device version 1.00"},
      {"AME\r\n", "alarm_mode = 1 (External)"},
      {"ADT045\r\n", "alarm_hold_time = \"045\" (seconds)"},
      {"VAB03000\r\n", "adjust_brightness[ch.03] = 64 (brightness +0)"},
      {"VLSOON\r\n", "vloss_signal_output = 1 (ON)"},
      {"VLNFNNNNNN\r\n",
       "vloss_detect[ch.01] = 1 (ON); vloss_detect[ch.02] = 0 (OFF); "
       "vloss_detect[ch.03] = 1 (ON); vloss_detect[ch.04] = 1 (ON); "
       "vloss_detect[ch.05] = 1 (ON); vloss_detect[ch.06] = 1 (ON); "
       "vloss_detect[ch.07] = 1 (ON); vloss_detect[ch.08] = 1 (ON)"},
      // Values equal to either starting record still show.
      {"AMI\r\n", "alarm_mode = 0 (Internal)"},
      {"SPD4A01020304\r\n",
       "layout_4a[pane 1] = 0 (ch.01); layout_4a[pane 2] = 1 (ch.02); "
       "layout_4a[pane 3] = 2 (ch.03); layout_4a[pane 4] = 3 (ch.04)"},
      {"CJ022341212123422121212121212121212121212121\r\n",
       "title_text[ch.02] = \"\x82\x60\x81\x40\x82\x61\" (6 bytes)"},
      {"CJ052121212121212121212121212121212121212121\r\n",
       "title_text[ch.05] = \"\" (0 bytes)"},
      {"VAB09000\r\n", "read-back that sets nothing (garbled), ignored"},
      {"GO\n", "not a reply, ignored"},
      {"\xFE*#~GO\r\n", "not a reply, ignored"},
      {"", "not a reply, ignored"},
  };
  testing::PassThroughCodec codec;
  for (const Case& c : cases) {
    EXPECT_EQ(ExplainReply(c.work_copy, codec).summary, c.meaning)
        << c.work_copy;
  }
}

class TrafficLogTest : public ::testing::Test {
 protected:
  TrafficLogTest() {
    clock.now = {2024, 1, 5, 5, 9, 5, 3, 120};
    link.AttachPort(&port);
    link.AttachTap(&log);
    dispatcher.SetTrafficLog(&log);
  }

  testing::FixedClock clock;
  testing::PassThroughCodec codec;
  TrafficLog log{clock, codec};
  LinkState state;
  LinkConfig config;
  std::atomic<int> slave{5};
  SettingsStore settings;
  testing::RecordingBoxes boxes;
  testing::FakePort port;
  testing::ManualSteadyClock steady_clock;
  Link link{state, config, slave, steady_clock};
  ReplyDispatcher dispatcher{state, config, settings, boxes, steady_clock};
};

TEST_F(TrafficLogTest, LinkAndDispatchFeedEveryLine) {
  config.rs_control = 1;
  config.echo = 1;
  link.SendCommand("RAM\r\n");
  clock.now.millisecond = 135;
  dispatcher.DispatchReply("05RAM\r\n");  // the adapter's echo
  dispatcher.DispatchReply("05AME\r\n");
  slave = kBroadcastAddress;
  link.SendCommand("AMI\r\n");
  config.rs_control = 0;
  dispatcher.DispatchReply("E3\r\n");
  boxes.Take();

  const std::vector<TrafficEntry> entries = log.Snapshot();
  ASSERT_EQ(entries.size(), 5u);
  std::vector<std::string> lines;
  for (const TrafficEntry& entry : entries) {
    lines.push_back(FormatTrafficEntry(entry));
  }
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "2024-01-05 09:05:03.120\tTX\t05\tRAM<CR><LF>\t",
                       "2024-01-05 09:05:03.135\tRX\t05\tRAM<CR><LF>\t"
                       "送信した行のエコー",
                       "2024-01-05 09:05:03.135\tRX\t05\tAME<CR><LF>\t"
                       "アラーム / モード: External",
                       "2024-01-05 09:05:03.135\tTX\tFF\tAMI<CR><LF>\t",
                       "2024-01-05 09:05:03.135\tRX\t\tE3<CR><LF>\t"
                       "Command Error",
                   }));
  EXPECT_TRUE(entries[1].echo);
  EXPECT_FALSE(entries[2].echo);
  EXPECT_EQ(entries[0].direction, TrafficDirection::kSent);
  EXPECT_EQ(entries[1].direction, TrafficDirection::kReceived);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].sequence, i + 1);
  }
}

TEST_F(TrafficLogTest, ShortOrCutLinesAreShownWhole) {
  config.rs_control = 1;
  dispatcher.DispatchReply("\n");
  dispatcher.DispatchReply(std::string_view("05GO\0xx\r\n", 9));
  const std::vector<TrafficEntry> entries = log.Snapshot();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].address, "<LF>");
  EXPECT_EQ(entries[0].text, "");
  EXPECT_EQ(entries[0].meaning, "応答ではない行（無視）");
  EXPECT_EQ(entries[1].text, "GO<00>xx<CR><LF>");
  // The dispatch reads up to the NUL: no complete "GO" line.
  EXPECT_EQ(entries[1].meaning, "応答ではない行（無視）");
}

// vqx460ctl's log file keeps the field names its readers know.
TEST_F(TrafficLogTest, ALogByFieldNamesKeepsTheListingsWords) {
  TrafficLog by_names{clock, codec, TrafficMeanings::kFieldNames};
  dispatcher.SetTrafficLog(&by_names);
  config.echo = 1;
  link.AttachTap(&by_names);
  link.SendCommand("RAM\r\n");
  dispatcher.DispatchReply("RAM\r\n");
  dispatcher.DispatchReply("AME\r\n");
  dispatcher.DispatchReply("E3\r\n");
  dispatcher.DispatchReply("xyz\r\n");
  boxes.Take();
  std::vector<std::string> meanings;
  for (const TrafficEntry& entry : by_names.Snapshot()) {
    meanings.push_back(entry.meaning);
  }
  EXPECT_EQ(meanings,
            (std::vector<std::string>{
                "", "echo of the line sent", "alarm_mode = 1 (External)",
                "Command Error", "not a reply, ignored"}));
}

TEST_F(TrafficLogTest, KeepsTheNewestEntriesAndPagesBySequence) {
  const std::size_t extra = 5;
  for (std::size_t i = 0; i < TrafficLog::kCapacity + extra; ++i) {
    link.SendCommand("RVN\r\n");
  }
  EXPECT_EQ(log.size(), TrafficLog::kCapacity);
  EXPECT_EQ(log.newest_sequence(), TrafficLog::kCapacity + extra);
  EXPECT_EQ(log.oldest_sequence(), extra + 1);
  EXPECT_EQ(log.Snapshot().front().sequence, extra + 1);

  const std::uint64_t newest = log.newest_sequence();
  EXPECT_TRUE(log.EntriesAfter(newest).empty());
  link.SendCommand("RAM\r\n");
  link.SendCommand("RAP\r\n");
  std::vector<TrafficEntry> newer = log.EntriesAfter(newest);
  ASSERT_EQ(newer.size(), 2u);
  EXPECT_EQ(newer[0].sequence, newest + 1);
  EXPECT_EQ(newer[1].text, "RAP<CR><LF>");
  // A window that fell behind gets what the log still holds.
  EXPECT_EQ(log.EntriesAfter(0).size(), TrafficLog::kCapacity);

  log.Clear();
  EXPECT_EQ(log.size(), 0u);
  EXPECT_EQ(log.oldest_sequence(), newest + 3);  // every row is gone
  EXPECT_TRUE(log.EntriesAfter(0).empty());
  link.SendCommand("RAR\r\n");
  EXPECT_EQ(log.Snapshot().front().sequence, newest + 3);
}

TEST_F(TrafficLogTest, PausedLogRecordsNothing) {
  std::vector<std::uint64_t> heard;
  log.SetListener([&](const TrafficEntry& e) { heard.push_back(e.sequence); });
  link.SendCommand("RAD\r\n");
  log.SetPaused(true);
  EXPECT_TRUE(log.paused());
  link.SendCommand("RAM\r\n");
  dispatcher.DispatchReply("AMI\r\n");
  log.SetPaused(false);
  link.SendCommand("RAP\r\n");
  EXPECT_EQ(log.size(), 2u);
  EXPECT_EQ(heard, (std::vector<std::uint64_t>{1, 2}));
  EXPECT_EQ(log.Snapshot().back().text, "RAP<CR><LF>");
}

TEST_F(TrafficLogTest, SavesUtf8LinesEndingInCrLf) {
  testing::ScratchFolder folder("vqx-traffic");
  dispatcher.DispatchReply("TSDR1\r\n");
  link.SendCommand("RTSDR\r\n");
  // A file name in Japanese, on every platform.
  const std::string path = folder.path().string() + "/通信ログ.txt";
  ASSERT_TRUE(SaveTrafficLog(path, log.Snapshot()));
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(),
            "2024-01-05 09:05:03.120\tRX\t\tTSDR1<CR><LF>\t"
            "日付・時刻 / 表示範囲: 年月日時分秒\r\n"
            "2024-01-05 09:05:03.120\tTX\t\tRTSDR<CR><LF>\t\r\n");
  EXPECT_FALSE(SaveTrafficLog(folder.path().string() + "/missing/x.txt",
                              log.Snapshot()));
}

// The receive thread records replies while the user-interface thread sends
// and a window's timer pages through the log: every entry is seen once, in
// order.
TEST_F(TrafficLogTest, RecordsAndReadsFromSeveralThreads) {
  constexpr int kLines = 2000;
  std::atomic<bool> done{false};
  std::thread receive([&] {
    for (int i = 0; i < kLines; ++i) dispatcher.DispatchReply("GO\r\n");
  });
  std::thread window([&] {
    std::uint64_t seen = 0;
    while (!done) {
      for (const TrafficEntry& entry : log.EntriesAfter(seen)) {
        ASSERT_EQ(entry.sequence, seen + 1);
        seen = entry.sequence;
      }
      log.newest_sequence();
      log.oldest_sequence();
    }
  });
  for (int i = 0; i < kLines; ++i) link.SendCommand("AMI\r\n");
  receive.join();
  done = true;
  window.join();
  EXPECT_EQ(log.size(), 2u * kLines);
}

}  // namespace
}  // namespace vqx
