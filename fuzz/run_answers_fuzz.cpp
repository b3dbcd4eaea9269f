// A reply-paced read-all or send-all over the real link, reply dispatch and
// engine, with a hand-moved clock, fed an arbitrary sequence of lines from
// the device's side: the right answers, "GO", "GN", the error codes and
// "MENU", read-backs of the step and of other steps, echoes of the line
// sent, other addresses and garbage. An independent judge of what answers
// the step awaited checks the run: it never sends the next line without an
// answer to the one before, never awaits two steps at once, sends the next
// line once an answer came, finishes only after its last line was
// answered, and never crashes.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/device_settings.h"
#include "base/encoding.h"
#include "base/platform.h"
#include "protocol/read_all.h"
#include "protocol/replies.h"
#include "protocol/reply_dispatch.h"
#include "protocol/send_all.h"
#include "quiet_services.h"
#include "transport/link.h"
#include "transport/link_state.h"
#include "transport/serial_port.h"

namespace {

using vqx::fuzzing::HandClock;
using vqx::fuzzing::SilentBoxes;

// Keeps what is written; nothing is ever read from it.
class RecordingPort : public vqx::SerialPort {
 public:
  bool Write(std::string_view bytes) override {
    written.emplace_back(bytes);
    return true;
  }
  std::size_t WaitAndRead(std::span<char>) override { return 0; }
  void CancelRead() override {}
  std::vector<std::string> written;
};

// The input, a byte at a time; zeros once it is used up.
class Input {
 public:
  explicit Input(std::string_view bytes) : bytes_(bytes) {}
  bool done() const { return at_ >= bytes_.size(); }
  std::uint8_t Next() {
    return done() ? 0 : static_cast<std::uint8_t>(bytes_[at_++]);
  }
  std::string_view Take(std::size_t count) {
    const std::string_view taken = bytes_.substr(at_, count);
    at_ += taken.size();
    return taken;
  }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

struct Harness {
  bool read_all = false;
  bool rs485 = false;

  vqx::LinkState state;
  vqx::LinkConfig config;
  std::atomic<int> slave{5};
  vqx::SettingsStore settings;
  SilentBoxes boxes;
  HandClock clock;
  RecordingPort port;
  std::unique_ptr<vqx::Link> link;
  std::unique_ptr<vqx::ReplyDispatcher> dispatcher;
  std::unique_ptr<vqx::TimedSequence> sequence;

  // The judge's view: the step whose line was written last, and whether a
  // line that answers it has come since.
  int awaited_step = 0;
  bool answered = false;

  std::string Address() const { return rs485 ? "05" : ""; }
  const std::string& LastWritten() const { return port.written.back(); }

  // What the judge takes for an answer to `step`, whose line was `sent`.
  bool Answers(int step, const std::string& sent, std::string_view line) {
    if (line == sent) return false;
    const std::string_view work_copy =
        vqx::ReplyWorkCopy(line, config.rs_control);
    if (rs485 && (line.size() < 2 || line.substr(0, 2) != "05")) return false;
    const vqx::ReplyClass reply = vqx::ClassifyReply(work_copy);
    switch (reply.kind) {
      case vqx::ReplyKind::kSuccess:
        return !read_all;
      case vqx::ReplyKind::kModeError:
      case vqx::ReplyKind::kMenu:
      case vqx::ReplyKind::kDeviceError:
        return true;
      case vqx::ReplyKind::kReadBack: {
        if (!read_all) return false;
        const vqx::ReadBack* expected = vqx::ReadAllReadBack(step);
        return reply.read_back->mnemonic == expected->reply &&
               work_copy.starts_with(vqx::ReadAllExpectedReply(step));
      }
      case vqx::ReplyKind::kIgnored:
        break;
    }
    return false;
  }

  // The engine may have written a line: check it was due.
  void AfterTick(vqx::SequenceTick tick, std::size_t written_before) {
    if (state.answers.awaited() > 1) __builtin_trap();
    const std::size_t written = port.written.size();
    if (written > written_before + 1) __builtin_trap();
    if (written == written_before + 1) {
      // A new step's line: the line before must have been answered (a
      // step in between that sent nothing, say a refused hold time, is
      // not waited for).
      if (awaited_step != 0 && !answered) __builtin_trap();
      const int step = sequence->bar_position();
      if (step <= awaited_step) __builtin_trap();
      awaited_step = step;
      answered = false;
    }
    if (tick == vqx::SequenceTick::kFinished) {
      if (awaited_step != sequence->plan().steps || !answered) {
        __builtin_trap();
      }
    }
  }

