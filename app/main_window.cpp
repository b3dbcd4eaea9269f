#include "app/main_window.h"

#include <array>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/about_dialog.h"
#include "app/commands.h"
#include "app/serial_settings_dialog.h"
#include "dialogs/compare_dialog.h"
#include "dialogs/read_all_dialog.h"
#include "dialogs/send_all_dialog.h"
#include "dialogs/title_dialog.h"
#include "dialogs/traffic_log_dialog.h"
#include "files/file_operations.h"
#include "protocol/read_all.h"
#include "protocol/reply_dispatch.h"

namespace vqx {
namespace {

constexpr std::array<std::string_view, 7> kWeekdayNames = {
    "日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};

// The date text is laid out in Shift_JIS byte columns: every kanji takes two
// bytes, every digit and blank one, and the weekday name starts at byte 16.
constexpr int kWeekdayColumn = 16;

struct Piece {
  std::string text;  // UTF-8
  int columns;       // bytes in Shift_JIS
};

void AppendNumber(std::vector<Piece>& pieces, const char* format, int value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, format, value);
  for (const char* c = digits; *c != '\0'; ++c) {
    pieces.push_back({std::string(1, *c), 1});
  }
}

}  // namespace

int VersionCode(int major, int minor) {
  switch (major) {
    case 4:
      if (minor == 0) return 0;
      if (minor == 10) return 1;
      return 2;
    case 5:
      return minor == 1 ? 4 : 3;
    case 6:
      switch (minor) {
        case 0:
          return 5;
        case 1:
          return 6;
        case 2:
          return 7;
        default:
          return 8;
      }
    case 10:
      return 9;
    default:
      return 4;
  }
}

WindowSize MainWindowSize(int version_code) {
  if (version_code <= 3) return {677, 90};
  if (version_code == 4) return {677, 104};
  if (version_code <= 6) return {680, 106};
  return {688, 120};
}

std::string StatusDateText(const LocalTime& time) {
  std::vector<Piece> pieces;
  AppendNumber(pieces, "%4d", time.year);
  pieces.push_back({"年", 2});
  AppendNumber(pieces, "%2d", time.month);
  pieces.push_back({"月", 2});
  AppendNumber(pieces, "%2d", time.day);
  pieces.push_back({"日", 2});
  for (int i = 0; i < 9; ++i) pieces.push_back({" ", 1});

  std::string text;
  int column = 0;
  for (const Piece& piece : pieces) {
    if (column >= kWeekdayColumn) break;
    if (column + piece.columns > kWeekdayColumn) {
      // A double-byte character cut by the weekday name: its lead byte alone
      // would be no character, so a blank stands there instead.
      text += ' ';
      break;
    }
    text += piece.text;
    column += piece.columns;
  }
  if (time.weekday >= 0 &&
      time.weekday < static_cast<int>(kWeekdayNames.size())) {
    text += kWeekdayNames[time.weekday];
  }
  return text;
}

std::string StatusTimeText(const LocalTime& time) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d：%02d：%02d", time.hour, time.minute,
                time.second);
  return text;
}

bool CountHiddenAccess(int& counter, int x, int y) {
  if (x < kHiddenAccessCorner && y < kHiddenAccessCorner) {
    ++counter;
  } else {
    counter = 0;
  }
  if (counter >= kHiddenAccessRequests) {
    counter = 0;
    return true;
  }
  return false;
}

MainWindow::MainWindow(MainWindowServices services, DialogSources dialogs)
    : services_(services),
      dialogs_(dialogs),
      files_{services.settings,
             document_,
             sequences_,
             services.platform.boxes,
             services.platform.chooser,
             services.platform.codec,
             [view = &services.view](std::optional<std::string_view> text,
                                     std::string_view caption) {
               if (text) view->DrawFileName(*text);
               view->SetCaption(caption);
             },
             [state = &services.device.state,
              selections = &dialogs.services.selections] {
               state->ResetFlags();
               selections->ResetForNew();
             }} {}

void MainWindow::OpenDialog(DialogMaker make) {
  if (make == nullptr) return;
  std::unique_ptr<Dialog> dialog = make(dialogs_);
  services_.dialogs.RunModal(*dialog);
}

