// Command builders and texts of the per-channel picture adjustments.
//
// Each adjustment is stored as the index of its list. Brightness is the one
// whose shown value differs from the index: index - 64 (-64..+63), and it
// travels as that value modulo 128.
#pragma once

#include <array>
#include <string>

#include "base/device_settings.h"
#include "protocol/read_back.h"
#include "transport/command_sink.h"
#include "transport/link_state.h"
#include "transport/timed_sequence.h"

namespace vqx {

enum class Adjustment { kBrightness, kContrast, kSharpness, kHue, kSaturation };

// The order in which every set-all sends the adjustments.
inline constexpr std::array<Adjustment, 5> kAdjustmentSendOrder = {
    Adjustment::kBrightness, Adjustment::kContrast, Adjustment::kSharpness,
    Adjustment::kHue, Adjustment::kSaturation};

// Items in the adjustment's list: 128, 128, 32, 256, 128.
int AdjustmentItemCount(Adjustment adjustment);

// The stored index of channel index 0..7, clamped into the list. A stored
// value outside the list never reaches the wire or the table as it is.
int AdjustmentIndex(const DeviceSettings& settings, Adjustment adjustment,
                    int channel);

// Brightness list index to its wire value, a 7-bit two's-complement number:
// index - 64 from 64 up, index + 64 below. The rule is its own inverse, so
// it also turns a wire value back into the index (wire 0 is index 64, wire
// 127 index 63).
int BrightnessWireValue(int index);

// The list item text of `index`: brightness "-64 " .. "-01 ", " 00 " ..
// " 63 "; contrast, hue, saturation "000 " ..; sharpness "00" .. "31".
std::string AdjustmentItemText(Adjustment adjustment, int index);

// The adjustment table's cell for a stored index: brightness " -01 " or
// "  05 ", contrast and hue " 064 ", sharpness "  00", saturation " 080".
std::string AdjustmentCellText(Adjustment adjustment, int index);

// "VAB0<n><vvv>\r\n", "VAC0<n><vvv>\r\n", "VAH0<n><vvv>\r\n",
// "VASH0<n><vv>\r\n", "VASA0<n><vvv>\r\n" for channel index 0..7. Empty for
// another channel index; SendAdjustment then sends nothing.
std::string AdjustmentCommand(const DeviceSettings& settings,
                              Adjustment adjustment, int channel);
void SendAdjustment(CommandSink& sink, const DeviceSettings& settings,
                    Adjustment adjustment, int channel);

// ---- Set-all
// -----------------------------------------------------------------

inline constexpr int kAdjustmentSetAllSteps = 5 * kChannelCount;
inline constexpr int kAdjustmentSetAllPeriodMs = 100;

// The adjustment and channel of set-all step 1..40: brightness of channels
// 1..8, then contrast, sharpness, hue and saturation.
Adjustment AdjustmentOfStep(int step);
int ChannelOfStep(int step);

// The video adjustment dialog's "全設定": the 40 values, one per 100 ms
// tick. Each step reads the record as it is at that tick.
class AdjustmentSetAllSequence : public TimedSequence {
 public:
  AdjustmentSetAllSequence(LinkState& link, const SettingsStore& settings,
                           CommandSink& sink);
};

// ---- Read-back
// ---------------------------------------------------------------

// "VAB", the channel, three digits (the wire value, turned into the index).
void DecodeBrightness(DeviceSettings& settings, std::string_view work_copy);
// "VAC", the channel, three digits.
void DecodeContrast(DeviceSettings& settings, std::string_view work_copy);
// "VAH", the channel, three digits.
void DecodeHue(DeviceSettings& settings, std::string_view work_copy);
// "VASH", the channel, two digits.
void DecodeSharpness(DeviceSettings& settings, std::string_view work_copy);
// "VASA", the channel, three digits.
void DecodeSaturation(DeviceSettings& settings, std::string_view work_copy);

inline constexpr ReadBack kBrightnessReadBack{
    "RVAB01\r\n", "VAB", DecodeBrightness, SettingsGroup::kVideoAdjustment, 4};
inline constexpr ReadBack kContrastReadBack{"RVAC01\r\n", "VAC", DecodeContrast,
                                            SettingsGroup::kVideoAdjustment, 4};
inline constexpr ReadBack kHueReadBack{"RVAH01\r\n", "VAH", DecodeHue,
                                       SettingsGroup::kVideoAdjustment, 4};
inline constexpr ReadBack kSharpnessReadBack{
    "RVASH01\r\n", "VASH", DecodeSharpness, SettingsGroup::kVideoAdjustment, 5};
inline constexpr ReadBack kSaturationReadBack{
    "RVASA01\r\n", "VASA", DecodeSaturation, SettingsGroup::kVideoAdjustment,
    5};

}  // namespace vqx
