#include "settings/device_settings.h"

namespace vqx {

// Filled in with the settings record's defaults.
void LoadDefaultSettings(DeviceSettings& settings) { settings = {}; }

SettingsStore::SettingsStore() { LoadDefaultSettings(settings_); }

DeviceSettings SettingsStore::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return settings_;
}

void SettingsStore::Replace(const DeviceSettings& settings) {
  std::lock_guard<std::mutex> lock(mutex_);
  settings_ = settings;
}

}  // namespace vqx
