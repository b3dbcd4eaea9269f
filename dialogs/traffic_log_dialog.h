// The traffic log window: every line sent and received, newest at the
// bottom, with its time, direction, address, text and meaning. It stays
// open beside the main window; it can save the log as text, clear it and
// pause the recording.
#pragma once

#include <cstdint>
#include <string_view>

#include "dialogs/dialog.h"
#include "dialogs/ids/traffic_log_ids.h"
#include "protocol/traffic_log.h"

namespace vqx {

class TrafficLogDialog : public Dialog {
 public:
  static constexpr int kTemplateId = IDD_TRAFFIC_LOG;
  static constexpr std::string_view kCaption = "通信ログ";

  static constexpr int kLineList = IDC_LOG_LINES;
  static constexpr int kSave = IDC_LOG_SAVE;
  static constexpr int kClear = IDC_LOG_CLEAR;
  static constexpr int kPause = IDC_LOG_PAUSE;
  // The window looks for new lines this often.
  // Where the columns begin, in dialog units: direction, address, line,
  // meaning. Wide enough for a time stamp and most lines; a longer line
  // pushes its meaning one tab further.
  static constexpr int kColumns[] = {100, 124, 148, 300};
  static constexpr int kRefreshTimer = 1;
  static constexpr int kRefreshPeriodMs = 200;

  explicit TrafficLogDialog(DialogServices& services) : services_(services) {}

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;
  void OnTimer(DialogView& view, int timer_id) override;

 private:
  // Brings the list up to the log: drops the rows the log no longer holds
  // (cleared, or pushed out when full), appends the new ones.
  void Refresh(DialogView& view);
  void Save();

  DialogServices& services_;
  // The sequence numbers of the first and the last row shown; the list is
  // empty when first > last.
  std::uint64_t first_shown_ = 1;
  std::uint64_t last_shown_ = 0;
};

}  // namespace vqx
