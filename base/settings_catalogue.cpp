#include "base/settings_catalogue.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/shift_jis.h"

namespace vqx {

std::span<const SettingsValue> SettingsValues() {
  static const std::vector<SettingsValue> values = [] {
    std::vector<SettingsValue> all;
    for (const SettingsField& field : kSettingsCatalogue) {
      for (int entry = 0; entry < field.storage.entries; ++entry) {
        all.push_back({&field, entry});
      }
    }
    return all;
  }();
  return values;
}

std::optional<SettingsValue> SettingsValueAt(int index) {
  const std::span<const SettingsValue> values = SettingsValues();
  if (index < 0 || index >= static_cast<int>(values.size())) return {};
  return values[index];
}

std::optional<SettingsValue> SettingsValueNamed(std::string_view listing_name) {
  for (const SettingsValue& value : SettingsValues()) {
    if (ListingName(value) == listing_name) return value;
  }
  return {};
}

std::string ListingName(SettingsValue value) {
  const SettingsField& field = *value.field;
  std::string name(field.name);
  if (field.storage.entries > 1) {
    name += "[";
    name += field.listing.entries[value.entry];
    name += "]";
  }
  return name;
}

std::span<int> FieldNumbers(const SettingsField& field, DeviceSettings& s) {
  return field.storage.numbers(s);
}

std::span<const int> FieldNumbers(const SettingsField& field,
                                  const DeviceSettings& s) {
  // Reading only: the accessor hands out the entries it is given.
  return field.storage.numbers(const_cast<DeviceSettings&>(s));
}

std::string_view FieldText(const SettingsField& field, const DeviceSettings& s,
                           int entry) {
  const std::span<const char> buffer =
      field.storage.text(const_cast<DeviceSettings&>(s), entry);
  const auto end = std::find(buffer.begin(), buffer.end(), '\0');
  return std::string_view(buffer.data(),
                          static_cast<std::size_t>(end - buffer.begin()));
}

void StoreFieldText(const SettingsField& field, DeviceSettings& s, int entry,
                    std::string_view text) {
  const std::span<char> buffer = field.storage.text(s, entry);
  std::fill(buffer.begin(), buffer.end(), '\0');
  const std::size_t length = std::min(text.size(), buffer.size() - 1);
  std::copy_n(text.data(), length, buffer.data());
}

}  // namespace vqx
