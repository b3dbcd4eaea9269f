// The display channel dialog: which screen the device shows (one channel,
// a split layout or automatic switching), and which channel each pane of
// the five split layouts shows, each layout with a plain and an "N" set
// button.
#pragma once

#include <array>
#include <string_view>

#include "dialogs/dialog.h"
#include "protocol/display_channel.h"

namespace vqx {

class DisplayChannelDialog : public Dialog {
 public:
  static constexpr int kTemplateId = 139;
  static constexpr std::string_view kHeading = "表示チャンネル ";

  static constexpr int kScreenList = 1111;
  static constexpr int kScreenSet = 1112;

  // The pane lists of a layout (pane 1 first) and its two set buttons,
  // "設定" (plain form) and "設定Don't" (the N form).
  struct LayoutControls {
    Layout layout;
    int pane_count;
    std::array<int, 8> panes;
    int set;
    int set_n;
  };
  static constexpr std::array<LayoutControls, 5> kLayouts = {{
      {Layout::k4A, 4, {1113, 1114, 1117, 1118}, 1115, 1116},
      {Layout::k4B, 4, {1119, 1120, 1121, 1122}, 1124, 1123},
      {Layout::k6A, 6, {1125, 1126, 1127, 1128, 1129, 1130}, 1131, 1132},
      {Layout::k6B, 6, {1133, 1134, 1135, 1136, 1137, 1138}, 1139, 1140},
      {Layout::k9,
       8,
       {1141, 1142, 1143, 1144, 1145, 1146, 1149, 1150},
       1147,
       1148},
  }};

  explicit DisplayChannelDialog(DialogServices& services)
      : services_(services) {}

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;

 private:
  bool HandleLayout(DialogView& view, int control,
                    ControlNotification notification);

  DialogServices& services_;
};

}  // namespace vqx
