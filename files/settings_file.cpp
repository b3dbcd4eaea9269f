#include "files/settings_file.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "base/file_io.h"
#include "base/shift_jis.h"

namespace vqx {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// White space as the C library's "%d" and "%s" conversions skip it.
bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
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

  // An empty title is written as "s". A half-width blank (or a tab a paste
  // brought) would split the title into two tokens and shift every later
  // value; it is written as kTitleBlankStandIn, one byte for one, so the
  // title keeps its length and every character reads back in place.
  void Title(const char (&title)[kTitleBufferBytes]) {
    std::string token(CutShiftJis(BufferText(title), kTitleBytes));
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
    std::string text(CutShiftJis(token, kTitleBytes));
    // The stand-in is no byte of a double-byte character, so every one of
    // them was a blank.
    std::replace(text.begin(), text.end(), kTitleBlankStandIn, ' ');
    StoreText(title, text);
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

}  // namespace

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
