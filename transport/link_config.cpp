#include "transport/link_config.h"

#include <string>

#include "base/ini_file.h"

namespace vqx {

int ReadIniNumber(ProfileStore& profile, std::string_view key) {
  return ParseProfileInteger(profile.GetString(kIniSection, key, "0"));
}

void ReadLinkConfig(ProfileStore& profile, LinkConfig& config) {
  config.com_port = ReadIniNumber(profile, kComPortKey);
  config.rs_control = ReadIniNumber(profile, kRsControlKey);
  config.select_number = ReadIniNumber(profile, kSelectNumberKey);
  config.echo = ReadIniNumber(profile, kEchoKey);
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

bool WriteRsControl(ProfileStore& profile, LinkConfig& config, int rs_control) {
  config.rs_control = rs_control;
  return WriteRsControl(profile, rs_control);
}

}  // namespace vqx
