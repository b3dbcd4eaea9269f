#include "protocol/video_adjustment.h"

#include <algorithm>
#include <cstdlib>

#include "base/encoding.h"

namespace vqx {

namespace {

constexpr int kBrightnessZero = 64;

int ClampToList(Adjustment adjustment, int index) {
  return std::clamp(index, 0, AdjustmentItemCount(adjustment) - 1);
}

}  // namespace

int AdjustmentItemCount(Adjustment adjustment) {
  switch (adjustment) {
    case Adjustment::kSharpness:
      return 32;
    case Adjustment::kHue:
      return 256;
    case Adjustment::kBrightness:
    case Adjustment::kContrast:
    case Adjustment::kSaturation:
      break;
  }
  return 128;
}

int AdjustmentIndex(const DeviceSettings& settings, Adjustment adjustment,
                    int channel) {
  const int* values = settings.adjust_saturation;
  switch (adjustment) {
    case Adjustment::kBrightness:
      values = settings.adjust_brightness;
      break;
    case Adjustment::kContrast:
      values = settings.adjust_contrast;
      break;
    case Adjustment::kSharpness:
      values = settings.adjust_sharpness;
      break;
    case Adjustment::kHue:
      values = settings.adjust_hue;
      break;
    case Adjustment::kSaturation:
      break;
  }
  return ClampToList(adjustment,
                     values[std::clamp(channel, 0, kChannelCount - 1)]);
}

int BrightnessWireValue(int index) {
  index = std::clamp(index, 0, 127);
  return index >= kBrightnessZero ? index - kBrightnessZero
                                  : index + kBrightnessZero;
}

std::string AdjustmentItemText(Adjustment adjustment, int index) {
  index = ClampToList(adjustment, index);
  switch (adjustment) {
    case Adjustment::kBrightness:
      if (index < kBrightnessZero) {
        return "-" + Decimal2Text(kBrightnessZero - index) + " ";
      }
      return " " + Decimal2Text(index - kBrightnessZero) + " ";
    case Adjustment::kSharpness:
      return Decimal2Text(index);
    case Adjustment::kContrast:
    case Adjustment::kHue:
    case Adjustment::kSaturation:
      break;
  }
  return Decimal3Text(index) + " ";
}

std::string AdjustmentCellText(Adjustment adjustment, int index) {
  index = ClampToList(adjustment, index);
  switch (adjustment) {
    case Adjustment::kBrightness: {
      const int shown = index - kBrightnessZero;
      return std::string(" ") + (shown < 0 ? '-' : ' ') +
             Decimal2Text(std::abs(shown)) + " ";
    }
    case Adjustment::kSharpness:
      return "  " + Decimal2Text(index);
    case Adjustment::kSaturation:
      return " " + Decimal3Text(index);
    case Adjustment::kContrast:
    case Adjustment::kHue:
      break;
  }
  return " " + Decimal3Text(index) + " ";
}

std::string AdjustmentCommand(const DeviceSettings& settings,
                              Adjustment adjustment, int channel) {
  if (channel < 0 || channel >= kChannelCount) return {};
  struct Format {
    const char* line_template;
    std::size_t channel_digit;  // the "0" before it stays
    std::size_t value_offset;
    int value_digits;
  };
  Format format{"VAB01128\r\n", 4, 5, 3};
  switch (adjustment) {
    case Adjustment::kBrightness:
      break;
    case Adjustment::kContrast:
      format = {"VAC01128\r\n", 4, 5, 3};
      break;
    case Adjustment::kHue:
      format = {"VAH01128\r\n", 4, 5, 3};
      break;
    case Adjustment::kSharpness:
      format = {"VASH0100\r\n", 5, 6, 2};
      break;
    case Adjustment::kSaturation:
      format = {"VASA01128\r\n", 5, 6, 3};
      break;
  }
  const int index = AdjustmentIndex(settings, adjustment, channel);
  const int value = adjustment == Adjustment::kBrightness
                        ? BrightnessWireValue(index)
                        : index;
  std::string line = format.line_template;
  line[format.channel_digit] = static_cast<char>('1' + channel);
  if (format.value_digits == 2) {
    EncodeDecimal2(value, &line[format.value_offset]);
  } else {
    EncodeDecimal3(value, &line[format.value_offset]);
  }
  return line;
}

void SendAdjustment(CommandSink& sink, const DeviceSettings& settings,
                    Adjustment adjustment, int channel) {
  const std::string line = AdjustmentCommand(settings, adjustment, channel);
  if (!line.empty()) sink.SendCommand(line);
}

namespace {

// Channel two digits at `channel_at`, value of `width` digits right after.
void DecodeAdjustment(std::string_view w, std::size_t channel_at, int width,
                      int high, int (&field)[kChannelCount],
                      int (*to_index)(int) = nullptr) {
  const std::size_t value_at = channel_at + 2;
  const std::optional<std::string_view> p = Complete(w, value_at + width);
  if (!p) return;
  const std::optional<int> channel = ChannelAt(*p, channel_at);
  const std::optional<int> value =
      InRange(Digits(*p, value_at, width), 0, high);
  if (!channel || !value) return;
  field[*channel] = to_index ? to_index(*value) : *value;
}

}  // namespace

void DecodeBrightness(DeviceSettings& s, std::string_view w) {
  DecodeAdjustment(w, 3, 3, 127, s.adjust_brightness, BrightnessWireValue);
}

void DecodeContrast(DeviceSettings& s, std::string_view w) {
  DecodeAdjustment(w, 3, 3, 127, s.adjust_contrast);
}

void DecodeHue(DeviceSettings& s, std::string_view w) {
  DecodeAdjustment(w, 3, 3, 255, s.adjust_hue);
}

void DecodeSharpness(DeviceSettings& s, std::string_view w) {
  DecodeAdjustment(w, 4, 2, 31, s.adjust_sharpness);
}

void DecodeSaturation(DeviceSettings& s, std::string_view w) {
  DecodeAdjustment(w, 4, 3, 127, s.adjust_saturation);
}

Adjustment AdjustmentOfStep(int step) {
  const int index = std::clamp(step - 1, 0, kAdjustmentSetAllSteps - 1);
  return kAdjustmentSendOrder[index / kChannelCount];
}

int ChannelOfStep(int step) {
  return std::clamp(step - 1, 0, kAdjustmentSetAllSteps - 1) % kChannelCount;
}

AdjustmentSetAllSequence::AdjustmentSetAllSequence(
    LinkState& link, const SettingsStore& settings, CommandSink& sink)
    : TimedSequence(link,
                    {.steps = kAdjustmentSetAllSteps,
                     .period_ms = kAdjustmentSetAllPeriodMs,
                     .finished_percent = "",
                     .end_after_step_on_error = true},
                    [&settings, &sink](int step) {
                      SendAdjustment(sink, settings.Snapshot(),
                                     AdjustmentOfStep(step),
                                     ChannelOfStep(step));
                      return StepResult::kSent;
                    }) {}

}  // namespace vqx
