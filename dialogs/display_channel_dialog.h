// The display channel dialog: which screen the device shows (one channel,
// a split layout or automatic switching), and which channel each pane of
// the five split layouts shows, each layout with a plain and an "N" set
// button.
#pragma once

#include <array>
#include <string_view>

#include "dialogs/dialog.h"
#include "dialogs/ids/display_channel_ids.h"
#include "protocol/display_channel.h"

namespace vqx {

class DisplayChannelDialog : public Dialog {
 public:
  static constexpr int kTemplateId = IDD_DISPLAY_CHANNEL;
  static constexpr std::string_view kHeading = "表示チャンネル ";

  static constexpr int kScreenList = IDC_SCREEN;
  static constexpr int kScreenSet = IDC_SCREEN_SET;

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
      {Layout::k4A,
       4,
       {IDC_LAYOUT_4A_PANE1, IDC_LAYOUT_4A_PANE2, IDC_LAYOUT_4A_PANE3,
        IDC_LAYOUT_4A_PANE4},
       IDC_LAYOUT_4A_SET,
       IDC_LAYOUT_4A_SET_N},
      {Layout::k4B,
       4,
       {IDC_LAYOUT_4B_PANE1, IDC_LAYOUT_4B_PANE2, IDC_LAYOUT_4B_PANE3,
        IDC_LAYOUT_4B_PANE4},
       IDC_LAYOUT_4B_SET,
       IDC_LAYOUT_4B_SET_N},
      {Layout::k6A,
       6,
       {IDC_LAYOUT_6A_PANE1, IDC_LAYOUT_6A_PANE2, IDC_LAYOUT_6A_PANE3,
        IDC_LAYOUT_6A_PANE4, IDC_LAYOUT_6A_PANE5, IDC_LAYOUT_6A_PANE6},
       IDC_LAYOUT_6A_SET,
       IDC_LAYOUT_6A_SET_N},
      {Layout::k6B,
       6,
       {IDC_LAYOUT_6B_PANE1, IDC_LAYOUT_6B_PANE2, IDC_LAYOUT_6B_PANE3,
        IDC_LAYOUT_6B_PANE4, IDC_LAYOUT_6B_PANE5, IDC_LAYOUT_6B_PANE6},
       IDC_LAYOUT_6B_SET,
       IDC_LAYOUT_6B_SET_N},
      {Layout::k9,
       8,
       {IDC_LAYOUT_9_PANE1, IDC_LAYOUT_9_PANE2, IDC_LAYOUT_9_PANE3,
        IDC_LAYOUT_9_PANE4, IDC_LAYOUT_9_PANE5, IDC_LAYOUT_9_PANE6,
        IDC_LAYOUT_9_PANE7, IDC_LAYOUT_9_PANE8},
       IDC_LAYOUT_9_SET,
       IDC_LAYOUT_9_SET_N},
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
