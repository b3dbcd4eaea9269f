// The auto switching dialog: the dwell time of each of the 13 screens the
// device steps through, one time for all, the switching mode, and a list of
// all 13 times drawn into a frame of the dialog.
#pragma once

#include <string>
#include <string_view>

#include "dialogs/dialog.h"

namespace vqx {

class AutoSwitchingDialog : public Dialog {
 public:
  static constexpr int kTemplateId = 138;
  static constexpr std::string_view kHeading = "自動切換え ";

  static constexpr int kListFrame = 1054;   // the drawn list of times
  static constexpr int kEntryList = 1044;   // which of the 13 entries
  static constexpr int kTimeList = 1055;    // its time, 0..99 s
  static constexpr int kCommonList = 1056;  // one time for all 13
  static constexpr int kTimesSet = 1057;
  static constexpr int kModeList = 1045;
  static constexpr int kModeSet = 1058;
  static constexpr int kRedrawTimer = 3;
  // The list is drawn once the dialog is on screen, and again shortly after
  // every repaint, on top of the freshly painted frame.
  static constexpr int kFirstDrawDelayMs = 200;
  static constexpr int kRepaintDrawDelayMs = 20;
  // Where the lines of the list go in the frame, in pixels.
  static constexpr int kListX = 20;
  static constexpr int kListTop = 10;
  static constexpr int kListLineHeight = 22;
  static constexpr int kTimeItems = 100;

  // Line `entry` (0..12) of the drawn list: its label and " = 03 秒".
  static std::string ListLine(int entry, int seconds);

  explicit AutoSwitchingDialog(DialogServices& services)
      : services_(services) {}

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;
  void OnTimer(DialogView& view, int timer_id) override;
  void OnPaint(DialogView& view) override;

 private:
  void DrawList(DialogView& view);
  // The entry the time list edits, always one of the 13.
  int Entry() const;
  void ShowEntryTime(DialogView& view);

  DialogServices& services_;
};

}  // namespace vqx
