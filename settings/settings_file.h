// The settings file (".dat"): one value of `DeviceSettings` per line, in the
// record's field order, 153 lines, Shift_JIS text, CR LF line ends. A value is
// known by its line number alone; there is no header or key.
//
// Reading is token based, as the files have always been read: values are
// separated by any white space, an integer that cannot be read leaves its
// field alone, and a later text line takes the token that stopped it. Files
// written here read back in place for every value the record can hold.
//
// Depends on the settings record and the standard library only.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "settings/device_settings.h"

namespace vqx {

inline constexpr int kSettingsFileLines = 153;
// A settings file is about 2 KB. A larger file than this is not one, and is
// refused rather than read into memory.
inline constexpr std::size_t kMaxSettingsFileBytes = 4 * 1024 * 1024;

// The word written for an empty channel title; it reads back as empty.
inline constexpr std::string_view kEmptyTitleToken = "s";
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

// Cuts a Shift_JIS text to at most `limit` bytes without splitting a
// double-byte character.
std::string_view CutShiftJis(std::string_view text, std::size_t limit);

// File helpers shared with the program's INI file.

// A path from UTF-8 text, on every platform.
std::filesystem::path PathFromUtf8(std::string_view utf8_path);

// Replaces the file at `path` with `bytes`: written to a temporary file in
// the same folder, flushed, closed and renamed over the target. On any
// failure the temporary file is removed, the target is untouched and the
// result is false.
bool WriteFileAtomically(const std::filesystem::path& path,
                         std::string_view bytes);

// The whole file, or nothing when it cannot be opened or read, is not a
// regular file, or is larger than `max_bytes`.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path,
                                         std::size_t max_bytes);

// Forces a written file's data to the disk; true on success. The platform
// code installs one (fsync, FlushFileBuffers); without one, a file is
// replaced once the stream has flushed and closed without error.
using FileSyncHook = bool (*)(const std::filesystem::path& path);
void SetFileSyncHook(FileSyncHook hook);

}  // namespace vqx
