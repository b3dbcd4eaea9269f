#include "base/device_settings.h"

#include "base/settings_catalogue.h"

namespace vqx {

void LoadDefaultSettings(DeviceSettings& s) {
  s = {};
  for (const SettingsField& field : kSettingsCatalogue) {
    const FieldDefault& factory = field.defaults;
    for (int entry = 0; entry < field.storage.entries; ++entry) {
      // One factory value stands for every entry.
      if (field.kind == FieldKind::kNumber) {
        FieldNumbers(field, s)[entry] =
            factory.numbers[factory.numbers.size() == 1 ? 0 : entry];
      } else {
        StoreFieldText(field, s, entry,
                       factory.texts[factory.texts.size() == 1 ? 0 : entry]);
      }
    }
  }
  s.dirty = 0;
}

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
