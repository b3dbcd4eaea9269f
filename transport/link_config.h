// The link's configuration (`LinkConfig`) in the program's INI file.
//
// The program keeps its keys in one section, "VQX-460J_Section". The link's
// are "com_port", "rs_control" and "echo", which the serial settings dialog
// writes as the user changes them, and "select_number", which only a hand
// edit changes. The layers above keep their own keys in the same section
// beside the code that owns their meaning.
#pragma once

#include <string_view>

#include "base/platform.h"
#include "transport/link_state.h"

namespace vqx {

inline constexpr std::string_view kIniSection = "VQX-460J_Section";
inline constexpr std::string_view kComPortKey = "com_port";
inline constexpr std::string_view kRsControlKey = "rs_control";
inline constexpr std::string_view kSelectNumberKey = "select_number";
inline constexpr std::string_view kEchoKey = "echo";

// A number kept under `key` in the program's section, as the program has
// always converted it (`ParseProfileInteger`); a missing file, section or
// key gives 0.
int ReadIniNumber(ProfileStore& profile, std::string_view key);

// Reads com_port, rs_control, select_number and echo; a missing file,
// section or key gives 0. Values are taken as they stand; their users check
// ranges (echo: any non-zero value is on).
void ReadLinkConfig(ProfileStore& profile, LinkConfig& config);

// Store the choice of the serial settings dialog in memory and in the INI
// file at once. The in-memory value changes even when the file cannot be
// written; the result says whether it was.
bool WriteComPort(ProfileStore& profile, LinkConfig& config, int com_port);
bool WriteRsControl(ProfileStore& profile, LinkConfig& config, int rs_control);
// The INI half of the above, for callers that set the memory themselves.
bool WriteComPort(ProfileStore& profile, int com_port);
bool WriteRsControl(ProfileStore& profile, int rs_control);

// The echo tolerance, 0 or 1, in memory and in the INI file at once.
bool WriteEcho(ProfileStore& profile, LinkConfig& config, bool echo);

}  // namespace vqx
