#include "dialogs/agc_dialog.h"

#include "dialogs/conventions.h"
#include "protocol/agc.h"

namespace vqx {

void AgcDialog::OnInit(DialogView& view) {
  Core& core = services_.core;
  const DeviceSettings settings = core.settings.Snapshot();
  FillSlaveAddressCombo(view);
  for (const ChannelRow& channel : kChannels) {
    FillOffOnList(view, channel.list);
  }
  ApplySlaveAddressRule(view, core.config, core.slave_address.load());
  PreselectChannelRows(view, kChannels, settings.agc_enable);
  ApplyDialogCaption(view, core.config, kHeading);
}

void AgcDialog::OnCommand(DialogView& view, int control,
                          ControlNotification notification) {
  Core& core = services_.core;
  if (HandleSlaveAddressChange(view, control, notification,
                               core.slave_address) ||
      HandleClose(view, control, notification, CloseIds::kOkAndClose)) {
    return;
  }
  HandleChannelRows(view, control, notification, kChannels, core.settings,
                    &DeviceSettings::agc_enable, [&](int ch) {
                      SendAgcChannel(services_.sink, core.settings.Snapshot(),
                                     ch);
                    });
}

}  // namespace vqx
