// The video adjustment dialog: brightness, contrast, hue, sharpness and
// saturation of the chosen channel, each with its own set button; "全設定"
// sends all 40 values in one timed run; a table drawn into a frame of the
// dialog shows every stored value.
#pragma once

#include <array>
#include <string_view>

#include "dialogs/dialog.h"
#include "dialogs/ids/video_adjustment_ids.h"
#include "dialogs/sequence_run.h"
#include "protocol/video_adjustment.h"

namespace vqx {

class VideoAdjustmentDialog : public Dialog {
 public:
  static constexpr int kTemplateId = IDD_VIDEO_ADJUSTMENT;
  static constexpr std::string_view kHeading = "ビデオ映像の調整 ";

  static constexpr int kTableFrame = IDC_ADJUST_TABLE;
  static constexpr int kChannelList = IDC_ADJUST_CHANNEL;
  static constexpr int kSetAll = IDC_ADJUST_SET_ALL;
  static constexpr int kProgress = IDC_ADJUST_PROGRESS;

  // The list and set button of each adjustment.
  struct AdjustmentControls {
    Adjustment adjustment;
    int list;
    int set;
  };
  static constexpr std::array<AdjustmentControls, 5> kAdjustments = {{
      {Adjustment::kBrightness, IDC_ADJUST_BRIGHTNESS,
       IDC_ADJUST_BRIGHTNESS_SET},
      {Adjustment::kContrast, IDC_ADJUST_CONTRAST, IDC_ADJUST_CONTRAST_SET},
      {Adjustment::kHue, IDC_ADJUST_HUE, IDC_ADJUST_HUE_SET},
      {Adjustment::kSharpness, IDC_ADJUST_SHARPNESS, IDC_ADJUST_SHARPNESS_SET},
      {Adjustment::kSaturation, IDC_ADJUST_SATURATION,
       IDC_ADJUST_SATURATION_SET},
  }};

  // Two timers: one draws the table once the dialog has painted, the other
  // paces the set-all run, so a repaint never stops the run.
  static constexpr int kDrawTimer = 1;
  static constexpr int kSetAllTimer = 2;
  static constexpr int kFirstDrawDelayMs = 100;
  static constexpr int kRepaintDrawDelayMs = 20;

  // Where the table goes in its frame, in pixels.
  static constexpr int kFirstColumnX = 120;
  static constexpr int kColumnWidth = 60;
  static constexpr int kHeaderY = 6;
  static constexpr int kRowLabelX = 20;
  static constexpr int kFirstRowY = 26;
  static constexpr int kRowHeight = 20;

  explicit VideoAdjustmentDialog(DialogServices& services);

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;
  void OnTimer(DialogView& view, int timer_id) override;
  void OnPaint(DialogView& view) override;

  bool set_all_running() const { return set_all_.running(); }

 private:
  // The channel the lists and buttons work on: selected_channel when it is
  // one of the eight, else channel 1.
  int EffectiveChannel() const;
  void ShowChannelValues(DialogView& view);
  void DrawTable(DialogView& view);

  DialogServices& services_;
  AdjustmentSetAllSequence set_all_;
  SequenceRun run_;
};

}  // namespace vqx