  vqx::SequenceTick Tick() {
    const std::size_t before = port.written.size();
    const vqx::SequenceTick tick = sequence->OnTick();
    AfterTick(tick, before);
    return tick;
  }

  void Receive(const std::string& line) {
    const bool judged =
        awaited_step != 0 && Answers(awaited_step, LastWritten(), line);
    // An echo the tolerance takes is no line at all.
    const unsigned lines = state.lines_received;
    dispatcher->DispatchReply(line);
    if (state.lines_received == lines) return;
    if (dispatcher->last_answered() != (judged && !answered)) {
      __builtin_trap();
    }
    if (judged) answered = true;
  }

  // The answer the device owes the step awaited.
  std::string RightAnswer() const {
    if (awaited_step == 0) return Address() + "GO\r\n";
    if (!read_all) return Address() + "GO\r\n";
    return Address() + vqx::ReadAllExpectedReply(awaited_step) + "\r\n";
  }
};

constexpr std::string_view kFixedReplies[] = {
    "GO", "GN", "E0", "E1", "E2", "E3", "MENU", "VN1.00", "AMI", "VLBCB",
};

void Run(std::string_view bytes) {
  Input input(bytes);
  Harness h;
  const std::uint8_t setup = input.Next();
  h.read_all = (setup & 1) != 0;
  h.rs485 = (setup & 2) != 0;
  h.config.rs_control = h.rs485 ? 1 : 0;
  h.config.echo = (setup & 4) != 0 ? 1 : 0;
  h.settings.Update(
      [](vqx::DeviceSettings& s) { vqx::LoadDefaultSettings(s); });
  h.link = std::make_unique<vqx::Link>(h.state, h.config, h.slave, h.clock);
  h.link->AttachPort(&h.port);
  h.dispatcher = std::make_unique<vqx::ReplyDispatcher>(
      h.state, h.config, h.settings, h.boxes, h.clock);
  if (h.read_all) {
    h.sequence = std::make_unique<vqx::ReadAllSequence>(h.state, *h.link);
  } else {
    h.sequence = std::make_unique<vqx::SendAllSequence>(h.state, h.settings,
                                                        *h.link, h.boxes);
  }
  h.sequence->PaceByReplies(h.clock);
  if (!h.sequence->Start()) __builtin_trap();

  vqx::SequenceTick tick = h.Tick();
  while (vqx::KeepsTicking(tick) && !input.done()) {
    const std::uint8_t op = input.Next();
    switch (op % 8) {
      case 0:
        h.clock.now += std::chrono::milliseconds(vqx::kReplyPacedTickMs);
        tick = h.Tick();
        break;
      case 1: {
        // The right answer: the tick that sees it ends a run whose last
        // line it answers, and after the guard gap the next line goes out
        // (unless it was answered already, or the run stopped on an error
        // reply that came before).
        const bool was_answered = h.answered;
        const bool last = h.awaited_step == h.sequence->plan().steps;
        h.Receive(h.RightAnswer());
        const int step_before = h.sequence->bar_position();
        tick = h.Tick();
        if (vqx::KeepsTicking(tick)) {
          h.clock.now += std::chrono::milliseconds(vqx::kReplyGuardMs);
          tick = h.Tick();
        }
        if (!was_answered && vqx::KeepsTicking(tick) &&
            (last || h.sequence->bar_position() == step_before)) {
          __builtin_trap();
        }
        break;
      }
      case 2:
        h.Receive(h.LastWritten());
        break;
      case 3:
        h.Receive(h.Address() + "GN\r\n");
        break;
      case 4:
        h.Receive((h.rs485 ? std::string("06") : std::string("05")) + "GO\r\n");
        break;
      case 5: {
        const int step = 1 + input.Next() % vqx::kReadAllSteps;
        h.Receive(h.Address() + vqx::ReadAllExpectedReply(step) + "\r\n");
        break;
      }
      case 6: {
        const std::string_view reply =
            kFixedReplies[input.Next() % std::size(kFixedReplies)];
        h.Receive(h.Address() + std::string(reply) + "\r\n");
        break;
      }
      case 7: {
        std::string line(input.Take(input.Next() % 48));
        // One line: the assembler would cut it at an LF.
        for (char& c : line) {
          if (c == '\n') c = ' ';
        }
        h.Receive(line + "\r\n");
        break;
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  Run(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
