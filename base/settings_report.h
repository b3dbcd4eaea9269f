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

}  // namespace vqx
