// The video loss dialog: detection per channel, the background of a lost
// channel, the signal output and the on-screen display, each with its own
// set button.
#pragma once

#include <array>
#include <string_view>

#include "dialogs/conventions.h"
#include "dialogs/dialog.h"

namespace vqx {

class VideoLossDialog : public Dialog {
 public:
  static constexpr int kTemplateId = 134;
  static constexpr std::string_view kHeading = "ビデオロス ";

  static constexpr ChannelRows kChannels = {{
      {1011, 1016},
      {1012, 1017},
      {1013, 1018},
      {1014, 1019},
      {1025, 1029},
      {1026, 1030},
      {1027, 1031},
      {1028, 1032},
  }};
  static constexpr int kBackgroundList = 1015;
  static constexpr int kBackgroundSet = 1020;
  static constexpr int kDisplayList = 1021;
  static constexpr int kDisplaySet = 1023;
  static constexpr int kSignalOutputList = 1022;
  static constexpr int kSignalOutputSet = 1024;

  explicit VideoLossDialog(DialogServices& services) : services_(services) {}

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;

 private:
  DialogServices& services_;
};

}  // namespace vqx
