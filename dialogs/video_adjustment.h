// Command builders and texts of the per-channel picture adjustments.
//
// Each adjustment is stored as the index of its list. Brightness is the one
// whose shown value differs from the index: index - 64 (-64..+63), and it
// travels as that value modulo 128.
#pragma once

#include <array>
#include <string>

#include "link/command_sink.h"
#include "settings/device_settings.h"

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

// Brightness index to its wire value and back (the rule is its own inverse):
// index - 64 from 64 up, index + 64 below.
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

}  // namespace vqx
