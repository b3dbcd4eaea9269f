#include "protocol/agc.h"

#include <optional>

namespace vqx {

std::string AgcChannelCommand(const DeviceSettings& settings, int channel) {
  if (channel < 0 || channel >= kChannelCount) return {};
  std::string line = "AGC01OF\r\n";
  line[4] = static_cast<char>('1' + channel);
  if (settings.agc_enable[channel] != 0) line[6] = 'N';
  return line;
}

void SendAgcChannel(CommandSink& sink, const DeviceSettings& settings,
                    int channel) {
  const std::string line = AgcChannelCommand(settings, channel);
  if (!line.empty()) sink.SendCommand(line);
}

std::string AgcAllCommand(const DeviceSettings& settings) {
  std::string line = "AGCFFFFFFFF\r\n";
  for (int i = 0; i < kChannelCount; ++i) {
    if (settings.agc_enable[i] != 0) line[3 + i] = 'N';
  }
  return line;
}

void SendAgcAll(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(AgcAllCommand(settings));
}

void DecodeAgc(DeviceSettings& s, std::string_view w) {
  const std::optional<std::string_view> p = Complete(w, 3 + kChannelCount);
  if (!p) return;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    s.agc_enable[channel] = (*p)[3 + channel] == 'F' ? 0 : 1;
  }
}

}  // namespace vqx
