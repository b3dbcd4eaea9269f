// The title, read-all and send-all dialogs: title entry in Japanese with
// its padding, byte limit and preview, and the timed runs driven by explicit
// timer ticks, at both paces, over the real link and reply dispatch where
// the answers matter.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/conventions.h"
#include "dialogs/read_all_dialog.h"
#include "dialogs/send_all_dialog.h"
#include "dialogs/title_dialog.h"
#include "dialogs/video_adjustment_dialog.h"
#include "protocol/reply_dispatch.h"
#include "tests/support/dialog_fixture.h"
#include "tests/support/link_fakes.h"

namespace vqx {
namespace {

using namespace std::chrono_literals;
using testing::Box;
using testing::DrawnText;
using testing::FakeDialogServices;
using testing::FakeDialogView;
using testing::SmallJapaneseCodec;
using Strings = std::vector<std::string>;

using testing::kJisWarning;
constexpr std::string_view kBlank = "\x81\x40";

std::string Blanks(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += kBlank;
  return text;
}

// ---- Title
// -----------------------------------------------------------------------

class TitleDialogTest : public ::testing::Test {
 protected:
  void Open() { dialog_.OnInit(view_); }
  void Type(std::string_view utf8) {
    view_.Type(dialog_, TitleDialog::kTitleEdit, utf8);
  }
  void Click(int control) { view_.Click(dialog_, control); }
  void SetTitle(int channel, std::string_view sjis) {
    fakes_.settings.Update([&](DeviceSettings& s) {
      std::memset(s.title_text[channel], 0, kTitleBufferBytes);
      std::memcpy(s.title_text[channel], sjis.data(), sjis.size());
    });
  }
  std::string Title(int channel) {
    return fakes_.settings.Snapshot().title_text[channel];
  }
  bool Dirty() { return fakes_.settings.Snapshot().dirty != 0; }
  std::vector<std::string>& Lines() { return fakes_.sink.lines; }

