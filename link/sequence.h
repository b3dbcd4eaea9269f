// What a tick of a timed multi-command sequence (read-all, send-all, title
// and adjustment set-all) reports to the dialog or tool that drives it.
#pragma once

namespace vqx {

enum class SequenceTick {
  kRunning,         // a step ran; keep the timer going
  kStoppedOnError,  // an error reply stopped the run; the timer must stop
  kFinished,        // the last step ran; the timer must stop
};

}  // namespace vqx
