// The sending side of the device link: frames a bare command line for the
// wiring in use and writes it to the port without waiting for the reply.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "base/link_state.h"
#include "transport/command_sink.h"
#include "transport/serial_port.h"

namespace vqx {

// The longest line the device accepts, address included.
inline constexpr std::size_t kMaxFramedLineBytes = 599;

// Frames a bare command for the wire. RS-232C (rs_control 0) sends it as is;
// RS-485 (any other value) puts the slave address in front as two decimal
// digits, or "FF" for the broadcast address (slave_address 32 or more).
std::string FrameCommand(std::string_view bare_command, int rs_control,
                         int slave_address);

// True when a command sent with this wiring and address gets no reply: a
// broadcast on RS-485 is answered by no device.
bool IsBroadcast(int rs_control, int slave_address);

// The live command sink. Lives on the user-interface thread; the port's
// Write queues the bytes and returns at once.
class Link : public CommandSink {
 public:
  Link(LinkState& state, const LinkConfig& config,
       const std::atomic<int>& slave_address);

  // The port to write to. nullptr (the port did not open) makes every send
  // fail silently, so each one ends in the watchdog's "No Connect" box.
  void AttachPort(SerialPort* port);

  // Marks a reply as awaited (not for a broadcast), frames the command and
  // writes it. A framed line longer than kMaxFramedLineBytes is not sent and
  // nothing is awaited: the device could not take it.
  void SendCommand(std::string_view bare_command) override;

 private:
  LinkState& state_;
  const LinkConfig& config_;
  const std::atomic<int>& slave_address_;
  std::atomic<SerialPort*> port_{nullptr};
};

}  // namespace vqx
