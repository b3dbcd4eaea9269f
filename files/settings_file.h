// The settings file (".dat"): one value of `DeviceSettings` per line, in the
// record's field order, 153 lines, Shift_JIS text, CR LF line ends. A value is
// known by its line number alone; there is no header or key.
//
// Reading is token based, as the files have always been read: values are
// separated by any white space, an integer that cannot be read leaves its
// field alone, and a later text line takes the token that stopped it. Files
// written here read back in place for every value the record can hold.
//
// Depends on the settings record and the file helpers of base/ only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/device_settings.h"

namespace vqx {

inline constexpr int kSettingsFileLines = 153;
// A settings file is about 2 KB. A larger file than this is not one, and is
// refused rather than read into memory.
inline constexpr std::size_t kMaxSettingsFileBytes = 4 * 1024 * 1024;

// The word written for an empty channel title; it reads back as empty.
inline constexpr std::string_view kEmptyTitleToken = "s";
// What a half-width white-space byte of a title is written as (DEL, which
// is neither white space nor a byte of any Shift_JIS character); it reads
// back as a half-width blank.
inline constexpr char kTitleBlankStandIn = '\x7F';
// The word written for an empty alarm hold time; it reads back as empty.
inline constexpr std::string_view kEmptyHoldTimeToken = "-";

// The file's bytes for `settings`: 153 lines, each ending in CR LF.
std::string WriteSettingsText(const DeviceSettings& settings);

// Loads the values of `text` into `settings` in file order. Fields whose
// value is missing or unreadable keep their contents; `dirty` is untouched.
void ReadSettingsText(std::string_view text, DeviceSettings& settings);

// Writes the file beside `utf8_path` first and moves it over the target only
// once every byte is on its way to the disk, so a failed save leaves the old
// file as it was. Lowers `settings.dirty` only on success.
bool WriteSettingsFile(const std::string& utf8_path, DeviceSettings& settings);

// Loads the file at `utf8_path` into `settings` and lowers `dirty`. Returns
// false, changing nothing, when the file cannot be opened or read.
bool ReadSettingsFile(const std::string& utf8_path, DeviceSettings& settings);

// True when ".dat" is to be appended to a chosen path: the four characters
// ".dat" (case-sensitive) occur nowhere from position 1 on.
bool NeedsDatSuffix(std::string_view path);

}  // namespace vqx