  FakeDialogServices fakes_;
  SmallJapaneseCodec codec_;
  DialogServices services_ = fakes_.Using(fakes_.sink, codec_);
  TitleDialog dialog_{services_};
  FakeDialogView view_;
};

TEST_F(TitleDialogTest, OpensOnTheTitleWithThePreviewAndLeavesTheFileClean) {
  Open();
  EXPECT_EQ(view_.ControlText(TitleDialog::kTitleEdit), "　　　ＣＨ０１　　　");
  EXPECT_EQ(view_.Items(TitleDialog::kChannelList)[7], "ch.08  ");
  EXPECT_EQ(view_.SelectedText(TitleDialog::kSingleScreenList), " ON");
  EXPECT_TRUE(view_.input_method_open);
  EXPECT_EQ(view_.controls[TitleDialog::kProgress].progress_high, 8);
  EXPECT_EQ(view_.timers.at(TitleDialog::kTimer), 500);
  // The preview: each line blanked, then its label and title.
  ASSERT_EQ(view_.drawn.size(), 16u);
  for (int channel = 0; channel < 8; ++channel) {
    const DrawnText& blank = view_.drawn[2 * channel];
    const DrawnText& line = view_.drawn[2 * channel + 1];
    EXPECT_EQ(blank.text, std::string(30, ' '));
    EXPECT_EQ(line.control, TitleDialog::kPreviewFrame);
    EXPECT_EQ(line.x, 0);
    EXPECT_EQ(line.y, 8 + 18 * channel);
  }
  EXPECT_EQ(view_.drawn[1].text, " ch.01 = 　　　ＣＨ０１　　　");
  EXPECT_EQ(view_.drawn[15].text, " ch.08 = 　　　ＣＨ０８　　　");
  Click(kIdClose);
  EXPECT_TRUE(view_.ended);
  EXPECT_FALSE(Dirty());
}

TEST_F(TitleDialogTest, ShortTitleFromAFileIsPaddedWithoutCountingAsAnEdit) {
  SetTitle(0, "\x93\xFA\x96\x7B");  // 日本
  Open();
  EXPECT_EQ(Title(0), "\x93\xFA\x96\x7B" + Blanks(8));
  EXPECT_FALSE(Dirty());
  Type("日本" + std::string("　　　　　　　　"));  // the same bytes again
  EXPECT_FALSE(Dirty());
  Type("日");
  EXPECT_TRUE(Dirty());
}

struct PaddingCase {
  std::string typed;   // UTF-8
  std::string stored;  // Shift_JIS
};

TEST_F(TitleDialogTest, TypedTitlesArePaddedToTwentyOrNineteenBytes) {
  const std::vector<PaddingCase> cases = {
      {"ＡＢ", "\x82\x60\x82\x61" + Blanks(8)},
      {"ＡＢC",
       "\x82\x60\x82\x61"
       "C" +
           Blanks(7)},
      {"", Blanks(10)},
      {"ＡＢＣＤＥＦＧＨＩＪ",
       "\x82\x60\x82\x61\x82\x62\x82\x63\x82\x64\x82\x65\x82\x66\x82\x67\x82"
       "\x68\x82\x69"},
      {"AB", "AB" + Blanks(9)},
  };
  Open();
  for (const PaddingCase& c : cases) {
    SCOPED_TRACE(c.typed);
    Type(c.typed);
    EXPECT_EQ(Title(0), c.stored);
  }
  EXPECT_TRUE(Dirty());
}

TEST_F(TitleDialogTest, TextOverTwentyBytesIsCutAtACharacter) {
  Open();
  Type("ＡＢＣＤＥＦＧＨＩＪＫ");  // 22 bytes
  EXPECT_EQ(view_.ControlText(TitleDialog::kTitleEdit), "ＡＢＣＤＥＦＧＨＩＪ");
  EXPECT_EQ(Title(0).size(), 20u);
  Type("Aあいう");  // あいう do not convert here: stand-ins, cut likewise
  EXPECT_EQ(Title(0).size(), 19u);
  Type("ABCDEFGHIJKLMNOPQRSTU");  // 21 half-width letters
  EXPECT_EQ(view_.ControlText(TitleDialog::kTitleEdit), "ABCDEFGHIJKLMNOPQRST");
}

TEST_F(TitleDialogTest, OverlongTitleFromAFileIsCutWhenShown) {
  SetTitle(2, "A" + Blanks(10));  // 21 bytes: more than a title holds
  fakes_.selections.selected_channel = 2;
  Open();
  EXPECT_EQ(Title(2), "A" + Blanks(9));
  EXPECT_FALSE(Dirty());
}

TEST_F(TitleDialogTest, ACharacterShiftJisCannotHoldFailsTheJisCheck) {
  Open();
  Type("日😀");  // the emoji has no Shift_JIS form
  EXPECT_EQ(Title(0), "\x93\xFA\xF0\x40" + Blanks(8));
  Click(TitleDialog::kTitleSet);
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(fakes_.boxes.shown, std::vector<Box>{kJisWarning});
}

TEST_F(TitleDialogTest, SetButtonsAndTheirForms) {
  Open();
  Type("");
  Click(TitleDialog::kTitleSet);
  ASSERT_EQ(Lines().size(), 1u);
  std::string blanks_line = "CJ01";
  for (int i = 0; i < 10; ++i) blanks_line += "2121";
  EXPECT_EQ(Lines()[0], blanks_line + "\r\n");
  Lines().clear();
  view_.Choose(dialog_, TitleDialog::kChannelList, 2);
  Click(TitleDialog::kTitleSetN);
  EXPECT_EQ(Lines(),
            Strings{"CJN032121212121212343234823302333212121212121\r\n"});
  Lines().clear();
  Type("ＡＢC");  // odd length: not sent
  Click(TitleDialog::kTitleSet);
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(fakes_.boxes.shown, std::vector<Box>{kJisWarning});
  view_.Choose(dialog_, TitleDialog::kSingleScreenList, 0);
  Click(TitleDialog::kSingleScreenSet);
  Click(TitleDialog::kSplitScreenSet);
  EXPECT_EQ(Lines(), (Strings{"CTDSOF\r\n", "CTDDON\r\n"}));
}

TEST_F(TitleDialogTest, ChannelChangeShowsThatTitle) {
  fakes_.selections.selected_channel = 9;  // left by the display dialog
  Open();
  EXPECT_EQ(view_.SelectedText(TitleDialog::kChannelList), "ch.01  ");
  EXPECT_EQ(view_.ControlText(TitleDialog::kTitleEdit), "　　　ＣＨ０１　　　");
  view_.drawn.clear();
  view_.Choose(dialog_, TitleDialog::kChannelList, 4);
  EXPECT_EQ(fakes_.selections.selected_channel, 4);
  EXPECT_EQ(view_.ControlText(TitleDialog::kTitleEdit), "　　　ＣＨ０５　　　");
  EXPECT_EQ(view_.drawn.size(), 16u);
  EXPECT_FALSE(Dirty());
}

TEST_F(TitleDialogTest, SetAllRunsOnTheTimerAndKeepsTheDialogOpen) {
  Open();
  dialog_.OnTimer(view_, TitleDialog::kTimer);  // the first drawing
  EXPECT_EQ(view_.timers.count(TitleDialog::kTimer), 0u);
  Click(TitleDialog::kTitleSetAllN);
  EXPECT_FALSE(view_.Enabled(kIdClose));
  EXPECT_EQ(view_.timers.at(TitleDialog::kTimer), 200);
  Click(kIdClose);
  EXPECT_FALSE(view_.ended);
  Click(TitleDialog::kTitleSet);  // single titles wait for the run
  Click(TitleDialog::kTitleSetAll);
  Strings percents;
  for (int tick = 1; tick <= 8; ++tick) {
    if (tick == 3) {
      // A repaint: the next tick only redraws, the run goes on after it.
      dialog_.OnPaint(view_);
      dialog_.OnTimer(view_, TitleDialog::kTimer);
      EXPECT_EQ(view_.timers.at(TitleDialog::kTimer), 200);
    }
    dialog_.OnTimer(view_, TitleDialog::kTimer);
    percents.push_back(view_.ControlText(TitleDialog::kPercent));
  }
  EXPECT_EQ(percents,
            (Strings{"12", "25", "37", "50", "62", "75", "87", "  "}));
  ASSERT_EQ(Lines().size(), 8u);
  for (const std::string& line : Lines()) EXPECT_EQ(line.substr(0, 3), "CJN");
  EXPECT_TRUE(view_.Enabled(kIdClose));
  EXPECT_EQ(view_.controls[TitleDialog::kProgress].progress_position, 0);
  EXPECT_EQ(view_.timers.count(TitleDialog::kTimer), 0u);
  EXPECT_EQ(fakes_.state.sequence_step, 0);
}

TEST_F(TitleDialogTest, SetAllStopsAtTheNextTickAfterAnErrorReply) {
  Open();
  // The drawing due after opening takes the first tick.
  Click(TitleDialog::kTitleSetAll);
  dialog_.OnTimer(view_, TitleDialog::kTimer);
  EXPECT_TRUE(Lines().empty());
  dialog_.OnTimer(view_, TitleDialog::kTimer);
  fakes_.state.reply_error = 1;
  dialog_.OnTimer(view_, TitleDialog::kTimer);
  EXPECT_EQ(Lines().size(), 1u);
  EXPECT_EQ(view_.ControlText(TitleDialog::kPercent), "12");
  EXPECT_TRUE(view_.Enabled(kIdClose));
  // Refused while another run goes on.
  fakes_.state.sequence_step = 40;
  Click(TitleDialog::kTitleSetAll);
  EXPECT_TRUE(view_.Enabled(kIdClose));
  fakes_.state.sequence_step = 0;
}

// The "高速" box belongs to read-all and send-all: the set-all buttons keep
// the fixed pace, a line a tick without waiting for answers, however the box
// is ticked.
TEST(SetAllPaceTest, TheFastBoxLeavesTheSetAllsAtTheFixedPace) {
  struct Case {
    const char* what;
    std::function<std::unique_ptr<Dialog>(DialogServices&)> make;
    int draw_timer;
    int button;
    int timer;
    int period_ms;
    int lines;
  };
  const Case cases[] = {
      {"title",
       [](DialogServices& s) { return std::make_unique<TitleDialog>(s); },
       TitleDialog::kTimer, TitleDialog::kTitleSetAll, TitleDialog::kTimer,
       kTitleSetAllPeriodMs, 8},
      {"video adjustment",
       [](DialogServices& s) {
         return std::make_unique<VideoAdjustmentDialog>(s);
       },
       VideoAdjustmentDialog::kDrawTimer, VideoAdjustmentDialog::kSetAll,
       VideoAdjustmentDialog::kSetAllTimer, kAdjustmentSetAllPeriodMs, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDialogServices fakes;
    fakes.config.fast = 1;
    std::unique_ptr<Dialog> dialog = c.make(fakes.services);
    FakeDialogView view;
    dialog->OnInit(view);
    dialog->OnTimer(view, c.draw_timer);  // the drawing due after opening
    view.Click(*dialog, c.button);
    EXPECT_EQ(view.timers.at(c.timer), c.period_ms);
    int ticks = 0;
    for (; ticks < 1000 && view.timers.count(c.timer) != 0; ++ticks) {
      dialog->OnTimer(view, c.timer);
    }
    EXPECT_EQ(ticks, c.lines);
    EXPECT_EQ(fakes.sink.lines.size(), static_cast<std::size_t>(c.lines));
    EXPECT_TRUE(view.Enabled(kIdClose));
    EXPECT_EQ(fakes.state.sequence_step, 0);
  }
}

// ---- Read-all
// -------------------------------------------------------------------

class ReadAllDialogTest : public testing::DialogFixture<ReadAllDialog> {
 protected:
  void Tick() { dialog_.OnTimer(view_, ReadAllDialog::kTimer); }
};

TEST_F(ReadAllDialogTest, OpensWithAddressesWithoutBroadcast) {
  fakes_.selections.hidden_access_count = 7;
  fakes_.config.rs_control = 1;
  fakes_.slave_address = 32;  // broadcast, chosen elsewhere
  Open();
  EXPECT_EQ(view_.Items(kSlaveAddressCombo).size(), 32u);
  EXPECT_EQ(view_.Items(kSlaveAddressCombo).back(), "31");
  EXPECT_EQ(view_.SelectedItem(kSlaveAddressCombo), kNoSelection);
  EXPECT_EQ(fakes_.selections.hidden_access_count, 0);
  EXPECT_EQ(view_.controls[ReadAllDialog::kProgress].progress_high, 79);
}

TEST_F(ReadAllDialogTest, RunsSeventyNineCommandsAndClosesItself) {
  Open();
  fakes_.read_backs.Note("ADON\r\n");  // from before: forgotten at the start
  Click(ReadAllDialog::kStart);
  EXPECT_FALSE(view_.Enabled(kIdClose));
  EXPECT_EQ(view_.timers.at(ReadAllDialog::kTimer), 400);
  EXPECT_EQ(fakes_.read_backs.MissingSteps().size(), 79u);
  Click(kIdClose);  // refused while it runs
  EXPECT_FALSE(view_.ended);
  for (int tick = 1; tick < 79; ++tick) {
    Tick();
    EXPECT_EQ(view_.ControlText(ReadAllDialog::kPercent),
              std::to_string(tick * 100 / 79));
    EXPECT_EQ(view_.controls[ReadAllDialog::kProgress].progress_position, tick);
  }
  EXPECT_FALSE(view_.ended);
  Tick();
  EXPECT_TRUE(view_.ended);
  EXPECT_EQ(Lines().size(), 79u);
  EXPECT_EQ(Lines().front(), "RCJ01\r\n");
  EXPECT_EQ(Lines().back(), "RVN\r\n");
  EXPECT_EQ(view_.ControlText(ReadAllDialog::kPercent), "   ");
  EXPECT_EQ(view_.controls[ReadAllDialog::kProgress].progress_position, 0);
  EXPECT_TRUE(view_.Enabled(kIdClose));
  EXPECT_EQ(fakes_.state.sequence_step, 0);
}

TEST_F(ReadAllDialogTest, ErrorReplyStopsTheRunAndTheDialogStays) {
  Open();
  Click(ReadAllDialog::kStart);
  for (int tick = 0; tick < 10; ++tick) Tick();
  fakes_.state.reply_error = 1;
  Tick();
  EXPECT_FALSE(view_.ended);
  EXPECT_TRUE(view_.Enabled(kIdClose));
  EXPECT_EQ(view_.timers.count(ReadAllDialog::kTimer), 0u);
  EXPECT_EQ(view_.controls[ReadAllDialog::kProgress].progress_position, 10);
  // No verdict for a run that stopped.
  EXPECT_EQ(fakes_.read_backs.TakeVerdict(), std::nullopt);
  Lines().clear();
  Click(ReadAllDialog::kStart);
  EXPECT_EQ(view_.controls[ReadAllDialog::kProgress].progress_position, 0);
  Tick();
  EXPECT_EQ(Lines(), Strings{"RCJ01\r\n"});
}

TEST_F(ReadAllDialogTest, RefusedWhileAnotherRunGoes) {
  Open();
  fakes_.state.sequence_step = 3;
  Click(ReadAllDialog::kStart);
  EXPECT_TRUE(view_.Enabled(kIdClose));
  EXPECT_EQ(view_.timers.count(ReadAllDialog::kTimer), 0u);
}

TEST(ReadAllVerdictTest, NamesTheGroupsThatWereNotRead) {
  ReadBackRecord record;
  record.Clear();
  for (int step = 1; step <= kReadAllSteps; ++step) {
    if (step == 12 || step == 62 || step == 63) continue;
    record.Note(ReadAllExpectedReply(step) + "\r\n");
  }
  EXPECT_EQ(record.TakeVerdict(), std::nullopt);  // no run has finished
  record.RunFinished();
  const std::optional<std::vector<SettingsGroup>> missing =
      record.TakeVerdict();
  ASSERT_TRUE(missing);
  EXPECT_EQ(ReadAllIncompleteMessage(*missing),
            "次の設定項目は機器から読み込めませんでした。以前の値のままです。\n"
            "ビデオ映像の調整、自動切換え");
  EXPECT_EQ(record.TakeVerdict(), std::nullopt);  // told once

  // Without the version the verdict waits as long as the watchdog.
  record.Clear();
  record.RunFinished();
  for (int tick = 1; tick < ReadBackRecord::kVerdictTicks; ++tick) {
    EXPECT_EQ(record.TakeVerdict(), std::nullopt) << tick;
  }
  EXPECT_EQ(record.TakeVerdict()->size(), 11u);  // every group
}

// ---- Send-all
// -------------------------------------------------------------------

class SendAllDialogTest : public testing::DialogFixture<SendAllDialog> {
 protected:
  void Tick() { dialog_.OnTimer(view_, SendAllDialog::kTimer); }
};

TEST_F(SendAllDialogTest, SendsSeventyEightLinesAndClosesItself) {
  fakes_.selections.hidden_access_count = 2;
  Open();
  EXPECT_EQ(fakes_.selections.hidden_access_count, 0);
  EXPECT_EQ(view_.controls[SendAllDialog::kProgress].progress_high, 78);
  Click(SendAllDialog::kStart);
  EXPECT_FALSE(view_.Enabled(kIdClose));
  EXPECT_EQ(view_.timers.at(SendAllDialog::kTimer), 500);
  for (int tick = 1; tick < 78; ++tick) Tick();
  EXPECT_EQ(view_.ControlText(SendAllDialog::kPercent), "98");
  EXPECT_FALSE(view_.ended);
  Tick();
  EXPECT_TRUE(view_.ended);
  EXPECT_EQ(Lines().size(), 78u);
  EXPECT_EQ(Lines().back(), "AGCNNNNNNNN\r\n");
  EXPECT_EQ(view_.ControlText(SendAllDialog::kPercent), "   ");
  EXPECT_TRUE(view_.Enabled(kIdClose));
}

TEST_F(SendAllDialogTest, ErrorToTheTenthLineStopsWithTheBarAtTen) {
  Open();
  Click(SendAllDialog::kStart);
  for (int tick = 0; tick < 10; ++tick) Tick();
  fakes_.state.reply_error = 1;
  Tick();
  EXPECT_EQ(Lines().size(), 10u);
  EXPECT_EQ(view_.controls[SendAllDialog::kProgress].progress_position, 10);
  EXPECT_EQ(view_.ControlText(SendAllDialog::kPercent), "12");
  EXPECT_TRUE(view_.Enabled(kIdClose));
  EXPECT_FALSE(view_.ended);
  // Refused while another run goes on.
  fakes_.state.sequence_step = 5;
  Click(SendAllDialog::kStart);
  EXPECT_EQ(view_.timers.count(SendAllDialog::kTimer), 0u);
}

// ---- Runs over the real link: the device's answers
// ---------------------------------------------------------------------------

// A dialog whose lines go through the live link to an in-memory port; the
// test plays the device, each line answered as soon as it is written, and
// the main window's timer duty.
template <class D>
class LinkedRunTest : public ::testing::Test {
 protected:
  LinkedRunTest() {
    link_.AttachPort(&port_);
    dispatcher_.SetReadBackRecord(&fakes_.read_backs);
  }

  void Open() { dialog_.OnInit(view_); }
  void Click(int control) { view_.Click(dialog_, control); }
  // The run's timer, as the host delivers it, then the device's answers to
  // what the tick wrote.
  void Tick(int timer = D::kTimer) {
    dialog_.OnTimer(view_, timer);
    Serve();
  }
  void Serve() {
    const std::vector<std::string> written = port_.written();
    for (; served_ < written.size(); ++served_) {
      const std::string reply = device_(static_cast<int>(served_) + 1);
      if (!reply.empty()) dispatcher_.DispatchReply(reply);
    }
  }
  // Ticks `timer` while it runs, the clock moving at its period.
  void RunTimer(int timer = D::kTimer) {
    for (int i = 0; i < 10'000 && view_.timers.count(timer) != 0; ++i) {
      const int period = view_.timers.at(timer);
      Tick(timer);
      fakes_.steady_clock.Advance(std::chrono::milliseconds(period));
    }
  }
  // Answers "GN" to the lines of `refused` (1-based), "GO" to the others.
  void Refuse(std::vector<int> refused) {
    device_ = [refused](int line) {
      return std::find(refused.begin(), refused.end(), line) != refused.end()
                 ? std::string("GN\r\n")
                 : std::string("GO\r\n");
    };
  }
  std::vector<Box> BoxesAfterTheTimerDuty() {
    RunLinkTimerDuty(fakes_.state, fakes_.boxes);
    return fakes_.boxes.Take();
  }
  std::size_t Written() { return port_.written().size(); }
  // A new device conversation: the lines are counted from 1 again.
  void ForgetLines() {
    port_.ClearWritten();
    served_ = 0;
  }

  testing::FakeDialogServices fakes_;
  testing::FakePort port_;
  Link link_{fakes_.state, fakes_.config, fakes_.slave_address,
             fakes_.steady_clock};
  ReplyDispatcher dispatcher_{fakes_.state, fakes_.config, fakes_.settings,
                              fakes_.boxes, fakes_.steady_clock};
  DialogServices services_ = fakes_.Using(link_, fakes_.codec);
  D dialog_{services_};
  testing::FakeDialogView view_;
  std::function<std::string(int line)> device_ = [](int) {
    return std::string("GO\r\n");
  };
  std::size_t served_ = 0;
};

using LinkedSendAllTest = LinkedRunTest<SendAllDialog>;
using LinkedReadAllTest = LinkedRunTest<ReadAllDialog>;
using LinkedTitleTest = LinkedRunTest<TitleDialog>;
using LinkedAdjustmentTest = LinkedRunTest<VideoAdjustmentDialog>;

// A send-all the device refused lines of, at either pace and the last line
// included, ends with one warning that names them instead of "Success".
TEST_F(LinkedSendAllTest, RefusedLinesEndTheRunWithAWarningNamingThem) {
  for (const bool fast : {false, true}) {
    SCOPED_TRACE(fast ? "reply pace" : "fixed pace");
    fakes_.config.fast = fast ? 1 : 0;
    view_.ended = false;
    ForgetLines();
    Refuse({3, 50, 78});
    Open();
    Click(SendAllDialog::kStart);
    RunTimer();
    EXPECT_TRUE(view_.ended);
    EXPECT_EQ(Written(), 78u);
    EXPECT_EQ(BoxesAfterTheTimerDuty(),
              (std::vector<Box>{
                  {"warning",
                   "次の設定は機器が受け付けませんでした（Mode Error）。\n"
                   "タイトル ch.03 (3)\n"
                   "アラーム 保持時間 (50)\n"
                   "オート・ゲイン・コントロール ch.01-ch.08 (78)"}}));
  }
  // Every line taken: "Success", as before.
  Refuse({});
  ForgetLines();
  view_.ended = false;
  Open();
  Click(SendAllDialog::kStart);
  RunTimer();
  EXPECT_EQ(BoxesAfterTheTimerDuty(),
            (std::vector<Box>{{"success", "Success"}}));
}

TEST(RefusalWarningTest, ListsTenSettingsAndCountsTheRest) {
  std::vector<Refusal> refusals;
  for (int step = 9; step <= 21; ++step) refusals.push_back({step, ""});
  const std::string text = RefusalWarning(refusals, SendAllSettingName);
  EXPECT_NE(text.find("ビデオ映像の調整 Brightness ch.01 (9)"),
            std::string::npos);
  EXPECT_NE(text.find("ビデオ映像の調整 Contrast ch.02 (18)"),
            std::string::npos);
  EXPECT_EQ(text.find("(19)"), std::string::npos);
  EXPECT_TRUE(text.ends_with("\nほか 3 件")) << text;
}

// The set-all buttons name their refused steps the same way.
TEST_F(LinkedTitleTest, RefusedTitlesAreNamed) {
  Refuse({2, 8});
  Open();
  Tick(TitleDialog::kTimer);  // the drawing due after opening
  Click(TitleDialog::kTitleSetAll);
  RunTimer(TitleDialog::kTimer);
  EXPECT_EQ(Written(), 8u);
  EXPECT_TRUE(view_.Enabled(kIdClose));
  EXPECT_EQ(BoxesAfterTheTimerDuty(),
            (std::vector<Box>{
                {"warning",
                 "次の設定は機器が受け付けませんでした（Mode Error）。\n"
                 "タイトル ch.02 (2)\n"
                 "タイトル ch.08 (8)"}}));
}

// Sharpness before hue, as the set-all sends them.
TEST_F(LinkedAdjustmentTest, RefusedAdjustmentsAreNamed) {
  Refuse({17, 25});
  Open();
  Click(VideoAdjustmentDialog::kSetAll);
  RunTimer(VideoAdjustmentDialog::kSetAllTimer);
  EXPECT_EQ(Written(), 40u);
  EXPECT_EQ(BoxesAfterTheTimerDuty(),
            (std::vector<Box>{
                {"warning",
                 "次の設定は機器が受け付けませんでした（Mode Error）。\n"
                 "ビデオ映像の調整 Sharpness ch.01 (17)\n"
                 "ビデオ映像の調整 Hue ch.01 (25)"}}));
}

// The read-all's address stays while it reads: the list is off during the
// run, however it ends, and on again after it on RS-485 only.
TEST_F(LinkedReadAllTest, AddressListIsLockedWhileReading) {
  struct Case {
    const char* what;
    int rs_control;
    std::string reply_to_third;  // "" for the true read-back
    bool list_after;
  };
  const Case cases[] = {
      {"stopped by an error", 1, "05E3\r\n", true},
      {"finished", 1, "", true},
      {"RS-232C", 0, "E3\r\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fakes_.config.rs_control = c.rs_control;
    fakes_.slave_address = 5;
    const std::string address = c.rs_control != 0 ? "05" : "";
    device_ = [&](int line) {
      if (line == 3 && !c.reply_to_third.empty()) return c.reply_to_third;
      return address + ReadAllExpectedReply(line) + "\r\n";
    };
    FakeDialogView view;
    view_ = view;
    ForgetLines();
    Open();
    EXPECT_EQ(view_.Enabled(kSlaveAddressCombo), c.rs_control != 0);
    Click(ReadAllDialog::kStart);
    Tick();
    EXPECT_FALSE(view_.Enabled(kSlaveAddressCombo));
    RunTimer();
    EXPECT_EQ(view_.Enabled(kSlaveAddressCombo), c.list_after);
    EXPECT_EQ(view_.ended, c.reply_to_third.empty());
    fakes_.boxes.Take();
  }
}

// A refused read is named at the end of the run; the verdict on the
// replies that never came then leaves it out.
TEST_F(LinkedReadAllTest, RefusedReadIsNamedOnce) {
  fakes_.config.fast = 1;
  device_ = [](int line) {
    return line == 57 ? std::string("GN\r\n")
                      : ReadAllExpectedReply(line) + "\r\n";
  };
  Open();
  Click(ReadAllDialog::kStart);
  RunTimer();
  EXPECT_TRUE(view_.ended);
  EXPECT_EQ(fakes_.boxes.Take(),
            (std::vector<Box>{
                {"warning",
                 "次の設定は機器が受け付けませんでした（Mode Error）。\n"
                 "ビデオロス Display (57)"}}));
  EXPECT_EQ(fakes_.read_backs.TakeVerdict(), std::vector<SettingsGroup>{});
  EXPECT_EQ(BoxesAfterTheTimerDuty(), std::vector<Box>{});
}

// ---- The "高速" box and the reply pace

TEST_F(LinkedSendAllTest, TheBoxIsRememberedAndPacesTheRunByReplies) {
  Open();
  EXPECT_FALSE(view_.IsChecked(SendAllDialog::kFastBox));
  view_.Toggle(dialog_, SendAllDialog::kFastBox);
  EXPECT_EQ(fakes_.config.fast.load(), 1);
  EXPECT_EQ(fakes_.profile.writes, Strings{"[VQX-460J_Section] fast=1"});

  device_ = [](int) { return std::string(); };  // answered by hand
  view_.Click(dialog_, SendAllDialog::kStart);
  EXPECT_FALSE(view_.Enabled(SendAllDialog::kFastBox));
  EXPECT_EQ(view_.timers.at(SendAllDialog::kTimer), 10);
  for (int tick = 0; tick < 2000 && !view_.ended; ++tick) {
    const std::size_t before = Written();
    Tick();
    // A line waits for the answer to the one before it.
    if (Written() != before) {
      Tick();
      EXPECT_EQ(Written(), before + 1);
      dispatcher_.DispatchReply("GO\r\n");
    }
    fakes_.steady_clock.Advance(10ms);
  }
  EXPECT_EQ(Written(), 78u);
  EXPECT_TRUE(view_.ended);
  EXPECT_TRUE(view_.Enabled(SendAllDialog::kFastBox));
  // Well under the 39 s of the fixed pace.
  EXPECT_LT(fakes_.steady_clock.Now(), 5s);
}

// The next start reads the box as the dialogs wrote it, or as a hand edit
// left it: any non-zero number ticks it.
TEST(FastChoiceTest, TheNextStartReadsTheBoxFromTheIniFile) {
  struct Case {
    const char* kept;  // nullptr: no such key
    int fast;
  };
  const Case cases[] = {
      {nullptr, 0}, {"0", 0}, {"1", 1}, {" 2x", 2}, {"on", 0}, {"-1", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kept == nullptr ? "absent" : c.kept);
    testing::FakeDialogServices fakes;
    if (c.kept != nullptr) {
      fakes.profile.values[{"VQX-460J_Section", "fast"}] = c.kept;
    }
    fakes.config.fast = 5;
    ReadFastChoice(fakes.profile, fakes.config);
    EXPECT_EQ(fakes.config.fast.load(), c.fast);
    SendAllDialog dialog(fakes.services);
    FakeDialogView view;
    dialog.OnInit(view);
    EXPECT_EQ(view.IsChecked(SendAllDialog::kFastBox), c.fast != 0);
  }
  // What a tick of the box writes, the next start reads.
  testing::FakeDialogServices fakes;
  EXPECT_TRUE(WriteFastChoice(fakes.profile, fakes.config, true));
  LinkConfig next_start;
  ReadFastChoice(fakes.profile, next_start);
  EXPECT_EQ(next_start.fast.load(), 1);
}

TEST_F(LinkedSendAllTest, TheBoxCannotChangeDuringARun) {
  fakes_.config.fast = 1;
  Open();
  EXPECT_TRUE(view_.IsChecked(SendAllDialog::kFastBox));
  view_.Click(dialog_, SendAllDialog::kStart);
  view_.Toggle(dialog_, SendAllDialog::kFastBox);
  EXPECT_EQ(fakes_.config.fast.load(), 1);
  EXPECT_TRUE(fakes_.profile.writes.empty());
}

TEST_F(LinkedReadAllTest, NoReplyEndsTheRunAndLeavesTheDialogOpen) {
  fakes_.config.fast = 1;
  device_ = [](int) { return std::string(); };
  Open();
  EXPECT_TRUE(view_.IsChecked(ReadAllDialog::kFastBox));
  view_.Click(dialog_, ReadAllDialog::kStart);
  Tick();
  EXPECT_EQ(port_.written(), Strings{"RCJ01\r\n"});
  // The watchdog gives up on the reply ("No Connect").
  ++fakes_.state.reply_timeouts;
  Tick();
  EXPECT_EQ(view_.timers.count(ReadAllDialog::kTimer), 0u);
  EXPECT_TRUE(view_.Enabled(kIdClose));
  EXPECT_TRUE(view_.Enabled(ReadAllDialog::kFastBox));
  EXPECT_FALSE(view_.ended);
  EXPECT_EQ(fakes_.state.sequence_step, 0);
  EXPECT_EQ(Written(), 1u);
}

}  // namespace
}  // namespace vqx
