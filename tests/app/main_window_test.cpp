#include "app/main_window.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/about_dialog.h"
#include "app/commands.h"
#include "files/file_operations.h"
#include "files/settings_file.h"
#include "tests/support/fake_dialog_view.h"
#include "tests/support/scratch_folder.h"

namespace vqx {
namespace {

using testing::Box;
using testing::FakeDialogRunner;
using testing::FakeDialogServices;
using testing::FixedClock;
using testing::MemoryProfile;
using testing::ScriptedChooser;

TEST(MainWindowSizeTest, FollowsTheSystemVersion) {
  struct Case {
    int major, minor;
    WindowSize size;
  };
  const Case cases[] = {
      {4, 0, {677, 90}},   {4, 10, {677, 90}},  {4, 90, {677, 90}},
      {5, 0, {677, 90}},   {5, 2, {677, 90}},   {5, 1, {677, 104}},
      {6, 0, {680, 106}},  {6, 1, {680, 106}},  {6, 2, {688, 120}},
      {6, 3, {688, 120}},  {10, 0, {688, 120}}, {11, 0, {677, 104}},
      {3, 51, {677, 104}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MainWindowSize(VersionCode(c.major, c.minor)), c.size)
        << c.major << "." << c.minor;
  }
  EXPECT_EQ(VersionCode(4, 0), 0);
  EXPECT_EQ(VersionCode(4, 10), 1);
  EXPECT_EQ(VersionCode(6, 3), 8);
  EXPECT_EQ(VersionCode(10, 0), 9);
}

TEST(ToolbarArtTest, LargestStripNotDrawnForMoreThanTheDensity) {
  const std::pair<int, int> cases[] = {
      {0, IDB_TOOLBAR},       {96, IDB_TOOLBAR},      {120, IDB_TOOLBAR},
      {143, IDB_TOOLBAR},     {144, IDB_TOOLBAR_150}, {168, IDB_TOOLBAR_150},
      {191, IDB_TOOLBAR_150}, {192, IDB_TOOLBAR_200}, {288, IDB_TOOLBAR_200},
  };
  for (auto [dpi, bitmap] : cases) {
    EXPECT_EQ(ToolbarArtFor(dpi).bitmap_id, bitmap) << dpi;
  }
  // Each strip holds the 100 % pictures at its own scaling.
  for (const ToolbarArt& art : kToolbarArts) {
    EXPECT_EQ(art.image_width, ScaleForDpi(kToolbarImageWidth, art.dpi));
    EXPECT_EQ(art.image_height, ScaleForDpi(kToolbarImageHeight, art.dpi));
  }
}

LocalTime At(int year, int month, int day, int weekday, int hour, int minute,
             int second) {
  LocalTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.weekday = weekday;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return t;
}

TEST(StatusBarTextTest, DateWithWeekdayAndTimeWithFullWidthColons) {
  const LocalTime friday = At(2024, 1, 5, 5, 9, 5, 3);
  EXPECT_EQ(StatusDateText(friday), "2024年 1月 5日  金曜日");
  EXPECT_EQ(StatusTimeText(friday), "09：05：03");

  EXPECT_EQ(StatusDateText(At(2023, 12, 31, 0, 23, 59, 59)),
            "2023年12月31日  日曜日");
  EXPECT_EQ(StatusTimeText(At(2023, 12, 31, 0, 23, 59, 59)), "23：59：59");
}

TEST(StatusBarTextTest, OddValuesNeverBreakTheText) {
  // A weekday the clock cannot report leaves the name out.
  EXPECT_EQ(StatusDateText(At(2024, 1, 5, 7, 0, 0, 0)), "2024年 1月 5日  ");
  EXPECT_EQ(StatusDateText(At(2024, 1, 5, -1, 0, 0, 0)), "2024年 1月 5日  ");
  // A five-digit year pushes the date into the weekday's columns: the
  // kanji cut in half becomes a blank, the name still starts at byte 16.
  EXPECT_EQ(StatusDateText(At(12024, 1, 5, 1, 0, 0, 0)),
            "12024年 1月 5日 月曜日");
}

TEST(HiddenAccessTest, TenRequestsInTheCornerInARow) {
  int counter = 0;
  for (int i = 0; i < 9; ++i) EXPECT_FALSE(CountHiddenAccess(counter, 19, 0));
  EXPECT_TRUE(CountHiddenAccess(counter, 0, 19));
  EXPECT_EQ(counter, 0);

  for (int i = 0; i < 9; ++i) CountHiddenAccess(counter, 5, 5);
  EXPECT_FALSE(CountHiddenAccess(counter, 20, 5));  // outside: restart
  EXPECT_EQ(counter, 0);
  EXPECT_FALSE(CountHiddenAccess(counter, 5, 20));
  for (int i = 0; i < 9; ++i) EXPECT_FALSE(CountHiddenAccess(counter, 1, 1));
  EXPECT_TRUE(CountHiddenAccess(counter, 1, 1));
}

TEST(CommandTableTest, OtherIdsAreNoCommands) {
  for (int unknown : {0, 1, 2, 122, 500, 511, 520, 32781, 32783, 32792}) {
    EXPECT_EQ(FindCommand(unknown), nullptr) << unknown;
  }
}

TEST(CommandTableTest, ToolbarTooltips) {
  const std::vector<std::string> expected = {
      "アラーム",       "ビデオロス",         "日付・時刻",
      "タイトル",       "自動切換え",         "ビデオ映像の調整",
      "表示チャンネル", "ビデオフォーマット", "オート・ゲイン・コントロール",
      "その他"};
  for (int i = 0; i < kToolbarButtonCount; ++i) {
    EXPECT_EQ(ToolbarTooltip(kFirstToolbarCommand + i), expected[i]);
  }
  EXPECT_FALSE(ToolbarTooltip(500).has_value());
  EXPECT_FALSE(ToolbarTooltip(32779).has_value());  // menu ids have none
}

class RecordingWindowView : public MainWindowView {
 public:
  void SetStatusText(int part, std::string_view text) override {
    status[part] = std::string(text);
  }
  void StopMainTimer() override { timer_stopped = true; }
  void PostQuit(int exit_code) override { quit_codes.push_back(exit_code); }
  void DrawFileName(std::string_view text) override {
    drawn.emplace_back(text);
  }
  void SetCaption(std::string_view caption) override {
    this->caption = std::string(caption);
  }
  void SetSessionEndBlockReason(std::string_view reason) override {
    block_reasons.emplace_back(reason);
  }
  std::map<int, std::string> status;
  std::vector<std::string> block_reasons;  // "" = withdrawn
  bool timer_stopped = false;
  std::vector<int> quit_codes;
  std::vector<std::string> drawn;
  std::string caption = "VQX-460";
};

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() { fakes_.state.receive_running = 1; }

