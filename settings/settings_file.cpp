#include "settings/settings_file.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

namespace vqx {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kIdeographicSpace = "\x81\x40";

// White space as the C library's "%d" and "%s" conversions skip it.
bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

bool IsShiftJisLeadByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The text held in a fixed buffer: up to its terminator, never past its end.
template <std::size_t N>
std::string_view BufferText(const char (&buffer)[N]) {
  const void* end = std::memchr(buffer, '\0', N);
  return std::string_view(
      buffer,
      end ? static_cast<std::size_t>(static_cast<const char*>(end) - buffer)
          : N);
}

template <std::size_t N>
void StoreText(char (&buffer)[N], std::string_view text) {
  const std::size_t length = std::min(text.size(), N - 1);
  std::memset(buffer, 0, N);
  if (length > 0) std::memcpy(buffer, text.data(), length);
}

// Walks the record in file order. Every line of the file is one call of
// Int, HoldTime or Title; arrays go element 0 first.
template <class Record, class Visitor>
void VisitLines(Record& s, Visitor& v) {
  auto ints = [&v](auto& array) {
    for (auto& element : array) v.Int(element);
  };
  v.Int(s.alarm_mode);
  v.Int(s.alarm_polarity);
  v.HoldTime(s.alarm_hold_time);
  v.Int(s.alarm_return);
  v.Int(s.alarm_display);
  ints(s.vloss_detect);
  v.Int(s.vloss_display);
  v.Int(s.vloss_signal_output);
  v.Int(s.vloss_background);
  v.Int(s.clock_display);
  v.Int(s.clock_display_range);
  v.Int(s.title_single_screen);
  v.Int(s.title_split_screen);
  v.Int(s.misc_osd_size_single);
  v.Int(s.misc_osd_size_split);
  v.Int(s.seq_mode);
  ints(s.title_pos_x);
  ints(s.title_pos_y);
  ints(s.seq_dwell);
  ints(s.adjust_brightness);
  ints(s.adjust_contrast);
  ints(s.adjust_sharpness);
  ints(s.adjust_hue);
  ints(s.adjust_saturation);
  v.Int(s.misc_connector_input);
  v.Int(s.misc_border_line);
  v.Int(s.misc_power_on_screen);
  v.Int(s.misc_dss_mode);
  ints(s.format_video);
  v.Int(s.misc_osd_offset_h);
  v.Int(s.misc_osd_offset_v);
  for (auto& title : s.title_text) v.Title(title);
  ints(s.layout_2);
  ints(s.layout_4a);
  ints(s.layout_4b);
  ints(s.layout_6a);
  ints(s.layout_6b);
  ints(s.layout_9);
  v.Int(s.misc_ntsc_aspect);
  ints(s.agc_enable);
}

class LineWriter {
 public:
  void Int(int value) {
    text_ += std::to_string(value);
    text_ += kLineEnd;
  }

  // The hold time is whatever the user typed into a 3-character edit box.
  // A value is one token in the file, so two values that cannot be one
  // token get a stand-in that reads back in place: an empty hold time is
  // written as "-" (and "-" reads back as empty), and each blank, tab or
  // line break becomes "_". Neither changes what the device is sent, since
  // only leading digits count there; every other value is written as it
  // stands.
  void HoldTime(const char (&hold_time)[kHoldTimeBufferBytes]) {
    const std::string_view typed =
        CutShiftJis(BufferText(hold_time), kHoldTimeBufferBytes - 1);
    if (typed.empty()) {
      text_ += kEmptyHoldTimeToken;
    } else {
      for (char c : typed) text_ += IsWhiteSpace(c) ? '_' : c;
    }
    text_ += kLineEnd;
  }

  // An empty title is written as "s". A title typed with a half-width blank
  // (or pasted with a tab) would otherwise split into two tokens and shift
  // every later value, so such bytes are written as ideographic spaces, the
  // padding titles use anyway; white-space bytes are never the second byte
  // of a Shift_JIS pair, so no character is split by this.
  void Title(const char (&title)[kTitleBufferBytes]) {
    std::string token;
    for (char c : BufferText(title)) {
      if (IsWhiteSpace(c)) {
        token += kIdeographicSpace;
      } else {
        token += c;
      }
    }
    const std::string_view cut = CutShiftJis(token, kTitleBytes);
    text_ += cut.empty() ? std::string_view(kEmptyTitleToken) : cut;
    text_ += kLineEnd;
  }

  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

// Reads values the way "%d\n" and "%s\n" read them from a stream: white
// space anywhere between values, an integer read that fails consumes
// nothing (so every later integer read fails on the same token), and a text
// read takes the next white-space-delimited token whatever it holds.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : rest_(text) {}

  // A sign and decimal digits, stopping at the first other character.
  // Values beyond the int range are clamped to INT_MIN or INT_MAX; the
  // whole run of digits is consumed either way, so the following values
  // stay in place.
  void Int(int& field) {
    SkipWhiteSpace();
    std::size_t position = 0;
    bool negative = false;
    if (position < rest_.size() &&
        (rest_[position] == '+' || rest_[position] == '-')) {
      negative = rest_[position] == '-';
      ++position;
    }
    const std::size_t first_digit = position;
    long long magnitude = 0;
    constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
    while (position < rest_.size() && rest_[position] >= '0' &&
           rest_[position] <= '9') {
      magnitude = std::min(kLimit, magnitude * 10 + (rest_[position] - '0'));
      ++position;
    }
    if (position == first_digit) return;  // not a number: field unchanged
    const long long value = negative ? -magnitude : magnitude;
    field = static_cast<int>(
        std::clamp<long long>(value, INT_MIN, static_cast<long long>(INT_MAX)));
    rest_.remove_prefix(position);
  }

