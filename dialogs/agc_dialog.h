// The AGC dialog: automatic gain control on or off for each input, each
// channel with its own set button.
#pragma once

#include <array>
#include <string_view>

#include "dialogs/conventions.h"
#include "dialogs/dialog.h"

namespace vqx {

class AgcDialog : public Dialog {
 public:
  static constexpr int kTemplateId = 150;
  static constexpr std::string_view kHeading = "オート・ゲイン・コントロール ";

  // The ids do not follow the channel order: ch.05's list is 1134.
  static constexpr ChannelRows kChannels = {{
      {1132, 1133},
      {1136, 1137},
      {1140, 1141},
      {1144, 1145},
      {1134, 1135},
      {1138, 1139},
      {1142, 1143},
      {1146, 1147},
  }};

  explicit AgcDialog(DialogServices& services) : services_(services) {}

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;

 private:
  DialogServices& services_;
};

}  // namespace vqx
