#include "transport/receive_loop.h"

#include <array>
#include <chrono>
#include <thread>

#include "transport/line_assembler.h"

namespace vqx {

void RunReceiveLoop(SerialPort& port, LinkState& state,
                    ReplyLineHandler& handler) {
  LineAssembler assembler;
  // As much as the driver's receive queue holds.
  std::array<char, 2000> buffer;
  const auto dispatch = [&handler](std::string_view line) {
    handler.DispatchReply(line);
  };
  while (state.receive_running == 1) {
    const std::size_t count = port.WaitAndRead(buffer);
    if (count == 0) {
      // Cancelled, or the port failed. A port that fails at once on every
      // call (it never opened) must not spin the processor.
      if (state.receive_running == 1) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      continue;
    }
    assembler.Feed(std::string_view(buffer.data(), count), dispatch);
  }
}

}  // namespace vqx
