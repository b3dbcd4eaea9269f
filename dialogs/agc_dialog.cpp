#include "dialogs/agc_dialog.h"

#include "dialogs/conventions.h"
#include "protocol/agc.h"

namespace vqx {

void AgcDialog::OnInit(DialogView& view) {
  Core& core = services_.core;
  const DeviceSettings settings = core.settings.Snapshot();
  FillSlaveAddressCombo(view);
  for (const ChannelControls& channel : kChannels) {
    FillOffOnList(view, channel.list);
  }
  ApplySlaveAddressRule(view, core.config, core.slave_address.load());
  for (int ch = 0; ch < kChannelCount; ++ch) {
    Preselect(view, kChannels[ch].list, settings.agc_enable[ch]);
  }
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
  for (int ch = 0; ch < kChannelCount; ++ch) {
    if (control == kChannels[ch].list) {
      StoreChoiceIn(
          view, control, notification, core.settings,
          [ch](DeviceSettings& s) -> int& { return s.agc_enable[ch]; });
      return;
    }
    if (control == kChannels[ch].set) {
      if (notification == ControlNotification::kClicked) {
        SendAgcChannel(services_.sink, core.settings.Snapshot(), ch);
      }
      return;
    }
  }
}

}  // namespace vqx