void MainWindow::ShowWindow(DialogMaker make) {
  if (make == nullptr) return;
  services_.dialogs.ShowModeless(make(dialogs_));
}

void MainWindow::CompareFile() {
  const std::optional<FileComparison> comparison =
      CompareWithFile(files_, kFieldsReadAllDoesNotRead);
  if (!comparison) return;
  CompareDialog dialog(comparison->file_name, comparison->differences);
  services_.dialogs.RunModal(dialog);
}

void MainWindow::SaveSheet() {
  const std::optional<std::string> path =
      SaveSettingsSheet(files_, services_.platform.clock);
  if (!path) return;
  if (!services_.platform.boxes.AskYesNo(kOpenSheetQuestion, kFileCaption))
    return;
  if (!services_.opener.Open(*path)) {
    services_.platform.boxes.ShowWarningBox(kCannotOpenSheet);
  }
}

void MainWindow::OnCommand(int id) {
  const CommandEntry* entry = FindCommand(id);
  if (entry == nullptr) return;
  switch (entry->action) {
    case CommandAction::kNewSettings:
      NewSettings(files_);
      return;
    case CommandAction::kOpenSettings:
      OpenSettings(files_);
      return;
    case CommandAction::kSaveSettings:
      SaveSettings(files_);
      return;
    case CommandAction::kSaveSettingsAs:
      SaveSettingsAs(files_);
      return;
    case CommandAction::kExit:
      RequestExit();
      return;
    case CommandAction::kOpenDialog:
      OpenDialog(entry->dialog);
      return;
    case CommandAction::kShowWindow:
      ShowWindow(entry->dialog);
      return;
    case CommandAction::kCompareFile:
      CompareFile();
      return;
    case CommandAction::kSaveSheet:
      SaveSheet();
      return;
  }
}

bool MainWindow::ConfirmQuit() {
  // The question is task-modal, but the system's session messages still
  // reach the window while it is open.
  if (asking_) return false;
  asking_ = true;
  // Answering No saves first; a cancelled or failed save keeps the program
  // open so the unsaved changes are not lost.
  const bool confirmed = ConfirmExit(files_);
  asking_ = false;
  return confirmed;
}

void MainWindow::ShowBlockReason(bool shown) {
  if (shown == block_reason_shown_) return;
  block_reason_shown_ = shown;
  services_.view.SetSessionEndBlockReason(shown ? kSessionEndBlockReason
                                                : std::string_view());
}

void MainWindow::Quit() {
  ShowBlockReason(false);
  quitting_ = true;
  services_.view.StopMainTimer();
  services_.device.state.receive_running = 0;
  services_.view.PostQuit(0);
}

bool MainWindow::RequestExit() {
  if (quitting_) return true;
  if (!ConfirmQuit()) return false;
  Quit();
  return true;
}

bool MainWindow::QueryEndSession() {
  if (quitting_) return true;
  const bool dirty =
      services_.settings.Update([](DeviceSettings& s) { return s.dirty != 0; });
  if (!dirty) return true;
  // The system may hide the question behind its own screen; that screen
  // then tells why the program holds the session up.
  ShowBlockReason(true);
  if (!ConfirmQuit()) return false;
  ShowBlockReason(false);
  return true;
}

void MainWindow::EndSession(bool ending) {
  ShowBlockReason(false);
  if (ending && !quitting_) Quit();
}

void MainWindow::OnContextMenu(int x, int y) {
  if (CountHiddenAccess(dialogs_.services.selections.hidden_access_count, x,
                        y)) {
    OpenDialog(FindCommand(IDM_READ_ALL)->dialog);
  }
}

void MainWindow::OnTimerTick() {
  RunLinkTimerDuty(services_.device.state, services_.platform.boxes);
  if (const std::optional<std::vector<SettingsGroup>> missing =
          services_.device.read_backs.TakeVerdict();
      missing && !missing->empty()) {
    services_.platform.boxes.ShowWarningBox(ReadAllIncompleteMessage(*missing));
  }
  const LocalTime now = services_.platform.clock.Now();
  services_.view.SetStatusText(
      0, connection_place_.empty()
             ? StatusDateText(now)
             : StatusDateText(now) + "    " + connection_place_);
  services_.view.SetStatusText(1, StatusTimeText(now));
}

}  // namespace vqx
