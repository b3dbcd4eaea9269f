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
  for (const ChannelRow& channel : kChannels) {
    FillList(view, channel.list, kFormatItems);
  }
  FillList(view, kCommonList, kFormatItems);
  ApplySlaveAddressRule(view, core.config, core.slave_address.load());
  PreselectChannelRows(view, kChannels, settings.format_video);
  Preselect(view, kCommonList, services_.selections.format_common);
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
  if (HandleChannelRows(view, control, notification, kChannels, core.settings,
                        &DeviceSettings::format_video, [&](int ch) {
                          SendVideoFormatChannel(services_.sink,
                                                 core.settings.Snapshot(), ch);
                        })) {
    return;
  }
  const bool clicked = notification == ControlNotification::kClicked;
  if (control == kCommonList) {
    // The common choice goes into every channel at once; nothing is sent.
    if (const std::optional<int> format =
            ChosenIndex(view, control, notification)) {
      services_.selections.format_common = *format;
      StoreUserChange(core.settings, [&](DeviceSettings& s) {
        for (int& entry : s.format_video) entry = *format;
      });
      for (const ChannelRow& channel : kChannels) {
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
