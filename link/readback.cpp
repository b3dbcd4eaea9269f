#include "link/readback.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "link/encoding.h"
#include "link/jis.h"

namespace vqx {

namespace {

// ---- Reading fields -------------------------------------------------------

// Two or three decimal digits at `position`, or nothing when a character is
// not a digit. The caller has checked that the payload is long enough.
std::optional<int> Digits(std::string_view payload, std::size_t position,
                          int width) {
  for (int i = 0; i < width; ++i) {
    const char c = payload[position + i];
    if (c < '0' || c > '9') return std::nullopt;
  }
  return width == 2 ? DecodeDecimal2(payload.data() + position)
                    : DecodeDecimal3(payload.data() + position);
}

std::optional<int> InRange(std::optional<int> value, int low, int high) {
  if (!value || *value < low || *value > high) return std::nullopt;
  return value;
}

// A channel number 01..08 at `position`, as the index 0..7.
std::optional<int> ChannelAt(std::string_view payload, std::size_t position) {
  const std::optional<int> channel =
      InRange(Digits(payload, position, 2), 1, kChannelCount);
  if (!channel) return std::nullopt;
  return *channel - 1;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// The reply's payload when it holds at least `layout` characters.
std::optional<std::string_view> Complete(std::string_view work_copy,
                                         std::size_t layout) {
  const std::string_view payload = ReplyPayload(work_copy);
  if (payload.size() < layout) return std::nullopt;
  return payload;
}

// ---- Switch replies ---------------------------------------------------------

// `off` → 0, any other character → 1.
void SwitchOffOrOn(std::string_view work_copy, std::size_t position, char off,
                   int& field) {
  if (auto p = Complete(work_copy, position + 1)) {
    field = (*p)[position] == off ? 0 : 1;
  }
}

// Each listed character sets its value; any other leaves the field as is.
struct CharValue {
  char character;
  int value;
};
template <std::size_t N>
void SwitchListed(std::string_view work_copy, std::size_t position,
                  const CharValue (&values)[N], int& field) {
  auto p = Complete(work_copy, position + 1);
  if (!p) return;
  for (const CharValue& entry : values) {
    if ((*p)[position] == entry.character) {
      field = entry.value;
      return;
    }
  }
}

constexpr CharValue kOffOn[] = {{'F', 0}, {'N', 1}};
constexpr CharValue kSmallLarge[] = {{'S', 0}, {'L', 1}};

void HandleAlarmDisplay(DeviceSettings& s, std::string_view w) {
  SwitchOffOrOn(w, 3, 'F', s.alarm_display);
}
void HandleAlarmMode(DeviceSettings& s, std::string_view w) {
  SwitchOffOrOn(w, 2, 'I', s.alarm_mode);
}
void HandleAlarmPolarity(DeviceSettings& s, std::string_view w) {
  SwitchOffOrOn(w, 2, 'M', s.alarm_polarity);
}
void HandleAlarmReturn(DeviceSettings& s, std::string_view w) {
  SwitchOffOrOn(w, 3, 'F', s.alarm_return);
}
void HandleBorderLine(DeviceSettings& s, std::string_view w) {
  static constexpr CharValue kColours[] = {
      {'B', 0}, {'G', 1}, {'W', 2}, {'O', 3}};
  SwitchListed(w, 2, kColours, s.misc_border_line);
}
void HandleSequenceMode(DeviceSettings& s, std::string_view w) {
  static constexpr CharValue kModes[] = {{'S', 0}, {'D', 1}, {'M', 2}};
  SwitchListed(w, 4, kModes, s.seq_mode);
}
void HandleConnectorInput(DeviceSettings& s, std::string_view w) {
  SwitchOffOrOn(w, 2, 'A', s.misc_connector_input);
}
// Position 4 holds the O of ON / OF.
void HandleTitleSplitScreen(DeviceSettings& s, std::string_view w) {
  SwitchListed(w, 5, kOffOn, s.title_split_screen);
}
void HandleTitleSingleScreen(DeviceSettings& s, std::string_view w) {
  SwitchListed(w, 5, kOffOn, s.title_single_screen);
}
void HandleOsdSizeSplit(DeviceSettings& s, std::string_view w) {
  SwitchListed(w, 5, kSmallLarge, s.misc_osd_size_split);
}
void HandleOsdSizeSingle(DeviceSettings& s, std::string_view w) {
  SwitchListed(w, 5, kSmallLarge, s.misc_osd_size_single);
}
void HandleDssMode(DeviceSettings& s, std::string_view w) {
  static constexpr CharValue kModes[] = {{'4', 1}, {'2', 0}};
  SwitchListed(w, 3, kModes, s.misc_dss_mode);
}
// F is FULL, 4 is 4:3: the one switch where F means 1.
void HandleNtscAspect(DeviceSettings& s, std::string_view w) {
  if (auto p = Complete(w, 4)) s.misc_ntsc_aspect = (*p)[3] == 'F' ? 1 : 0;
}
void HandleClockDisplay(DeviceSettings& s, std::string_view w) {
  SwitchListed(w, 4, kOffOn, s.clock_display);
}
// The device counts the ranges from 1.
void HandleClockDisplayRange(DeviceSettings& s, std::string_view w) {
  auto p = Complete(w, 5);
  if (!p) return;
  const char c = (*p)[4];
  if (c >= '1' && c <= '8') s.clock_display_range = c - '1';
}
// B is blue.
void HandleVlossBackground(DeviceSettings& s, std::string_view w) {
  if (auto p = Complete(w, 5)) s.vloss_background = (*p)[4] == 'B' ? 1 : 0;
}
void HandleVlossDisplay(DeviceSettings& s, std::string_view w) {
  SwitchListed(w, 4, kOffOn, s.vloss_display);
}
void HandleVlossSignalOutput(DeviceSettings& s, std::string_view w) {
  SwitchListed(w, 5, kOffOn, s.vloss_signal_output);
}

// ---- Per-channel character lists
// ---------------------------------------------

void HandleVlossDetect(DeviceSettings& s, std::string_view w) {
  auto p = Complete(w, 2 + kChannelCount);
  if (!p) return;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    const char c = (*p)[2 + channel];
    if (c == 'F') s.vloss_detect[channel] = 0;
    if (c == 'N') s.vloss_detect[channel] = 1;
  }
}
void HandleAgc(DeviceSettings& s, std::string_view w) {
  auto p = Complete(w, 3 + kChannelCount);
  if (!p) return;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    s.agc_enable[channel] = (*p)[3 + channel] == 'F' ? 0 : 1;
  }
}
// Formats are numbered from 1 on the wire; an unknown one leaves that
// channel as it was.
void HandleVideoFormat(DeviceSettings& s, std::string_view w) {
  auto p = Complete(w, 2 + kChannelCount);
  if (!p) return;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    const char c = (*p)[2 + channel];
    if (c >= '1' && c <= '7') s.format_video[channel] = c - '1';
  }
}

