#include "dialogs/traffic_log_dialog.h"

#include <algorithm>

#include "dialogs/conventions.h"
#include "files/file_operations.h"

namespace vqx {

void TrafficLogDialog::OnInit(DialogView& view) {
  view.SetCaption(kCaption);
  TrafficLog& log = services_.device.traffic_log;
  view.SetTabStops(kLineList, kColumns);
  view.SetCheck(kPause, log.paused());
  first_shown_ = log.oldest_sequence();
  last_shown_ = first_shown_ - 1;
  Refresh(view);
  view.StartTimer(kRefreshTimer, kRefreshPeriodMs);
}

void TrafficLogDialog::Refresh(DialogView& view) {
  TrafficLog& log = services_.device.traffic_log;
  // Rows of lines the log has dropped.
  const std::uint64_t oldest = log.oldest_sequence();
  if (oldest > first_shown_) {
    const std::uint64_t gone = std::min<std::uint64_t>(
        oldest - first_shown_, view.ItemCount(kLineList));
    if (gone == static_cast<std::uint64_t>(view.ItemCount(kLineList))) {
      view.ClearItems(kLineList);
    } else {
      for (std::uint64_t i = 0; i < gone; ++i) view.DeleteItem(kLineList, 0);
    }
    first_shown_ = oldest;
    if (last_shown_ + 1 < first_shown_) last_shown_ = first_shown_ - 1;
  }
  if (log.newest_sequence() == last_shown_) return;
  for (const TrafficEntry& entry : log.EntriesAfter(last_shown_)) {
    view.InsertItem(kLineList, view.ItemCount(kLineList),
                    FormatTrafficEntry(entry));
    last_shown_ = entry.sequence;
  }
  view.ShowItem(kLineList, view.ItemCount(kLineList) - 1);
}

void TrafficLogDialog::Save() {
  const std::optional<std::string> path =
      services_.platform.chooser.Choose(FileChooserMode::kSaveLog);
  if (!path) return;
  if (!SaveTrafficLog(*path, services_.device.traffic_log.Snapshot())) {
    services_.platform.boxes.ShowWarningBox(kCannotOpenFile);
  }
}

void TrafficLogDialog::OnCommand(DialogView& view, int control,
                                 ControlNotification notification) {
  if (HandleClose(view, control, notification, CloseIds::kOkAndClose) ||
      notification != ControlNotification::kClicked) {
    return;
  }
  switch (control) {
    case kSave:
      Save();
      return;
    case kClear:
      services_.device.traffic_log.Clear();
      Refresh(view);
      return;
    case kPause:
      services_.device.traffic_log.SetPaused(view.IsChecked(kPause));
      return;
    default:
      return;
  }
}

void TrafficLogDialog::OnTimer(DialogView& view, int timer_id) {
  if (timer_id == kRefreshTimer) Refresh(view);
}

}  // namespace vqx
