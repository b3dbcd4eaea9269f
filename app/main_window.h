// The main window's behaviour, independent of the window system: its size
// rule, the status bar clock, the hidden access to the read-all dialog, the
// routing of menu and toolbar commands, the timer tick and the exit flow.
// The Win32 window procedure forwards its messages here.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/commands.h"
#include "base/device_settings.h"
#include "base/platform.h"
#include "dialogs/dialog.h"
#include "files/file_operations.h"

namespace vqx {

// The operating system's version as a code: 0..2 for 4.x, 3..4 for 5.x,
// 5..8 for 6.x, 9 for 10.x, 4 for anything else.
int VersionCode(int major, int minor);

struct WindowSize {
  int width;
  int height;
  bool operator==(const WindowSize&) const = default;
};

// The outer size of the main window, which leaves room for the menu bar,
// the toolbar and the status bar at the frame sizes of each generation; in
// pixels at 96 DPI, grown with the window's density.
WindowSize MainWindowSize(int version_code);

// Status bar part 0: "2024年 1月 5日  金曜日".
std::string StatusDateText(const LocalTime& time);
// Status bar part 1: "09：05：03" (full-width colons).
std::string StatusTimeText(const LocalTime& time);

// Context-menu requests in the top-left screen corner open the read-all
// dialog: this many in a row, each inside the corner square.
inline constexpr int kHiddenAccessRequests = 10;
inline constexpr int kHiddenAccessCorner = 20;

// Counts one context-menu request at screen position (x, y). Returns true
// (and restarts the count) when the read-all dialog is to open.
bool CountHiddenAccess(int& counter, int x, int y);

// What the main window's behaviour does to the window itself.
class MainWindowView {
 public:
  virtual ~MainWindowView() = default;
  virtual void SetStatusText(int part, std::string_view text) = 0;
  virtual void StopMainTimer() = 0;
  // Ends the message loop with `exit_code`.
  virtual void PostQuit(int exit_code) = 0;
  // Draws the text at (124, 132) of the client area, outside painting, so a
  // repaint of the window does not bring it back.
  virtual void DrawFileName(std::string_view text) = 0;
  virtual void SetCaption(std::string_view caption) = 0;
  // While the program holds up the end of the session, the system shows
  // `reason` beside its name; an empty reason withdraws it.
  virtual void SetSessionEndBlockReason(std::string_view /*reason*/) {}
};

// Why the program holds up a logoff or shutdown.
inline constexpr std::string_view kSessionEndBlockReason =
    "保存されていない設定があります。";

// What the main window works with: the settings record, the device (its
// link flags for the timer's duties and Exit, its read-backs for the verdict
// on a read-all), the platform, the dialogs and the window.
struct MainWindowServices {
  SettingsStore& settings;
  DeviceSide device;
  PlatformServices platform;
  DialogRunner& dialogs;
  MainWindowView& view;
  DocumentOpener& opener;  // the settings sheet in the browser
};

// The file menu waits while the link flags say a run goes on.
class LinkSequenceActivity : public SequenceActivity {
 public:
  explicit LinkSequenceActivity(const LinkState& state) : state_(state) {}
  bool sequence_running() const override { return state_.sequence_step != 0; }

 private:
  const LinkState& state_;
};

// Asked after the settings sheet is written.
inline constexpr std::string_view kOpenSheetQuestion =
    "設定一覧を保存しました。ブラウザーで開きますか？";
// Shown when the system cannot open the sheet.
inline constexpr std::string_view kCannotOpenSheet =
    "設定一覧をブラウザーで開けませんでした。";

class MainWindow {
 public:
  // The commands' dialogs are made from `dialogs` (app/commands.h).
  MainWindow(MainWindowServices services, DialogSources dialogs);

  // A menu or toolbar command; unknown ids are ignored.
  void OnCommand(int id);
  // A context-menu request at screen position (x, y); no menu is shown.
  void OnContextMenu(int x, int y);
  // One tick of the main timer: link duties, the verdict on a finished
  // read-all (a box naming the groups that were not read), then the clock.
  void OnTimerTick();
  // The close box or File > Exit. Asks before discarding unsaved changes;
  // answering No saves first and stays open when that save does not happen
  // (cancelled or failed). Returns true when the program is quitting.
  bool RequestExit();

  // The user logs off or shuts down: may the session end? With unsaved
  // changes this asks what Exit asks, and the system shows why the program
  // holds the session up meanwhile; true when the user answered Yes or the
  // save succeeded. While a question of Exit or of an earlier request is
  // open, no second one is asked and the session is refused.
  bool QueryEndSession();
  // The session ends (`ending`), or goes on after all. An ending session
  // ends the program as Exit does, without asking.
  void EndSession(bool ending);

  bool quitting() const { return quitting_; }
  // The settings file worked on (Open, Save As; New forgets it).
  SettingsDocument& document() { return document_; }

  // Where the program reaches the device when that is not a COM port
  // ("rfc2217://host:4001"); the status bar shows it after the date from
  // the next tick. "" (a COM port) shows nothing more.
  void SetConnectionPlace(std::string place) {
    connection_place_ = std::move(place);
  }

 private:
  void OpenDialog(DialogMaker make);
  void ShowWindow(DialogMaker make);
  void CompareFile();
  void SaveSheet();
  // Asks the Exit question unless one is open; false when one was, or when
  // the user kept the program.
  bool ConfirmQuit();
  void Quit();
  // Shows or withdraws the reason the session is held up.
  void ShowBlockReason(bool shown);

  MainWindowServices services_;
  DialogSources dialogs_;
  SettingsDocument document_;
  LinkSequenceActivity sequences_{services_.device.state};
  FileMenuServices files_;
  std::string connection_place_;
  bool quitting_ = false;
  bool asking_ = false;  // the Exit question is open
  bool block_reason_shown_ = false;
};

}  // namespace vqx
