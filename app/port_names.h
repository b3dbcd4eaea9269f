// The serial ports among the system's device names. Windows lists every
// device name it knows in one call (QueryDosDevice without a name), which
// fails when the buffer is too small; a PC with many drives, volumes and
// virtual devices easily needs more than any fixed guess.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vqx {

// What one call of the system's device-name query did.
struct DeviceNameQuery {
  std::size_t stored = 0;  // characters written; 0 when the call failed
  bool too_small = false;  // it failed for want of room
};

// Fills `buffer` (`size` characters) with the names, each ending in a NUL,
// and one more NUL after the last.
using DeviceNameCall =
    std::function<DeviceNameQuery(wchar_t* buffer, std::size_t size)>;

inline constexpr std::size_t kFirstDeviceNameBuffer = 16 * 1024;
// 8 Mi characters (16 MB): far beyond any real list, and a bound on what a
// call that keeps asking for more can take.
inline constexpr std::size_t kMaxDeviceNameBuffer = 8 * 1024 * 1024;

// The names `query` lists, asked with a buffer that doubles while it is too
// small, up to `limit` characters. Empty when the call fails otherwise or
// the list needs more than `limit`.
std::vector<std::wstring> QueryDeviceNames(
    const DeviceNameCall& query, std::size_t first = kFirstDeviceNameBuffer,
    std::size_t limit = kMaxDeviceNameBuffer);

// n for "COMn" (any letter case, n 1..256 without leading zeros), 0 for
// anything else.
int ComPortNumber(std::wstring_view name);

}  // namespace vqx
