#include "posix/sim/device_model.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/jis.h"

namespace vqx::sim {

namespace {

bool IsDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return c >= '0' && c <= '9';
  });
}

// The value of an all-digit field; callers check IsDigits first.
int Number(std::string_view digits) {
  int value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return value;
}

// A two-digit channel "01".."08" as index 0..7, or -1.
int ChannelIndex(std::string_view two) {
  if (two.size() != 2 || !IsDigits(two)) return -1;
  int channel = Number(two);
  return channel >= 1 && channel <= kChannelCount ? channel - 1 : -1;
}

// A digit field within [low, high], or -1.
int Field(std::string_view digits, int low, int high) {
  if (!IsDigits(digits)) return -1;
  int value = Number(digits);
  return value >= low && value <= high ? value : -1;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

int Clamp0(int value, int high) { return std::clamp(value, 0, high); }

// Zero-padded decimal of a value already inside the field's range.
std::string Digits(int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  return buffer;
}

// Seconds 0..999 as the three digits the device reports.
void SetHoldTime(char (&text)[kHoldTimeBufferBytes], int seconds) {
  std::string digits = Digits(Clamp0(seconds, 999), 3);
  std::memcpy(text, digits.c_str(), 4);
}

// "ON"/"OF" into 1/0.
bool OnOff(std::string_view text, int& field) {
  if (text == "ON") {
    field = 1;
    return true;
  }
  if (text == "OF") {
    field = 0;
    return true;
  }
  return false;
}

// Eight "N"/"F" characters, one per channel.
bool ChannelSwitches(std::string_view text, int (&field)[kChannelCount]) {
  if (text.size() != kChannelCount) return false;
  for (char c : text) {
    if (c != 'N' && c != 'F') return false;
  }
  for (int i = 0; i < kChannelCount; ++i) field[i] = text[i] == 'N' ? 1 : 0;
  return true;
}

std::string SwitchText(const int (&field)[kChannelCount]) {
  std::string text;
  for (int value : field) text += value != 0 ? 'N' : 'F';
  return text;
}

// Consecutive channel pairs "01".."08" into pane entries 0..7.
template <std::size_t N>
bool Panes(std::string_view text, int (&field)[N]) {
  if (text.size() != 2 * N) return false;
  int panes[N];
  for (std::size_t i = 0; i < N; ++i) {
    panes[i] = ChannelIndex(text.substr(2 * i, 2));
    if (panes[i] < 0) return false;
  }
  std::copy(panes, panes + N, field);
  return true;
}

template <std::size_t N>
std::string PaneText(const int (&field)[N]) {
  std::string text;
  for (int value : field) text += Digits(value + 1, 2);
  return text;
}

int Clamp(int value, int low, int high) { return std::clamp(value, low, high); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The device keeps a title as ten JIS X 0208 codes; in the record it is the
// same ten characters in Shift_JIS, 20 bytes.
bool TitleFromHex(std::string_view hex, char (&title)[kTitleBufferBytes]) {
  if (hex.size() != 40) return false;
  char converted[kTitleBufferBytes] = {};
  for (int k = 0; k < 10; ++k) {
    int code = 0;
    for (int i = 0; i < 4; ++i) {
      int digit = HexDigit(hex[4 * k + i]);
      if (digit < 0) return false;
      code = code * 16 + digit;
    }
    int high = code >> 8;
    int low = code & 0xFF;
    if (high < 0x21 || high > 0x7E || low < 0x21 || low > 0x7E) return false;
    std::uint16_t sjis = JisToShiftJis(static_cast<std::uint16_t>(code));
    if (sjis == 0) return false;
    converted[2 * k] = static_cast<char>(sjis >> 8);
    converted[2 * k + 1] = static_cast<char>(sjis & 0xFF);
  }
  std::memcpy(title, converted, sizeof title);
  return true;
}

// The ten JIS codes of a stored title; a missing or unmappable character is
// the ideographic space.
void TitleCodes(const char (&title)[kTitleBufferBytes],
                std::uint16_t (&codes)[10]) {
  for (int k = 0; k < 10; ++k) {
    auto high = static_cast<unsigned char>(title[2 * k]);
    auto low = static_cast<unsigned char>(title[2 * k + 1]);
    std::uint16_t jis = 0;
    if (high != 0 && low != 0) {
      jis = ShiftJisToJis(static_cast<std::uint16_t>(high << 8 | low));
    }
    codes[k] = jis != 0 ? jis : 0x2121;
  }
}

constexpr const char* kScreenSuffix[5] = {"4A", "4B", "6A", "6B", "9"};

std::string ScreenName(int screen, std::string_view channel_prefix,
                       std::string_view split_prefix,
                       std::string_view automatic) {
  if (screen >= 0 && screen < kChannelCount) {
    return std::string(channel_prefix) + Digits(screen + 1, 2);
  }
  if (screen >= 8 && screen <= 12) {
    return std::string(split_prefix) + kScreenSuffix[screen - 8];
  }
  return std::string(automatic);
}

// "4A".."9" after a screen prefix: 8..12, or -1.
int SplitScreen(std::string_view suffix) {
  for (int i = 0; i < 5; ++i) {
    if (suffix == kScreenSuffix[i]) return 8 + i;
  }
  return -1;
}

using std::chrono::days;
using std::chrono::seconds;
using std::chrono::sys_days;
using std::chrono::sys_seconds;

sys_seconds ToSeconds(const DeviceClock& c) {
  // Month and day are kept in range by the commands; an impossible date
  // such as 31 February rolls over into the next month, as a plain counter
  // would.
  std::chrono::year_month_day date{
      std::chrono::year{2000 + c.year},
      std::chrono::month{static_cast<unsigned>(c.month)},
      std::chrono::day{static_cast<unsigned>(c.day)}};
  return sys_days{date} + std::chrono::hours{c.hour} +
         std::chrono::minutes{c.minute} + seconds{c.second};
}

DeviceClock FromSeconds(sys_seconds t) {
  auto day_start = std::chrono::floor<days>(t);
  std::chrono::year_month_day date{day_start};
  std::chrono::hh_mm_ss time{t - day_start};
  DeviceClock c;
  c.year = ((static_cast<int>(date.year()) - 2000) % 100 + 100) % 100;
  c.month = static_cast<int>(static_cast<unsigned>(date.month()));
  c.day = static_cast<int>(static_cast<unsigned>(date.day()));
  c.hour = static_cast<int>(time.hours().count());
  c.minute = static_cast<int>(time.minutes().count());
  c.second = static_cast<int>(time.seconds().count());
  return c;
}

const char* FaultReply(Fault fault) {
  switch (fault) {
    case Fault::kE0:
      return "E0";
    case Fault::kE1:
      return "E1";
    case Fault::kE2:
      return "E2";
    case Fault::kE3:
      return "E3";
    case Fault::kMenu:
      return "MENU";
    case Fault::kGn:
      return "GN";
    case Fault::kSilent:
      break;
  }
  return "";
}

}  // namespace

std::optional<Fault> ParseFault(std::string_view text) {
  static constexpr std::pair<std::string_view, Fault> kNames[] = {
      {"E0", Fault::kE0},         {"E1", Fault::kE1},     {"E2", Fault::kE2},
      {"E3", Fault::kE3},         {"MENU", Fault::kMenu}, {"GN", Fault::kGn},
      {"SILENT", Fault::kSilent},
  };
  for (const auto& [name, fault] : kNames) {
    if (text == name) return fault;
  }
  return std::nullopt;
}

DeviceModel::DeviceModel(DeviceOptions options, SteadyNow now)
    : options_(std::move(options)), now_(std::move(now)) {
  if (!now_) now_ = [] { return std::chrono::steady_clock::now(); };
  LoadDefaultSettings(state_);
  clock_set_at_ = now_();
}

std::vector<LineEvent> DeviceModel::Receive(std::string_view bytes) {
  std::vector<LineEvent> events;
  for (char byte : bytes) {
    if (byte != '\n') {
      if (pending_.size() >= kMaxLineBytes) {
        events.push_back(
            {pending_.substr(0, 40) + "...", "line too long, dropped", {}});
        pending_.clear();
      }
      pending_ += byte;
      continue;
    }
    std::string line = std::move(pending_);
    pending_.clear();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;  // a bare line end is not a command
    events.push_back(HandleLine(std::move(line)));
  }
  return events;
}

LineEvent DeviceModel::HandleLine(std::string line) {
  LineEvent event{line, {}, {}};
  std::string_view command = line;
  bool broadcast = false;
  std::string prefix;
  if (options_.rs485) {
    std::string own = Digits(options_.address, 2);
    if (StartsWith(command, "FF")) {
      broadcast = true;
    } else if (StartsWith(command, own)) {
      prefix = own;
    } else {
      event.note = "not for this address, ignored";
      event.addressed = false;
      return event;
    }
    command.remove_prefix(2);
  }
  int count = ++commands_seen_;
  std::optional<Fault> fault;
  if (options_.silent) {
    fault = Fault::kSilent;
  } else if (auto it = options_.nth_reply.find(count);
             it != options_.nth_reply.end()) {
    fault = it->second;
  }
  // An injected fault replaces the device's handling: the command is not
  // applied.
  std::string reply = fault ? FaultReply(*fault) : Execute(command);
  if (broadcast) {
    event.note = "broadcast, no reply";
    return event;
  }
  if (reply.empty()) {
    event.note = "silent";
    return event;
  }
  event.out = Send(prefix + reply);
  if (event.out.empty()) event.note = "reply held";
  return event;
}

Transmission DeviceModel::Send(std::string reply) {
  Transmission out;
  std::string bytes = reply + "\r\n";
  if (options_.coalesce && held_.empty()) {
    held_ = std::move(bytes);
    held_replies_.push_back(std::move(reply));
    return out;
  }
  bytes = held_ + bytes;
  held_.clear();
  out.replies = std::move(held_replies_);
  held_replies_.clear();
  out.replies.push_back(std::move(reply));
  if (options_.noise) out.writes.emplace_back(options_.noise_bytes);
  if (options_.split && bytes.size() > 1) {
    std::size_t half = bytes.size() / 2;
    out.writes.push_back(bytes.substr(0, half));
    out.writes.push_back(bytes.substr(half));
  } else {
    out.writes.push_back(std::move(bytes));
  }
  return out;
}

Transmission DeviceModel::FlushHeld() {
  Transmission out;
  if (held_.empty()) return out;
  out.writes.push_back(std::move(held_));
  out.replies = std::move(held_replies_);
  held_.clear();
  held_replies_.clear();
  return out;
}

std::string DeviceModel::Execute(std::string_view command) {
  if (StartsWith(command, "R")) {
    auto line = Read(command);
    return line ? *line : "E3";
  }
  return Apply(command) ? "GO" : "E3";
}

void DeviceModel::set_state(const DeviceSettings& settings) {
  DeviceSettings s = settings;
  auto flag = [](int& v) { v = v != 0 ? 1 : 0; };
  auto clamp_all = [](auto& field, int low, int high) {
    for (int& v : field) v = Clamp(v, low, high);
  };
  for (int* v :
       {&s.alarm_mode, &s.alarm_polarity, &s.alarm_return, &s.alarm_display,
        &s.vloss_display, &s.vloss_signal_output, &s.vloss_background,
        &s.clock_display, &s.title_single_screen, &s.title_split_screen,
        &s.misc_osd_size_single, &s.misc_osd_size_split,
        &s.misc_connector_input, &s.misc_dss_mode, &s.misc_ntsc_aspect}) {
    flag(*v);
  }
  for (int& v : s.vloss_detect) flag(v);
  for (int& v : s.agc_enable) flag(v);
  // The hold time is a number of seconds to the device.
  int hold = 0;
  int digits = 0;
  while (digits < 3 && s.alarm_hold_time[digits] >= '0' &&
         s.alarm_hold_time[digits] <= '9') {
    hold = hold * 10 + (s.alarm_hold_time[digits] - '0');
    ++digits;
  }
  if (digits == 0 || hold < 3) hold = 30;
  SetHoldTime(s.alarm_hold_time, hold);
  s.clock_display_range = Clamp(s.clock_display_range, 0, 7);
  s.seq_mode = Clamp(s.seq_mode, 0, 2);
  clamp_all(s.seq_dwell, 0, 99);
  clamp_all(s.adjust_brightness, 0, 127);
  clamp_all(s.adjust_contrast, 0, 127);
  clamp_all(s.adjust_sharpness, 0, 31);
  clamp_all(s.adjust_hue, 0, 255);
  clamp_all(s.adjust_saturation, 0, 127);
  s.misc_border_line = Clamp(s.misc_border_line, 0, 3);
  s.misc_power_on_screen = Clamp(s.misc_power_on_screen, 0, 13);
  clamp_all(s.format_video, 0, 6);
  s.misc_osd_offset_h = Clamp(s.misc_osd_offset_h, 0, 15);
  s.misc_osd_offset_v = Clamp(s.misc_osd_offset_v, 0, 15);
  for (auto* layout : {&s.layout_4a[0], &s.layout_4b[0]}) {
    for (int i = 0; i < 4; ++i) layout[i] = Clamp(layout[i], 0, 7);
  }
  for (auto* layout : {&s.layout_6a[0], &s.layout_6b[0]}) {
    for (int i = 0; i < 6; ++i) layout[i] = Clamp(layout[i], 0, 7);
  }
  clamp_all(s.layout_9, 0, 7);
  clamp_all(s.layout_2, 0, 7);
  for (auto& title : s.title_text) {
    std::uint16_t codes[10];
    TitleCodes(title, codes);
    std::memset(title, 0, sizeof title);
    for (int k = 0; k < 10; ++k) {
      std::uint16_t sjis = JisToShiftJis(codes[k]);
      title[2 * k] = static_cast<char>(sjis >> 8);
      title[2 * k + 1] = static_cast<char>(sjis & 0xFF);
    }
  }
  s.dirty = 0;
  state_ = s;
}

DeviceClock DeviceModel::clock() const {
  auto elapsed = std::chrono::floor<seconds>(now_() - clock_set_at_);
  return FromSeconds(ToSeconds(clock_base_) + elapsed);
}

void DeviceModel::set_clock(const DeviceClock& clock) {
  clock_base_ = clock;
  clock_set_at_ = now_();
}

std::string DeviceModel::TitleLine(int channel) const {
  std::uint16_t codes[10];
  TitleCodes(state_.title_text[channel], codes);
  std::string line = "CJ" + Digits(channel + 1, 2);
  char hex[5];
  for (std::uint16_t code : codes) {
    std::snprintf(hex, sizeof hex, "%04X", code);
    line += hex;
  }
  return line;
}

std::optional<std::string> DeviceModel::Read(std::string_view c) const {
  const DeviceSettings& s = state_;
  // Per-channel reads: mnemonic and two-digit channel.
  struct ChannelRead {
    std::string_view command;
    std::string_view reply;
  };
  static constexpr ChannelRead kChannelReads[] = {
      {"RCJ", "CJ"},   {"RVAB", "VAB"},   {"RVAC", "VAC"},
      {"RVAH", "VAH"}, {"RVASH", "VASH"}, {"RVASA", "VASA"},
  };
  for (const auto& read : kChannelReads) {
    if (c.size() != read.command.size() + 2 || !StartsWith(c, read.command)) {
      continue;
    }
    int ch = ChannelIndex(c.substr(read.command.size()));
    if (ch < 0) return std::nullopt;
    std::string head = std::string(read.reply) + Digits(ch + 1, 2);
    if (read.reply == "CJ") return TitleLine(ch);
    if (read.reply == "VAB") {
      // The device holds brightness as a 7-bit two's-complement value.
      int index = s.adjust_brightness[ch];
      return head + Digits(index >= 64 ? index - 64 : index + 64, 3);
    }
    if (read.reply == "VAC") return head + Digits(s.adjust_contrast[ch], 3);
    if (read.reply == "VAH") return head + Digits(s.adjust_hue[ch], 3);
    if (read.reply == "VASH") return head + Digits(s.adjust_sharpness[ch], 2);
    return head + Digits(s.adjust_saturation[ch], 3);
  }
  auto on_off = [](int v) { return v != 0 ? "ON" : "OF"; };
  static constexpr char kBorder[] = "BGWO";
  static constexpr char kSequenceMode[] = "SDM";
  if (c == "RAD") return std::string("ADO") + (s.alarm_display ? 'N' : 'F');
  if (c == "RADT") return "ADT" + std::string(s.alarm_hold_time, 3);
  if (c == "RAM") return std::string("AM") + (s.alarm_mode ? 'E' : 'I');
  if (c == "RAP") return std::string("AP") + (s.alarm_polarity ? 'B' : 'M');
  if (c == "RAR") return std::string("ARO") + (s.alarm_return ? 'N' : 'F');
  if (c == "RVL") return "VL" + SwitchText(s.vloss_detect);
  if (c == "RVLBC") {
    return std::string("VLBC") + (s.vloss_background ? 'B' : 'N');
  }
  if (c == "RVLSO") return std::string("VLSO") + on_off(s.vloss_signal_output);
  if (c == "RVLD") return std::string("VLD") + on_off(s.vloss_display);
  if (c == "RTSD") return std::string("TSD") + on_off(s.clock_display);
  if (c == "RTSDR") return "TSDR" + Digits(s.clock_display_range + 1, 1);
  if (c == "RCTDS") return std::string("CTDS") + on_off(s.title_single_screen);
  if (c == "RCTDD") return std::string("CTDD") + on_off(s.title_split_screen);
  if (c == "RCASTM") {
    std::string line = "CASTM";
    for (int v : s.seq_dwell) line += Digits(v, 2);
    return line;
  }
  if (c == "RCASM") return std::string("CASM") + kSequenceMode[s.seq_mode];
  if (c == "RBL") return std::string("BL") + kBorder[s.misc_border_line];
  if (c == "RCI")
    return std::string("CI") + (s.misc_connector_input ? 'R' : 'A');
  if (c == "RPOS") {
    return ScreenName(s.misc_power_on_screen, "POSS", "POSD", "POSCAS");
  }
  if (c == "RCTFSD") {
    return std::string("CTFSD") + (s.misc_osd_size_split ? 'L' : 'S');
  }
  if (c == "RCTFSS") {
    return std::string("CTFSS") + (s.misc_osd_size_single ? 'L' : 'S');
  }
  if (c == "ROOH") return "OOH" + Digits(s.misc_osd_offset_h, 2);
  if (c == "ROOV") return "OOV" + Digits(s.misc_osd_offset_v, 2);
  if (c == "RVF") {
    std::string line = "VF";
    for (int v : s.format_video) line += Digits(v + 1, 1);
    return line;
  }
  if (c == "RSPD4A") return "SPD4A" + PaneText(s.layout_4a);
  if (c == "RSPD4B") return "SPD4B" + PaneText(s.layout_4b);
  if (c == "RSPD6A") return "SPD6A" + PaneText(s.layout_6a);
  if (c == "RSPD6B") return "SPD6B" + PaneText(s.layout_6b);
  if (c == "RSPD9") return "SPD9" + PaneText(s.layout_9);
  if (c == "RNAR") return std::string("NAR") + (s.misc_ntsc_aspect ? 'F' : '4');
  if (c == "RAGC") return "AGC" + SwitchText(s.agc_enable);
  if (c == "RDSS") return std::string("DSS") + (s.misc_dss_mode ? '4' : '2');
  if (c == "RVN") return std::string(kVersionReply);
  return std::nullopt;
}

bool DeviceModel::Apply(std::string_view c) {
  return ApplyAlarm(c) || ApplyVideoLoss(c) || ApplyClock(c) ||
         ApplySequence(c) || ApplyFormatAndAgc(c) || ApplyTitle(c) ||
         ApplyScreen(c) || ApplyLayout(c) || ApplyOther(c) ||
         ApplyAdjustment(c);
}

bool DeviceModel::ApplyAlarm(std::string_view c) {
  DeviceSettings& s = state_;
  if (c == "AMI" || c == "AME") {
    s.alarm_mode = c[2] == 'E';
    return true;
  }
  if (c == "APM" || c == "APB") {
    s.alarm_polarity = c[2] == 'B';
    return true;
  }
  if (c.size() == 6 && StartsWith(c, "ADT")) {
    int seconds = Field(c.substr(3), 3, 999);
    if (seconds < 0) return false;
    SetHoldTime(s.alarm_hold_time, seconds);
    return true;
  }
  if (c.size() == 4 && StartsWith(c, "ADO")) {
    if (c[3] != 'N' && c[3] != 'F') return false;
    s.alarm_display = c[3] == 'N';
    return true;
  }
  if (c.size() == 4 && StartsWith(c, "ARO")) {
    if (c[3] != 'N' && c[3] != 'F') return false;
    s.alarm_return = c[3] == 'N';
    return true;
  }
  return false;
}

bool DeviceModel::ApplyVideoLoss(std::string_view c) {
  DeviceSettings& s = state_;
  if (!StartsWith(c, "VL")) return false;
  if (c == "VLBCN" || c == "VLBCB") {
    s.vloss_background = c[4] == 'B';
    return true;
  }
  if (c.size() == 6 && StartsWith(c, "VLSO")) {
    return OnOff(c.substr(4), s.vloss_signal_output);
  }
  if (c.size() == 5 && StartsWith(c, "VLD")) {
    return OnOff(c.substr(3), s.vloss_display);
  }
  if (c.size() == 6) {
    int ch = ChannelIndex(c.substr(2, 2));
    return ch >= 0 && OnOff(c.substr(4), s.vloss_detect[ch]);
  }
  if (c.size() == 10) return ChannelSwitches(c.substr(2), s.vloss_detect);
  return false;
}

bool DeviceModel::ApplyClock(std::string_view c) {
  DeviceSettings& s = state_;
  if (c.size() == 5 && StartsWith(c, "TSDR")) {
    int range = Field(c.substr(4), 1, 8);
    if (range < 0) return false;
    s.clock_display_range = range - 1;
    return true;
  }
  if (c.size() == 5 && StartsWith(c, "TSD")) {
    return OnOff(c.substr(3), s.clock_display);
  }
  if (c == "TSA") {
    // The 30-second correction: to the nearest full minute.
    DeviceClock now = clock();
    sys_seconds t = ToSeconds(now);
    t += seconds{now.second >= 30 ? 60 - now.second : -now.second};
    set_clock(FromSeconds(t));
    return true;
  }
  struct Part {
    std::string_view mnemonic;
    int DeviceClock::*field;
    int low, high;
  };
  static constexpr Part kParts[] = {
      {"DSY", &DeviceClock::year, 0, 99},
      {"DSM", &DeviceClock::month, 1, 12},
      {"DSD", &DeviceClock::day, 1, 31},
      {"TSH", &DeviceClock::hour, 0, 23},
      {"TSM", &DeviceClock::minute, 0, 59},
      {"TSS", &DeviceClock::second, 0, 59},
  };
  if (c.size() == 5) {
    for (const auto& part : kParts) {
      if (!StartsWith(c, part.mnemonic)) continue;
      int value = Field(c.substr(3), part.low, part.high);
      if (value < 0) return false;
      DeviceClock now = clock();
      now.*part.field = value;
      set_clock(now);
      return true;
    }
    return false;
  }
  if (c.size() == 15 && StartsWith(c, "TDS")) {
    DeviceClock now;
    for (int i = 0; i < 6; ++i) {
      int value = Field(c.substr(3 + 2 * i, 2), kParts[i].low, kParts[i].high);
      if (value < 0) return false;
      now.*kParts[i].field = value;
    }
    set_clock(now);
    return true;
  }
  return false;
}

bool DeviceModel::ApplySequence(std::string_view c) {
  DeviceSettings& s = state_;
  if (c.size() == 31 && StartsWith(c, "CASTM")) {
    if (!IsDigits(c.substr(5))) return false;
    for (int i = 0; i < kSequenceEntryCount; ++i) {
      s.seq_dwell[i] = Number(c.substr(5 + 2 * i, 2));
    }
    return true;
  }
  if (c == "CASMS" || c == "CASMD" || c == "CASMM") {
    s.seq_mode = c[4] == 'S' ? 0 : c[4] == 'D' ? 1 : 2;
    return true;
  }
  if (c == "CCAS") {
    screen_ = 13;
    return true;
  }
  return false;
}

bool DeviceModel::ApplyFormatAndAgc(std::string_view c) {
  DeviceSettings& s = state_;
  if (c.size() == 5 && StartsWith(c, "VF")) {
    int ch = ChannelIndex(c.substr(2, 2));
    int format = Field(c.substr(4), 1, 7);
    if (ch < 0 || format < 0) return false;
    s.format_video[ch] = format - 1;
    return true;
  }
  if (c.size() == 10 && StartsWith(c, "VF")) {
    int formats[kChannelCount];
    for (int i = 0; i < kChannelCount; ++i) {
      formats[i] = Field(c.substr(2 + i, 1), 1, 7);
      if (formats[i] < 0) return false;
    }
    for (int i = 0; i < kChannelCount; ++i) s.format_video[i] = formats[i] - 1;
    return true;
  }
  if (c.size() == 7 && StartsWith(c, "AGC")) {
    int ch = ChannelIndex(c.substr(3, 2));
    return ch >= 0 && OnOff(c.substr(5), s.agc_enable[ch]);
  }
  if (c.size() == 11 && StartsWith(c, "AGC")) {
    return ChannelSwitches(c.substr(3), s.agc_enable);
  }
  return false;
}

bool DeviceModel::ApplyTitle(std::string_view c) {
  DeviceSettings& s = state_;
  if (c.size() == 6 && StartsWith(c, "CTDS")) {
    return OnOff(c.substr(4), s.title_single_screen);
  }
  if (c.size() == 6 && StartsWith(c, "CTDD")) {
    return OnOff(c.substr(4), s.title_split_screen);
  }
  // "CJ" and the "N" form "CJN" (both store the title).
  std::size_t head = StartsWith(c, "CJN") ? 3 : StartsWith(c, "CJ") ? 2 : 0;
  if (head == 0 || c.size() != head + 42) return false;
  int ch = ChannelIndex(c.substr(head, 2));
  return ch >= 0 && TitleFromHex(c.substr(head + 2), s.title_text[ch]);
}

bool DeviceModel::ApplyScreen(std::string_view c) {
  if (c.size() == 4 && StartsWith(c, "CS")) {
    int ch = ChannelIndex(c.substr(2));
    if (ch < 0) return false;
    screen_ = ch;
    return true;
  }
  if (StartsWith(c, "CD")) {
    int split = SplitScreen(c.substr(2));
    if (split < 0) return false;
    screen_ = split;
    return true;
  }
  return false;
}

bool DeviceModel::ApplyLayout(std::string_view c) {
  DeviceSettings& s = state_;
  if (!StartsWith(c, "SPD")) return false;
  std::string_view rest = c.substr(3);
  std::size_t name = StartsWith(rest, "9") ? 1 : 2;
  std::string_view layout = rest.substr(0, name);
  rest.remove_prefix(layout.size());
  if (StartsWith(rest, "N")) rest.remove_prefix(1);  // the "N" form
  if (layout == "4A") return Panes(rest, s.layout_4a);
  if (layout == "4B") return Panes(rest, s.layout_4b);
  if (layout == "6A") return Panes(rest, s.layout_6a);
  if (layout == "6B") return Panes(rest, s.layout_6b);
  if (layout == "9") return Panes(rest, s.layout_9);
  return false;
}

bool DeviceModel::ApplyOther(std::string_view c) {
  DeviceSettings& s = state_;
  if (c == "CIA" || c == "CIR") {
    s.misc_connector_input = c[2] == 'R';
    return true;
  }
  if (c.size() == 3 && StartsWith(c, "BL")) {
    const char* found = std::strchr("BGWO", c[2]);
    if (c[2] == '\0' || found == nullptr) return false;
    s.misc_border_line = static_cast<int>(found - "BGWO");
    return true;
  }
  if (StartsWith(c, "POS")) {
    std::string_view rest = c.substr(3);
    if (rest == "CAS") {
      s.misc_power_on_screen = 13;
      return true;
    }
    if (rest.size() == 3 && rest[0] == 'S') {
      int ch = ChannelIndex(rest.substr(1));
      if (ch < 0) return false;
      s.misc_power_on_screen = ch;
      return true;
    }
    if (StartsWith(rest, "D")) {
      int split = SplitScreen(rest.substr(1));
      if (split < 0) return false;
      s.misc_power_on_screen = split;
      return true;
    }
    return false;
  }
  if (c.size() == 5 && (StartsWith(c, "OOH") || StartsWith(c, "OOV"))) {
    int offset = Field(c.substr(3), 0, 15);
    if (offset < 0) return false;
    (c[2] == 'H' ? s.misc_osd_offset_h : s.misc_osd_offset_v) = offset;
    return true;
  }
  if (c.size() == 6 && (StartsWith(c, "CTFSS") || StartsWith(c, "CTFSD"))) {
    if (c[5] != 'S' && c[5] != 'L') return false;
    (c[4] == 'S' ? s.misc_osd_size_single : s.misc_osd_size_split) =
        c[5] == 'L';
    return true;
  }
  if (c == "LON" || c == "LOF") {
    button_lock_ = c[2] == 'N';
    return true;
  }
  if (c == "NAR4" || c == "NARF") {
    s.misc_ntsc_aspect = c[3] == 'F';
    return true;
  }
  return false;
}

bool DeviceModel::ApplyAdjustment(std::string_view c) {
  DeviceSettings& s = state_;
  struct Adjustment {
    std::string_view mnemonic;
    int width;
    int high;
    int (DeviceSettings::*field)[kChannelCount];
  };
  static constexpr Adjustment kAdjustments[] = {
      {"VAB", 3, 127, &DeviceSettings::adjust_brightness},
      {"VAC", 3, 127, &DeviceSettings::adjust_contrast},
      {"VAH", 3, 255, &DeviceSettings::adjust_hue},
      {"VASH", 2, 31, &DeviceSettings::adjust_sharpness},
      {"VASA", 3, 127, &DeviceSettings::adjust_saturation},
  };
  for (const auto& adjustment : kAdjustments) {
    std::size_t head = adjustment.mnemonic.size();
    if (!StartsWith(c, adjustment.mnemonic) ||
        c.size() != head + 2 + adjustment.width) {
      continue;
    }
    int ch = ChannelIndex(c.substr(head, 2));
    int value = Field(c.substr(head + 2), 0, adjustment.high);
    if (ch < 0 || value < 0) return false;
    if (adjustment.mnemonic == "VAB") {
      value = value < 64 ? value + 64 : value - 64;
    }
    (s.*adjustment.field)[ch] = value;
    return true;
  }
  return false;
}

}  // namespace vqx::sim
