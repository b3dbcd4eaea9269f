// The video loss dialog: detection per channel, the background of a lost
// channel, the signal output and the on-screen display, each with its own
// set button.
#pragma once

#include <string_view>

#include "dialogs/channel_settings_dialog.h"
#include "dialogs/ids/video_loss_ids.h"

namespace vqx {

class VideoLossDialog : public ChannelSettingsDialog {
 public:
  static constexpr int kTemplateId = IDD_VIDEO_LOSS;
  static constexpr std::string_view kHeading = "ビデオロス ";

  static constexpr ChannelRows kChannels = {{
      {IDC_VLOSS_CH1, IDC_VLOSS_CH1_SET},
      {IDC_VLOSS_CH2, IDC_VLOSS_CH2_SET},
      {IDC_VLOSS_CH3, IDC_VLOSS_CH3_SET},
      {IDC_VLOSS_CH4, IDC_VLOSS_CH4_SET},
      {IDC_VLOSS_CH5, IDC_VLOSS_CH5_SET},
      {IDC_VLOSS_CH6, IDC_VLOSS_CH6_SET},
      {IDC_VLOSS_CH7, IDC_VLOSS_CH7_SET},
      {IDC_VLOSS_CH8, IDC_VLOSS_CH8_SET},
  }};
  static constexpr int kBackgroundList = IDC_VLOSS_BACKGROUND;
  static constexpr int kBackgroundSet = IDC_VLOSS_BACKGROUND_SET;
  static constexpr int kDisplayList = IDC_VLOSS_DISPLAY;
  static constexpr int kDisplaySet = IDC_VLOSS_DISPLAY_SET;
  static constexpr int kSignalOutputList = IDC_VLOSS_SIGNAL_OUTPUT;
  static constexpr int kSignalOutputSet = IDC_VLOSS_SIGNAL_OUTPUT_SET;

  explicit VideoLossDialog(DialogServices& services);
};

}  // namespace vqx
