#include "dialogs/auto_switching_dialog.h"

#include <algorithm>
#include <array>

#include "base/encoding.h"
#include "dialogs/conventions.h"
#include "protocol/auto_switching.h"

namespace vqx {
namespace {

// "単画面" ends in a full-width blank.
constexpr std::array<std::string_view, 3> kSwitchingModeItems = {
    "単画面　", "分割画面", "ミックス"};

}  // namespace

std::string AutoSwitchingDialog::ListLine(int entry, int seconds) {
  std::string suffix = " = 00 秒";
  // As the times command carries it: two digits, 0..99.
  EncodeDecimal2(SequenceDwellOnWire(seconds), &suffix[3]);
  const int label = std::clamp(entry, 0, kSequenceEntryCount - 1);
  return std::string(ScreenItems()[label]) + suffix;
}

int AutoSwitchingDialog::Entry() const {
  return std::clamp(services_.selections.seq_selected_entry, 0,
                    kSequenceEntryCount - 1);
}

void AutoSwitchingDialog::ShowEntryTime(DialogView& view) {
  view.SelectItem(kTimeList, services_.settings.Snapshot().seq_dwell[Entry()]);
}

void AutoSwitchingDialog::OnInit(DialogView& view) {
  const DeviceSettings settings = services_.settings.Snapshot();
  FillSlaveAddressCombo(view);
  FillList(view, kModeList, kSwitchingModeItems);
  FillList(view, kEntryList,
           std::span(ScreenItems().data(), kSequenceEntryCount));
  FillNumberList(view, kTimeList, kTimeItems);
  FillNumberList(view, kCommonList, kTimeItems);
  ApplySlaveAddressRule(view, services_.device.config,
                        services_.device.slave_address.load());
  view.SelectItem(kEntryList, Entry());
  Preselect(view, kTimeList, settings.seq_dwell[Entry()]);
  Preselect(view, kCommonList, services_.selections.seq_common_dwell);
  Preselect(view, kModeList, settings.seq_mode);
  services_.selections.hidden_access_count = 0;
  ApplyDialogCaption(view, services_.device.config, kHeading);
  services_.selections.redraw_pending = 1;
  view.StartTimer(kRedrawTimer, kFirstDrawDelayMs);
}

void AutoSwitchingDialog::DrawList(DialogView& view) {
  const DeviceSettings settings = services_.settings.Snapshot();
  for (int i = 0; i < kSequenceEntryCount; ++i) {
    view.DrawText(kListFrame, kListX, kListTop + kListLineHeight * i,
                  ListLine(i, settings.seq_dwell[i]));
  }
}

void AutoSwitchingDialog::OnCommand(DialogView& view, int control,
                                    ControlNotification notification) {
  // Enter does not close this dialog.
  if (HandleSlaveAddressChange(view, control, notification,
                               services_.device.slave_address) ||
      HandleClose(view, control, notification, CloseIds::kCloseOnly)) {
    return;
  }
  const std::optional<int> chosen = ChosenIndex(view, control, notification);
  const bool clicked = notification == ControlNotification::kClicked;
  switch (control) {
    case kEntryList:
      if (chosen) {
        services_.selections.seq_selected_entry = *chosen;
        DrawList(view);
        ShowEntryTime(view);
      }
      return;
    case kTimeList:
      if (chosen) {
        const int entry = Entry();
        StoreUserChange(services_.settings, [&](DeviceSettings& s) {
          s.seq_dwell[entry] = *chosen;
        });
        DrawList(view);
      }
      return;
    case kCommonList:
      // Every entry takes the time; the list's own opening choice stays.
      if (chosen) {
        StoreUserChange(services_.settings, [&](DeviceSettings& s) {
          for (int& seconds : s.seq_dwell) seconds = *chosen;
        });
        DrawList(view);
        ShowEntryTime(view);
      }
      return;
    case kModeList:
      StoreChoice(view, control, notification, services_.settings,
                  &DeviceSettings::seq_mode);
      return;
    case kTimesSet:
      if (clicked) {
        CheckAndSendSequenceTimes(services_.device.sink,
                                  services_.settings.Snapshot(),
                                  services_.platform.boxes);
      }
      return;
    case kModeSet:
      if (clicked)
        SendSequenceMode(services_.device.sink, services_.settings.Snapshot());
      return;
    default:
      return;
  }
}

void AutoSwitchingDialog::OnTimer(DialogView& view, int /*timer_id*/) {
  if (services_.selections.redraw_pending != 1) return;
  DrawList(view);
  services_.selections.redraw_pending = 0;
  view.StopTimer(kRedrawTimer);
}

void AutoSwitchingDialog::OnPaint(DialogView& view) {
  services_.selections.redraw_pending = 1;
  view.StartTimer(kRedrawTimer, kRepaintDrawDelayMs);
}

}  // namespace vqx
