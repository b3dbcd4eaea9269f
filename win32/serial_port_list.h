// The serial ports this Windows has: the COM device names the system knows,
// with the names the device manager gives them.
#pragma once

#include <vector>

#include "base/platform.h"

namespace vqx::win32 {

class Win32SerialPortList : public SerialPortList {
 public:
  std::vector<SerialPortInfo> PresentPorts() override;
};

}  // namespace vqx::win32
