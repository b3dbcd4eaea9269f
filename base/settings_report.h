// Every setting of the record by field name, with what its value means:
// "alarm_mode = 1 (External)". Titles are shown in UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/device_settings.h"
#include "base/platform.h"

namespace vqx {

struct ReportLine {
  std::string name;   // field name, array entries with their label
  std::string value;  // the stored value and its meaning
  bool operator==(const ReportLine&) const = default;
};

// One line per value, in the order of the settings file (153 lines).
std::vector<ReportLine> DescribeSettings(const DeviceSettings& settings,
                                         TextCodec& codec);

// "name = value".
std::string FormatReportLine(const ReportLine& line);

// One setting whose meaning differs between two records.
struct SettingsDifference {
  std::string name;    // the field name of the listing
  std::string first;   // its value and meaning in the first record
  std::string second;  // ... and in the second
  bool operator==(const SettingsDifference&) const = default;
};

// The settings whose listed values differ, in the order of the listing.
// Only what the listing shows counts: bytes after a title's terminator,
// say, or the unsaved-edit flag make no difference.
std::vector<SettingsDifference> CompareSettings(const DeviceSettings& first,
                                                const DeviceSettings& second,
                                                TextCodec& codec);

// "name: first -> second".
std::string FormatDifference(const SettingsDifference& difference);

}  // namespace vqx
