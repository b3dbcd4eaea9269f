#include "protocol/read_back.h"

#include "base/encoding.h"

namespace vqx {

std::string_view SettingsGroupName(SettingsGroup group) {
  switch (group) {
    case SettingsGroup::kAlarm:
      return "アラーム";
    case SettingsGroup::kVideoLoss:
      return "ビデオロス";
    case SettingsGroup::kDateTime:
      return "日付・時刻";
    case SettingsGroup::kTitle:
      return "タイトル";
    case SettingsGroup::kAutoSwitching:
      return "自動切換え";
    case SettingsGroup::kVideoAdjustment:
      return "ビデオ映像の調整";
    case SettingsGroup::kDisplayChannel:
      return "表示チャンネル";
    case SettingsGroup::kVideoFormat:
      return "ビデオフォーマット";
    case SettingsGroup::kAgc:
      return "オート・ゲイン・コントロール";
    case SettingsGroup::kOther:
      return "その他";
    case SettingsGroup::kVersion:
      break;
  }
  return "バージョン";
}

std::string_view SettingsGroupEnglishName(SettingsGroup group) {
  switch (group) {
    case SettingsGroup::kAlarm:
      return "alarm";
    case SettingsGroup::kVideoLoss:
      return "video loss";
    case SettingsGroup::kDateTime:
      return "date and time display";
    case SettingsGroup::kTitle:
      return "titles";
    case SettingsGroup::kAutoSwitching:
      return "automatic switching";
    case SettingsGroup::kVideoAdjustment:
      return "video adjustment";
    case SettingsGroup::kDisplayChannel:
      return "split layouts";
    case SettingsGroup::kVideoFormat:
      return "video format";
    case SettingsGroup::kAgc:
      return "AGC";
    case SettingsGroup::kOther:
      return "other settings";
    case SettingsGroup::kVersion:
      break;
  }
  return "version";
}

std::string_view ReplyPayload(std::string_view work_copy) {
  while (!work_copy.empty() &&
         (work_copy.back() == '\n' || work_copy.back() == '\r')) {
    work_copy.remove_suffix(1);
  }
  return work_copy;
}

std::optional<std::string_view> Complete(std::string_view work_copy,
                                         std::size_t layout) {
  const std::string_view payload = ReplyPayload(work_copy);
  if (payload.size() < layout) return std::nullopt;
  return payload;
}

std::optional<int> Digits(std::string_view payload, std::size_t position,
                          int width) {
  for (int i = 0; i < width; ++i) {
    const char c = payload[position + i];
    if (c < '0' || c > '9') return std::nullopt;
  }
  return width == 2 ? DecodeDecimal2(payload.data() + position)
                    : DecodeDecimal3(payload.data() + position);
}

std::optional<int> InRange(std::optional<int> value, int low, int high) {
  if (!value || *value < low || *value > high) return std::nullopt;
  return value;
}

std::optional<int> ChannelAt(std::string_view payload, std::size_t position) {
  const std::optional<int> channel =
      InRange(Digits(payload, position, 2), 1, kChannelCount);
  if (!channel) return std::nullopt;
  return *channel - 1;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

void SwitchOffOrOn(std::string_view work_copy, std::size_t position, char off,
                   int& field) {
  if (const std::optional<std::string_view> p =
          Complete(work_copy, position + 1)) {
    field = (*p)[position] == off ? 0 : 1;
  }
}

}  // namespace vqx
