// The display channel dialog: which screen the device shows (one channel,
// a split layout or automatic switching), and which channel each pane of
// the five split layouts shows, each layout with a plain and an "N" set
// button.
#pragma once

#include <array>
#include <string_view>

#include "base/screen_layouts.h"
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
  // The picture of the layout last touched: its panes in place, each with
  // its channel and that channel's title.
  static constexpr int kPicture = IDC_LAYOUT_PICTURE;
  static constexpr int kPictureTimer = 1;
  // The picture is drawn once the dialog is up, and again after a repaint
  // has cleared it (the controls paint after the dialog).
  static constexpr int kFirstDrawDelayMs = 100;
  static constexpr int kRepaintDrawDelayMs = 20;
  // Where it goes in the picture's frame, in pixels at 96 DPI: the group's
  // name on top, the screen (16:9) under it, the note on repeated channels
  // at the bottom.
  static constexpr int kCaptionX = 4;
  static constexpr int kCaptionY = 2;
  static constexpr int kScreenX = 4;
  static constexpr int kScreenY = 20;
  static constexpr int kScreenWidth = 288;   // 6 units of 48
  static constexpr int kScreenHeight = 162;  // 6 units of 27
  static constexpr int kNoteY = 186;
  static constexpr int kPaneTextInset = 4;
  static constexpr int kLineHeight = 15;
  // The mark before a channel that another pane shows too, and the note
  // that says so.
  static constexpr std::string_view kRepeatMark = "＊";
  static constexpr std::string_view kRepeatNote =
      "＊赤枠: 同じチャンネルを別の画面にも表示";

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
  void OnTimer(DialogView& view, int timer_id) override;
  void OnPaint(DialogView& view) override;

  // The layout the picture shows.
  SplitLayout shown_layout() const { return shown_layout_; }

 private:
  void DrawPicture(DialogView& view);
  void Show(DialogView& view, SplitLayout layout);

  bool HandleLayout(DialogView& view, int control,
                    ControlNotification notification);

  DialogServices& services_;
  SplitLayout shown_layout_ = SplitLayout::k4A;
};

}  // namespace vqx
