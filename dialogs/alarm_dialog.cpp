#include "dialogs/alarm_dialog.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "base/shift_jis.h"
#include "dialogs/conventions.h"
#include "protocol/alarm.h"

namespace vqx {
namespace {

constexpr std::array<std::string_view, 2> kAlarmModeItems = {"Internal",
                                                             "External"};
// "Make " carries a trailing blank so both entries are five characters.
constexpr std::array<std::string_view, 2> kPolarityItems = {"Make ", "Break"};

}  // namespace

void AlarmDialog::OnInit(DialogView& view) {
  const DeviceSettings settings = services_.settings.Snapshot();

  FillSlaveAddressCombo(view);
  FillList(view, kModeList, kAlarmModeItems);
  FillList(view, kPolarityList, kPolarityItems);
  FillOffOnList(view, kDisplayList);
  FillOffOnList(view, kReturnList);
  ApplySlaveAddressRule(view, services_.device.config,
                        services_.device.slave_address.load());

  Preselect(view, kDisplayList, settings.alarm_display);
  view.LimitText(kHoldTimeEdit, kHoldTimeCharacters);
  const char* hold_time = settings.alarm_hold_time;
  const char* hold_time_end =
      std::find(hold_time, hold_time + kHoldTimeBufferBytes - 1, '\0');
  FillEdit(view, kHoldTimeEdit,
           services_.platform.codec.ShiftJisToUtf8(
               std::string_view(hold_time, hold_time_end - hold_time)),
           filling_hold_time_);
  Preselect(view, kPolarityList, settings.alarm_polarity);
  Preselect(view, kModeList, settings.alarm_mode);
  Preselect(view, kReturnList, settings.alarm_return);

  ApplyDialogCaption(view, services_.device.config, kHeading);
}

void AlarmDialog::StoreHoldTime(DialogView& view, bool by_user) {
  // The field keeps what was typed, at most three characters' worth of
  // Shift_JIS bytes; only the set button looks at the digits.
  const std::string sjis =
      services_.platform.codec.Utf8ToShiftJis(view.ControlText(kHoldTimeEdit));
  const std::string_view kept =
      CutShiftJis(sjis, static_cast<std::size_t>(kHoldTimeCharacters));
  const auto store = [&](DeviceSettings& s) {
    std::memset(s.alarm_hold_time, 0, sizeof s.alarm_hold_time);
    std::memcpy(s.alarm_hold_time, kept.data(), kept.size());
  };
  if (by_user) {
    StoreUserChange(services_.settings, store);
  } else {
    services_.settings.Update(store);
  }
}

void AlarmDialog::OnCommand(DialogView& view, int control,
                            ControlNotification notification) {
  if (HandleSlaveAddressChange(view, control, notification,
                               services_.device.slave_address)) {
    return;
  }
  const bool clicked = notification == ControlNotification::kClicked;
  switch (control) {
    case kModeList:
      StoreChoice(view, control, notification, services_.settings,
                  &DeviceSettings::alarm_mode);
      return;
    case kPolarityList:
      StoreChoice(view, control, notification, services_.settings,
                  &DeviceSettings::alarm_polarity);
      return;
    case kDisplayList:
      StoreChoice(view, control, notification, services_.settings,
                  &DeviceSettings::alarm_display);
      return;
    case kReturnList:
      StoreChoice(view, control, notification, services_.settings,
                  &DeviceSettings::alarm_return);
      return;
    case kHoldTimeEdit:
      if (notification == ControlNotification::kEditChange) {
        StoreHoldTime(view, !filling_hold_time_);
      }
      return;
    case kModeSet:
      if (clicked)
        SendAlarmMode(services_.device.sink, services_.settings.Snapshot());
      return;
    case kHoldTimeSet:
      if (clicked) {
        SendAlarmHoldTime(services_.device.sink, services_.settings.Snapshot(),
                          services_.platform.boxes);
      }
      return;
    case kPolaritySet:
      if (clicked) {
        SendAlarmPolarity(services_.device.sink, services_.settings.Snapshot());
      }
      return;
    case kDisplaySet:
      if (clicked)
        SendAlarmDisplay(services_.device.sink, services_.settings.Snapshot());
      return;
    case kReturnSet:
      if (clicked)
        SendAlarmReturn(services_.device.sink, services_.settings.Snapshot());
      return;
    case kIdOk:
    case kIdClose:
      if (clicked) view.EndDialog(kDialogClosed);
      return;
    default:
      return;
  }
}

}  // namespace vqx
