// Command builders of the other display options: connector input, power-on
// screen, border line, OSD offsets and sizes, front button lock and NTSC
// aspect ratio.
#pragma once

#include <string>

#include "base/device_settings.h"
#include "protocol/read_back.h"
#include "transport/command_sink.h"

namespace vqx {

// "CIA\r\n" alarm input; "CIR\r\n" remote for any non-zero value.
std::string ConnectorInputCommand(const DeviceSettings& settings);
void SendConnectorInput(CommandSink& sink, const DeviceSettings& settings);

// "POSS0<n>\r\n" for channels, "POSD4A\r\n" .. "POSD9\r\n" for the layouts,
// "POSCAS\r\n" for automatic switching and any value outside 0..12.
std::string PowerOnScreenCommand(const DeviceSettings& settings);
void SendPowerOnScreen(CommandSink& sink, const DeviceSettings& settings);

// "BLB\r\n" black (and any unknown value), "BLG\r\n" grey, "BLW\r\n" white,
// "BLO\r\n" off.
std::string BorderLineCommand(const DeviceSettings& settings);
void SendBorderLine(CommandSink& sink, const DeviceSettings& settings);

// An OSD offset as it travels: clamped to the list's 0..15.
int OsdOffsetOnWire(int offset);
// "OOH<nn>\r\n".
std::string OsdOffsetHCommand(const DeviceSettings& settings);
void SendOsdOffsetH(CommandSink& sink, const DeviceSettings& settings);
// "OOV<nn>\r\n".
std::string OsdOffsetVCommand(const DeviceSettings& settings);
void SendOsdOffsetV(CommandSink& sink, const DeviceSettings& settings);

// "CTFSSL\r\n" when the size is exactly 1 (large), "CTFSSS\r\n" otherwise.
std::string OsdSizeSingleCommand(const DeviceSettings& settings);
void SendOsdSizeSingle(CommandSink& sink, const DeviceSettings& settings);
// "CTFSDL\r\n" when the size is exactly 1 (large), "CTFSDS\r\n" otherwise.
std::string OsdSizeSplitCommand(const DeviceSettings& settings);
void SendOsdSizeSplit(CommandSink& sink, const DeviceSettings& settings);

// "LON\r\n" when the lock is exactly 1, "LOF\r\n" otherwise. The lock is a
// process-wide value (never saved or read back), so it is passed in.
std::string ButtonLockCommand(int button_lock);
void SendButtonLock(CommandSink& sink, int button_lock);

// "NAR4\r\n" 4:3; "NARF\r\n" full for any non-zero value.
std::string NtscAspectCommand(const DeviceSettings& settings);
void SendNtscAspect(CommandSink& sink, const DeviceSettings& settings);

// ---- Read-back
// ---------------------------------------------------------------

// "BLB", "BLG", "BLW", "BLO"; another letter leaves the field.
void DecodeBorderLine(DeviceSettings& settings, std::string_view work_copy);
// "CIA" alarm input, any other letter remote.
void DecodeConnectorInput(DeviceSettings& settings, std::string_view work_copy);
// "CTFSDS" / "CTFSDL"; another letter leaves the field.
void DecodeOsdSizeSplit(DeviceSettings& settings, std::string_view work_copy);
// "CTFSSS" / "CTFSSL".
void DecodeOsdSizeSingle(DeviceSettings& settings, std::string_view work_copy);
// "DSS4" 1, "DSS2" 0, as the device reports it; nothing sets it.
void DecodeDssMode(DeviceSettings& settings, std::string_view work_copy);
// "NARF" full (1), any other letter 4:3: the one switch where F means 1.
void DecodeNtscAspect(DeviceSettings& settings, std::string_view work_copy);
// "OOH" / "OOV" and two digits 00..15.
void DecodeOsdOffsetH(DeviceSettings& settings, std::string_view work_copy);
void DecodeOsdOffsetV(DeviceSettings& settings, std::string_view work_copy);
// "POSS01".."POSS08", "POSD4A" .. "POSD9", "POSCAS".
void DecodePowerOnScreen(DeviceSettings& settings, std::string_view work_copy);

inline constexpr ReadBack kBorderLineReadBack{"RBL\r\n", "BL", DecodeBorderLine,
                                              SettingsGroup::kOther};
inline constexpr ReadBack kConnectorInputReadBack{
    "RCI\r\n", "CI", DecodeConnectorInput, SettingsGroup::kOther};
inline constexpr ReadBack kPowerOnScreenReadBack{
    "RPOS\r\n", "POS", DecodePowerOnScreen, SettingsGroup::kOther};
inline constexpr ReadBack kOsdSizeSplitReadBack{
    "RCTFSD\r\n", "CTFSD", DecodeOsdSizeSplit, SettingsGroup::kOther};
inline constexpr ReadBack kOsdSizeSingleReadBack{
    "RCTFSS\r\n", "CTFSS", DecodeOsdSizeSingle, SettingsGroup::kOther};
inline constexpr ReadBack kOsdOffsetHReadBack{
    "ROOH\r\n", "OOH", DecodeOsdOffsetH, SettingsGroup::kOther};
inline constexpr ReadBack kOsdOffsetVReadBack{
    "ROOV\r\n", "OOV", DecodeOsdOffsetV, SettingsGroup::kOther};
inline constexpr ReadBack kNtscAspectReadBack{
    "RNAR\r\n", "NAR", DecodeNtscAspect, SettingsGroup::kOther};
// The device reports it unasked; no command of this program reads it.
inline constexpr ReadBack kDssModeReadBack{"", "DSS", DecodeDssMode,
                                           SettingsGroup::kOther};

}  // namespace vqx
