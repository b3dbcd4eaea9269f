// Every setting of the record by field name, with what its value means:
// "alarm_mode = 1 (External)"; the comparison of two records; and a setting
// in the words a person knows from the program's dialogs: "アラーム / モード:
// External". Titles are shown in UTF-8. All of it walks the settings
// catalogue.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/device_settings.h"
#include "base/platform.h"
#include "base/settings_catalogue.h"

namespace vqx {

struct ReportLine {
  std::string name;   // field name, array entries with their label
  std::string value;  // the stored value and its meaning
  bool operator==(const ReportLine&) const = default;
};

// One line per value, in the order of the settings file
// (kSettingsValueCount lines).
std::vector<ReportLine> DescribeSettings(const DeviceSettings& settings,
                                         TextCodec& codec);

// The name DescribeSettings gives value 0..152 (file order):
// "vloss_detect[ch.07]". Empty for any other index.
std::string SettingsListingName(int index);

// "name = value".
std::string FormatReportLine(const ReportLine& line);

// One setting whose meaning differs between two records.
struct SettingsDifference {
  std::string name;    // the field name of the listing
  std::string first;   // its value and meaning in the first record
  std::string second;  // ... and in the second
  // A field no read-all reads: after a read-all the record still holds
  // what it held before, not the device's value.
  bool not_read_by_read_all = false;
  bool operator==(const SettingsDifference&) const = default;
};

// The settings whose listed values differ, in the order of the listing.
// Only what the listing shows counts: bytes after a title's terminator,
// say, or the unsaved-edit flag make no difference. A difference in a
// field named in `not_read_by_read_all` (the listing's name before any
// "[": "layout_2") is flagged.
std::vector<SettingsDifference> CompareSettings(
    const DeviceSettings& first, const DeviceSettings& second, TextCodec& codec,
    std::span<const std::string_view> not_read_by_read_all = {});

// The field a listing name belongs to: "layout_2[pane 1]" -> "layout_2".
std::string_view FieldOfListingName(std::string_view name);

// "name: first -> second".
std::string FormatDifference(const SettingsDifference& difference);

// --- In the words of the program's dialogs ---
// For the handover sheet and the comparison window; a value's place is the
// dialog that edits it (its heading), the field's label there and the
// entry's label, and its value is the item the dialog's list shows. A field
// no dialog edits is placed by its description. A value the dialog cannot
// show reads "7（範囲外）", an empty text "（空欄）".

// "アラーム / モード", "タイトル ch.03", "ビデオロス ch.07",
// "自動切換え / 時間（秒） 4分割A".
std::string SettingPlaceInWords(SettingsValue value);
// "External", "駐車場" (a title without its padding), "-64", "064".
std::string SettingValueInWords(SettingsValue value, const DeviceSettings& s,
                                TextCodec& codec);
// "アラーム / モード: External".
std::string SettingInWords(SettingsValue value, const DeviceSettings& s,
                           TextCodec& codec);
// "アラーム / モード: Internal → External".
std::string DifferenceInWords(SettingsValue value, const DeviceSettings& first,
                              const DeviceSettings& second, TextCodec& codec);

}  // namespace vqx
