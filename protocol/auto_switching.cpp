#include "protocol/auto_switching.h"

#include <algorithm>

#include "base/encoding.h"

namespace vqx {

namespace {
constexpr int kSequenceChannelEntries = 8;
}  // namespace

int SequenceDwellOnWire(int seconds) { return std::clamp(seconds, 0, 99); }

std::string SequenceTimesCommand(const DeviceSettings& settings) {
  std::string line = "CASTM00000000000000000000000000\r\n";
  for (int i = 0; i < kSequenceEntryCount; ++i) {
    EncodeDecimal2(SequenceDwellOnWire(settings.seq_dwell[i]),
                   &line[5 + 2 * i]);
  }
  return line;
}

void SendSequenceTimes(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(SequenceTimesCommand(settings));
}

std::optional<std::string_view> SequenceTimesRefusal(
    const DeviceSettings& settings) {
  const auto zero = [](int seconds) {
    return SequenceDwellOnWire(seconds) == 0;
  };
  const int* dwell = settings.seq_dwell;
  const bool channels_zero =
      std::all_of(dwell, dwell + kSequenceChannelEntries, zero);
  const bool splits_zero = std::all_of(dwell + kSequenceChannelEntries,
                                       dwell + kSequenceEntryCount, zero);
  if (channels_zero && splits_zero) return kAllZeroMessage;
  if (channels_zero) return kChannelsAllZeroMessage;
  if (splits_zero) return kSplitsAllZeroMessage;
  return std::nullopt;
}

bool CheckAndSendSequenceTimes(CommandSink& sink,
                               const DeviceSettings& settings,
                               MessageBoxes& boxes) {
  if (const auto refusal = SequenceTimesRefusal(settings)) {
    boxes.ShowWarningBox(*refusal);
    return false;
  }
  SendSequenceTimes(sink, settings);
  return true;
}

std::string SequenceModeCommand(const DeviceSettings& settings) {
  std::string line = "CASMS\r\n";
  if (settings.seq_mode == 1) line[4] = 'D';
  if (settings.seq_mode == 2) line[4] = 'M';
  return line;
}

void SendSequenceMode(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(SequenceModeCommand(settings));
}

void DecodeSequenceTimes(DeviceSettings& s, std::string_view w) {
  NumberList(w, 5, 0, 99, 0, s.seq_dwell);
}

void DecodeSequenceMode(DeviceSettings& s, std::string_view w) {
  static constexpr CharValue kModes[] = {{'S', 0}, {'D', 1}, {'M', 2}};
  SwitchListed(w, 4, kModes, s.seq_mode);
}

}  // namespace vqx
