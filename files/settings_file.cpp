#include "files/settings_file.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/file_io.h"
#include "base/settings_catalogue.h"
#include "base/settings_report.h"
#include "base/shift_jis.h"

namespace vqx {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// White space as the C library's "%d" and "%s" conversions skip it.
bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

// Walks the record in file order: every line of the file is one call of
// Int, HoldTime or Title, with the value it is for.
template <class Record, class Visitor>
void VisitLines(Record& s, Visitor& v) {
  for (const SettingsValue& value : SettingsValues()) {
    const SettingsField& field = *value.field;
    switch (field.kind) {
      case FieldKind::kNumber:
        v.Int(FieldNumbers(field, s)[value.entry]);
        break;
      case FieldKind::kHoldTime:
        v.HoldTime(s, value);
        break;
      case FieldKind::kTitle:
        v.Title(s, value);
        break;
    }
  }
}

class LineWriter {
 public:
  void Int(int value) {
    text_ += std::to_string(value);
    text_ += kLineEnd;
  }

  // The hold time is whatever the user typed into a 3-character edit box.
  // Two values would not read back in place from a file read by tokens, so
  // they get a stand-in that does: an empty hold time is written as "-"
  // (and "-" reads back as empty), and each blank, tab or line break
  // becomes "_". Neither changes what the device is sent, since only
  // leading digits count there; every other value is written as it stands.
  void HoldTime(const DeviceSettings& s, SettingsValue value) {
    const std::string_view typed = CutShiftJis(
        FieldText(*value.field, s, value.entry), value.field->text_bytes);
    if (typed.empty()) {
      text_ += kEmptyHoldTimeToken;
    } else {
      for (char c : typed) text_ += IsWhiteSpace(c) ? '_' : c;
    }
    text_ += kLineEnd;
  }

  // An empty title is written as "s". A half-width blank (or a tab a paste
  // brought) would split the title into two tokens when the file is read
  // by tokens; it is written as kTitleBlankStandIn, one byte for one, so
  // the title keeps its length and every character reads back in place.
  void Title(const DeviceSettings& s, SettingsValue value) {
    std::string token(CutShiftJis(FieldText(*value.field, s, value.entry),
                                  value.field->text_bytes));
    for (char& c : token) {
      if (IsWhiteSpace(c)) c = kTitleBlankStandIn;
    }
    text_ += token.empty() ? std::string_view(kEmptyTitleToken) : token;
    text_ += kLineEnd;
  }

  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

// One value of the file: a whole line, or a white-space-delimited token,
// with the 1-based line it stands on.
struct FileValue {
  std::string_view text;
  int line;
};

std::string_view TrimWhiteSpace(std::string_view text) {
  while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
  return text;
}

// Walks the lines of `text`, each without its LF and a CR before it, until
// `each(line)` returns false. A line end at the very end starts no further
// line.
template <class Each>
void ForEachLine(std::string_view text, Each&& each) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!each(line) || end == std::string_view::npos) return;
    text.remove_prefix(end + 1);
  }
}

// The number of lines up to the last one that holds more than blanks.
int LinesWithValues(std::string_view text) {
  int lines = 0;
  int last_with_value = 0;
  ForEachLine(text, [&](std::string_view line) {
    ++lines;
    if (!TrimWhiteSpace(line).empty()) last_with_value = lines;
    return true;
  });
  return last_with_value;
}

// Each of the first `lines` lines as one value.
std::vector<FileValue> Lines(std::string_view text, int lines) {
  std::vector<FileValue> values;
  ForEachLine(text, [&](std::string_view line) {
    values.push_back({line, static_cast<int>(values.size()) + 1});
    return static_cast<int>(values.size()) < lines;
  });
  return values;
}

// The white-space-delimited tokens of the text, in order, at most `limit`.
std::vector<FileValue> Tokens(std::string_view text, std::size_t limit) {
  std::vector<FileValue> tokens;
  int number = 0;
  ForEachLine(text, [&](std::string_view rest) {
    ++number;
    for (;;) {
      while (!rest.empty() && IsWhiteSpace(rest.front())) rest.remove_prefix(1);
      if (rest.empty()) return true;
      if (tokens.size() == limit) return false;
      std::size_t length = 0;
      while (length < rest.size() && !IsWhiteSpace(rest[length])) ++length;
      tokens.push_back({rest.substr(0, length), number});
      rest.remove_prefix(length);
    }
  });
  return tokens;
}

