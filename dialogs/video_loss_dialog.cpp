#include "dialogs/video_loss_dialog.h"

#include "dialogs/conventions.h"
#include "protocol/video_loss.h"

namespace vqx {
namespace {

// Both texts begin with a blank.
constexpr std::array<std::string_view, 2> kBackgroundItems = {" 黒", " 青"};

}  // namespace

void VideoLossDialog::OnInit(DialogView& view) {
  Core& core = services_.core;
  const DeviceSettings settings = core.settings.Snapshot();
  FillSlaveAddressCombo(view);
  for (const ChannelRow& channel : kChannels) {
    FillOffOnList(view, channel.list);
  }
  FillList(view, kBackgroundList, kBackgroundItems);
  FillOffOnList(view, kSignalOutputList);
  FillOffOnList(view, kDisplayList);
  ApplySlaveAddressRule(view, core.config, core.slave_address.load());
  PreselectChannelRows(view, kChannels, settings.vloss_detect);
  Preselect(view, kSignalOutputList, settings.vloss_signal_output);
  Preselect(view, kBackgroundList, settings.vloss_background);
  Preselect(view, kDisplayList, settings.vloss_display);
  ApplyDialogCaption(view, core.config, kHeading);
}

void VideoLossDialog::OnCommand(DialogView& view, int control,
                                ControlNotification notification) {
  Core& core = services_.core;
  if (HandleSlaveAddressChange(view, control, notification,
                               core.slave_address) ||
      HandleClose(view, control, notification, CloseIds::kOkAndClose)) {
    return;
  }
  if (HandleChannelRows(view, control, notification, kChannels, core.settings,
                        &DeviceSettings::vloss_detect, [&](int ch) {
                          SendVideoLossChannel(services_.sink,
                                               core.settings.Snapshot(), ch);
                        })) {
    return;
  }
  const bool clicked = notification == ControlNotification::kClicked;
  switch (control) {
    case kBackgroundList:
      StoreChoice(view, control, notification, core.settings,
                  &DeviceSettings::vloss_background);
      return;
    case kSignalOutputList:
      StoreChoice(view, control, notification, core.settings,
                  &DeviceSettings::vloss_signal_output);
      return;
    case kDisplayList:
      StoreChoice(view, control, notification, core.settings,
                  &DeviceSettings::vloss_display);
      return;
    case kBackgroundSet:
      if (clicked) {
        SendVideoLossBackground(services_.sink, core.settings.Snapshot());
      }
      return;
    case kSignalOutputSet:
      if (clicked) {
        SendVideoLossSignalOutput(services_.sink, core.settings.Snapshot());
      }
      return;
    case kDisplaySet:
      if (clicked) {
        SendVideoLossDisplay(services_.sink, core.settings.Snapshot());
      }
      return;
    default:
      return;
  }
}

}  // namespace vqx
