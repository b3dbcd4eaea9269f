// What every dialog with a timed run shares around it: the bar and the
// percentage, Close locked while the run goes on, the timer that paces it,
// and the warning that names the settings the device refused. The read-all
// and send-all dialogs add the "高速" box that chooses the pace and is kept
// in the INI file; the title and video adjustment set-alls always go at the
// fixed pace.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/platform.h"
#include "dialogs/dialog.h"
#include "dialogs/dialog_view.h"
#include "protocol/read_all.h"
#include "transport/link_state.h"
#include "transport/timed_sequence.h"

namespace vqx {

// The setting a step of a run sends or reads.
using StepNamer = std::function<SettingName(int step)>;

// Refused settings a warning lists by name; the rest are counted.
inline constexpr std::size_t kRefusalsListed = 10;

// The warning after a run whose lines the device refused with "GN": each
// refused setting by its label, its step number after it.
std::string RefusalWarning(const std::vector<Refusal>& refusals,
                           const StepNamer& name);

// After a finished run: the warning, in place of the "Success" box, when
// the device refused any of its steps. True when it was shown.
bool WarnOfRefusals(MessageBoxes& boxes, const TimedSequence& sequence,
                    const StepNamer& name);

// The "高速" box of the read-all and send-all dialogs, kept in the
// program's INI file under this key: 1 when each line goes as soon as the
// one before is answered, 0 (or absent) for one line per tick. Any non-zero
// value a hand edit leaves is on.
inline constexpr std::string_view kFastKey = "fast";

// The box as the INI file has it, into `config` (start-up).
void ReadFastChoice(ProfileStore& profile, LinkConfig& config);
// The box's state, 0 or 1, in memory and in the INI file at once; the
// result says whether the file was written.
bool WriteFastChoice(ProfileStore& profile, LinkConfig& config, bool fast);

// A control a dialog does not have (no percentage, no "高速" box).
inline constexpr int kNoControl = 0;

class SequenceRun {
 public:
  struct Controls {
    int progress;
    int percent = kNoControl;
    int fast_box = kNoControl;
    int timer;
  };

  SequenceRun(DialogServices& services, TimedSequence& sequence,
              Controls controls, StepNamer name);

  // The bar's range and the box as the INI file has it.
  void Init(DialogView& view);
  // Starts a run at the pace the box chose (the fixed pace without a box):
  // bar and percentage cleared, Close and the box off, the timer at the
  // pace's period. False (nothing changes) while this or another run goes
  // on. `begin` starts the sequence where it needs more than Start() (the
  // title's form); it returns what that Start returned.
  bool Start(DialogView& view);
  bool Start(DialogView& view, const std::function<bool()>& begin);
  // A click on the box is written to the INI file at once. True when
  // `control` is the box.
  bool HandleFastBox(DialogView& view, int control,
                     ControlNotification notification);
  // One timer tick: shows the progress, and once the run is over stops the
  // timer and gives Close and the box back; a finished run with refused
  // steps shows the warning that names them. Returns what the run reported.
  SequenceTick Tick(DialogView& view);

  bool running() const { return sequence_.running(); }

 private:
  void EnableFastBox(DialogView& view, bool enable);
  void ShowPercent(DialogView& view, std::string_view text);

  DialogServices& services_;
  TimedSequence& sequence_;
  Controls controls_;
  StepNamer name_;
};

}  // namespace vqx