// What an error shows of a value: blanks around it removed, cut to whole
// characters.
constexpr std::size_t kFoundBytes = 40;
std::string Found(std::string_view text) {
  const std::string_view trimmed = TrimWhiteSpace(text);
  std::string found(CutShiftJis(trimmed, kFoundBytes));
  if (found.size() < trimmed.size()) found += "...";
  return found;
}

// A sign and decimal digits and nothing else. Values beyond the int range
// are clamped to INT_MIN or INT_MAX.
std::optional<int> WholeNumber(std::string_view text) {
  std::size_t position = 0;
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    ++position;
  }
  if (position == text.size()) return std::nullopt;
  long long magnitude = 0;
  constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
  for (; position < text.size(); ++position) {
    const char c = text[position];
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = std::min(kLimit, magnitude * 10 + (c - '0'));
  }
  const long long value = negative ? -magnitude : magnitude;
  return static_cast<int>(
      std::clamp<long long>(value, INT_MIN, static_cast<long long>(INT_MAX)));
}

// Takes the values in file order into a record, stopping at the first one
// that cannot be taken. A value is a whole line (a 153-line file) or a
// token. Only a whole line brings blanks inside a text; they are stored as
// a file written here would read back, so that writing the record again
// and reading that gives the same record.
class ValueReader {
 public:
  explicit ValueReader(const std::vector<FileValue>& values)
      : values_(values) {}

  void Int(int& field) {
    const FileValue* value = Next();
    if (value == nullptr) return;
    const std::optional<int> number = WholeNumber(TrimWhiteSpace(value->text));
    if (!number) {
      SettingsFileError error;
      error.problem = SettingsFileProblem::kNotANumber;
      error.line = value->line;
      error.field = SettingsListingName(static_cast<int>(next_) - 1);
      error.found = Found(value->text);
      error_ = std::move(error);
      return;
    }
    field = *number;
  }

  // "-" is the empty hold time. One longer than its three bytes keeps as
  // many whole characters as fit. A blank inside becomes "_", as the file
  // is written.
  void HoldTime(DeviceSettings& s, SettingsValue field_value) {
    const FileValue* value = Next();
    if (value == nullptr) return;
    std::string_view text = CutAtNul(value->text);
    if (TrimWhiteSpace(text) == kEmptyHoldTimeToken) text = {};
    std::string stored(CutShiftJis(text, field_value.field->text_bytes));
    for (char& c : stored) {
      if (IsWhiteSpace(c)) c = '_';
    }
    StoreFieldText(*field_value.field, s, field_value.entry, stored);
  }

  // "s" is the empty title. A title longer than 20 bytes keeps as many
  // whole characters as fit. The stand-in, and any white space a line
  // holds, is a half-width blank: the stand-in is no byte of a double-byte
  // character, and neither is white space.
  void Title(DeviceSettings& s, SettingsValue field_value) {
    const FileValue* value = Next();
    if (value == nullptr) return;
    std::string_view text = CutAtNul(value->text);
    if (TrimWhiteSpace(text) == kEmptyTitleToken) text = {};
    std::string stored(CutShiftJis(text, field_value.field->text_bytes));
    for (char& c : stored) {
      if (c == kTitleBlankStandIn || IsWhiteSpace(c)) c = ' ';
    }
    StoreFieldText(*field_value.field, s, field_value.entry, stored);
  }

  const std::optional<SettingsFileError>& error() const { return error_; }
  std::size_t taken() const { return next_; }

 private:
  // The next value, or nothing once an error was found or the values ran
  // out (which is the error then).
  const FileValue* Next() {
    if (error_) return nullptr;
    if (next_ == values_.size()) {
      SettingsFileError error;
      error.problem = SettingsFileProblem::kEndsEarly;
      error.values = static_cast<int>(values_.size());
      error_ = std::move(error);
      return nullptr;
    }
    return &values_[next_++];
  }

  // The fields are C texts: a NUL byte ends one.
  static std::string_view CutAtNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
  }

  const std::vector<FileValue>& values_;
  std::size_t next_ = 0;
  std::optional<SettingsFileError> error_;
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

std::string WriteSettingsText(const DeviceSettings& settings) {
  LineWriter writer;
  VisitLines(settings, writer);
  return writer.Take();
}

