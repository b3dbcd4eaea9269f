// The video format dialog: the camera signal format of each input, sent per
// channel, or one format chosen for all and sent in one line.
#pragma once

#include <array>
#include <string_view>

#include "dialogs/conventions.h"
#include "dialogs/dialog.h"

namespace vqx {

class VideoFormatDialog : public Dialog {
 public:
  static constexpr int kTemplateId = 148;
  static constexpr std::string_view kHeading = "ビデオフォーマット ";

  static constexpr ChannelRows kChannels = {{
      {1123, 1124},
      {1125, 1126},
      {1127, 1129},
      {1128, 1130},
      {1132, 1136},
      {1133, 1137},
      {1134, 1138},
      {1135, 1139},
  }};
  // One format for every channel, and the button that sends all eight.
  static constexpr int kCommonList = 1006;
  static constexpr int kSetAll = 1131;

  explicit VideoFormatDialog(DialogServices& services) : services_(services) {}

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;

 private:
  DialogServices& services_;
};

}  // namespace vqx
