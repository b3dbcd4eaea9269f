// The commands of the main window: menu item and toolbar button ids, what
// each one does, the dialog it opens and the toolbar tooltips. The ids are
// those of app/ids/main_window_ids.h, which the menu resource includes too;
// the end-to-end tests drive the program by them.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string_view>

#include "app/about_dialog.h"
#include "app/ids/main_window_ids.h"
#include "app/serial_settings_dialog.h"
#include "base/platform.h"
#include "dialogs/agc_dialog.h"
#include "dialogs/alarm_dialog.h"
#include "dialogs/auto_switching_dialog.h"
#include "dialogs/compare_dialog.h"
#include "dialogs/date_time_dialog.h"
#include "dialogs/display_channel_dialog.h"
#include "dialogs/other_settings_dialog.h"
#include "dialogs/read_all_dialog.h"
#include "dialogs/send_all_dialog.h"
#include "dialogs/slave_address_dialog.h"
#include "dialogs/title_dialog.h"
#include "dialogs/traffic_log_dialog.h"
#include "dialogs/video_adjustment_dialog.h"
#include "dialogs/video_format_dialog.h"
#include "dialogs/video_loss_dialog.h"

namespace vqx {

// Child controls and the timer of the main window.
inline constexpr int kStatusBarId = IDC_STATUS_BAR;
inline constexpr int kToolbarId = IDC_TOOLBAR;
inline constexpr int kToolbarBitmapId = IDB_TOOLBAR;
inline constexpr int kToolbarButtonCount = 10;
inline constexpr int kToolbarImageWidth = 60;
inline constexpr int kToolbarImageHeight = 20;

// A picture strip of the toolbar, drawn for one density.
struct ToolbarArt {
  int bitmap_id;
  int dpi;
  int image_width;
  int image_height;
};
inline constexpr std::array<ToolbarArt, 3> kToolbarArts = {{
    {kToolbarBitmapId, 96, kToolbarImageWidth, kToolbarImageHeight},
    {IDB_TOOLBAR_150, 144, 90, 30},
    {IDB_TOOLBAR_200, 192, 120, 40},
}};
// The strip for a window at `dpi`: the largest drawn for no more than it,
// so the buttons never outgrow the window, whose height grows with `dpi`
// (125 % takes the 100 % strip, 175 % the 150 % one).
constexpr ToolbarArt ToolbarArtFor(int dpi) {
  ToolbarArt chosen = kToolbarArts.front();
  for (const ToolbarArt& art : kToolbarArts) {
    if (art.dpi <= dpi) chosen = art;
  }
  return chosen;
}
inline constexpr int kMainTimerId = 1;
inline constexpr int kMainTimerPeriodMs = 300;
// Right edges of the two status bar parts, in pixels at 96 DPI.
inline constexpr std::array<int, 2> kStatusBarPartEdges = {500, 700};

// Menu command ids.
inline constexpr int kCommandNew = IDM_FILE_NEW;
inline constexpr int kCommandOpen = IDM_FILE_OPEN;
inline constexpr int kCommandSave = IDM_FILE_SAVE;
inline constexpr int kCommandSaveAs = IDM_FILE_SAVE_AS;
inline constexpr int kCommandExit = IDM_FILE_EXIT;
inline constexpr int kCommandAlarm = IDM_ALARM;
inline constexpr int kCommandVideoLoss = IDM_VIDEO_LOSS;
inline constexpr int kCommandDateTime = IDM_DATE_TIME;
inline constexpr int kCommandTitle = IDM_TITLE;
inline constexpr int kCommandAutoSwitching = IDM_AUTO_SWITCHING;
inline constexpr int kCommandVideoAdjustment = IDM_VIDEO_ADJUSTMENT;
inline constexpr int kCommandDisplayChannel = IDM_DISPLAY_CHANNEL;
inline constexpr int kCommandVideoFormat = IDM_VIDEO_FORMAT;
inline constexpr int kCommandAgc = IDM_AGC;
inline constexpr int kCommandOtherSettings = IDM_OTHER_SETTINGS;
inline constexpr int kCommandSendAll = IDM_SEND_ALL;
inline constexpr int kCommandSlaveAddress = IDM_SLAVE_ADDRESS;
inline constexpr int kCommandReadAll = IDM_READ_ALL;
inline constexpr int kCommandSerialSettings = IDM_SERIAL_SETTINGS;
inline constexpr int kCommandAbout = IDM_ABOUT;
inline constexpr int kCommandCompare = IDM_FILE_COMPARE;
inline constexpr int kCommandSaveSheet = IDM_FILE_SAVE_SHEET;
inline constexpr int kCommandTrafficLog = IDM_TRAFFIC_LOG;

// Toolbar buttons, left to right.
inline constexpr int kFirstToolbarCommand = IDT_ALARM;

enum class CommandAction {
  kNewSettings,
  kOpenSettings,
  kSaveSettings,
  kSaveSettingsAs,
  kExit,
  kOpenDialog,   // opens the entry's dialog modally over the main window
  kShowWindow,   // shows the entry's dialog beside the main window (modeless)
  kCompareFile,  // compares the settings with a chosen file
  kSaveSheet,    // writes the settings sheet, then offers to open it
};

// What the dialogs of the main window are made from.
struct DialogSources {
  DialogServices& services;
  SerialPortList& ports;
};

// Makes a command's dialog anew at each opening.
using DialogMaker = std::unique_ptr<Dialog> (*)(const DialogSources&);

template <class SettingsDialog>
std::unique_ptr<Dialog> MakeDialog(const DialogSources& sources) {
  return std::make_unique<SettingsDialog>(sources.services);
}

template <>
inline std::unique_ptr<Dialog> MakeDialog<SerialSettingsDialog>(
    const DialogSources& sources) {
  DialogServices& services = sources.services;
  return std::make_unique<SerialSettingsDialog>(
      services.device.state, services.device.config, services.selections,
      services.platform.profile, sources.ports);
}

template <>
inline std::unique_ptr<Dialog> MakeDialog<AboutDialog>(const DialogSources&) {
  return std::make_unique<AboutDialog>();
}

struct CommandEntry {
  int menu_id;
  int toolbar_id;  // 0: no toolbar button
  CommandAction action;
  DialogMaker dialog;        // for kOpenDialog and kShowWindow, else nullptr
  std::string_view tooltip;  // toolbar buttons only
};

inline constexpr std::array<CommandEntry, 23> kCommandTable = {{
    {IDM_FILE_NEW, 0, CommandAction::kNewSettings, nullptr, ""},
    {IDM_FILE_OPEN, 0, CommandAction::kOpenSettings, nullptr, ""},
    {IDM_FILE_SAVE, 0, CommandAction::kSaveSettings, nullptr, ""},
    {IDM_FILE_SAVE_AS, 0, CommandAction::kSaveSettingsAs, nullptr, ""},
    {IDM_FILE_SAVE_SHEET, 0, CommandAction::kSaveSheet, nullptr, ""},
    {IDM_FILE_COMPARE, 0, CommandAction::kCompareFile, nullptr, ""},
    {IDM_FILE_EXIT, 0, CommandAction::kExit, nullptr, ""},
    {IDM_ALARM, IDT_ALARM, CommandAction::kOpenDialog, MakeDialog<AlarmDialog>,
     "アラーム"},
    {IDM_VIDEO_LOSS, IDT_VIDEO_LOSS, CommandAction::kOpenDialog,
     MakeDialog<VideoLossDialog>, "ビデオロス"},
    {IDM_DATE_TIME, IDT_DATE_TIME, CommandAction::kOpenDialog,
     MakeDialog<DateTimeDialog>, "日付・時刻"},
    {IDM_TITLE, IDT_TITLE, CommandAction::kOpenDialog, MakeDialog<TitleDialog>,
     "タイトル"},
    {IDM_AUTO_SWITCHING, IDT_AUTO_SWITCHING, CommandAction::kOpenDialog,
     MakeDialog<AutoSwitchingDialog>, "自動切換え"},
    {IDM_VIDEO_ADJUSTMENT, IDT_VIDEO_ADJUSTMENT, CommandAction::kOpenDialog,
     MakeDialog<VideoAdjustmentDialog>, "ビデオ映像の調整"},
    {IDM_DISPLAY_CHANNEL, IDT_DISPLAY_CHANNEL, CommandAction::kOpenDialog,
     MakeDialog<DisplayChannelDialog>, "表示チャンネル"},
    {IDM_VIDEO_FORMAT, IDT_VIDEO_FORMAT, CommandAction::kOpenDialog,
     MakeDialog<VideoFormatDialog>, "ビデオフォーマット"},
    {IDM_AGC, IDT_AGC, CommandAction::kOpenDialog, MakeDialog<AgcDialog>,
     "オート・ゲイン・コントロール"},
    {IDM_OTHER_SETTINGS, IDT_OTHER_SETTINGS, CommandAction::kOpenDialog,
     MakeDialog<OtherSettingsDialog>, "その他"},
    {IDM_SEND_ALL, 0, CommandAction::kOpenDialog, MakeDialog<SendAllDialog>,
     ""},
    {IDM_SLAVE_ADDRESS, 0, CommandAction::kOpenDialog,
     MakeDialog<SlaveAddressDialog>, ""},
    {IDM_READ_ALL, 0, CommandAction::kOpenDialog, MakeDialog<ReadAllDialog>,
     ""},
    {IDM_SERIAL_SETTINGS, 0, CommandAction::kOpenDialog,
     MakeDialog<SerialSettingsDialog>, ""},
    {IDM_ABOUT, 0, CommandAction::kOpenDialog, MakeDialog<AboutDialog>, ""},
    {IDM_TRAFFIC_LOG, 0, CommandAction::kShowWindow,
     MakeDialog<TrafficLogDialog>, ""},
}};

// The entry for a menu or toolbar command id; nothing for any other id.
constexpr const CommandEntry* FindCommand(int id) {
  if (id == 0) return nullptr;
  for (const CommandEntry& entry : kCommandTable) {
    if (entry.menu_id == id || entry.toolbar_id == id) return &entry;
  }
  return nullptr;
}

// The tooltip of a toolbar button; nothing for other ids.
constexpr std::optional<std::string_view> ToolbarTooltip(int id) {
  for (const CommandEntry& entry : kCommandTable) {
    if (entry.toolbar_id != 0 && entry.toolbar_id == id) return entry.tooltip;
  }
  return std::nullopt;
}

}  // namespace vqx
