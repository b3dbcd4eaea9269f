#include "protocol/other_settings.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "base/encoding.h"

namespace vqx {

std::string ConnectorInputCommand(const DeviceSettings& settings) {
  std::string line = "CIA\r\n";
  if (settings.misc_connector_input != 0) line[2] = 'R';
  return line;
}

void SendConnectorInput(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(ConnectorInputCommand(settings));
}

std::string PowerOnScreenCommand(const DeviceSettings& settings) {
  const int screen = settings.misc_power_on_screen;
  if (screen >= 0 && screen < kChannelCount) {
    std::string line = "POSS01\r\n";
    line[5] = static_cast<char>('1' + screen);
    return line;
  }
  switch (screen) {
    case kScreenSplit4A:
      return "POSD4A\r\n";
    case kScreenSplit4B:
      return "POSD4B\r\n";
    case kScreenSplit6A:
      return "POSD6A\r\n";
    case kScreenSplit6B:
      return "POSD6B\r\n";
    case kScreenSplit9:
      return "POSD9\r\n";
    default:
      return "POSCAS\r\n";
  }
}

void SendPowerOnScreen(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(PowerOnScreenCommand(settings));
}

std::string BorderLineCommand(const DeviceSettings& settings) {
  std::string line = "BLB\r\n";
  switch (settings.misc_border_line) {
    case 1:
      line[2] = 'G';
      break;
    case 2:
      line[2] = 'W';
      break;
    case 3:
      line[2] = 'O';
      break;
    default:
      break;
  }
  return line;
}

void SendBorderLine(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(BorderLineCommand(settings));
}

int OsdOffsetOnWire(int offset) { return std::clamp(offset, 0, 15); }

std::string OsdOffsetHCommand(const DeviceSettings& settings) {
  std::string line = "OOH00\r\n";
  EncodeDecimal2(OsdOffsetOnWire(settings.misc_osd_offset_h), &line[3]);
  return line;
}

void SendOsdOffsetH(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(OsdOffsetHCommand(settings));
}

std::string OsdOffsetVCommand(const DeviceSettings& settings) {
  std::string line = "OOV00\r\n";
  EncodeDecimal2(OsdOffsetOnWire(settings.misc_osd_offset_v), &line[3]);
  return line;
}

void SendOsdOffsetV(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(OsdOffsetVCommand(settings));
}

std::string OsdSizeSingleCommand(const DeviceSettings& settings) {
  std::string line = "CTFSSS\r\n";
  if (settings.misc_osd_size_single == 1) line[5] = 'L';
  return line;
}

void SendOsdSizeSingle(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(OsdSizeSingleCommand(settings));
}

std::string OsdSizeSplitCommand(const DeviceSettings& settings) {
  std::string line = "CTFSDS\r\n";
  if (settings.misc_osd_size_split == 1) line[5] = 'L';
  return line;
}

void SendOsdSizeSplit(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(OsdSizeSplitCommand(settings));
}

std::string ButtonLockCommand(int button_lock) {
  std::string line = "LOF\r\n";
  if (button_lock == 1) line[2] = 'N';
  return line;
}

void SendButtonLock(CommandSink& sink, int button_lock) {
  sink.SendCommand(ButtonLockCommand(button_lock));
}

std::string NtscAspectCommand(const DeviceSettings& settings) {
  std::string line = "NAR4\r\n";
  if (settings.misc_ntsc_aspect != 0) line[3] = 'F';
  return line;
}

void SendNtscAspect(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(NtscAspectCommand(settings));
}

void DecodeBorderLine(DeviceSettings& s, std::string_view w) {
  static constexpr CharValue kColours[] = {
      {'B', 0}, {'G', 1}, {'W', 2}, {'O', 3}};
  SwitchListed(w, 2, kColours, s.misc_border_line);
}

void DecodeConnectorInput(DeviceSettings& s, std::string_view w) {
  SwitchOffOrOn(w, 2, 'A', s.misc_connector_input);
}

namespace {
constexpr CharValue kSmallLarge[] = {{'S', 0}, {'L', 1}};
}  // namespace

void DecodeOsdSizeSplit(DeviceSettings& s, std::string_view w) {
  SwitchListed(w, 5, kSmallLarge, s.misc_osd_size_split);
}

void DecodeOsdSizeSingle(DeviceSettings& s, std::string_view w) {
  SwitchListed(w, 5, kSmallLarge, s.misc_osd_size_single);
}

void DecodeDssMode(DeviceSettings& s, std::string_view w) {
  static constexpr CharValue kModes[] = {{'4', 1}, {'2', 0}};
  SwitchListed(w, 3, kModes, s.misc_dss_mode);
}

void DecodeNtscAspect(DeviceSettings& s, std::string_view w) {
  if (const std::optional<std::string_view> p = Complete(w, 4)) {
    s.misc_ntsc_aspect = (*p)[3] == 'F' ? 1 : 0;
  }
}

namespace {
void DecodeOsdOffset(std::string_view w, int& field) {
  const std::optional<std::string_view> p = Complete(w, 5);
  if (!p) return;
  if (const std::optional<int> value = InRange(Digits(*p, 3, 2), 0, 15)) {
    field = *value;
  }
}
}  // namespace

void DecodeOsdOffsetH(DeviceSettings& s, std::string_view w) {
  DecodeOsdOffset(w, s.misc_osd_offset_h);
}

void DecodeOsdOffsetV(DeviceSettings& s, std::string_view w) {
  DecodeOsdOffset(w, s.misc_osd_offset_v);
}

void DecodePowerOnScreen(DeviceSettings& s, std::string_view w) {
  const std::string_view p = ReplyPayload(w);
  static constexpr std::pair<std::string_view, int> kScreens[] = {
      {"POSCAS", kScreenAutomatic}, {"POSD4A", kScreenSplit4A},
      {"POSD4B", kScreenSplit4B},   {"POSD6A", kScreenSplit6A},
      {"POSD6B", kScreenSplit6B},   {"POSD9", kScreenSplit9},
  };
  for (const auto& [start, screen] : kScreens) {
    if (p.starts_with(start)) {
      s.misc_power_on_screen = screen;
      return;
    }
  }
  // A single channel, as in "POSS01".
  if (p.size() < 6) return;
  if (const std::optional<int> channel = ChannelAt(p, 4)) {
    s.misc_power_on_screen = *channel;
  }
}

}  // namespace vqx
