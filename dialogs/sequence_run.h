// What the read-all and send-all dialogs share around their run: the
// "高速" box that chooses the pace and is kept in the INI file, the bar and
// the percentage, and Close and the box locked while the run goes on.
#pragma once

#include "dialogs/dialog.h"
#include "dialogs/dialog_view.h"
#include "transport/timed_sequence.h"

namespace vqx {

class SequenceRun {
 public:
  struct Controls {
    int progress;
    int percent;
    int fast_box;
    int timer;
  };

  SequenceRun(DialogServices& services, TimedSequence& sequence,
              Controls controls);

  // The bar's range and the box as the INI file has it.
  void Init(DialogView& view);
  // Starts a run at the pace the box chose: bar and percentage cleared,
  // Close and the box off, the timer at the pace's period. False (nothing
  // changes) while this or another run goes on.
  bool Start(DialogView& view);
  // A click on the box is written to the INI file at once. True when
  // `control` is the box.
  bool HandleFastBox(DialogView& view, int control,
                     ControlNotification notification);
  // One timer tick: shows the progress, and once the run is over stops the
  // timer and gives Close and the box back. Returns what the run reported.
  SequenceTick Tick(DialogView& view);

  bool running() const { return sequence_.running(); }

 private:
  DialogServices& services_;
  TimedSequence& sequence_;
  Controls controls_;
};

}  // namespace vqx
