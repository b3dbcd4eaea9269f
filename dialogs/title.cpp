#include "dialogs/title.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "link/encoding.h"
#include "link/jis.h"

namespace vqx {

std::optional<PreparedTitle> PrepareTitle(const DeviceSettings& settings,
                                          int channel) {
  if (channel < 0 || channel >= kChannelCount) return std::nullopt;
  // A title from a hand-edited file may fill its buffer without a
  // terminator; such a title is too long anyway.
  const char* text = settings.title_text[channel];
  const auto length = static_cast<std::size_t>(
      std::find(text, text + kTitleBufferBytes, '\0') - text);
  if (length > kTitleBytes || length % 2 != 0) return std::nullopt;
  PreparedTitle title;
  std::memcpy(title.bytes.data(), text, length);
  for (std::size_t i = length; i < kTitleBytes; i += 2) {
    title.bytes[i] = kFullWidthBlank[0];
    title.bytes[i + 1] = kFullWidthBlank[1];
  }
  return title;
}

std::optional<std::string> TitleCommand(const PreparedTitle& title, int channel,
                                        TitleVariant variant) {
  if (channel < 0 || channel >= kChannelCount) return std::nullopt;
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string line = variant == TitleVariant::kN ? "CJN01" : "CJ01";
  EncodeDecimal2(channel + 1, &line[line.size() - 2]);
  for (std::size_t i = 0; i < kTitleBytes; i += 2) {
    const auto sjis = static_cast<std::uint16_t>(
        static_cast<unsigned char>(title.bytes[i]) << 8 |
        static_cast<unsigned char>(title.bytes[i + 1]));
    const std::uint16_t code = TitleCharacterToJis(sjis);
    if (code == 0) return std::nullopt;
    for (int shift = 12; shift >= 0; shift -= 4) {
      line += kHexDigits[(code >> shift) & 0xF];
    }
  }
  line += "\r\n";
  return line;
}

bool SendTitle(CommandSink& sink, const PreparedTitle& title, int channel,
               TitleVariant variant) {
  const std::optional<std::string> line = TitleCommand(title, channel, variant);
  if (!line) return false;
  sink.SendCommand(*line);
  return true;
}

TitleSendResult PrepareAndSendTitle(CommandSink& sink,
                                    const DeviceSettings& settings,
                                    MessageBoxes& boxes, int channel,
                                    TitleVariant variant) {
  const std::optional<PreparedTitle> title = PrepareTitle(settings, channel);
  if (!title) {
    boxes.ShowWarningBox(kTitleJisMessage);
    return TitleSendResult::kNotPrepared;
  }
  if (!SendTitle(sink, *title, channel, variant)) {
    boxes.ShowWarningBox(kTitleJisMessage);
    return TitleSendResult::kNotEncodable;
  }
  return TitleSendResult::kSent;
}

std::string TitleDisplaySingleCommand(const DeviceSettings& settings) {
  std::string line = "CTDSOF\r\n";
  if (settings.title_single_screen != 0) line[5] = 'N';
  return line;
}

void SendTitleDisplaySingle(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(TitleDisplaySingleCommand(settings));
}

std::string TitleDisplaySplitCommand(const DeviceSettings& settings) {
  std::string line = "CTDDOF\r\n";
  if (settings.title_split_screen != 0) line[5] = 'N';
  return line;
}

void SendTitleDisplaySplit(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(TitleDisplaySplitCommand(settings));
}

}  // namespace vqx
