// vqx460ctl's configuration file: defaults for the options that name the
// device, so that an installer with one adapter need not type them again
// and again. An INI file, read through the same store as the Windows
// program's configuration:
//
//   [vqx460ctl]
//   port=/dev/ttyUSB0
//   rs485=yes
//   address=05
//   echo=no
//   fast=yes
//
// "--config FILE" (before the command) names the file; without it
// $XDG_CONFIG_HOME/vqx460/vqx460ctl.ini (or ~/.config/vqx460/vqx460ctl.ini)
// is read when it exists. What the command line says wins over the file;
// each command takes only the defaults of the options it has.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/platform.h"

namespace vqx {

inline constexpr std::string_view kCtlConfigSection = "vqx460ctl";

struct CtlDefaults {
  std::optional<std::string> port;
  bool rs485 = false;
  std::optional<std::string> address;  // "00".."31" or "broadcast"
  bool echo = false;
  bool fast = false;
};

// Reads the defaults from `profile`, whose file is named `file_name` in
// messages. Nothing, with `error` saying which value of the file is not
// understood and why, when one is not.
std::optional<CtlDefaults> ReadCtlDefaults(ProfileStore& profile,
                                           std::string_view file_name,
                                           std::string& error);

// An environment variable, or nothing when it is not set.
using Environment = std::function<std::optional<std::string>(const char*)>;

// The process's own environment.
std::optional<std::string> ProcessEnvironment(const char* name);

// The file read when no --config is given; empty when neither
// XDG_CONFIG_HOME nor HOME is set.
std::string DefaultCtlConfigPath(const Environment& environment);

// The command line (program name first) with the defaults of its command
// added after it, as if typed. `error` is set (and the result empty) when
// the file that --config names cannot be read or a value of the file is not
// understood.
std::vector<std::string> WithCtlDefaults(const std::vector<std::string>& args,
                                         const Environment& environment,
                                         std::string& error);

}  // namespace vqx
