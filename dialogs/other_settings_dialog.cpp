#include "dialogs/other_settings_dialog.h"

#include <array>

#include "base/encoding.h"
#include "dialogs/conventions.h"
#include "protocol/other_settings.h"

namespace vqx {
namespace {

// The blanks inside the items are part of them.
constexpr std::array<std::string_view, 2> kConnectorItems = {"ALARM ",
                                                             "REMOTE"};
constexpr std::array<std::string_view, 4> kBorderItems = {"黒色", "灰色",
                                                          "白色", "OFF"};
constexpr std::array<std::string_view, 2> kSizeItems = {"SMALL ", "LARGE "};
constexpr std::array<std::string_view, 2> kLockItems = {"OFF ", "ON  "};
constexpr std::array<std::string_view, 2> kAspectItems = {"4:3 ", "FULL"};

// The lists that store into a field of the record, and how each is sent.
struct Option {
  int list;
  int set;
  int DeviceSettings::*field;
  void (*send)(CommandSink&, const DeviceSettings&);
};
constexpr Option kOptions[] = {
    {OtherSettingsDialog::kConnectorInputList,
     OtherSettingsDialog::kConnectorInputSet,
     &DeviceSettings::misc_connector_input, SendConnectorInput},
    {OtherSettingsDialog::kPowerOnScreenList,
     OtherSettingsDialog::kPowerOnScreenSet,
     &DeviceSettings::misc_power_on_screen, SendPowerOnScreen},
    {OtherSettingsDialog::kBorderLineList, OtherSettingsDialog::kBorderLineSet,
     &DeviceSettings::misc_border_line, SendBorderLine},
    {OtherSettingsDialog::kOsdOffsetHList, OtherSettingsDialog::kOsdOffsetHSet,
     &DeviceSettings::misc_osd_offset_h, SendOsdOffsetH},
    {OtherSettingsDialog::kOsdOffsetVList, OtherSettingsDialog::kOsdOffsetVSet,
     &DeviceSettings::misc_osd_offset_v, SendOsdOffsetV},
    {OtherSettingsDialog::kOsdSizeSingleList,
     OtherSettingsDialog::kOsdSizeSingleSet,
     &DeviceSettings::misc_osd_size_single, SendOsdSizeSingle},
    {OtherSettingsDialog::kOsdSizeSplitList,
     OtherSettingsDialog::kOsdSizeSplitSet,
     &DeviceSettings::misc_osd_size_split, SendOsdSizeSplit},
    {OtherSettingsDialog::kNtscAspectList, OtherSettingsDialog::kNtscAspectSet,
     &DeviceSettings::misc_ntsc_aspect, SendNtscAspect},
};

}  // namespace

void OtherSettingsDialog::OnInit(DialogView& view) {
  const DeviceSettings settings = services_.settings.Snapshot();
  FillList(view, kConnectorInputList, kConnectorItems);
  FillList(view, kOsdSizeSingleList, kSizeItems);
  FillList(view, kOsdSizeSplitList, kSizeItems);
  FillList(view, kButtonLockList, kLockItems);
  FillList(view, kNtscAspectList, kAspectItems);
  FillList(view, kBorderLineList, kBorderItems);
  FillList(view, kPowerOnScreenList, ScreenItems());
  for (int n = 0; n < kOsdOffsetItems; ++n) {
    view.InsertItem(kOsdOffsetHList, n, Decimal2Text(n));
    view.InsertItem(kOsdOffsetVList, n, Decimal2Text(n));
  }
  FillSlaveAddressCombo(view);
  ApplySlaveAddressRule(view, services_.device.config,
                        services_.device.slave_address.load());
  Preselect(view, kConnectorInputList, settings.misc_connector_input);
  Preselect(view, kPowerOnScreenList, settings.misc_power_on_screen);
  Preselect(view, kBorderLineList, settings.misc_border_line);
  Preselect(view, kOsdOffsetHList, settings.misc_osd_offset_h);
  Preselect(view, kOsdOffsetVList, settings.misc_osd_offset_v);
  Preselect(view, kOsdSizeSingleList, settings.misc_osd_size_single);
  Preselect(view, kOsdSizeSplitList, settings.misc_osd_size_split);
  Preselect(view, kButtonLockList, services_.selections.misc_button_lock);
  Preselect(view, kNtscAspectList, settings.misc_ntsc_aspect);
  services_.selections.hidden_access_count = 0;
  ApplyDialogCaption(view, services_.device.config, kHeading);
}

void OtherSettingsDialog::OnCommand(DialogView& view, int control,
                                    ControlNotification notification) {
  // Enter does nothing here; only Close ends the dialog.
  if (HandleSlaveAddressChange(view, control, notification,
                               services_.device.slave_address) ||
      HandleClose(view, control, notification, CloseIds::kCloseOnly)) {
    return;
  }
  const bool clicked = notification == ControlNotification::kClicked;
  for (const Option& option : kOptions) {
    if (control == option.list) {
      StoreChoice(view, control, notification, services_.settings,
                  option.field);
      return;
    }
    if (control == option.set) {
      if (clicked)
        option.send(services_.device.sink, services_.settings.Snapshot());
      return;
    }
  }
  // The front button lock is no setting of the record: it lives for the run
  // only and is never saved, read back or sent by send-all.
  if (control == kButtonLockList) {
    if (const std::optional<int> lock =
            ChosenIndex(view, control, notification)) {
      services_.selections.misc_button_lock = *lock;
    }
    return;
  }
  if (control == kButtonLockSet && clicked) {
    SendButtonLock(services_.device.sink,
                   services_.selections.misc_button_lock);
  }
}

}  // namespace vqx
