#include "base/link_config.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace vqx {

namespace {

// The profile value is read into a 10-character buffer.
constexpr std::size_t kProfileValueCharacters = 9;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

int ReadKey(ProfileStore& profile, std::string_view key) {
  return ParseProfileInteger(profile.GetString(kIniSection, key, "0"));
}

}  // namespace

int ParseProfileInteger(std::string_view text) {
  text = text.substr(0, kProfileValueCharacters);
  std::size_t position = 0;
  while (position < text.size() && IsBlank(text[position])) ++position;
  bool negative = false;
  if (position < text.size() &&
      (text[position] == '+' || text[position] == '-')) {
    negative = text[position] == '-';
    ++position;
  }
  // Nine characters hold at most nine digits, which always fit an int.
  int value = 0;
  while (position < text.size() && text[position] >= '0' &&
         text[position] <= '9') {
    value = value * 10 + (text[position] - '0');
    ++position;
  }
  return negative ? -value : value;
}

void ReadLinkConfig(ProfileStore& profile, LinkConfig& config) {
  config.com_port = ReadKey(profile, kComPortKey);
  config.rs_control = ReadKey(profile, kRsControlKey);
  config.select_number = ReadKey(profile, kSelectNumberKey);
  config.echo = ReadKey(profile, kEchoKey);
  config.fast = ReadKey(profile, kFastKey);
}

bool WriteComPort(ProfileStore& profile, int com_port) {
  return profile.WriteString(kIniSection, kComPortKey,
                             std::to_string(com_port));
}

bool WriteRsControl(ProfileStore& profile, int rs_control) {
  return profile.WriteString(kIniSection, kRsControlKey,
                             std::to_string(rs_control));
}

bool WriteComPort(ProfileStore& profile, LinkConfig& config, int com_port) {
  config.com_port = com_port;
  return WriteComPort(profile, com_port);
}

bool WriteEcho(ProfileStore& profile, LinkConfig& config, bool echo) {
  config.echo = echo ? 1 : 0;
  return profile.WriteString(kIniSection, kEchoKey, echo ? "1" : "0");
}

bool WriteFast(ProfileStore& profile, LinkConfig& config, bool fast) {
  config.fast = fast ? 1 : 0;
  return profile.WriteString(kIniSection, kFastKey, fast ? "1" : "0");
}

bool WriteRsControl(ProfileStore& profile, LinkConfig& config, int rs_control) {
  config.rs_control = rs_control;
  return WriteRsControl(profile, rs_control);
}

}  // namespace vqx
