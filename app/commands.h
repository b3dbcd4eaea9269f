// The commands of the main window: menu item ids, toolbar button ids, what
// each one does and the toolbar tooltips. The menu resource uses the same
// ids (res/resource.h); the end-to-end tests drive the program by them.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "app/about_dialog.h"
#include "app/serial_settings_dialog.h"
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
inline constexpr int kStatusBarId = 520;
inline constexpr int kToolbarId = 132;
inline constexpr int kToolbarBitmapId = 131;
inline constexpr int kToolbarButtonCount = 10;
inline constexpr int kToolbarImageWidth = 60;
inline constexpr int kToolbarImageHeight = 20;
inline constexpr int kMainTimerId = 1;
inline constexpr int kMainTimerPeriodMs = 300;
// Right edges of the two status bar parts, in pixels.
inline constexpr std::array<int, 2> kStatusBarPartEdges = {500, 700};

// Dialog templates opened from the main window; each dialog class owns its
// template id.
inline constexpr int kAboutDialogId = AboutDialog::kTemplateId;
inline constexpr int kTrafficLogWindowId = TrafficLogDialog::kTemplateId;
inline constexpr int kCompareDialogId = CompareDialog::kTemplateId;
inline constexpr int kAlarmDialogId = AlarmDialog::kTemplateId;
inline constexpr int kVideoLossDialogId = VideoLossDialog::kTemplateId;
inline constexpr int kDateTimeDialogId = DateTimeDialog::kTemplateId;
inline constexpr int kTitleDialogId = TitleDialog::kTemplateId;
inline constexpr int kAutoSwitchingDialogId = AutoSwitchingDialog::kTemplateId;
inline constexpr int kDisplayChannelDialogId =
    DisplayChannelDialog::kTemplateId;
inline constexpr int kVideoAdjustmentDialogId =
    VideoAdjustmentDialog::kTemplateId;
inline constexpr int kOtherSettingsDialogId = OtherSettingsDialog::kTemplateId;
inline constexpr int kSlaveAddressDialogId = SlaveAddressDialog::kTemplateId;
inline constexpr int kSendAllDialogId = SendAllDialog::kTemplateId;
inline constexpr int kSerialSettingsDialogId =
    SerialSettingsDialog::kTemplateId;
inline constexpr int kReadAllDialogId = ReadAllDialog::kTemplateId;
inline constexpr int kVideoFormatDialogId = VideoFormatDialog::kTemplateId;
inline constexpr int kAgcDialogId = AgcDialog::kTemplateId;

// Menu command ids.
inline constexpr int kCommandNew = 32775;
inline constexpr int kCommandOpen = 32776;
inline constexpr int kCommandSave = 32777;
inline constexpr int kCommandSaveAs = 32778;
inline constexpr int kCommandExit = 121;
inline constexpr int kCommandAlarm = 32779;
inline constexpr int kCommandVideoLoss = 32780;
inline constexpr int kCommandDateTime = 32817;
inline constexpr int kCommandTitle = 32782;
inline constexpr int kCommandAutoSwitching = 32784;
inline constexpr int kCommandVideoAdjustment = 32786;
inline constexpr int kCommandDisplayChannel = 32785;
inline constexpr int kCommandVideoFormat = 32818;
inline constexpr int kCommandAgc = 32819;
inline constexpr int kCommandOtherSettings = 32787;
inline constexpr int kCommandSendAll = 32788;
inline constexpr int kCommandSlaveAddress = 32790;
inline constexpr int kCommandReadAll = 32789;
inline constexpr int kCommandSerialSettings = 32791;
inline constexpr int kCommandAbout = 120;
inline constexpr int kCommandCompare = 32821;  // File > ファイルと比較
inline constexpr int kCommandTrafficLog = 32820;  // 表示 > 通信ログ

// Toolbar buttons, left to right.
inline constexpr int kFirstToolbarCommand = 501;

enum class CommandAction {
  kNewSettings,
  kOpenSettings,
  kSaveSettings,
  kSaveSettingsAs,
  kExit,
  kOpenDialog,   // opens `dialog_id` modally over the main window
  kShowWindow,   // shows `dialog_id` beside the main window (modeless)
  kCompareFile,  // compares the settings with a chosen file
};

struct CommandEntry {
  int menu_id;
  int toolbar_id;  // 0: no toolbar button
  CommandAction action;
  int dialog_id;             // for kOpenDialog and kShowWindow, else 0
  std::string_view tooltip;  // toolbar buttons only
};

inline constexpr std::array<CommandEntry, 22> kCommandTable = {{
    {kCommandNew, 0, CommandAction::kNewSettings, 0, ""},
    {kCommandOpen, 0, CommandAction::kOpenSettings, 0, ""},
    {kCommandSave, 0, CommandAction::kSaveSettings, 0, ""},
    {kCommandSaveAs, 0, CommandAction::kSaveSettingsAs, 0, ""},
    {kCommandCompare, 0, CommandAction::kCompareFile, 0, ""},
    {kCommandExit, 0, CommandAction::kExit, 0, ""},
    {kCommandAlarm, 501, CommandAction::kOpenDialog, kAlarmDialogId,
     "アラーム"},
    {kCommandVideoLoss, 502, CommandAction::kOpenDialog, kVideoLossDialogId,
     "ビデオロス"},
    {kCommandDateTime, 503, CommandAction::kOpenDialog, kDateTimeDialogId,
     "日付・時刻"},
    {kCommandTitle, 504, CommandAction::kOpenDialog, kTitleDialogId,
     "タイトル"},
    {kCommandAutoSwitching, 505, CommandAction::kOpenDialog,
     kAutoSwitchingDialogId, "自動切換え"},
    {kCommandVideoAdjustment, 506, CommandAction::kOpenDialog,
     kVideoAdjustmentDialogId, "ビデオ映像の調整"},
    {kCommandDisplayChannel, 507, CommandAction::kOpenDialog,
     kDisplayChannelDialogId, "表示チャンネル"},
    {kCommandVideoFormat, 508, CommandAction::kOpenDialog, kVideoFormatDialogId,
     "ビデオフォーマット"},
    {kCommandAgc, 509, CommandAction::kOpenDialog, kAgcDialogId,
     "オート・ゲイン・コントロール"},
    {kCommandOtherSettings, 510, CommandAction::kOpenDialog,
     kOtherSettingsDialogId, "その他"},
    {kCommandSendAll, 0, CommandAction::kOpenDialog, kSendAllDialogId, ""},
    {kCommandSlaveAddress, 0, CommandAction::kOpenDialog, kSlaveAddressDialogId,
     ""},
    {kCommandReadAll, 0, CommandAction::kOpenDialog, kReadAllDialogId, ""},
    {kCommandSerialSettings, 0, CommandAction::kOpenDialog,
     kSerialSettingsDialogId, ""},
    {kCommandAbout, 0, CommandAction::kOpenDialog, kAboutDialogId, ""},
    {kCommandTrafficLog, 0, CommandAction::kShowWindow, kTrafficLogWindowId,
     ""},
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
