#include "dialogs/video_loss_dialog.h"

#include <array>

#include "protocol/video_loss.h"

namespace vqx {
namespace {

using VL = VideoLossDialog;

// Both texts begin with a blank.
constexpr std::array<std::string_view, 2> kBackgroundItems = {" 黒", " 青"};

constexpr SettingRow kVideoLossRows[] = {
    {VL::kBackgroundList, VL::kBackgroundSet, kBackgroundItems,
     &DeviceSettings::vloss_background, SendVideoLossBackground},
    {VL::kSignalOutputList, VL::kSignalOutputSet, kOffOnItems,
     &DeviceSettings::vloss_signal_output, SendVideoLossSignalOutput},
    {VL::kDisplayList, VL::kDisplaySet, kOffOnItems,
     &DeviceSettings::vloss_display, SendVideoLossDisplay},
};

constexpr ChannelDialogShape kVideoLossShape{
    VL::kTemplateId,
    VL::kHeading,
    VL::kChannels,
    kOffOnItems,
    &DeviceSettings::vloss_detect,
    SendVideoLossChannel,
    kVideoLossRows,
};

}  // namespace

VideoLossDialog::VideoLossDialog(DialogServices& services)
    : ChannelSettingsDialog(services, kVideoLossShape) {}

}  // namespace vqx
