// The body of the receive thread: bytes from the port cut into reply lines,
// each handed to whoever classifies replies.
#pragma once

#include <string_view>

#include "transport/link_state.h"
#include "transport/serial_port.h"

namespace vqx {

// Takes each complete reply line the receive loop assembles, on the
// receive thread.
class ReplyLineHandler {
 public:
  virtual ~ReplyLineHandler() = default;
  // `line` still ends in its LF and, on RS-485, starts with the answering
  // device's address.
  virtual void DispatchReply(std::string_view line) = 0;
};

// Loops while state.receive_running is 1: waits for bytes from the port,
// cuts them into lines and hands each line to `handler`. Returns once
// receive_running is 0; SerialPort::CancelRead wakes a pending wait so the
// flag is seen promptly.
void RunReceiveLoop(SerialPort& port, LinkState& state,
                    ReplyLineHandler& handler);

}  // namespace vqx
