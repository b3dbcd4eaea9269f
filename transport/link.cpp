#include "transport/link.h"

#include "base/encoding.h"

namespace vqx {

bool IsBroadcast(int rs_control, int slave_address) {
  return IsRs485(rs_control) && slave_address >= kBroadcastAddress;
}

std::string FrameCommand(std::string_view bare_command, int rs_control,
                         int slave_address) {
  std::string line;
  line.reserve(bare_command.size() + 2);
  if (IsRs485(rs_control)) {
    if (slave_address >= kBroadcastAddress) {
      line = "FF";
    } else {
      // A negative index cannot come from the address lists; address 00 is
      // the closest the device understands.
      line = Decimal2Text(slave_address < 0 ? 0 : slave_address);
    }
  }
  line.append(bare_command);
  return line;
}

Link::Link(LinkState& state, const LinkConfig& config,
           const std::atomic<int>& slave_address, SteadyClock& clock)
    : state_(state),
      config_(config),
      slave_address_(slave_address),
      clock_(clock) {}

void Link::AttachPort(SerialPort* port) { port_ = port; }

void Link::AttachTap(SentLineTap* tap) { tap_ = tap; }

void Link::SendCommand(std::string_view bare_command) {
  Send(bare_command, slave_address_, true);
}

void Link::SendProbe(std::string_view bare_command, int slave_address) {
  Send(bare_command, slave_address, false);
}

void Link::Send(std::string_view bare_command, int slave_address,
                bool arm_watchdog) {
  const int rs_control = config_.rs_control;
  std::string line = FrameCommand(bare_command, rs_control, slave_address);
  if (line.size() > kMaxFramedLineBytes) return;

  const bool broadcast = IsBroadcast(rs_control, slave_address);
  if (arm_watchdog) {
    state_.reply_awaited = 1;
    if (broadcast) state_.reply_awaited = 0;
  }
  // All before the write: the echo, and even the reply, may be back before
  // Write returns.
  if (!broadcast) {
    ++state_.sends_awaiting_reply;
    if (arm_watchdog) {
      state_.answers.NoteSent(line, IsRs485(rs_control));
    } else {
      state_.answers.Forget();
    }
  }
  if (config_.echo != 0) state_.echoes.Note(line, clock_.Now());
  if (SentLineTap* tap = tap_.load()) {
    tap->OnLineSent(line, IsRs485(rs_control));
  }

  // Neither a failed nor a timed-out write is reported: the watchdog's
  // "No Connect" covers a line that never reached the device.
  if (SerialPort* port = port_.load()) port->Write(line);
}

}  // namespace vqx
