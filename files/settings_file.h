// The settings file (".dat"): one value of `DeviceSettings` per line, in the
// order of the settings catalogue, 153 lines, Shift_JIS text, CR LF line ends.
// A value is known by its line number alone; there is no header or key.
//
// A file is read whole before the record is touched, and it is taken only
// when it holds exactly the 153 values, each integer one whole number;
// anything else (a text file, a cut or hand-garbled file) is refused with
// the first line that is wrong, and the record stays as it was.
//
// A file of exactly 153 lines is read line by line, so that the files of
// earlier versions, which wrote an empty hold time as an empty line and a
// half-width blank of a title as it stands, read with every later value in
// place. Any other file is read by white-space-separated tokens, as these
// files have always been read, so extra blank lines or blanks around the
// values do no harm. Files written here read back in place for every value
// the record can hold.
//
// Depends on the settings record, its catalogue and the file helpers of
// base/ only.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/device_settings.h"
#include "base/platform.h"
#include "base/settings_catalogue.h"

namespace vqx {

// One line per value of the record (153).
inline constexpr int kSettingsFileLines = kSettingsValueCount;
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

// Why a file is not taken as a settings file.
enum class SettingsFileProblem {
  kCannotRead,  // the file cannot be opened or read, or is far too large
  kEmpty,       // no bytes at all (a byte-order mark aside)
  kNotANumber,  // an integer value is not one whole number
  kEndsEarly,   // fewer than 153 values
  kExtraValue,  // something after the 153rd value
};

// The first thing wrong with a file. Texts are the file's own bytes
// (Shift_JIS).
struct SettingsFileError {
  SettingsFileProblem problem = SettingsFileProblem::kCannotRead;
  // The 1-based line of the file: where the bad value stands, or for
  // kEndsEarly the file's last line. 0 for kCannotRead and kEmpty.
  int line = 0;
  // kNotANumber: the field the value is for, as the settings listing
  // names it ("vloss_detect[ch.07]").
  std::string field;
  // kNotANumber, kExtraValue: what stands there, blanks around it removed
  // (empty for an empty line), cut to a few dozen bytes.
  std::string found;
  // kEndsEarly: how many values the file holds.
  int values = 0;
  bool operator==(const SettingsFileError&) const = default;
};

// The error in words for the command-line tools, `found` converted to UTF-8
// by `codec`: "line 12: expected a whole number for vloss_detect[ch.07],
// found \"O\"". The program's boxes say it in Japanese
// (files/file_operations.h).
std::string DescribeSettingsFileError(const SettingsFileError& error,
                                      TextCodec& codec);

// What `found` shows: its bytes converted to UTF-8, control bytes as "\xNN"
// so a terminal or a box shows them as what they are.
std::string ShownFoundText(std::string_view found, TextCodec& codec);

// A whole settings file read: every saved field of `values` from the file
// (`dirty` 0), or the first problem.
struct ParsedSettingsFile {
  std::optional<DeviceSettings> values;
  SettingsFileError error;  // when `values` is empty
};
ParsedSettingsFile ParseSettingsText(std::string_view text);

// Whether a settings file was read, and if not, why.
struct [[nodiscard]] SettingsFileRead {
  std::optional<SettingsFileError> error;
  explicit operator bool() const { return !error.has_value(); }
};

// Puts every saved field of `values` into `settings`; `dirty` is untouched.
void ApplySettingsValues(const DeviceSettings& values,
                         DeviceSettings& settings);

// Loads `text` into `settings` when it is a whole settings file; otherwise
// returns why and changes nothing. `dirty` is untouched.
SettingsFileRead ReadSettingsText(std::string_view text,
                                  DeviceSettings& settings);

// Writes the file beside `utf8_path` first and moves it over the target only
// once every byte is on its way to the disk, so a failed save leaves the old
// file as it was. Lowers `settings.dirty` only on success.
bool WriteSettingsFile(const std::string& utf8_path, DeviceSettings& settings);

// Loads the file at `utf8_path` into `settings` and lowers `dirty`. When the
// file cannot be read or is no settings file, returns why and changes
// nothing.
SettingsFileRead ReadSettingsFile(const std::string& utf8_path,
                                  DeviceSettings& settings);

// True when ".dat" is to be appended to a chosen path: the four characters
// ".dat" (case-sensitive) occur nowhere from position 1 on.
bool NeedsDatSuffix(std::string_view path);

}  // namespace vqx
