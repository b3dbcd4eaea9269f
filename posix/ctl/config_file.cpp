#include "posix/ctl/config_file.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/file_io.h"
#include "base/ini_file.h"

namespace vqx {
namespace {

// The device options each command has.
struct CommandOptions {
  std::string_view name;
  bool port;
  bool rs485;  // and --address
  bool echo;
  bool fast;
};
constexpr CommandOptions kCommands[] = {
    {"send-all", true, true, true, true},
    {"read-all", true, true, true, true},
    {"send", true, true, true, false},
    {"scan", true, false, true, false},
};

// The options before the command that take a value.
constexpr std::string_view kConfigOption = "--config";
constexpr std::string_view kLogOption = "--log";

std::optional<bool> YesOrNo(std::string_view text) {
  std::string lower;
  for (char c : text) {
    lower += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  for (std::string_view yes : {"1", "yes", "true", "on"}) {
    if (lower == yes) return true;
  }
  for (std::string_view no : {"0", "no", "false", "off"}) {
    if (lower == no) return false;
  }
  return std::nullopt;
}

// "00".."31" (one digit will do) or "broadcast", as --address takes it.
bool IsAddress(std::string_view text) {
  if (text == "broadcast") return true;
  if (text.empty() || text.size() > 2) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value <= 31;
}

// Whether `option` appears (alone or as "option=value") from `from` on.
bool Given(const std::vector<std::string>& args, std::size_t from,
           std::string_view option) {
  for (std::size_t i = from; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == option ||
        (arg.starts_with(option) && arg.size() > option.size() &&
         arg[option.size()] == '=')) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::optional<CtlDefaults> ReadCtlDefaults(ProfileStore& profile,
                                           std::string_view file_name,
                                           std::string& error) {
  CtlDefaults defaults;
  const auto value = [&](std::string_view key) {
    return profile.GetString(kCtlConfigSection, key, "");
  };
  const auto refuse = [&](std::string_view key, const std::string& text,
                          std::string_view why) {
    error = std::string(file_name) + ": " + std::string(key) + "=" + text +
            ": " + std::string(why);
    return std::nullopt;
  };
  if (std::string port = value("port"); !port.empty()) defaults.port = port;
  const std::pair<std::string_view, bool CtlDefaults::*> flags[] = {
      {"rs485", &CtlDefaults::rs485},
      {"echo", &CtlDefaults::echo},
      {"fast", &CtlDefaults::fast},
  };
  for (const auto& [key, flag] : flags) {
    const std::string text = value(key);
    if (text.empty()) continue;
    const std::optional<bool> on = YesOrNo(text);
    if (!on) return refuse(key, text, "not yes or no");
    defaults.*flag = *on;
  }
  if (std::string address = value("address"); !address.empty()) {
    if (!IsAddress(address)) {
      return refuse("address", address, "not 00..31 or broadcast");
    }
    defaults.address = address;
  }
  return defaults;
}

std::optional<std::string> ProcessEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

std::string DefaultCtlConfigPath(const Environment& environment) {
  std::string folder;
  if (std::optional<std::string> config = environment("XDG_CONFIG_HOME");
      config && !config->empty()) {
    folder = *config;
  } else if (std::optional<std::string> home = environment("HOME");
             home && !home->empty()) {
    folder = *home + "/.config";
  } else {
    return {};
  }
  return folder + "/vqx460/vqx460ctl.ini";
}

std::vector<std::string> WithCtlDefaults(const std::vector<std::string>& args,
                                         const Environment& environment,
                                         std::string& error) {
  std::optional<std::string> named;
  std::size_t command_at = args.size();
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if ((arg == kConfigOption || arg == kLogOption) && i + 1 < args.size()) {
      if (arg == kConfigOption) named = args[i + 1];
      ++i;
    } else if (arg.starts_with(std::string(kConfigOption) + "=")) {
      named = arg.substr(kConfigOption.size() + 1);
    } else if (!arg.starts_with("-")) {
      command_at = i;
      break;
    }
  }

  const std::string path = named ? *named : DefaultCtlConfigPath(environment);
  if (path.empty()) return args;
  std::error_code missing;
  if (!named && !std::filesystem::exists(PathFromUtf8(path), missing)) {
    return args;
  }
  // The store reads an unreadable file as an empty one; this would pass
  // for a file without defaults.
  if (!ReadWholeFile(PathFromUtf8(path), kMaxIniFileBytes)) {
    error = "cannot read the configuration file " + path;
    return {};
  }

  const CommandOptions* command = nullptr;
  if (command_at < args.size()) {
    for (const CommandOptions& c : kCommands) {
      if (args[command_at] == c.name) command = &c;
    }
  }
  if (command == nullptr) return args;

  IniFileProfileStore store(path);
  const std::optional<CtlDefaults> defaults =
      ReadCtlDefaults(store, path, error);
  if (!defaults) return {};

  std::vector<std::string> result = args;
  const auto given = [&](std::string_view option) {
    return Given(args, command_at + 1, option);
  };
  if (command->port && defaults->port && !given("--port")) {
    result.insert(result.end(), {"--port", *defaults->port});
  }
  bool rs485 = given("--rs485");
  if (command->rs485 && defaults->rs485 && !rs485) {
    result.emplace_back("--rs485");
    rs485 = true;
  }
  // --address needs --rs485; the file's address waits for a line that
  // uses one.
  if (command->rs485 && rs485 && defaults->address && !given("--address")) {
    result.insert(result.end(), {"--address", *defaults->address});
  }
  if (command->echo && defaults->echo && !given("--echo")) {
    result.emplace_back("--echo");
  }
  if (command->fast && defaults->fast && !given("--fast")) {
    result.emplace_back("--fast");
  }
  return result;
}

}  // namespace vqx
