#include "protocol/title.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/encoding.h"
#include "base/jis.h"
#include "base/shift_jis.h"

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

void DecodeTitle(DeviceSettings& s, std::string_view w) {
  constexpr int kCodes = 10;
  const std::optional<std::string_view> p = Complete(w, 4 + 4 * kCodes);
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
  while (kept > 0 && codes[kept - 1] == kFullWidthBlankJis) --kept;

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

void DecodeTitleDisplaySingle(DeviceSettings& s, std::string_view w) {
  SwitchListed(w, 5, kOffOnLetters, s.title_single_screen);
}

void DecodeTitleDisplaySplit(DeviceSettings& s, std::string_view w) {
  SwitchListed(w, 5, kOffOnLetters, s.title_split_screen);
}

TitleSetAllSequence::TitleSetAllSequence(LinkState& link,
                                         const SettingsStore& settings,
                                         CommandSink& sink, MessageBoxes& boxes)
    : TimedSequence(link,
                    {.steps = kChannelCount,
                     .period_ms = kTitleSetAllPeriodMs,
                     .finished_percent = "  ",
                     .end_after_step_on_error = true},
                    [this, &settings, &sink, &boxes](int step) {
                      switch (PrepareAndSendTitle(sink, settings.Snapshot(),
                                                  boxes, step - 1, variant_)) {
                        case TitleSendResult::kSent:
                          break;
                        case TitleSendResult::kNotPrepared:
                          return StepResult::kSkipped;
                        case TitleSendResult::kNotEncodable:
                          return StepResult::kFailed;
                      }
                      return StepResult::kSent;
                    }) {}

bool TitleSetAllSequence::Start(TitleVariant variant) {
  // A second press while running keeps the form the run started with.
  if (running()) return false;
  variant_ = variant;
  return TimedSequence::Start();
}

}  // namespace vqx
