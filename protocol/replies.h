// The device's replies: what each line is ("GO", "GN", "E0".."E3", "MENU",
// a read-back line, or nothing the program knows), the box it raises, and
// what it means in words.
#pragma once

#include <string>
#include <string_view>

#include "protocol/reply_table.h"

namespace vqx {

enum class ReplyKind {
  kSuccess,      // "GO"
  kMenu,         // "MENU": the device's own menu is open
  kReadBack,     // a line of the dispatch table
  kModeError,    // "GN"
  kDeviceError,  // "E0".."E3"
  kIgnored,      // anything else
};

struct ReplyClass {
  ReplyKind kind = ReplyKind::kIgnored;
  // The text of the error box the reply raises ("Menu Display", "Mode
  // Error", "Framing Error", ...); "" for none. The dispatch decides whether
  // a "Mode Error" is shown (not during a sequence).
  std::string_view box_text;
  // The decoder entry of a read-back line.
  const ReplyHandlerEntry* read_back = nullptr;
};

// What a work copy (address removed, CR LF still there) is.
ReplyClass ClassifyReply(std::string_view work_copy);

// The line without the RS-485 address when `rs_control` is non-zero, cut at
// the first NUL byte. A line too short to hold an address gives "".
std::string_view ReplyWorkCopy(std::string_view line, int rs_control);

// What a reply (without CR LF and address) means: "acknowledged",
// "Command Error: ...", "device version 1.00"; "read-back" for a read-back
// line (the settings it carried are told by whoever stored them).
std::string DescribeReply(std::string_view reply);

}  // namespace vqx
