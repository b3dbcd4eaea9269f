#include "base/core.h"

namespace vqx {

void LoadDefaults(Core& core) {
  core.settings.Update([](DeviceSettings& s) { LoadDefaultSettings(s); });
  core.link.ResetFlags();
}

}  // namespace vqx
