#include "link/read_all.h"

#include <array>
#include <string_view>

#include "link/encoding.h"

namespace vqx {

namespace {

// Steps 1..48: a per-channel read, eight channels each.
struct ChannelRead {
  std::string_view template_text;
  int index_offset;
};
constexpr std::array<ChannelRead, 6> kChannelReads = {{
    {"RCJ01\r\n", 3},    // titles
    {"RVAB01\r\n", 4},   // brightness
    {"RVAC01\r\n", 4},   // contrast
    {"RVAH01\r\n", 4},   // hue
    {"RVASH01\r\n", 5},  // sharpness
    {"RVASA01\r\n", 5},  // saturation
}};
constexpr int kChannelReadSteps = 48;

// Steps 49..79.
constexpr std::array<std::string_view, kReadAllSteps - kChannelReadSteps>
    kFixedReads = {
        "RAD\r\n",    "RADT\r\n",   "RAM\r\n",   "RAP\r\n",    "RAR\r\n",
        "RVL\r\n",    "RVLBC\r\n",  "RVLSO\r\n", "RVLD\r\n",   "RTSD\r\n",
        "RTSDR\r\n",  "RCTDS\r\n",  "RCTDD\r\n", "RCASTM\r\n", "RCASM\r\n",
        "RBL\r\n",    "RCI\r\n",    "RPOS\r\n",  "RCTFSD\r\n", "RCTFSS\r\n",
        "ROOH\r\n",   "ROOV\r\n",   "RVF\r\n",   "RSPD4A\r\n", "RSPD4B\r\n",
        "RSPD6A\r\n", "RSPD6B\r\n", "RSPD9\r\n", "RNAR\r\n",   "RAGC\r\n",
        "RVN\r\n",
};

// What the progress bar does on each step: it wraps to its start when
// stepped past its end.
int StepBar(int position) {
  return position >= kReadAllSteps ? 0 : position + 1;
}

}  // namespace

std::string ReadAllCommand(int step) {
  if (step < 1 || step > kReadAllSteps) return {};
  if (step <= kChannelReadSteps) {
    const ChannelRead& read = kChannelReads[(step - 1) / 8];
    std::string command(read.template_text);
    EncodeDecimal2((step - 1) % 8 + 1, command.data() + read.index_offset);
    return command;
  }
  return std::string(kFixedReads[step - kChannelReadSteps - 1]);
}

std::string ReadAllPercent(int step) {
  return std::to_string(step * 100 / kReadAllSteps);
}

ReadAllSequence::ReadAllSequence(LinkState& state, CommandSink& sink)
    : state_(state), sink_(sink) {}

bool ReadAllSequence::Start() {
  int idle = 0;
  if (!state_.sequence_step.compare_exchange_strong(idle, 1)) return false;
  running_ = true;
  step_ = 1;
  return true;
}

SequenceTick ReadAllSequence::OnTick() {
  if (!running_) return SequenceTick::kFinished;
  if (state_.reply_error == 1) {
    // The error box was shown when the reply arrived; stop where we are.
    running_ = false;
    state_.reply_error = 0;
    state_.sequence_step = 0;
    step_ = 0;
    return SequenceTick::kStoppedOnError;
  }
  sink_.SendCommand(ReadAllCommand(step_));
  percent_text_ = ReadAllPercent(step_);
  bar_position_ = StepBar(bar_position_);
  ++step_;
  if (step_ > kReadAllSteps) {
    running_ = false;
    step_ = 0;
    state_.sequence_step = 0;
    percent_text_ = "   ";
    bar_position_ = 0;
    return SequenceTick::kFinished;
  }
  state_.sequence_step = step_;
  return SequenceTick::kRunning;
}

void ReadAllSequence::Abort() {
  if (!running_) return;
  running_ = false;
  step_ = 0;
  state_.sequence_step = 0;
}

}  // namespace vqx
