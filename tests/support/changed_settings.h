// A settings record in which every saved value differs from its factory
// default and stays within what the device takes, made by walking the
// settings catalogue, so that a field added to the catalogue is changed too.
// The entries of one array differ from each other where the range allows,
// so that a value read into the wrong entry shows.
#pragma once

#include <string>

#include "base/device_settings.h"
#include "base/settings_catalogue.h"

namespace vqx::testing {

// A number `entry` of `field` takes instead of `factory`.
inline int ChangedNumber(const SettingsField& field, int entry, int factory) {
  const int step = 1 + (field.defaults.numbers.size() == 1 ? entry : 0);
  if (!field.range) return factory + step;
  const int low = field.range->low;
  const int span = field.range->high - low + 1;
  auto moved = [&](int by) { return low + (factory - low + by) % span; };
  return moved(step) != factory ? moved(step) : moved(1);
}

inline DeviceSettings EverySettingChanged() {
  DeviceSettings s;
  LoadDefaultSettings(s);
  for (const SettingsValue& value : SettingsValues()) {
    const SettingsField& field = *value.field;
    switch (field.kind) {
      case FieldKind::kNumber: {
        int& number = FieldNumbers(field, s)[value.entry];
        number = ChangedNumber(field, value.entry, number);
        break;
      }
      case FieldKind::kHoldTime:
        StoreFieldText(field, s, value.entry, "045");
        break;
      case FieldKind::kTitle: {
        // "ＴＥＳＴ" and the entry's full-width digit: JIS characters the
        // device keeps.
        std::string title = "\x82\x73\x82\x64\x82\x72\x82\x73\x82";
        title += static_cast<char>(0x50 + value.entry % 10);
        StoreFieldText(field, s, value.entry, title);
        break;
      }
    }
  }
  return s;
}

}  // namespace vqx::testing
