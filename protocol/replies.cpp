#include "protocol/replies.h"

#include <utility>

#include "base/link_state.h"

namespace vqx {

namespace {

struct FixedReply {
  std::string_view line;
  ReplyKind kind;
  std::string_view box_text;
  std::string_view meaning;
};

constexpr FixedReply kFixedReplies[] = {
    {"GO", ReplyKind::kSuccess, "", "acknowledged"},
    {"MENU", ReplyKind::kMenu, "Menu Display",
     "Menu Display: the device's own menu is open"},
    {"GN", ReplyKind::kModeError, "Mode Error",
     "Mode Error: the device refuses this in its current mode"},
    {"E0", ReplyKind::kDeviceError, "Framing Error", "Framing Error"},
    {"E1", ReplyKind::kDeviceError, "Parity Error", "Parity Error"},
    {"E2", ReplyKind::kDeviceError, "Over Run Error", "Over Run Error"},
    {"E3", ReplyKind::kDeviceError, "Command Error",
     "Command Error: the device does not know this command or value"},
};

const FixedReply* FindFixed(std::string_view reply) {
  for (const FixedReply& fixed : kFixedReplies) {
    if (reply == fixed.line) return &fixed;
  }
  return nullptr;
}

}  // namespace

ReplyClass ClassifyReply(std::string_view work_copy) {
  // A fixed reply is the whole line, CR LF included.
  const FixedReply* fixed = nullptr;
  if (work_copy.ends_with("\r\n")) {
    fixed = FindFixed(work_copy.substr(0, work_copy.size() - 2));
  }
  // "GO" and "MENU" are known before the read-back table is looked at, "GN"
  // and the error codes after it, as the device's replies have always been
  // told apart.
  if (fixed != nullptr &&
      (fixed->kind == ReplyKind::kSuccess || fixed->kind == ReplyKind::kMenu)) {
    return {fixed->kind, fixed->box_text, nullptr};
  }
  if (const ReplyHandlerEntry* entry = FindReplyHandler(work_copy)) {
    return {ReplyKind::kReadBack, "", entry};
  }
  if (fixed != nullptr) return {fixed->kind, fixed->box_text, nullptr};
  return {};
}

std::string_view ReplyWorkCopy(std::string_view line, int rs_control) {
  // The device never sends NUL; whatever follows one is not part of a reply.
  const std::size_t nul = line.find('\0');
  if (nul != std::string_view::npos) line = line.substr(0, nul);
  if (IsRs485(rs_control)) {
    // The first two characters are the answering device's address.
    if (line.size() < 2) return {};
    line.remove_prefix(2);
  }
  return line;
}

std::string DescribeReply(std::string_view reply) {
  if (const FixedReply* fixed = FindFixed(reply)) {
    return std::string(fixed->meaning);
  }
  if (reply.starts_with(kVersionReadBack.reply)) {
    return "device version " +
           std::string(reply.substr(kVersionReadBack.reply.size()));
  }
  return "read-back";
}

}  // namespace vqx
