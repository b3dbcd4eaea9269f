#include "protocol/video_format.h"

#include <algorithm>
#include <optional>

namespace vqx {

char VideoFormatDigit(int format) {
  return static_cast<char>('1' + std::clamp(format, 0, kVideoFormatCount - 1));
}

std::string VideoFormatChannelCommand(const DeviceSettings& settings,
                                      int channel) {
  if (channel < 0 || channel >= kChannelCount) return {};
  std::string line = "VF011\r\n";
  line[3] = static_cast<char>('1' + channel);
  line[4] = VideoFormatDigit(settings.format_video[channel]);
  return line;
}

void SendVideoFormatChannel(CommandSink& sink, const DeviceSettings& settings,
                            int channel) {
  const std::string line = VideoFormatChannelCommand(settings, channel);
  if (!line.empty()) sink.SendCommand(line);
}

std::string VideoFormatAllCommand(const DeviceSettings& settings) {
  std::string line = "VF12345678\r\n";
  for (int i = 0; i < kChannelCount; ++i) {
    line[2 + i] = VideoFormatDigit(settings.format_video[i]);
  }
  return line;
}

void SendVideoFormatAll(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(VideoFormatAllCommand(settings));
}

// Formats are numbered from 1 on the wire.
void DecodeVideoFormat(DeviceSettings& s, std::string_view w) {
  const std::optional<std::string_view> p = Complete(w, 2 + kChannelCount);
  if (!p) return;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    const char c = (*p)[2 + channel];
    if (c >= '1' && c <= '0' + kVideoFormatCount) {
      s.format_video[channel] = c - '1';
    }
  }
}

}  // namespace vqx
