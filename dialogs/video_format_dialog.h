// The video format dialog: the camera signal format of each input, sent per
// channel, or one format chosen for all and sent in one line.
#pragma once

#include <string_view>

#include "dialogs/channel_settings_dialog.h"
#include "dialogs/ids/video_format_ids.h"

namespace vqx {

class VideoFormatDialog : public ChannelSettingsDialog {
 public:
  static constexpr int kTemplateId = IDD_VIDEO_FORMAT;
  static constexpr std::string_view kHeading = "ビデオフォーマット ";

  static constexpr ChannelRows kChannels = {{
      {IDC_FORMAT_CH1, IDC_FORMAT_CH1_SET},
      {IDC_FORMAT_CH2, IDC_FORMAT_CH2_SET},
      {IDC_FORMAT_CH3, IDC_FORMAT_CH3_SET},
      {IDC_FORMAT_CH4, IDC_FORMAT_CH4_SET},
      {IDC_FORMAT_CH5, IDC_FORMAT_CH5_SET},
      {IDC_FORMAT_CH6, IDC_FORMAT_CH6_SET},
      {IDC_FORMAT_CH7, IDC_FORMAT_CH7_SET},
      {IDC_FORMAT_CH8, IDC_FORMAT_CH8_SET},
  }};
  // One format for every channel, and the button that sends all eight.
  static constexpr int kCommonList = IDC_FORMAT_COMMON;
  static constexpr int kSetAll = IDC_FORMAT_SET_ALL;

  explicit VideoFormatDialog(DialogServices& services);

 private:
  void InitMore(DialogView& view, const DeviceSettings& settings) override;
  bool HandleMore(DialogView& view, int control,
                  ControlNotification notification) override;
};

}  // namespace vqx
