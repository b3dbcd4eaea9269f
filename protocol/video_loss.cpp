#include "protocol/video_loss.h"

namespace vqx {

std::string VideoLossChannelCommand(const DeviceSettings& settings,
                                    int channel) {
  if (channel < 0 || channel >= kChannelCount) return {};
  std::string line = "VL01OF\r\n";
  line[3] = static_cast<char>('1' + channel);
  if (settings.vloss_detect[channel] != 0) line[5] = 'N';
  return line;
}

void SendVideoLossChannel(CommandSink& sink, const DeviceSettings& settings,
                          int channel) {
  const std::string line = VideoLossChannelCommand(settings, channel);
  if (!line.empty()) sink.SendCommand(line);
}

std::string VideoLossAllCommand(const DeviceSettings& settings) {
  std::string line = "VLFFFFFFFF\r\n";
  for (int i = 0; i < kChannelCount; ++i) {
    if (settings.vloss_detect[i] != 0) line[2 + i] = 'N';
  }
  return line;
}

void SendVideoLossAll(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(VideoLossAllCommand(settings));
}

std::string VideoLossBackgroundCommand(const DeviceSettings& settings) {
  std::string line = "VLBCN\r\n";
  if (settings.vloss_background != 0) line[4] = 'B';
  return line;
}

void SendVideoLossBackground(CommandSink& sink,
                             const DeviceSettings& settings) {
  sink.SendCommand(VideoLossBackgroundCommand(settings));
}

std::string VideoLossSignalOutputCommand(const DeviceSettings& settings) {
  std::string line = "VLSOOF\r\n";
  if (settings.vloss_signal_output != 0) line[5] = 'N';
  return line;
}

void SendVideoLossSignalOutput(CommandSink& sink,
                               const DeviceSettings& settings) {
  sink.SendCommand(VideoLossSignalOutputCommand(settings));
}

std::string VideoLossDisplayCommand(const DeviceSettings& settings) {
  std::string line = "VLDOF\r\n";
  if (settings.vloss_display != 0) line[4] = 'N';
  return line;
}

void SendVideoLossDisplay(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(VideoLossDisplayCommand(settings));
}

void DecodeVideoLossDetect(DeviceSettings& s, std::string_view w) {
  const std::optional<std::string_view> p = Complete(w, 2 + kChannelCount);
  if (!p) return;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    const char c = (*p)[2 + channel];
    if (c == 'F') s.vloss_detect[channel] = 0;
    if (c == 'N') s.vloss_detect[channel] = 1;
  }
}

void DecodeVideoLossBackground(DeviceSettings& s, std::string_view w) {
  if (const std::optional<std::string_view> p = Complete(w, 5)) {
    s.vloss_background = (*p)[4] == 'B' ? 1 : 0;
  }
}

void DecodeVideoLossSignalOutput(DeviceSettings& s, std::string_view w) {
  SwitchListed(w, 5, kOffOnLetters, s.vloss_signal_output);
}

void DecodeVideoLossDisplay(DeviceSettings& s, std::string_view w) {
  SwitchListed(w, 4, kOffOnLetters, s.vloss_display);
}

}  // namespace vqx
