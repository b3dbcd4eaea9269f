// The settings catalogue holds every saved field of the record once, and each
// entry is whole: what walks the catalogue can rely on it.
#include "base/settings_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vqx {
namespace {

// Where each field's entries lie in the record, as byte offsets.
std::pair<std::size_t, std::size_t> BytesOf(const SettingsField& field,
                                            DeviceSettings& s) {
  const char* base = reinterpret_cast<const char*>(&s);
  if (field.kind == FieldKind::kNumber) {
    const std::span<int> numbers = FieldNumbers(field, s);
    const auto* first = reinterpret_cast<const char*>(numbers.data());
    return {static_cast<std::size_t>(first - base), numbers.size_bytes()};
  }
  const std::span<char> first = field.storage.text(s, 0);
  return {static_cast<std::size_t>(first.data() - base),
          first.size() * static_cast<std::size_t>(field.storage.entries)};
}

// A field added to the record without its catalogue entry would be neither
// saved, nor defaulted, nor listed: the fields of the catalogue and the
// unsaved flag fill the record exactly, each byte once.
TEST(SettingsCatalogueTest, CoversEveryByteOfTheRecord) {
  DeviceSettings s{};
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  for (const SettingsField& field : kSettingsCatalogue) {
    spans.push_back(BytesOf(field, s));
  }
  spans.push_back({offsetof(DeviceSettings, dirty), sizeof s.dirty});
  std::sort(spans.begin(), spans.end());
  std::size_t covered = 0;
  for (const auto& [offset, bytes] : spans) {
    if (offset > covered) {
      ADD_FAILURE() << "bytes " << covered << ".." << offset - 1
                    << " of DeviceSettings have no catalogue entry";
    } else if (offset < covered) {
      ADD_FAILURE() << "byte " << offset
                    << " of DeviceSettings is in two catalogue entries";
    }
    covered = offset + bytes;
  }
  EXPECT_EQ(covered, sizeof s) << "the end of DeviceSettings has no entry";
}

// Every entry says what its walkers need, in agreement with itself.
TEST(SettingsCatalogueTest, EveryEntryIsWhole) {
  std::set<std::string_view> names;
  for (const SettingsField& field : kSettingsCatalogue) {
    SCOPED_TRACE(std::string(field.name));
    EXPECT_TRUE(names.insert(field.name).second) << "named twice";
    const int entries = field.storage.entries;
    const bool number = field.kind == FieldKind::kNumber;
    EXPECT_EQ(field.storage.numbers != nullptr, number);
    EXPECT_EQ(field.storage.text != nullptr, !number);
    if (entries > 1) {
      EXPECT_GE(static_cast<int>(field.listing.entries.size()), entries);
      EXPECT_GE(static_cast<int>(field.shown.entries.size()), entries);
    }

    if (number) {
      const std::size_t defaults = field.defaults.numbers.size();
      EXPECT_TRUE(defaults == 1 || static_cast<int>(defaults) == entries);
      for (const int value : field.defaults.numbers) {
        if (field.range) {
          EXPECT_GE(value, field.range->low);
          EXPECT_LE(value, field.range->high);
        }
      }
      const bool checked = field.listing.style == ListingStyle::kChoice ||
                           field.listing.style == ListingStyle::kNumber ||
                           field.listing.style == ListingStyle::kBrightness;
      EXPECT_TRUE(field.range.has_value() || !checked);
      if (field.range && field.range->low == 0) {
        const std::size_t values = field.range->high + 1u;
        if (field.listing.style == ListingStyle::kChoice) {
          EXPECT_EQ(field.listing.choices.size(), values);
        }
        if (field.shown.style == ShownStyle::kChoice) {
          EXPECT_EQ(field.shown.choices.size(), values);
        }
      }
      EXPECT_NE(field.shown.style, ShownStyle::kText);
    } else {
      const std::size_t defaults = field.defaults.texts.size();
      EXPECT_TRUE(defaults == 1 || static_cast<int>(defaults) == entries);
      DeviceSettings s{};
      EXPECT_LT(field.text_bytes, field.storage.text(s, 0).size());
      for (const std::string_view text : field.defaults.texts) {
        EXPECT_LE(text.size(), field.text_bytes);
      }
      EXPECT_EQ(field.shown.style, ShownStyle::kText);
      EXPECT_EQ(field.listing.style, field.kind == FieldKind::kTitle
                                         ? ListingStyle::kTitle
                                         : ListingStyle::kHoldTime);
    }
  }
}

TEST(SettingsCatalogueTest, ValuesAreFoundByPlaceAndByName) {
  ASSERT_EQ(static_cast<int>(SettingsValues().size()), kSettingsValueCount);
  for (int index = 0; index < kSettingsValueCount; ++index) {
    const std::optional<SettingsValue> value = SettingsValueAt(index);
    ASSERT_TRUE(value);
    const std::optional<SettingsValue> named =
        SettingsValueNamed(ListingName(*value));
    ASSERT_TRUE(named) << ListingName(*value);
    EXPECT_EQ(named->field, value->field);
    EXPECT_EQ(named->entry, value->entry);
  }
  EXPECT_FALSE(SettingsValueAt(-1));
  EXPECT_FALSE(SettingsValueAt(kSettingsValueCount));

  struct Case {
    int index;
    std::string name;
  };
  const Case cases[] = {
      {0, "alarm_mode"},           {2, "alarm_hold_time"},
      {11, "vloss_detect[ch.07]"}, {47, "seq_dwell[4-split A]"},
      {106, "title_text[ch.01]"},  {115, "layout_2[pane 2]"},
      {152, "agc_enable[ch.08]"}};
  for (const Case& c : cases) {
    EXPECT_EQ(ListingName(*SettingsValueAt(c.index)), c.name);
  }
  for (const char* unknown :
       {"", "vloss_detect", "vloss_detect[ch.09]", "alarm_mode[ch.01]",
        "layout_2[pane 3]", "dirty", "Alarm_mode"}) {
    EXPECT_FALSE(SettingsValueNamed(unknown)) << unknown;
  }
}

TEST(SettingsCatalogueTest, TextsAreStoredWithinTheirBuffers) {
  const SettingsValue title = *SettingsValueNamed("title_text[ch.02]");
  DeviceSettings s;
  std::memset(&s, 'x', sizeof s);
  StoreFieldText(*title.field, s, title.entry, std::string(40, 'T'));
  EXPECT_EQ(FieldText(*title.field, s, title.entry),
            std::string(kTitleBufferBytes - 1, 'T'));
  EXPECT_EQ(s.title_text[2][0], 'x');  // the next entry is untouched
  StoreFieldText(*title.field, s, title.entry, "AB");
  EXPECT_EQ(std::string(s.title_text[1], kTitleBufferBytes),
            "AB" + std::string(kTitleBufferBytes - 2, '\0'));
  // A buffer filled to its last byte has no terminator; the text ends there.
  std::memset(s.title_text[1], 'y', kTitleBufferBytes);
  EXPECT_EQ(FieldText(*title.field, s, title.entry),
            std::string(kTitleBufferBytes, 'y'));
}

}  // namespace
}  // namespace vqx
