// The body of the receive thread.
#pragma once

#include "link/link_state.h"
#include "link/reply_dispatch.h"
#include "link/serial_port.h"

namespace vqx {

// Loops while state.receive_running is 1: waits for bytes from the port,
// cuts them into lines and dispatches each line. Returns once
// receive_running is 0; SerialPort::CancelRead wakes a pending wait so the
// flag is seen promptly.
void RunReceiveLoop(SerialPort& port, LinkState& state,
                    ReplyDispatcher& dispatcher);

}  // namespace vqx
