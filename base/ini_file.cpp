#include "base/ini_file.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "base/file_io.h"

namespace vqx {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsIniBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' ||
         c == '\n';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsIniBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsIniBlank(text.back())) text.remove_suffix(1);
  return text;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

enum class LineKind { kOther, kSection, kKey };

// One line of the file: its bytes without the line end, the line end, and
// what it means.
struct Line {
  std::string_view text;
  std::string_view ending;
  LineKind kind = LineKind::kOther;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // key value, trimmed
};

Line Classify(std::string_view text, std::string_view ending) {
  Line line;
  line.text = text;
  line.ending = ending;
  const std::string_view content = Trim(text);
  if (content.empty() || content.front() == ';') return line;
  if (content.front() == '[') {
    std::string_view name = content.substr(1);
    name = name.substr(0, name.find(']'));
    line.kind = LineKind::kSection;
    line.name = Trim(name);
    return line;
  }
  const std::size_t equals = content.find('=');
  if (equals == std::string_view::npos) return line;
  line.kind = LineKind::kKey;
  line.name = Trim(content.substr(0, equals));
  std::string_view value = Trim(content.substr(equals + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  line.value = value;
  if (line.name.empty()) line.kind = LineKind::kOther;
  return line;
}

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  bool first = true;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view body;
    std::string_view ending;
    if (end == std::string_view::npos) {
      body = text;
      text = {};
    } else {
      body = text.substr(0, end);
      ending = text.substr(end, 1);
      if (!body.empty() && body.back() == '\r') {
        body.remove_suffix(1);
        ending = text.substr(end - 1, 2);
      }
      text.remove_prefix(end + 1);
    }
    std::string_view content = body;
    if (first && content.starts_with(kByteOrderMark)) {
      content.remove_prefix(kByteOrderMark.size());
    }
    first = false;
    Line line = Classify(content, ending);
    line.text = body;
    lines.push_back(line);
  }
  return lines;
}

// Index of the first line holding `key` in a section named `section`.
std::optional<std::size_t> FindKeyLine(const std::vector<Line>& lines,
                                       std::string_view section,
                                       std::string_view key) {
  bool in_section = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    if (line.kind == LineKind::kSection) {
      in_section = SameName(line.name, section);
    } else if (in_section && line.kind == LineKind::kKey &&
               SameName(line.name, key)) {
      return i;
    }
  }
  return std::nullopt;
}

// What a file holds: its bytes (up to the limit) and whether there was
// more. Nothing when an existing file cannot be read.
struct FileContents {
  std::string bytes;
  bool truncated = false;
};

std::optional<FileContents> ReadIniFile(const fs::path& path) {
  FileContents contents;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) return contents;  // a missing file is empty
  if (!fs::is_regular_file(status)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  contents.bytes.resize(kMaxIniFileBytes + 1);
  in.read(contents.bytes.data(),
          static_cast<std::streamsize>(contents.bytes.size()));
  if (in.bad()) return std::nullopt;
  contents.bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (contents.bytes.size() > kMaxIniFileBytes) {
    contents.truncated = true;
    contents.bytes.resize(kMaxIniFileBytes);
    // The last line is cut short; leave it out.
    const std::size_t end = contents.bytes.rfind('\n');
    contents.bytes.resize(end == std::string::npos ? 0 : end + 1);
  }
  return contents;
}

bool Storable(std::string_view section, std::string_view key,
              std::string_view value) {
  auto has_line_break = [](std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
  };
  return !Trim(section).empty() && !Trim(key).empty() &&
         !has_line_break(section) && !has_line_break(key) &&
         !has_line_break(value) &&
         section.find(']') == std::string_view::npos &&
         key.find('=') == std::string_view::npos && Trim(key).front() != '[' &&
         Trim(key).front() != ';';
}

}  // namespace

std::optional<std::string> FindIniValue(std::string_view text,
                                        std::string_view section,
                                        std::string_view key) {
  const std::vector<Line> lines = SplitLines(text);
  if (std::optional<std::size_t> index = FindKeyLine(lines, section, key)) {
    return std::string(lines[*index].value);
  }
  return std::nullopt;
}