  void MakeDirty() {
    fakes_.settings.Update([](DeviceSettings& s) { s.dirty = 1; });
  }
  bool Dirty() { return fakes_.settings.Snapshot().dirty != 0; }
  bool Quit() const { return !view_.quit_codes.empty(); }

  FakeDialogServices fakes_;
  RecordingWindowView view_;
  FixedClock clock_;
  ScriptedChooser chooser_;
  testing::RecordingOpener opener_;
  FakeDialogRunner runner_;
  MemoryProfile profile_;  // empty: every key reads as its fallback
  testing::ListedPorts ports_;
  MainWindow window_{{fakes_.settings,
                      fakes_.services.device,
                      {fakes_.boxes, fakes_.codec, clock_, fakes_.steady_clock,
                       profile_, chooser_},
                      runner_,
                      view_,
                      opener_},
                     {fakes_.services, ports_}};
  testing::ScratchFolder folder_{"vqx_main_window"};
};

// Each menu item and toolbar button opens its own dialog, made anew each
// time; the traffic log window stays beside the main window.
TEST_F(MainWindowTest, EveryCommandOpensItsDialog) {
  struct Case {
    int command;
    int dialog;
  };
  const Case cases[] = {
      {IDM_ALARM, IDD_ALARM},
      {IDT_ALARM, IDD_ALARM},
      {IDM_VIDEO_LOSS, IDD_VIDEO_LOSS},
      {IDT_VIDEO_LOSS, IDD_VIDEO_LOSS},
      {IDM_DATE_TIME, IDD_DATE_TIME},
      {IDT_DATE_TIME, IDD_DATE_TIME},
      {IDM_TITLE, IDD_TITLE},
      {IDT_TITLE, IDD_TITLE},
      {IDM_AUTO_SWITCHING, IDD_AUTO_SWITCHING},
      {IDT_AUTO_SWITCHING, IDD_AUTO_SWITCHING},
      {IDM_VIDEO_ADJUSTMENT, IDD_VIDEO_ADJUSTMENT},
      {IDT_VIDEO_ADJUSTMENT, IDD_VIDEO_ADJUSTMENT},
      {IDM_DISPLAY_CHANNEL, IDD_DISPLAY_CHANNEL},
      {IDT_DISPLAY_CHANNEL, IDD_DISPLAY_CHANNEL},
      {IDM_VIDEO_FORMAT, IDD_VIDEO_FORMAT},
      {IDT_VIDEO_FORMAT, IDD_VIDEO_FORMAT},
      {IDM_AGC, IDD_AGC},
      {IDT_AGC, IDD_AGC},
      {IDM_OTHER_SETTINGS, IDD_OTHER_SETTINGS},
      {IDT_OTHER_SETTINGS, IDD_OTHER_SETTINGS},
      {IDM_SEND_ALL, IDD_SEND_ALL},
      {IDM_SLAVE_ADDRESS, IDD_SLAVE_ADDRESS},
      {IDM_READ_ALL, IDD_READ_ALL},
      {IDM_SERIAL_SETTINGS, IDD_SERIAL_SETTINGS},
      {IDM_ABOUT, IDD_ABOUT},
      {IDM_TRAFFIC_LOG, IDD_TRAFFIC_LOG},
  };
  for (const Case& c : cases) {
    runner_.opened.clear();
    window_.OnCommand(c.command);
    EXPECT_EQ(runner_.opened, std::vector<int>{c.dialog}) << c.command;
  }
  EXPECT_EQ(runner_.modeless.size(), 1u);  // the traffic log window

  // Any other id does nothing.
  runner_.opened.clear();
  for (int unknown : {0, 1, 2, 99, 122, 500, 511, 520, 32781, 32792}) {
    window_.OnCommand(unknown);
  }
  EXPECT_TRUE(runner_.opened.empty());
  EXPECT_TRUE(fakes_.boxes.shown.empty());
  EXPECT_FALSE(Quit());
}

TEST_F(MainWindowTest, TenCornerRequestsOpenTheReadAllDialog) {
  for (int i = 0; i < 9; ++i) window_.OnContextMenu(3, 4);
  EXPECT_TRUE(runner_.opened.empty());
  window_.OnContextMenu(3, 4);
  EXPECT_EQ(runner_.opened, std::vector<int>{IDD_READ_ALL});
  EXPECT_EQ(fakes_.selections.hidden_access_count, 0);
}

TEST_F(MainWindowTest, TimerTickRunsTheLinkDutiesThenTheClock) {
  clock_.now = At(2024, 1, 5, 5, 9, 5, 3);
  fakes_.state.success_pending = 1;
  window_.OnTimerTick();
  EXPECT_EQ(view_.status[0], "2024年 1月 5日  金曜日");
  EXPECT_EQ(view_.status[1], "09：05：03");
  EXPECT_EQ(fakes_.boxes.shown, (std::vector<Box>{{"success", "Success"}}));
  EXPECT_EQ(fakes_.state.success_pending.load(), 0);

  // The watchdog: a reply awaited for 27 ticks ends in "No Connect".
  fakes_.boxes.shown.clear();
  fakes_.state.reply_awaited = 1;
  for (int i = 0; i < 26; ++i) window_.OnTimerTick();
  EXPECT_TRUE(fakes_.boxes.shown.empty());
  window_.OnTimerTick();
  EXPECT_EQ(fakes_.boxes.shown, (std::vector<Box>{{"error", "No Connect"}}));
}

// A network connection is named after the date; a COM port adds nothing.
TEST_F(MainWindowTest, StatusBarNamesANetworkConnection) {
  clock_.now = At(2024, 1, 5, 5, 9, 5, 3);
  window_.SetConnectionPlace("rfc2217://127.0.0.1:2217");
  window_.OnTimerTick();
  EXPECT_EQ(view_.status[0],
            "2024年 1月 5日  金曜日    rfc2217://127.0.0.1:2217");
  EXPECT_EQ(view_.status[1], "09：05：03");
}

// File > New returns the record, the dialogs' choices and the link flags to
// their start, and keeps what lives for the whole run: the slave address,
// the front button lock and the common video format.
TEST_F(MainWindowTest, NewReturnsEverythingButWhatLivesForTheRun) {
  fakes_.slave_address = 5;
  DialogSelections& chosen = fakes_.selections;
  chosen.misc_button_lock = 1;
  chosen.format_common = 3;
  chosen.selected_channel = 6;
  chosen.seq_selected_entry = 9;
  chosen.seq_common_dwell = 7;
  chosen.redraw_pending = 1;
  chosen.hidden_access_count = 4;
  fakes_.state.reply_awaited = 1;
  fakes_.state.success_pending = 1;
  fakes_.settings.Update([](DeviceSettings& s) { s.format_video[2] = 5; });
  window_.OnCommand(kCommandNew);
  EXPECT_TRUE(fakes_.boxes.Take().empty());  // nothing unsaved: no question
  EXPECT_EQ(fakes_.slave_address, 5);
  EXPECT_EQ(chosen.misc_button_lock, 1);
  EXPECT_EQ(chosen.format_common, 3);
  EXPECT_EQ(chosen.selected_channel, 0);
  EXPECT_EQ(chosen.seq_selected_entry, 0);
  EXPECT_EQ(chosen.seq_common_dwell, 3);
  EXPECT_EQ(chosen.redraw_pending, 0);
  EXPECT_EQ(chosen.hidden_access_count, 0);
  EXPECT_EQ(fakes_.state.reply_awaited, 0);
  EXPECT_EQ(fakes_.state.success_pending, 0);
  EXPECT_EQ(fakes_.settings.Snapshot().format_video[2], 0);
}

// While a run holds the link flags, New and Open do nothing: not the record,
// not the run's flags, not the dialogs' choices.
TEST_F(MainWindowTest, NewAndOpenWaitWhileARunGoesOn) {
  fakes_.state.sequence_step = 12;
  fakes_.state.reply_awaited = 1;
  fakes_.selections.selected_channel = 6;
  fakes_.settings.Update([](DeviceSettings& s) { s.format_video[2] = 5; });
  for (const int command : {kCommandNew, kCommandOpen}) {
    SCOPED_TRACE(command);
    window_.OnCommand(command);
    EXPECT_TRUE(fakes_.boxes.Take().empty());
    EXPECT_TRUE(chooser_.modes.empty());
    EXPECT_EQ(fakes_.state.sequence_step, 12);
    EXPECT_EQ(fakes_.state.reply_awaited, 1);
    EXPECT_EQ(fakes_.selections.selected_channel, 6);
    EXPECT_EQ(fakes_.settings.Snapshot().format_video[2], 5);
  }
}

// After a read-all the main window tells, in one box, which settings
// groups never answered; a complete read-all adds nothing to its "Success".
TEST_F(MainWindowTest, ReadAllThatMissedRepliesNamesTheGroups) {
  ReadBackRecord& record = fakes_.read_backs;
  for (bool complete : {true, false}) {
    SCOPED_TRACE(complete);
    record.Clear();
    for (int step = 1; step <= kReadAllSteps; ++step) {
      if (!complete && (step == 2 || step == 54)) continue;
      record.Note(ReadAllExpectedReply(step) + "\r\n");
    }
    record.RunFinished();
    fakes_.boxes.Take();
    window_.OnTimerTick();
    const std::vector<Box> shown = fakes_.boxes.Take();
    if (complete) {
      EXPECT_TRUE(shown.empty());
    } else {
      EXPECT_EQ(shown, (std::vector<Box>{
                           {"warning",
                            "次の設定項目は機器から読み込めませんでした。以前の"
                            "値のままです。\nタイトル、ビデオロス"}}));
    }
    window_.OnTimerTick();
    EXPECT_TRUE(fakes_.boxes.Take().empty());
  }
}

// File > ファイルと比較: the settings in memory next to a chosen file, one
// row per differing value, the memory's value first.
TEST_F(MainWindowTest, CompareWithAFileListsTheFieldsThatDiffer) {
  DeviceSettings file;
  LoadDefaultSettings(file);
  file.alarm_mode = 1;
  file.agc_enable[7] = 0;
  folder_.Put("other.dat", WriteSettingsText(file));
  fakes_.settings.Update([](DeviceSettings& s) { s.seq_mode = 0; });
  std::vector<std::string> rows;
  runner_.on_open = [&rows](Dialog& dialog, testing::FakeDialogView& view) {
    if (dialog.template_id() == CompareDialog::kTemplateId) {
      rows = view.Items(CompareDialog::kDifferenceList);
      EXPECT_EQ(view.ControlText(CompareDialog::kFileName), "other.dat");
    }
  };
  chooser_.paths = {folder_.PathOf("other.dat"), std::nullopt,
                    folder_.PathOf("none.dat")};
  window_.OnCommand(kCommandCompare);
  // In the dialogs' words, in the order of the settings file.
  EXPECT_EQ(rows, (std::vector<std::string>{
                      "アラーム / モード: Internal → External",
                      "自動切換え / モード: 単画面 → ミックス",
                      "オート・ゲイン・コントロール ch.08: ON → OFF"}));
  EXPECT_EQ(chooser_.modes,
            std::vector<FileChooserMode>{FileChooserMode::kCompare});
  window_.OnCommand(kCommandCompare);  // cancelled
  window_.OnCommand(kCommandCompare);  // unreadable
  EXPECT_EQ(runner_.opened, std::vector<int>{CompareDialog::kTemplateId});
  EXPECT_EQ(fakes_.boxes.Take(),
            (std::vector<Box>{{"warning", "Can't file open"}}));
  EXPECT_EQ(fakes_.settings.Snapshot().seq_mode, 0);  // unchanged
}

TEST_F(MainWindowTest, TrafficLogWindowStaysOpenBesideTheMainWindow) {
  window_.OnCommand(kCommandTrafficLog);
  window_.OnCommand(kCommandTrafficLog);  // the open one comes forward
  EXPECT_EQ(runner_.opened, std::vector<int>{TrafficLogDialog::kTemplateId});
  EXPECT_EQ(runner_.brought_to_front, 1);
  ASSERT_EQ(runner_.modeless.size(), 1u);
}

TEST_F(MainWindowTest, ExitWithoutUnsavedChangesAsksNothing) {
  EXPECT_TRUE(window_.RequestExit());
  EXPECT_TRUE(fakes_.boxes.shown.empty());
  EXPECT_TRUE(view_.timer_stopped);
  EXPECT_EQ(fakes_.state.receive_running.load(), 0);
  EXPECT_EQ(view_.quit_codes, std::vector<int>{0});
  EXPECT_TRUE(window_.quitting());
}

TEST_F(MainWindowTest, ExitMenuCommandRunsTheSameFlow) {
  window_.OnCommand(kCommandExit);
  EXPECT_EQ(view_.quit_codes, std::vector<int>{0});
}

TEST_F(MainWindowTest, AnsweringYesQuitsWithoutSaving) {
  MakeDirty();
  fakes_.boxes.answers = {true};
  EXPECT_TRUE(window_.RequestExit());
  EXPECT_EQ(fakes_.boxes.shown,
            (std::vector<Box>{
                {"question", "データを保存せずに終了しますか？", "VQX-460"}}));
  EXPECT_TRUE(chooser_.modes.empty());
  EXPECT_EQ(view_.quit_codes, std::vector<int>{0});
}

TEST_F(MainWindowTest, AnsweringNoWithoutAFileStaysOpenWhenSaveAsIsCancelled) {
  MakeDirty();
  fakes_.boxes.answers = {false};
  chooser_.paths = {std::nullopt};
  EXPECT_FALSE(window_.RequestExit());
  EXPECT_EQ(chooser_.modes,
            std::vector<FileChooserMode>{FileChooserMode::kSave});
  // The unsaved titles are still there and the program runs on.
  EXPECT_TRUE(Dirty());
  EXPECT_TRUE(view_.quit_codes.empty());
  EXPECT_FALSE(view_.timer_stopped);
  EXPECT_EQ(fakes_.state.receive_running.load(), 1);
  EXPECT_FALSE(window_.quitting());
}

TEST_F(MainWindowTest, AnsweringNoSavesToTheCurrentFileAndQuits) {
  MakeDirty();
  const std::filesystem::path file = folder_ / "current.dat";
  window_.document().path = file.string();
  fakes_.boxes.answers = {false};
  EXPECT_TRUE(window_.RequestExit());
  EXPECT_TRUE(chooser_.modes.empty());  // Save, not Save As
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_FALSE(Dirty());
  EXPECT_EQ(view_.quit_codes, std::vector<int>{0});
}

TEST_F(MainWindowTest, AFailedSaveKeepsTheProgramOpen) {
  MakeDirty();
  // A folder of that name cannot be opened as a file.
  const std::filesystem::path blocked = folder_ / "blocked.dat";
  std::filesystem::create_directories(blocked);
  window_.document().path = blocked.string();
  fakes_.boxes.answers = {false};
  EXPECT_FALSE(window_.RequestExit());
  EXPECT_EQ(fakes_.boxes.shown.back(), (Box{"warning", "Can't file open"}));
  EXPECT_TRUE(Dirty());
  EXPECT_TRUE(view_.quit_codes.empty());

  // Once the save can happen, the next exit request saves and quits.
  window_.document().path = (folder_ / "ok.dat").string();
  fakes_.boxes.answers = {false};
  EXPECT_TRUE(window_.RequestExit());
  EXPECT_EQ(view_.quit_codes, std::vector<int>{0});
}

TEST_F(MainWindowTest, AnsweringNoWithoutAFileSavesAsAndQuits) {
  MakeDirty();
  chooser_.paths = {(folder_ / "chosen").string()};
  fakes_.boxes.answers = {false};
  EXPECT_TRUE(window_.RequestExit());
  EXPECT_TRUE(std::filesystem::exists(folder_ / "chosen.dat"));
  EXPECT_EQ(view_.caption, "VQX-460 - chosen.dat");
  EXPECT_EQ(view_.quit_codes, std::vector<int>{0});
}

TEST_F(MainWindowTest, FileMenuShowsTheFileNameInTheWindow) {
  const std::filesystem::path file = folder_ / "site.dat";
  chooser_.paths = {file.string(), file.string()};
  window_.OnCommand(kCommandSaveAs);
  EXPECT_EQ(view_.caption, "VQX-460 - site.dat");
  EXPECT_TRUE(view_.drawn.empty());  // Save As does not redraw the name

  window_.OnCommand(kCommandOpen);
  EXPECT_EQ(view_.drawn, std::vector<std::string>{file.string()});
  EXPECT_EQ(view_.caption, "VQX-460 - site.dat");

  window_.OnCommand(kCommandNew);
  EXPECT_EQ(view_.drawn.back(), "File Name" + std::string(46, ' '));
  EXPECT_EQ(view_.caption, "VQX-460");

  // Save right after New has no file to write.
  window_.OnCommand(kCommandSave);
  EXPECT_EQ(fakes_.boxes.shown.back(), (Box{"warning", "Don't file open"}));
}

// Logoff or shutdown with unsaved changes asks what Exit asks, with the
// reason the session is held up shown meanwhile; it may end when the
// changes were let go or saved. Only the session's end ends the program.
TEST_F(MainWindowTest, SessionEndAsksFirstAndRefusesWhenNothingWasSaved) {
  const std::string reason(kSessionEndBlockReason);
  struct Case {
    bool dirty;
    bool answer;
    const char* current_file;  // "dir.dat": a folder, so saving fails
    bool may_end;
    std::vector<std::string> reasons;
  };
  const Case cases[] = {
      {false, false, "", true, {}},
      {true, true, "", true, {reason, ""}},
      {true, false, "", false, {reason, ""}},  // Save As cancelled
      {true, false, "site.dat", true, {reason, ""}},
      {true, false, "dir.dat", false, {reason, ""}},
  };
  std::filesystem::create_directories(folder_ / "dir.dat");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.current_file);
    view_.block_reasons.clear();
    fakes_.settings.Update([&](DeviceSettings& s) { s.dirty = c.dirty; });
    fakes_.boxes.answers = {c.answer};
    chooser_.paths = {std::nullopt};
    window_.document().path =
        *c.current_file ? (folder_ / c.current_file).string() : "";
    EXPECT_EQ(window_.QueryEndSession(), c.may_end);
    EXPECT_EQ(fakes_.boxes.Take().empty(), !c.dirty);
    // The session goes on after all (also after a refusal).
    window_.EndSession(false);
    EXPECT_EQ(view_.block_reasons, c.reasons);
    EXPECT_FALSE(window_.quitting());
  }
  window_.EndSession(true);
  EXPECT_TRUE(view_.timer_stopped);
  EXPECT_EQ(fakes_.state.receive_running.load(), 0);
  EXPECT_EQ(view_.quit_codes, std::vector<int>{0});
}

