#include "base/core.h"

namespace vqx {

void LoadDefaults(Core& core) {
  core.settings.Update([](DeviceSettings& s) { LoadDefaultSettings(s); });
  WorkingState& w = core.working;
  w.selected_channel = 0;
  w.seq_selected_entry = 0;
  w.seq_common_dwell = 3;
  w.redraw_pending = 0;
  w.hidden_access_count = 0;
  core.link.ResetFlags();
}

}  // namespace vqx