std::string SetIniValue(std::string_view text, std::string_view section,
                        std::string_view key, std::string_view value) {
  const std::vector<Line> lines = SplitLines(text);
  // New lines end the way the file's lines do; CR LF for a new file.
  std::string_view ending = "\r\n";
  for (const Line& line : lines) {
    if (!line.ending.empty()) {
      ending = line.ending;
      break;
    }
  }

  std::vector<std::string> replacement(lines.size());
  std::size_t insert_after = lines.size();  // none
  bool placed = false;
  if (std::optional<std::size_t> index = FindKeyLine(lines, section, key)) {
    placed = true;
    // The key keeps the spelling it has in the file.
    std::string changed(lines[*index].name);
    changed += '=';
    changed += value;
    replacement[*index] = std::move(changed);
  } else {
    // After the last meaningful line of the first matching section.
    bool in_section = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].kind == LineKind::kSection) {
        if (in_section) break;
        in_section = SameName(lines[i].name, section);
        if (in_section) {
          insert_after = i;
          placed = true;
        }
      } else if (in_section && !Trim(lines[i].text).empty()) {
        insert_after = i;
      }
    }
  }

  std::string key_line(Trim(key));
  key_line += '=';
  key_line += value;

  std::string result;
  result.reserve(text.size() + key_line.size() + section.size() + 8);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    result +=
        replacement[i].empty() ? std::string(lines[i].text) : replacement[i];
    if (lines[i].ending.empty() && (i == insert_after)) {
      result += ending;  // the last line had no line end
    } else {
      result += lines[i].ending;
    }
    if (i == insert_after) {
      result += key_line;
      result += ending;
    }
  }
  if (!placed) {
    if (!result.empty() && result.back() != '\n') result += ending;
    result += '[';
    result += Trim(section);
    result += ']';
    result += ending;
    result += key_line;
    result += ending;
  }
  return result;
}

IniFileProfileStore::IniFileProfileStore(std::string utf8_path,
                                         std::string legacy_utf8_path)
    : path_(std::move(utf8_path)), legacy_path_(std::move(legacy_utf8_path)) {}

std::string IniFileProfileStore::SourcePath() const {
  if (legacy_path_.empty()) return path_;
  std::error_code error;
  const bool own_exists = fs::exists(PathFromUtf8(path_), error);
  if (own_exists || error) return path_;
  return fs::exists(PathFromUtf8(legacy_path_), error) ? legacy_path_ : path_;
}

std::string IniFileProfileStore::GetString(std::string_view section,
                                           std::string_view key,
                                           std::string_view fallback) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::optional<FileContents> contents =
      ReadIniFile(PathFromUtf8(SourcePath()));
  if (!contents) return std::string(fallback);
  return FindIniValue(contents->bytes, section, key)
      .value_or(std::string(fallback));
}

bool IniFileProfileStore::WriteString(std::string_view section,
                                      std::string_view key,
                                      std::string_view value) {
  if (!Storable(section, key, value)) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  const fs::path path = PathFromUtf8(path_);
  // The first write carries the legacy file's other settings over.
  const std::optional<FileContents> contents =
      ReadIniFile(PathFromUtf8(SourcePath()));
  // A file that cannot be read whole is not rewritten: its other contents
  // would be lost.
  if (!contents || contents->truncated) return false;
  std::error_code error;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), error);
  return WriteFileAtomically(path,
                             SetIniValue(contents->bytes, section, key, value));
}

int ParseProfileInteger(std::string_view text) {
  // The value is read into a 10-character buffer.
  constexpr std::size_t kProfileValueCharacters = 9;
  text = text.substr(0, kProfileValueCharacters);
  std::size_t position = 0;
  while (position < text.size() && IsIniBlank(text[position])) ++position;
  bool negative = false;
  if (position < text.size() &&
      (text[position] == '+' || text[position] == '-')) {
    negative = text[position] == '-';
    ++position;
  }
  // Nine characters hold at most nine digits, which always fit an int.
  int value = 0;
  while (position < text.size() && text[position] >= '0' &&
         text[position] <= '9') {
    value = value * 10 + (text[position] - '0');
    ++position;
  }
  return negative ? -value : value;
}

}  // namespace vqx