// The Exit question is task-modal, but the system's query still reaches
// the window while it is open: no second question, the session is refused.
TEST_F(MainWindowTest, SessionEndDuringTheExitQuestionIsRefused) {
  MakeDirty();
  std::optional<bool> may_end;
  fakes_.boxes.while_open = [&] {
    if (!may_end) may_end = window_.QueryEndSession();
  };
  fakes_.boxes.answers = {true};
  EXPECT_TRUE(window_.RequestExit());
  EXPECT_EQ(may_end, false);
  EXPECT_EQ(fakes_.boxes.shown.size(), 1u);
  EXPECT_EQ(view_.block_reasons.back(), "");  // quitting withdraws it
}

TEST(AboutDialogTest, ShowsTheVersionAndClosesOnOkOrCancel) {
  AboutDialog about;
  EXPECT_EQ(about.template_id(), 100);
  testing::FakeDialogView view;
  about.OnInit(view);
  EXPECT_EQ(view.ControlText(AboutDialog::kVersionLabel),
            "VQX460 Version 1.01");
  view.Click(about, 1000);
  EXPECT_FALSE(view.ended);
  view.Click(about, kIdOk);
  EXPECT_TRUE(view.ended);

  testing::FakeDialogView closed;
  about.OnInit(closed);
  about.OnClose(closed);
  EXPECT_TRUE(closed.ended);
}

}  // namespace
}  // namespace vqx

