// The program's own configuration (`LinkConfig`) in its INI file.
//
// The file holds its keys in section "VQX-460J_Section": "com_port",
// "rs_control" and "echo", which the serial settings dialog writes as the
// user changes them; "fast", which the read-all and send-all dialogs write
// when their "高速" box changes; and "select_number", which only a hand edit
// changes.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "base/link_state.h"
#include "base/platform.h"

namespace vqx {

inline constexpr std::string_view kIniFileName = "vqx460j.ini";
inline constexpr std::string_view kIniSection = "VQX-460J_Section";
inline constexpr std::string_view kComPortKey = "com_port";
inline constexpr std::string_view kRsControlKey = "rs_control";
inline constexpr std::string_view kSelectNumberKey = "select_number";
inline constexpr std::string_view kEchoKey = "echo";
inline constexpr std::string_view kFastKey = "fast";

// The value of a profile string as the program has always converted it:
// only its first 9 characters count; leading blanks are skipped, an
// optional sign and the decimal digits up to the first other character
// make the number, and text without digits is 0. Never overflows.
int ParseProfileInteger(std::string_view text);

// Reads com_port, rs_control, select_number, echo and fast; a missing
// file, section or key gives 0. Values are taken as they stand; their users
// check ranges (echo and fast: any non-zero value is on).
void ReadLinkConfig(ProfileStore& profile, LinkConfig& config);

// Store the choice of the serial settings dialog in memory and in the INI
// file at once. The in-memory value changes even when the file cannot be
// written; the result says whether it was.
bool WriteComPort(ProfileStore& profile, LinkConfig& config, int com_port);
bool WriteRsControl(ProfileStore& profile, LinkConfig& config, int rs_control);
// The INI half of the above, for callers that set the memory themselves.
bool WriteComPort(ProfileStore& profile, int com_port);
bool WriteRsControl(ProfileStore& profile, int rs_control);

// The echo tolerance and the reply-paced runs, 0 or 1, in memory and in the
// INI file at once.
bool WriteEcho(ProfileStore& profile, LinkConfig& config, bool echo);
bool WriteFast(ProfileStore& profile, LinkConfig& config, bool fast);

}  // namespace vqx
