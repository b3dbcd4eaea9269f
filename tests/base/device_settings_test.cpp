#include "base/device_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <span>
#include <string_view>

#include "base/settings_catalogue.h"

namespace vqx {
namespace {

// The factory values themselves are pinned by the factory settings file
// (tests/files/factory_settings.dat). Here: nothing a record held before
// survives, and every text is NUL-filled to the end of its buffer.
TEST(DeviceSettingsDefaults, LeaveNothingOfTheOldContents) {
  DeviceSettings fresh{};
  LoadDefaultSettings(fresh);
  for (const unsigned char stale : {0x00, 0x5A, 0xFF}) {
    DeviceSettings s;
    std::memset(&s, stale, sizeof s);
    s.dirty = 1;
    LoadDefaultSettings(s);
    EXPECT_EQ(std::memcmp(&s, &fresh, sizeof s), 0) << int{stale};
    EXPECT_EQ(s.dirty, 0);
  }
  for (const SettingsValue& value : SettingsValues()) {
    const SettingsField& field = *value.field;
    if (field.kind == FieldKind::kNumber) continue;
    const std::span<char> buffer = field.storage.text(fresh, value.entry);
    const std::string_view text = FieldText(field, fresh, value.entry);
    EXPECT_LT(text.size(), buffer.size()) << ListingName(value);
    EXPECT_EQ(std::count(buffer.begin() + text.size(), buffer.end(), '\0'),
              static_cast<std::ptrdiff_t>(buffer.size() - text.size()))
        << ListingName(value);
  }
}

TEST(DeviceSettingsDefaults, NewStoreStartsAtDefaults) {
  SettingsStore store;
  DeviceSettings expected;
  LoadDefaultSettings(expected);
  const DeviceSettings actual = store.Snapshot();
  EXPECT_EQ(std::memcmp(&actual, &expected, sizeof expected), 0);
}

}  // namespace
}  // namespace vqx