ParsedSettingsFile ParseSettingsText(std::string_view text) {
  ParsedSettingsFile parsed;
  if (text.starts_with(kByteOrderMark))
    text.remove_prefix(kByteOrderMark.size());
  // Blank lines at the end (a hand edit, a second line end) hold no value;
  // without them a file of 153 values on 153 lines is still read by lines.
  const int lines = LinesWithValues(text);
  if (lines == 0) {
    parsed.error.problem = SettingsFileProblem::kEmpty;
    return parsed;
  }
  // One token more than a file holds shows that there is too much.
  const std::vector<FileValue> values =
      lines == kSettingsFileLines ? Lines(text, lines)
                                  : Tokens(text, kSettingsFileLines + 1);
  DeviceSettings record{};
  ValueReader reader(values);
  VisitLines(record, reader);
  if (reader.error()) {
    parsed.error = *reader.error();
    if (parsed.error.problem == SettingsFileProblem::kEndsEarly) {
      parsed.error.line = lines;
    }
    return parsed;
  }
  if (reader.taken() < values.size()) {
    const FileValue& extra = values[reader.taken()];
    parsed.error.problem = SettingsFileProblem::kExtraValue;
    parsed.error.line = extra.line;
    parsed.error.found = Found(extra.text);
    return parsed;
  }
  record.dirty = 0;
  parsed.values = record;
  return parsed;
}

void ApplySettingsValues(const DeviceSettings& values,
                         DeviceSettings& settings) {
  const int dirty = settings.dirty;
  settings = values;
  settings.dirty = dirty;
}

SettingsFileRead ReadSettingsText(std::string_view text,
                                  DeviceSettings& settings) {
  ParsedSettingsFile parsed = ParseSettingsText(text);
  if (!parsed.values) return {std::move(parsed.error)};
  ApplySettingsValues(*parsed.values, settings);
  return {};
}

std::string ShownFoundText(std::string_view found, TextCodec& codec) {
  std::string visible;
  for (char c : found) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      visible += escaped;
    } else {
      visible += c;
    }
  }
  return codec.ShiftJisToUtf8(visible);
}

std::string DescribeSettingsFileError(const SettingsFileError& error,
                                      TextCodec& codec) {
  const std::string line = "line " + std::to_string(error.line) + ": ";
  const std::string expected =
      std::to_string(kSettingsFileLines) + " values expected";
  switch (error.problem) {
    case SettingsFileProblem::kCannotRead:
      return "the file cannot be opened or read";
    case SettingsFileProblem::kEmpty:
      return "the file is empty: " + expected;
    case SettingsFileProblem::kNotANumber:
      return line + "expected a whole number for " + error.field + ", found " +
             (error.found.empty()
                  ? std::string("an empty line")
                  : "\"" + ShownFoundText(error.found, codec) + "\"");
    case SettingsFileProblem::kEndsEarly:
      return "the file ends after line " + std::to_string(error.line) + ": " +
             expected + ", " + std::to_string(error.values) + " found";
    case SettingsFileProblem::kExtraValue:
      return line + "expected the end of the file after " +
             std::to_string(kSettingsFileLines) + " values, found \"" +
             ShownFoundText(error.found, codec) + "\"";
  }
  return {};
}

bool NeedsDatSuffix(std::string_view path) {
  constexpr std::string_view kSuffix = ".dat";
  if (path.size() < kSuffix.size() + 1) return true;
  for (std::size_t position = path.size() - kSuffix.size(); position >= 1;
       --position) {
    if (path.compare(position, kSuffix.size(), kSuffix) == 0) return false;
  }
  return true;
}

bool WriteSettingsFile(const std::string& utf8_path, DeviceSettings& settings) {
  if (!WriteFileAtomically(PathFromUtf8(utf8_path),
                           WriteSettingsText(settings))) {
    return false;
  }
  settings.dirty = 0;
  return true;
}

SettingsFileRead ReadSettingsFile(const std::string& utf8_path,
                                  DeviceSettings& settings) {
  const std::optional<std::string> bytes =
      ReadWholeFile(PathFromUtf8(utf8_path), kMaxSettingsFileBytes);
  if (!bytes) return {SettingsFileError{}};
  SettingsFileRead read = ReadSettingsText(*bytes, settings);
  if (read) settings.dirty = 0;
  return read;
}

}  // namespace vqx
