// The device's replies: what each line is ("GO", "GN", "E0".."E3", "MENU",
// a read-back line, or nothing the program knows), the box it raises, and
// what it means in words. One table holds the fixed replies, and one
// function tells what any line means, for every place that shows it: the
// boxes, the traffic log and vqx460ctl.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/platform.h"
#include "base/settings_report.h"
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
  // The text of the box the reply raises ("Success", "Menu Display", "Mode
  // Error", "Framing Error", ...); "" for none. The dispatch decides when
  // it shows: "Success" at the next timer tick and only outside a run, a
  // "Mode Error" only outside a run.
  std::string_view box_text;
  // The decoder entry of a read-back line.
  const ReplyHandlerEntry* read_back = nullptr;
};

// What a work copy (address removed, CR LF still there) is.
ReplyClass ClassifyReply(std::string_view work_copy);

// The line without the RS-485 address when `rs_control` is non-zero, cut at
// the first NUL byte. A line too short to hold an address gives "".
std::string_view ReplyWorkCopy(std::string_view line, int rs_control);

// What a received line means.
struct ReplyMeaning {
  ReplyKind kind = ReplyKind::kIgnored;
  // In the words the program shows beside the line (the traffic log): the
  // box text of a fixed reply ("Success", "Mode Error", "Command Error",
  // ...), as the device's own texts are always shown; "機器のバージョン:
  // 1.00" for the version; for another read-back the settings it set, as
  // `settings_in_words` below, joined by "、", or a note that it set
  // nothing; a note that the line is no reply for anything else.
  std::string words;
  // The same by field names, as vqx460ctl's log has always written it:
  // "device version 1.00", the settings as `settings` joined by "; ", "not a
  // reply, ignored".
  std::string summary;
  // The longer words of vqx460ctl: "acknowledged", "Command Error: the
  // device does not know this command or value", "device version 1.00",
  // "read-back" (its settings are told apart); for anything else the
  // summary.
  std::string description;
  // The settings a read-back set, by field name and value as the settings
  // listing shows them ("alarm_mode = 1 (External)"). The line is decoded
  // onto two scratch records that differ in every byte, so every value it
  // writes shows, whatever the record held.
  std::vector<ReportLine> settings;
  // The same settings in the words of the dialogs: "アラーム / モード:
  // External".
  std::vector<std::string> settings_in_words;
};

// What `work_copy` (address removed, line end kept) means. `codec` shows
// the titles of a read-back.
ReplyMeaning ExplainReply(std::string_view work_copy, TextCodec& codec);

}  // namespace vqx
