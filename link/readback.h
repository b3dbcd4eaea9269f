// Read-back reply handlers: each decodes one reply layout of the device and
// writes the values into the settings record. They never send, never show a
// box and never touch `dirty`: values read from the device are not unsaved
// changes.
//
// A handler is given the work copy (address removed; position 0 is the
// mnemonic's first letter, the line may still end in CR LF). A reply shorter
// than its layout, a channel number outside 01..08, or a decoded value
// outside the field's range leaves the record unchanged (for the per-channel
// character lists only that channel): a garbled line must not corrupt the
// settings.
#pragma once

#include <array>
#include <string_view>

#include "settings/device_settings.h"

namespace vqx {

struct ReplyHandlerEntry {
  std::string_view mnemonic;
  int compared;  // leading characters compared: the mnemonic's length
  void (*handler)(DeviceSettings&, std::string_view work_copy);
};

// In the order they are tried; the first entry whose mnemonic starts the
// line wins, so a mnemonic stands before any shorter one that begins it
// ("VLBC", "VLDO" and "VLSOO" before "VL").
extern const std::array<ReplyHandlerEntry, 38> ReplyDispatchTable;

// The first entry matching the start of `work_copy`, or nullptr.
const ReplyHandlerEntry* FindReplyHandler(std::string_view work_copy);

// The work copy without its line end (trailing CR and LF characters).
std::string_view ReplyPayload(std::string_view work_copy);

}  // namespace vqx
