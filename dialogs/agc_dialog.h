// The AGC dialog: automatic gain control on or off for each input, each
// channel with its own set button.
#pragma once

#include <string_view>

#include "dialogs/channel_settings_dialog.h"
#include "dialogs/ids/agc_ids.h"

namespace vqx {

class AgcDialog : public ChannelSettingsDialog {
 public:
  static constexpr int kTemplateId = IDD_AGC;
  static constexpr std::string_view kHeading = "オート・ゲイン・コントロール ";

  // The ids do not follow the channel order.
  static constexpr ChannelRows kChannels = {{
      {IDC_AGC_CH1, IDC_AGC_CH1_SET},
      {IDC_AGC_CH2, IDC_AGC_CH2_SET},
      {IDC_AGC_CH3, IDC_AGC_CH3_SET},
      {IDC_AGC_CH4, IDC_AGC_CH4_SET},
      {IDC_AGC_CH5, IDC_AGC_CH5_SET},
      {IDC_AGC_CH6, IDC_AGC_CH6_SET},
      {IDC_AGC_CH7, IDC_AGC_CH7_SET},
      {IDC_AGC_CH8, IDC_AGC_CH8_SET},
  }};

  explicit AgcDialog(DialogServices& services);
};

}  // namespace vqx