// ---- Number lists
// -------------------------------------------------------------

// Two-digit numbers at `first`, `first` + 2, ... stored minus `bias` when all
// lie in low..high; one bad number means a garbled line, which changes
// nothing.
template <std::size_t N>
void NumberList(std::string_view work_copy, std::size_t first, int low,
                int high, int bias, int (&field)[N]) {
  auto p = Complete(work_copy, first + 2 * N);
  if (!p) return;
  int values[N];
  for (std::size_t i = 0; i < N; ++i) {
    const std::optional<int> value =
        InRange(Digits(*p, first + 2 * i, 2), low, high);
    if (!value) return;
    values[i] = *value - bias;
  }
  for (std::size_t i = 0; i < N; ++i) field[i] = values[i];
}

void HandleDwellTimes(DeviceSettings& s, std::string_view w) {
  NumberList(w, 5, 0, 99, 0, s.seq_dwell);
}
// Panes name channels 01..08.
void HandleLayout4a(DeviceSettings& s, std::string_view w) {
  NumberList(w, 5, 1, kChannelCount, 1, s.layout_4a);
}
void HandleLayout4b(DeviceSettings& s, std::string_view w) {
  NumberList(w, 5, 1, kChannelCount, 1, s.layout_4b);
}
void HandleLayout6a(DeviceSettings& s, std::string_view w) {
  NumberList(w, 5, 1, kChannelCount, 1, s.layout_6a);
}
void HandleLayout6b(DeviceSettings& s, std::string_view w) {
  NumberList(w, 5, 1, kChannelCount, 1, s.layout_6b);
}
void HandleLayout9(DeviceSettings& s, std::string_view w) {
  NumberList(w, 4, 1, kChannelCount, 1, s.layout_9);
}

