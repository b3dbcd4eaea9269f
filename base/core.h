// The single process-wide state of the program: the settings record, the
// link flags and configuration and the slave address. The Win32 program and
// the POSIX tools each own exactly one; the portable code is handed the
// parts it needs.
#pragma once

#include <atomic>

#include "base/device_settings.h"
#include "base/link_state.h"

namespace vqx {

struct Core {
  SettingsStore settings;
  LinkState link;
  LinkConfig config;
  std::atomic<int> slave_address{0};  // SlaveAddress, 0..32
};

// Start-up state and File > New: the record's defaults (dirty lowered) and
// the link flags. Leaves the slave address alone.
void LoadDefaults(Core& core);

}  // namespace vqx
