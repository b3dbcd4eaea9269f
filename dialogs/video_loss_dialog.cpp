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
  for (const ChannelControls& channel : kChannels) {
    FillOffOnList(view, channel.list);
  }
  FillList(view, kBackgroundList, kBackgroundItems);
  FillOffOnList(view, kSignalOutputList);
  FillOffOnList(view, kDisplayList);
  ApplySlaveAddressRule(view, core.config, core.slave_address.load());
  for (int ch = 0; ch < kChannelCount; ++ch) {
    Preselect(view, kChannels[ch].list, settings.vloss_detect[ch]);
  }
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
  const bool clicked = notification == ControlNotification::kClicked;
  for (int ch = 0; ch < kChannelCount; ++ch) {
    if (control == kChannels[ch].list) {
      StoreChoiceIn(
          view, control, notification, core.settings,
          [ch](DeviceSettings& s) -> int& { return s.vloss_detect[ch]; });
      return;
    }
    if (control == kChannels[ch].set) {
      if (clicked) {
        SendVideoLossChannel(services_.sink, core.settings.Snapshot(), ch);
      }
      return;
    }
  }
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