void OsdOffset(std::string_view w, int& field) {
  auto p = Complete(w, 5);
  if (!p) return;
  if (auto value = InRange(Digits(*p, 3, 2), 0, 15)) field = *value;
}
void HandleOsdOffsetH(DeviceSettings& s, std::string_view w) {
  OsdOffset(w, s.misc_osd_offset_h);
}
void HandleOsdOffsetV(DeviceSettings& s, std::string_view w) {
  OsdOffset(w, s.misc_osd_offset_v);
}

// ---- Per-channel adjustments ------------------------------------------------

// Channel two digits at `channel_at`, value of `width` digits right after.
void Adjustment(std::string_view w, std::size_t channel_at, int width, int high,
                int (&field)[kChannelCount], int (*to_index)(int) = nullptr) {
  const std::size_t value_at = channel_at + 2;
  auto p = Complete(w, value_at + width);
  if (!p) return;
  const std::optional<int> channel = ChannelAt(*p, channel_at);
  const std::optional<int> value =
      InRange(Digits(*p, value_at, width), 0, high);
  if (!channel || !value) return;
  field[*channel] = to_index ? to_index(*value) : *value;
}

// The device sends brightness as a 7-bit two's-complement number; the list
// index is the brightness plus 64 (wire 0 → 64, wire 127 → 63).
int BrightnessIndex(int wire) { return wire < 64 ? wire + 64 : wire - 64; }

void HandleBrightness(DeviceSettings& s, std::string_view w) {
  Adjustment(w, 3, 3, 127, s.adjust_brightness, BrightnessIndex);
}
void HandleContrast(DeviceSettings& s, std::string_view w) {
  Adjustment(w, 3, 3, 127, s.adjust_contrast);
}
void HandleHue(DeviceSettings& s, std::string_view w) {
  Adjustment(w, 3, 3, 255, s.adjust_hue);
}
void HandleSharpness(DeviceSettings& s, std::string_view w) {
  Adjustment(w, 4, 2, 31, s.adjust_sharpness);
}
void HandleSaturation(DeviceSettings& s, std::string_view w) {
  Adjustment(w, 4, 3, 127, s.adjust_saturation);
}

// ---- Other layouts
// -------------------------------------------------------------

void HandlePowerOnScreen(DeviceSettings& s, std::string_view w) {
  const std::string_view p = ReplyPayload(w);
  static constexpr std::pair<std::string_view, int> kScreens[] = {
      {"POSCAS", 13}, {"POSD4A", 8},  {"POSD4B", 9},
      {"POSD6A", 10}, {"POSD6B", 11}, {"POSD9", 12},
  };
  for (const auto& [start, screen] : kScreens) {
    if (p.starts_with(start)) {
      s.misc_power_on_screen = screen;
      return;
    }
  }
  // A single channel, as in "POSS01".
  if (p.size() < 6) return;
  if (auto channel = ChannelAt(p, 4)) s.misc_power_on_screen = *channel;
}

// The hold time is kept as the three digits the device shows.
void HandleAlarmHoldTime(DeviceSettings& s, std::string_view w) {
  auto p = Complete(w, 6);
  if (!p || !Digits(*p, 3, 3)) return;
  std::memcpy(s.alarm_hold_time, p->data() + 3, 3);
  s.alarm_hold_time[3] = '\0';
}

