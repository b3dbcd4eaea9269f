#include "dialogs/video_format_dialog.h"

#include <array>

#include "protocol/video_format.h"

namespace vqx {
namespace {

// Eight characters each, padded with blanks.
constexpr std::array<std::string_view, kVideoFormatCount> kFormatItems = {
    "AHD 1920", "AHD  720", "TVI 1920", "TVI  720",
    "CVI 1920", "CVI  720", "NTSC    "};

constexpr ChannelDialogShape kFormatShape{
    VideoFormatDialog::kTemplateId, VideoFormatDialog::kHeading,
    VideoFormatDialog::kChannels,   kFormatItems,
    &DeviceSettings::format_video,  SendVideoFormatChannel,
};

}  // namespace

VideoFormatDialog::VideoFormatDialog(DialogServices& services)
    : ChannelSettingsDialog(services, kFormatShape) {}

void VideoFormatDialog::InitMore(DialogView& view,
                                 const DeviceSettings& /*settings*/) {
  FillList(view, kCommonList, kFormatItems);
  Preselect(view, kCommonList, services_.selections.format_common);
}

bool VideoFormatDialog::HandleMore(DialogView& view, int control,
                                   ControlNotification notification) {
  if (control == kCommonList) {
    // The common choice goes into every channel at once; nothing is sent.
    if (const std::optional<int> format =
            ChosenIndex(view, control, notification)) {
      services_.selections.format_common = *format;
      StoreUserChange(services_.settings, [&](DeviceSettings& s) {
        for (int& entry : s.format_video) entry = *format;
      });
      for (const ChannelRow& channel : kChannels) {
        view.SelectItem(channel.list, *format);
      }
    }
    return true;
  }
  if (control == kSetAll) {
    if (notification == ControlNotification::kClicked) {
      SendVideoFormatAll(services_.device.sink, services_.settings.Snapshot());
    }
    return true;
  }
  return false;
}

}  // namespace vqx
