#include "dialogs/video_format_dialog.h"

#include "dialogs/conventions.h"
#include "protocol/video_format.h"

namespace vqx {
namespace {

// Eight characters each, padded with blanks.
constexpr std::array<std::string_view, kVideoFormatCount> kFormatItems = {
    "AHD 1920", "AHD  720", "TVI 1920", "TVI  720",
    "CVI 1920", "CVI  720", "NTSC    "};

}  // namespace

void VideoFormatDialog::OnInit(DialogView& view) {
  Core& core = services_.core;
  const DeviceSettings settings = core.settings.Snapshot();
  FillSlaveAddressCombo(view);
  for (const ChannelControls& channel : kChannels) {
    FillList(view, channel.list, kFormatItems);
  }
  FillList(view, kCommonList, kFormatItems);
  ApplySlaveAddressRule(view, core.config, core.slave_address.load());
  for (int ch = 0; ch < kChannelCount; ++ch) {
    Preselect(view, kChannels[ch].list, settings.format_video[ch]);
  }
  Preselect(view, kCommonList, core.working.format_common);
  ApplyDialogCaption(view, core.config, kHeading);
}

void VideoFormatDialog::OnCommand(DialogView& view, int control,
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
          [ch](DeviceSettings& s) -> int& { return s.format_video[ch]; });
      return;
    }
    if (control == kChannels[ch].set) {
      if (clicked) {
        SendVideoFormatChannel(services_.sink, core.settings.Snapshot(), ch);
      }
      return;
    }
  }
  if (control == kCommonList) {
    // The common choice goes into every channel at once; nothing is sent.
    if (const std::optional<int> format =
            ChosenIndex(view, control, notification)) {
      core.working.format_common = *format;
      core.settings.Update([&](DeviceSettings& s) {
        for (int& entry : s.format_video) entry = *format;
      });
      for (const ChannelControls& channel : kChannels) {
        view.SelectItem(channel.list, *format);
      }
    }
    return;
  }
  if (control == kSetAll && clicked) {
    SendVideoFormatAll(services_.sink, core.settings.Snapshot());
  }
}

}  // namespace vqx
