// The handover sheet: every setting of a record on one self-contained HTML
// page for the customer, in the words of the program's dialogs. The channels
// as one table, each split layout as a picture of the screen with its panes
// in place, the other settings as short tables. Nothing outside the page is
// loaded (inline CSS and SVG, no scripts), and it prints on A4 portrait.
#pragma once

#include <string>
#include <string_view>

#include "base/device_settings.h"
#include "base/platform.h"

namespace vqx {

struct SheetDetails {
  // The settings file the sheet shows (its name only), "無題" for an
  // unsaved one.
  std::string file_name;
  LocalTime written;  // the date it is written
  // Optional: the site, as the installer types it.
  std::string site;
  // Optional: the device's version line, when the settings come from it.
  std::string device_version;
};

// The page, UTF-8. Every text from the record or `details` is escaped, so
// a title holding "<" or "&" stays a title.
std::string BuildSettingsSheet(const DeviceSettings& settings,
                               const SheetDetails& details, TextCodec& codec);

// The name a sheet is saved under when its settings have no file yet.
inline constexpr std::string_view kUntitledSheetName = "無題";

}  // namespace vqx
