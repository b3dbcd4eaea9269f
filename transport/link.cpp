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
      char digits[2];
      EncodeDecimal2(slave_address < 0 ? 0 : slave_address, digits);
      line.assign(digits, 2);
    }
  }
  line.append(bare_command);
  return line;
}

Link::Link(LinkState& state, const LinkConfig& config,
           const std::atomic<int>& slave_address)
    : state_(state), config_(config), slave_address_(slave_address) {}

void Link::AttachPort(SerialPort* port) { port_ = port; }

void Link::SendCommand(std::string_view bare_command) {
  const int rs_control = config_.rs_control;
  const int slave_address = slave_address_;
  std::string line = FrameCommand(bare_command, rs_control, slave_address);
  if (line.size() > kMaxFramedLineBytes) return;

  state_.reply_awaited = 1;
  if (IsBroadcast(rs_control, slave_address)) state_.reply_awaited = 0;

  // Neither a failed nor a timed-out write is reported: the watchdog's
  // "No Connect" covers a line that never reached the device.
  if (SerialPort* port = port_.load()) port->Write(line);
}

}  // namespace vqx
