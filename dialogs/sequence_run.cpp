#include "dialogs/sequence_run.h"

#include <utility>

#include "base/link_config.h"

namespace vqx {

std::string RefusalWarning(const std::vector<Refusal>& refusals,
                           const StepNamer& name) {
  std::string text = "次の設定は機器が受け付けませんでした（Mode Error）。";
  for (std::size_t i = 0; i < refusals.size() && i < kRefusalsListed; ++i) {
    const int step = refusals[i].step;
    std::string label = name ? name(step).label : std::string();
    if (label.empty()) label = "ステップ";
    text += "\n" + label + " (" + std::to_string(step) + ")";
  }
  if (refusals.size() > kRefusalsListed) {
    text +=
        "\nほか " + std::to_string(refusals.size() - kRefusalsListed) + " 件";
  }
  return text;
}

bool WarnOfRefusals(MessageBoxes& boxes, const TimedSequence& sequence,
                    const StepNamer& name) {
  if (sequence.refusals().empty()) return false;
  boxes.ShowWarningBox(RefusalWarning(sequence.refusals(), name));
  return true;
}

SequenceRun::SequenceRun(DialogServices& services, TimedSequence& sequence,
                         Controls controls, StepNamer name)
    : services_(services),
      sequence_(sequence),
      controls_(controls),
      name_(std::move(name)) {}

void SequenceRun::Init(DialogView& view) {
  view.SetProgressRange(controls_.progress, 0, sequence_.plan().steps);
  view.SetProgressStep(controls_.progress, 1);
  view.SetCheck(controls_.fast_box, services_.core.config.fast.load() != 0);
}

bool SequenceRun::Start(DialogView& view) {
  // A broadcast gets no answers to pace by; a reply-paced run then keeps
  // the fixed pace step by step.
  if (services_.core.config.fast.load() != 0) {
    sequence_.PaceByReplies(services_.steady_clock);
  } else {
    sequence_.PaceByTimer();
  }
  if (!sequence_.Start()) return false;
  view.EnableControl(kIdClose, false);
  view.EnableControl(controls_.fast_box, false);
  view.SetProgressPosition(controls_.progress, 0);
  view.SetControlText(controls_.percent, "");
  view.StartTimer(controls_.timer, sequence_.tick_period_ms());
  return true;
}

bool SequenceRun::HandleFastBox(DialogView& view, int control,
                                ControlNotification notification) {
  if (control != controls_.fast_box) return false;
  if (notification == ControlNotification::kClicked && !sequence_.running()) {
    WriteFast(services_.profile, services_.core.config,
              view.IsChecked(controls_.fast_box));
  }
  return true;
}

SequenceTick SequenceRun::Tick(DialogView& view) {
  const SequenceTick tick = sequence_.OnTick();
  if (tick == SequenceTick::kWaiting) return tick;
  view.SetControlText(controls_.percent, sequence_.percent_text());
  view.SetProgressPosition(controls_.progress, sequence_.bar_position());
  if (KeepsTicking(tick)) return tick;
  view.StopTimer(controls_.timer);
  view.EnableControl(kIdClose, true);
  view.EnableControl(controls_.fast_box, true);
  if (tick == SequenceTick::kFinished) {
    WarnOfRefusals(services_.boxes, sequence_, name_);
  }
  return tick;
}

}  // namespace vqx
