#include "dialogs/sequence_run.h"

#include <utility>

#include "transport/link_config.h"

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

void ReadFastChoice(ProfileStore& profile, LinkConfig& config) {
  config.fast = ReadIniNumber(profile, kFastKey);
}

bool WriteFastChoice(ProfileStore& profile, LinkConfig& config, bool fast) {
  config.fast = fast ? 1 : 0;
  return profile.WriteString(kIniSection, kFastKey, fast ? "1" : "0");
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
  if (controls_.fast_box != kNoControl) {
    view.SetCheck(controls_.fast_box, services_.device.config.fast.load() != 0);
  }
}

bool SequenceRun::Start(DialogView& view) {
  return Start(view, [this] { return sequence_.Start(); });
}

bool SequenceRun::Start(DialogView& view, const std::function<bool()>& begin) {
  // A broadcast gets no answers to pace by; a reply-paced run then keeps
  // the fixed pace step by step.
  if (controls_.fast_box != kNoControl &&
      services_.device.config.fast.load() != 0) {
    sequence_.PaceByReplies(services_.platform.steady_clock);
  } else {
    sequence_.PaceByTimer();
  }
  if (!begin()) return false;
  view.EnableControl(kIdClose, false);
  EnableFastBox(view, false);
  view.SetProgressPosition(controls_.progress, 0);
  ShowPercent(view, "");
  view.StartTimer(controls_.timer, sequence_.tick_period_ms());
  return true;
}

void SequenceRun::EnableFastBox(DialogView& view, bool enable) {
  if (controls_.fast_box != kNoControl) {
    view.EnableControl(controls_.fast_box, enable);
  }
}

void SequenceRun::ShowPercent(DialogView& view, std::string_view text) {
  if (controls_.percent != kNoControl) {
    view.SetControlText(controls_.percent, text);
  }
}

bool SequenceRun::HandleFastBox(DialogView& view, int control,
                                ControlNotification notification) {
  if (controls_.fast_box == kNoControl || control != controls_.fast_box) {
    return false;
  }
  if (notification == ControlNotification::kClicked && !sequence_.running()) {
    WriteFastChoice(services_.platform.profile, services_.device.config,
                    view.IsChecked(controls_.fast_box));
  }
  return true;
}

SequenceTick SequenceRun::Tick(DialogView& view) {
  const SequenceTick tick = sequence_.OnTick();
  if (tick == SequenceTick::kWaiting) return tick;
  ShowPercent(view, sequence_.percent_text());
  view.SetProgressPosition(controls_.progress, sequence_.bar_position());
  if (KeepsTicking(tick)) return tick;
  view.StopTimer(controls_.timer);
  view.EnableControl(kIdClose, true);
  EnableFastBox(view, true);
  if (tick == SequenceTick::kFinished) {
    WarnOfRefusals(services_.platform.boxes, sequence_, name_);
  }
  return tick;
}

}  // namespace vqx
