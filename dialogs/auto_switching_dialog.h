// The auto switching dialog: the dwell time of each of the 13 screens the
// device steps through, one time for all, the switching mode, and a list of
// all 13 times drawn into a frame of the dialog.
#pragma once

#include <string>
#include <string_view>

#include "dialogs/dialog.h"
#include "dialogs/ids/auto_switching_ids.h"

namespace vqx {

class AutoSwitchingDialog : public Dialog {
 public:
  static constexpr int kTemplateId = IDD_AUTO_SWITCHING;
  static constexpr std::string_view kHeading = "自動切換え ";

  static constexpr int kListFrame =
      IDC_SEQ_LIST_FRAME;                           // the drawn list of times
  static constexpr int kEntryList = IDC_SEQ_ENTRY;  // which of the 13 entries
  static constexpr int kTimeList = IDC_SEQ_TIME;    // its time, 0..99 s
  static constexpr int kCommonList =
      IDC_SEQ_COMMON_TIME;  // one time for all 13
  static constexpr int kTimesSet = IDC_SEQ_TIMES_SET;
  static constexpr int kModeList = IDC_SEQ_MODE;
  static constexpr int kModeSet = IDC_SEQ_MODE_SET;
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