namespace vqx {
namespace {

// File > 設定一覧を保存…: the page of the settings as they are now, named
// after the current file and dated today, then the offer to open it.
TEST_F(MainWindowTest, SaveSheetWritesThePageAndOffersTheBrowser) {
  clock_.now = {.year = 2026, .month = 4, .day = 7};
  window_.document().path = folder_.PathOf("site.dat");
  fakes_.settings.Update([](DeviceSettings& s) {
    std::strcpy(s.title_text[0], "GATE<1>");
    s.dirty = 1;
  });
  chooser_.paths = {folder_.PathOf("handover"), folder_.PathOf("again.htm")};
  fakes_.boxes.answers = {true, false};
  window_.OnCommand(kCommandSaveSheet);
  window_.OnCommand(kCommandSaveSheet);
  EXPECT_EQ(chooser_.modes,
            (std::vector<FileChooserMode>{FileChooserMode::kSaveSheet,
                                          FileChooserMode::kSaveSheet}));
  const Box question{"question", std::string(kOpenSheetQuestion),
                     std::string(kFileCaption)};
  EXPECT_EQ(fakes_.boxes.Take(), (std::vector<Box>{question, question}));
  // ".html" added to a name without it; ".htm" kept. Only Yes opens.
  EXPECT_EQ(opener_.opened,
            std::vector<std::string>{folder_.PathOf("handover.html")});
  for (const char* name : {"handover.html", "again.htm"}) {
    const std::string page = folder_.Contents(name);
    EXPECT_NE(page.find("site.dat"), std::string::npos) << name;
    EXPECT_NE(page.find("2026年4月7日"), std::string::npos) << name;
    EXPECT_NE(page.find("GATE&lt;1&gt;"), std::string::npos) << name;
  }
  // The sheet is no save: the file and the unsaved flag stay.
  EXPECT_EQ(window_.document().path, folder_.PathOf("site.dat"));
  EXPECT_TRUE(Dirty());
}

TEST_F(MainWindowTest, SaveSheetWithoutAFileNamesItUntitled) {
  chooser_.paths = {folder_.PathOf("sheet.html")};
  fakes_.boxes.answers = {false};
  window_.OnCommand(kCommandSaveSheet);
  EXPECT_NE(folder_.Contents("sheet.html").find("<td>無題</td>"),
            std::string::npos);
}

// Cancelled: nothing written, nothing asked. A write that fails shows the
// box Save shows and asks nothing; a browser that does not start is told.
TEST_F(MainWindowTest, SaveSheetThatCannotBeWrittenOrOpenedSaysSo) {
  std::filesystem::create_directories(folder_ / "blocked.html");
  opener_.opens = false;
  chooser_.paths = {std::nullopt, folder_.PathOf("blocked.html"),
                    folder_.PathOf("ok.html")};
  fakes_.boxes.answers = {true};
  window_.OnCommand(kCommandSaveSheet);
  window_.OnCommand(kCommandSaveSheet);
  window_.OnCommand(kCommandSaveSheet);
  EXPECT_EQ(fakes_.boxes.Take(),
            (std::vector<Box>{{"warning", "Can't file open"},
                              {"question", std::string(kOpenSheetQuestion),
                               std::string(kFileCaption)},
                              {"warning", std::string(kCannotOpenSheet)}}));
  EXPECT_EQ(opener_.opened,
            std::vector<std::string>{folder_.PathOf("ok.html")});
  EXPECT_EQ(folder_.EntryCount(), 2u);  // the folder and ok.html
}

}  // namespace
}  // namespace vqx