// "CJ", the channel, then ten JIS X 0208 codes as 40 hexadecimal digits.
// Trailing ideographic spaces are the device's padding and are dropped; a
// code outside the JIS rows becomes 0, which ends the title there.
void HandleTitle(DeviceSettings& s, std::string_view w) {
  constexpr int kCodes = 10;
  constexpr std::uint16_t kIdeographicSpace = 0x2121;
  auto p = Complete(w, 4 + 4 * kCodes);
  if (!p) return;
  const std::optional<int> channel = ChannelAt(*p, 2);
  if (!channel) return;
  for (std::size_t i = 4; i < 4 + 4 * kCodes; ++i) {
    if (!IsHexDigit((*p)[i])) return;
  }
  std::uint16_t codes[kCodes];
  for (int k = 0; k < kCodes; ++k) {
    const char* digits = p->data() + 4 + 4 * k;
    codes[k] = static_cast<std::uint16_t>(DecodeHex2(digits) * 256 +
                                          DecodeHex2(digits + 2));
  }
  int kept = kCodes;
  while (kept > 0 && codes[kept - 1] == kIdeographicSpace) --kept;

  char text[kTitleBytes] = {};
  std::size_t length = 0;
  for (int k = 0; k < kept; ++k) {
    const std::uint16_t sjis = JisToShiftJis(codes[k]);
    if (sjis == 0) break;
    text[length++] = static_cast<char>(sjis >> 8);
    text[length++] = static_cast<char>(sjis & 0xFF);
  }
  // The slot's bytes after the 20 text bytes are the terminator, even where
  // the slot held a longer title before.
  std::memcpy(s.title_text[*channel], text, kTitleBytes);
  s.title_text[*channel][kTitleBytes] = '\0';
}

// The version carries nothing to store; its arrival ends read-all.
void HandleVersion(DeviceSettings&, std::string_view) {}

}  // namespace

std::string_view ReplyPayload(std::string_view work_copy) {
  while (!work_copy.empty() &&
         (work_copy.back() == '\n' || work_copy.back() == '\r')) {
    work_copy.remove_suffix(1);
  }
  return work_copy;
}

const std::array<ReplyHandlerEntry, 38> ReplyDispatchTable = {{
    {"ADO", 3, HandleAlarmDisplay},
    {"ADT", 3, HandleAlarmHoldTime},
    {"AGC", 3, HandleAgc},
    {"AM", 2, HandleAlarmMode},
    {"AP", 2, HandleAlarmPolarity},
    {"ARO", 3, HandleAlarmReturn},
    {"BL", 2, HandleBorderLine},
    {"CASTM", 5, HandleDwellTimes},
    {"CASM", 4, HandleSequenceMode},
    {"CI", 2, HandleConnectorInput},
    {"CTDD", 4, HandleTitleSplitScreen},
    {"CTDS", 4, HandleTitleSingleScreen},
    {"CTFSD", 5, HandleOsdSizeSplit},
    {"CTFSS", 5, HandleOsdSizeSingle},
    {"CJ", 2, HandleTitle},
    {"DSS", 3, HandleDssMode},
    {"NAR", 3, HandleNtscAspect},
    {"OOH", 3, HandleOsdOffsetH},
    {"OOV", 3, HandleOsdOffsetV},
    {"POS", 3, HandlePowerOnScreen},
    {"SPD4A", 5, HandleLayout4a},
    {"SPD4B", 5, HandleLayout4b},
    {"SPD6A", 5, HandleLayout6a},
    {"SPD6B", 5, HandleLayout6b},
    {"SPD9", 4, HandleLayout9},
    {"TSDO", 4, HandleClockDisplay},
    {"TSDR", 4, HandleClockDisplayRange},
    {"VAB", 3, HandleBrightness},
    {"VAC", 3, HandleContrast},
    {"VASH", 4, HandleSharpness},
    {"VAH", 3, HandleHue},
    {"VASA", 4, HandleSaturation},
    {"VLBC", 4, HandleVlossBackground},
    {"VLDO", 4, HandleVlossDisplay},
    {"VLSOO", 5, HandleVlossSignalOutput},
    {"VL", 2, HandleVlossDetect},
    {"VF", 2, HandleVideoFormat},
    {"VN", 2, HandleVersion},
}};

const ReplyHandlerEntry* FindReplyHandler(std::string_view work_copy) {
  for (const ReplyHandlerEntry& entry : ReplyDispatchTable) {
    if (work_copy.starts_with(entry.mnemonic.substr(0, entry.compared))) {
      return &entry;
    }
  }
  return nullptr;
}

}  // namespace vqx
