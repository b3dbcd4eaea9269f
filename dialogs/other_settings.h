// Command builders of the other display options: connector input, power-on
// screen, border line, OSD offsets and sizes, front button lock and NTSC
// aspect ratio.
#pragma once

#include <string>

#include "link/command_sink.h"
#include "settings/device_settings.h"

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

}  // namespace vqx
