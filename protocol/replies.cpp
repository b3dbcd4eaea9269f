#include "protocol/replies.h"

#include <cstring>
#include <span>
#include <utility>

#include "protocol/read_back.h"
#include "transport/link_state.h"

namespace vqx {

namespace {

struct FixedReply {
  std::string_view line;
  ReplyKind kind;
  std::string_view box_text;
  std::string_view description;
};

constexpr FixedReply kFixedReplies[] = {
    {"GO", ReplyKind::kSuccess, "Success", "acknowledged"},
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

constexpr std::string_view kIgnoredMeaning = "not a reply, ignored";
constexpr std::string_view kIgnoredWords = "応答ではない行（無視）";
constexpr std::string_view kGarbledMeaning =
    "read-back that sets nothing (garbled), ignored";
constexpr std::string_view kGarbledWords = "壊れた読み出し応答（無視）";

// A fixed reply is the whole line, CR LF included.
const FixedReply* FindFixed(std::string_view work_copy) {
  if (!work_copy.ends_with("\r\n")) return nullptr;
  work_copy.remove_suffix(2);
  for (const FixedReply& fixed : kFixedReplies) {
    if (work_copy == fixed.line) return &fixed;
  }
  return nullptr;
}

// A record whose every byte is `fill`, as a starting point for a decoder.
DeviceSettings Filled(unsigned char fill) {
  DeviceSettings settings;
  std::memset(&settings, fill, sizeof settings);
  return settings;
}

// The settings a read-back line sets, by field name and in words. It is
// decoded onto two records that differ in every byte, so that each value the
// decoder writes differs from the starting value in at least one of them;
// the value is shown from the all-zero record where it shows there (its
// texts are terminated), from the other otherwise.
void ReadBackSettings(const ReplyHandlerEntry& entry,
                      std::string_view work_copy, TextCodec& codec,
                      ReplyMeaning& meaning) {
  const DeviceSettings zero = Filled(0x00);
  const DeviceSettings ones = Filled(0xFF);
  DeviceSettings zero_decoded = zero;
  DeviceSettings ones_decoded = ones;
  entry.handler(zero_decoded, work_copy);
  entry.handler(ones_decoded, work_copy);
  const std::vector<ReportLine> zero_before = DescribeSettings(zero, codec);
  const std::vector<ReportLine> zero_after =
      DescribeSettings(zero_decoded, codec);
  const std::vector<ReportLine> ones_before = DescribeSettings(ones, codec);
  const std::vector<ReportLine> ones_after =
      DescribeSettings(ones_decoded, codec);
  const std::span<const SettingsValue> values = SettingsValues();
  for (std::size_t i = 0; i < zero_after.size(); ++i) {
    const DeviceSettings* decoded = nullptr;
    if (zero_after[i].value != zero_before[i].value) {
      meaning.settings.push_back(zero_after[i]);
      decoded = &zero_decoded;
    } else if (ones_after[i].value != ones_before[i].value) {
      meaning.settings.push_back(ones_after[i]);
      decoded = &ones_decoded;
    } else {
      continue;
    }
    meaning.settings_in_words.push_back(
        SettingInWords(values[i], *decoded, codec));
  }
}

}  // namespace

ReplyClass ClassifyReply(std::string_view work_copy) {
  const FixedReply* fixed = FindFixed(work_copy);
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

ReplyMeaning ExplainReply(std::string_view work_copy, TextCodec& codec) {
  const ReplyClass reply = ClassifyReply(work_copy);
  ReplyMeaning meaning;
  meaning.kind = reply.kind;
  switch (reply.kind) {
    case ReplyKind::kSuccess:
    case ReplyKind::kMenu:
    case ReplyKind::kModeError:
    case ReplyKind::kDeviceError:
      meaning.words = std::string(reply.box_text);
      meaning.summary = meaning.words;
      meaning.description = std::string(FindFixed(work_copy)->description);
      return meaning;
    case ReplyKind::kReadBack:
      if (reply.read_back->handler == kVersionReadBack.decode) {
        const std::string version(
            ReplyPayload(work_copy).substr(kVersionReadBack.reply.size()));
        meaning.words = "機器のバージョン: " + version;
        meaning.summary = "device version " + version;
        meaning.description = meaning.summary;
        return meaning;
      }
      ReadBackSettings(*reply.read_back, work_copy, codec, meaning);
      for (std::size_t i = 0; i < meaning.settings.size(); ++i) {
        if (i > 0) {
          meaning.summary += "; ";
          meaning.words += "、";
        }
        meaning.summary += FormatReportLine(meaning.settings[i]);
        meaning.words += meaning.settings_in_words[i];
      }
      if (meaning.settings.empty()) {
        meaning.summary = kGarbledMeaning;
        meaning.words = kGarbledWords;
      }
      meaning.description = "read-back";
      return meaning;
    case ReplyKind::kIgnored:
      break;
  }
  meaning.words = kIgnoredWords;
  meaning.summary = kIgnoredMeaning;
  meaning.description = meaning.summary;
  return meaning;
}

}  // namespace vqx
