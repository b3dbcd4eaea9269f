// The ordered table that hands each read-back line to its group's decoder,
// and the version reply that ends a read-all.
#pragma once

#include <array>
#include <string_view>

#include "base/device_settings.h"
#include "protocol/read_back.h"

namespace vqx {

struct ReplyHandlerEntry {
  std::string_view mnemonic;
  int compared;  // leading characters compared: the mnemonic's length
  ReadBackDecoder handler;
};

// In the order they are tried; the first entry whose mnemonic starts the
// line wins, so a mnemonic stands before any shorter one that begins it
// ("VLBC", "VLDO" and "VLSOO" before "VL").
extern const std::array<ReplyHandlerEntry, 38> ReplyDispatchTable;

// The first entry matching the start of `work_copy`, or nullptr.
const ReplyHandlerEntry* FindReplyHandler(std::string_view work_copy);

// "VN" and the device's version: nothing to store. It is the last reply a
// read-all asks for, so its arrival ends the read-back with "Success".
void DecodeVersion(DeviceSettings& settings, std::string_view work_copy);
inline constexpr ReadBack kVersionReadBack{"RVN\r\n", "VN", DecodeVersion,
                                           SettingsGroup::kVersion};

}  // namespace vqx
