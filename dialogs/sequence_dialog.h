// The read-all and send-all dialogs: a start button that runs one timed
// sequence over every setting, its bar and percentage, the "高速" box, and
// the slave-address list. Close is refused while the run goes on (the close
// box and Escape too); a run that stops on an error leaves the dialog open
// to start again, and a complete run closes it.
#pragma once

#include <memory>
#include <string_view>

#include "dialogs/conventions.h"
#include "dialogs/dialog.h"
#include "dialogs/sequence_run.h"
#include "transport/timed_sequence.h"

namespace vqx {

// Where a sequence dialog's parts are.
struct SequenceDialogLayout {
  int template_id;
  std::string_view heading;
  int start;
  int progress;
  int percent;
  int fast_box;
  int timer;
  // Whether the slave-address list offers the broadcast entry.
  Broadcast broadcast;
};

class SequenceDialog : public Dialog {
 public:
  int template_id() const override { return layout_.template_id; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;
  void OnTimer(DialogView& view, int timer_id) override;

 protected:
  SequenceDialog(DialogServices& services, const SequenceDialogLayout& layout,
                 std::unique_ptr<TimedSequence> sequence, StepNamer name);

  // The run has begun: its first line goes out at the first tick.
  virtual void OnRunStarted(DialogView& /*view*/) {}
  // The run is over (`tick` says how), before a complete run closes the
  // dialog.
  virtual void OnRunEnded(DialogView& /*view*/, SequenceTick /*tick*/) {}

  const TimedSequence& sequence() const { return *sequence_; }

  DialogServices& services_;

 private:
  SequenceDialogLayout layout_;
  std::unique_ptr<TimedSequence> sequence_;
  SequenceRun run_;
};

}  // namespace vqx
