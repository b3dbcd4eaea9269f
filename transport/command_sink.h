// Where a built command line goes. The live link frames and writes it to the
// port; tests and the command-line tool may collect lines instead.
#pragma once

#include <string_view>

namespace vqx {

class CommandSink {
 public:
  virtual ~CommandSink() = default;
  // `bare_command` is one command line without address, ending in "\r\n".
  // Returns at once; the reply arrives on the receive thread.
  virtual void SendCommand(std::string_view bare_command) = 0;
};

}  // namespace vqx
