#include "dialogs/channel_settings_dialog.h"

namespace vqx {

void ChannelSettingsDialog::OnInit(DialogView& view) {
  const DeviceSettings settings = services_.settings.Snapshot();
  FillSlaveAddressCombo(view);
  for (const ChannelRow& channel : shape_.channels) {
    FillList(view, channel.list, shape_.items);
  }
  for (const SettingRow& row : shape_.rows) {
    FillList(view, row.list, row.items);
  }
  ApplySlaveAddressRule(view, services_.device.config,
                        services_.device.slave_address.load());
  PreselectChannelRows(view, shape_.channels, settings.*shape_.field);
  for (const SettingRow& row : shape_.rows) {
    Preselect(view, row.list, settings.*row.field);
  }
  InitMore(view, settings);
  ApplyDialogCaption(view, services_.device.config, shape_.heading);
}

void ChannelSettingsDialog::OnCommand(DialogView& view, int control,
                                      ControlNotification notification) {
  if (HandleSlaveAddressChange(view, control, notification,
                               services_.device.slave_address) ||
      HandleClose(view, control, notification, CloseIds::kOkAndClose)) {
    return;
  }
  if (HandleChannelRows(view, control, notification, shape_.channels,
                        services_.settings, shape_.field, [&](int channel) {
                          shape_.send_channel(services_.device.sink,
                                              services_.settings.Snapshot(),
                                              channel);
                        })) {
    return;
  }
  for (const SettingRow& row : shape_.rows) {
    if (control == row.list) {
      StoreChoice(view, control, notification, services_.settings, row.field);
      return;
    }
    if (control == row.set) {
      if (notification == ControlNotification::kClicked) {
        row.send(services_.device.sink, services_.settings.Snapshot());
      }
      return;
    }
  }
  HandleMore(view, control, notification);
}

}  // namespace vqx
