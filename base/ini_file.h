// An INI file on any platform (the program's configuration, the
// command-line tool's defaults): a `ProfileStore` over one file, read and
// written the way the Windows profile functions treat such files.
//
// Reading tolerates hand edits: CR LF or LF line ends, blanks around names,
// "=" and values, section and key names in any letter case, ";" comment
// lines, a UTF-8 byte order mark and lines that mean nothing (ignored).
// Values may be enclosed in matching quotes, which are removed. The first
// occurrence of a key wins. Only the first kMaxIniFileBytes of a file count.
//
// Writing keeps every other line of the file byte for byte, replaces the
// key's line or adds it to its section (or adds the section at the end),
// and replaces the file in one step, so an interrupted write never leaves a
// half-written file.
#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "base/platform.h"

namespace vqx {

inline constexpr std::size_t kMaxIniFileBytes = 1024 * 1024;

// The value of a profile string as the program has always converted it:
// only its first 9 characters count; leading blanks are skipped, an
// optional sign and the decimal digits up to the first other character
// make the number, and text without digits is 0. Never overflows.
int ParseProfileInteger(std::string_view text);

// The value of `key` in `section` of INI text, or nothing when the section
// or key is missing.
std::optional<std::string> FindIniValue(std::string_view text,
                                        std::string_view section,
                                        std::string_view key);

// INI text with `key` of `section` set to `value`, every other line kept.
std::string SetIniValue(std::string_view text, std::string_view section,
                        std::string_view key, std::string_view value);

class IniFileProfileStore : public ProfileStore {
 public:
  // `legacy_utf8_path`, when given, is the file an older installation kept
  // elsewhere: until the file at `utf8_path` exists, values are read from
  // it, and the first write starts from its contents, so no setting it
  // holds is lost. It is never written.
  explicit IniFileProfileStore(std::string utf8_path,
                               std::string legacy_utf8_path = {});

  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view fallback) override;
  // False when the names or value cannot be stored in an INI line (line
  // breaks, "]" in a section, "=" in a key, empty names), when the file (or
  // the legacy file it is to start from) cannot be read whole, or when the
  // file cannot be replaced. The file's folder is created when missing.
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override;

  const std::string& path() const { return path_; }

 private:
  // The file values come from now: the legacy file while the file itself
  // does not exist and the legacy one does.
  std::string SourcePath() const;

  std::string path_;
  std::string legacy_path_;
  std::mutex mutex_;
};

}  // namespace vqx