  // A hold time longer than its three bytes keeps as many whole characters
  // as fit.
  void HoldTime(char (&hold_time)[kHoldTimeBufferBytes]) {
    std::string_view token;
    if (!Token(token)) return;
    if (token == kEmptyHoldTimeToken) token = {};
    StoreText(hold_time, CutShiftJis(token, kHoldTimeBufferBytes - 1));
  }

  // "s" is the empty title. A title longer than 20 bytes keeps as many
  // whole characters as fit.
  void Title(char (&title)[kTitleBufferBytes]) {
    std::string_view token;
    if (!Token(token)) return;
    if (token == kEmptyTitleToken) token = {};
    StoreText(title, CutShiftJis(token, kTitleBytes));
  }

 private:
  void SkipWhiteSpace() {
    while (!rest_.empty() && IsWhiteSpace(rest_.front()))
      rest_.remove_prefix(1);
  }

  // The next token, cut at a NUL byte since the fields are C texts. False
  // at the end of the text.
  bool Token(std::string_view& token) {
    SkipWhiteSpace();
    if (rest_.empty()) return false;
    std::size_t length = 0;
    while (length < rest_.size() && !IsWhiteSpace(rest_[length])) ++length;
    token = rest_.substr(0, length);
    rest_.remove_prefix(length);
    token = token.substr(0, token.find('\0'));
    return true;
  }

  std::string_view rest_;
};

fs::path TemporaryPathBeside(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  static const unsigned seed = std::random_device{}();
  fs::path temporary = target;
  for (;;) {
    const unsigned number = seed + counter.fetch_add(1) * 2654435761u;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", number);
    temporary.replace_filename(target.filename().native() +
                               fs::path(suffix).native());
    std::error_code error;
    // On an error the name is tried anyway; opening it then fails.
    if (!fs::exists(temporary, error) || error) return temporary;
  }
}

std::atomic<FileSyncHook> file_sync_hook{nullptr};

}  // namespace

std::string_view CutShiftJis(std::string_view text, std::size_t limit) {
  std::size_t length = 0;
  while (length < text.size()) {
    const std::size_t width =
        IsShiftJisLeadByte(text[length]) && length + 1 < text.size() ? 2 : 1;
    if (length + width > limit) break;
    length += width;
  }
  return text.substr(0, length);
}

std::string WriteSettingsText(const DeviceSettings& settings) {
  LineWriter writer;
  VisitLines(settings, writer);
  return writer.Take();
}

void ReadSettingsText(std::string_view text, DeviceSettings& settings) {
  LineReader reader(text);
  VisitLines(settings, reader);
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

fs::path PathFromUtf8(std::string_view utf8_path) {
  std::u8string text;
  text.reserve(utf8_path.size());
  for (char c : utf8_path) text.push_back(static_cast<char8_t>(c));
  return fs::path(text);
}

void SetFileSyncHook(FileSyncHook hook) { file_sync_hook = hook; }

bool WriteFileAtomically(const fs::path& path, std::string_view bytes) {
  std::error_code error;
  if (fs::is_directory(path, error)) return false;
  const fs::path temporary = TemporaryPathBeside(path);
  auto give_up = [&temporary] {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  };
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return give_up();
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) return give_up();
    out.close();
    if (out.fail()) return give_up();
  }
  // The standard library cannot force data to the disk; the platform code
  // installs a hook that does (fsync, FlushFileBuffers).
  if (FileSyncHook hook = file_sync_hook.load(); hook && !hook(temporary)) {
    return give_up();
  }
  // A replaced file keeps its permissions.
  const fs::file_status old_status = fs::status(path, error);
  if (!error && fs::exists(old_status)) {
    fs::permissions(temporary, old_status.permissions(), error);
  }
  fs::rename(temporary, path, error);
  if (error) return give_up();
  return true;
}

std::optional<std::string> ReadWholeFile(const fs::path& path,
                                         std::size_t max_bytes) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes;
  char chunk[8192];
  while (in) {
    in.read(chunk, sizeof chunk);
    const auto count = static_cast<std::size_t>(in.gcount());
    if (bytes.size() + count > max_bytes) return std::nullopt;
    bytes.append(chunk, count);
  }
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool WriteSettingsFile(const std::string& utf8_path, DeviceSettings& settings) {
  if (!WriteFileAtomically(PathFromUtf8(utf8_path),
                           WriteSettingsText(settings))) {
    return false;
  }
  settings.dirty = 0;
  return true;
}

bool ReadSettingsFile(const std::string& utf8_path, DeviceSettings& settings) {
  const std::optional<std::string> bytes =
      ReadWholeFile(PathFromUtf8(utf8_path), kMaxSettingsFileBytes);
  if (!bytes) return false;
  ReadSettingsText(*bytes, settings);
  settings.dirty = 0;
  return true;
}

}  // namespace vqx
