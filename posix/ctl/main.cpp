// vqx460ctl: the settings tool on the command line.
//
//   vqx460ctl defaults -o FILE.dat
//   vqx460ctl show FILE.dat
//   vqx460ctl send-all FILE.dat --port DEV [--rs485 --address NN|broadcast]
//   vqx460ctl read-all -o FILE.dat --port DEV [--rs485 --address NN]
//   vqx460ctl send LINE --port DEV [--rs485 --address NN|broadcast]
//
// Exit status 0 on success, 1 when the device, the port or a file fails, 2 for
// bad arguments. Errors are one line on stderr.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "files/settings_file.h"
#include "base/settings_report.h"
#include "posix/device_session.h"
#include "posix/platform_posix.h"
#include "posix/posix_error.h"
#include "protocol/read_all.h"
#include "protocol/replies.h"
#include "protocol/send_all.h"
#include "transport/link.h"

namespace {

using namespace vqx;

constexpr int kFailure = 1;
constexpr int kUsage = 2;

int Fail(const std::string& message) {
  std::cerr << "vqx460ctl: " << message << "\n";
  return kFailure;
}

struct DeviceArguments {
  std::string port;
  bool rs485 = false;
  std::string address = "00";
};

void AddDeviceOptions(CLI::App& command, DeviceArguments& device) {
  command.add_option("--port", device.port, "Serial device, e.g. /dev/ttyUSB0")
      ->required();
  auto* rs485 = command.add_flag("--rs485", device.rs485,
                                 "RS-485 wiring: address every line");
  command
      .add_option("--address", device.address,
                  "RS-485 slave address 00..31, or broadcast")
      ->needs(rs485);
}

// 0..31, or kBroadcastAddress for "broadcast"; -1 for anything else.
int ParseAddress(const std::string& text) {
  if (text == "broadcast") return kBroadcastAddress;
  int value = -1;
  auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0 ||
      value > 31 || text.size() > 2) {
    return -1;
  }
  return value;
}

// Shows the progress of a run: a line that rewrites itself on a terminal,
// one line per tenth otherwise.
class Progress {
 public:
  Progress(std::string name, int total)
      : name_(std::move(name)), total_(total), terminal_(isatty(2) != 0) {}
  ~Progress() {
    if (terminal_ && shown_) std::cerr << "\n";
  }
  void operator()(int step, const std::string&) {
    int percent = step * 100 / total_;
    if (!terminal_ && percent / 10 == last_tenth_) return;
    last_tenth_ = percent / 10;
    shown_ = true;
    std::cerr << (terminal_ ? "\r" : "") << name_ << ": " << step << "/"
              << total_ << " (" << percent << "%)" << (terminal_ ? "" : "\n")
              << std::flush;
  }

 private:
  std::string name_;
  int total_;
  bool terminal_;
  bool shown_ = false;
  int last_tenth_ = -1;
};

// Loads a settings file on top of the defaults, as Open does.
bool LoadFile(const std::string& path, DeviceSettings& settings) {
  LoadDefaultSettings(settings);
  return ReadSettingsFile(path, settings);
}

int RunDefaults(const std::string& output) {
  DeviceSettings settings;
  LoadDefaultSettings(settings);
  if (!WriteSettingsFile(output, settings)) {
    return Fail("cannot write " + output);
  }
  return 0;
}

int RunShow(const std::string& input) {
  DeviceSettings settings;
  if (!LoadFile(input, settings)) return Fail("cannot read " + input);
  IconvTextCodec codec;
  for (const ReportLine& line : DescribeSettings(settings, codec)) {
    std::cout << FormatReportLine(line) << "\n";
  }
  return 0;
}

SessionOptions Session(const DeviceArguments& device, int address) {
  SessionOptions options;
  options.port_path = device.port;
  options.rs485 = device.rs485;
  options.address = address;
  return options;
}

int RunSendAll(const std::string& input, const DeviceArguments& device,
               int address) {
  DeviceSettings settings;
  if (!LoadFile(input, settings)) return Fail("cannot read " + input);
  ConsoleMessageBoxes boxes;
  DeviceSession session(Session(device, address), boxes);
  Progress progress("send-all", kSendAllSteps);
  SessionResult result = session.SendAll(
      settings, SendAllPacing(),
      [&](int step, const std::string& percent) { progress(step, percent); });
  if (!result.ok) return Fail(result.message);
  std::cout << result.message << "\n";
  return 0;
}

int RunReadAll(const std::string& output, const DeviceArguments& device,
               int address) {
  ConsoleMessageBoxes boxes;
  DeviceSession session(Session(device, address), boxes);
  DeviceSettings settings;
  SessionResult result;
  {
    Progress progress("read-all", kReadAllSteps);
    result = session.ReadAll(
        settings, ReadAllPacing(),
        [&](int step, const std::string& percent) { progress(step, percent); });
  }
  if (!result.ok) return Fail(result.message + "; nothing written");
  if (!WriteSettingsFile(output, settings)) {
    return Fail("cannot write " + output);
  }
  std::cout << result.message << ", written to " << output << "\n";
  return 0;
}

// Every value the record can carry set to one no reply reports, so that the
// settings a read-back line carries show up as changes.
DeviceSettings Unknown() {
  DeviceSettings s;
  std::memset(&s, 0xFF, sizeof s);
  s.alarm_hold_time[0] = '\0';
  for (auto& title : s.title_text) std::memset(title, 0, sizeof title);
  return s;
}

int RunSend(const std::string& line, const DeviceArguments& device, int address,
            int timeout_ms) {
  if (line.empty()) return Fail("the command is empty");
  for (char c : line) {
    if (c < 0x20 || c > 0x7E) {
      return Fail("the command must be printable ASCII without line end");
    }
  }
  if (line.size() + 4 > kMaxFramedLineBytes) {
    return Fail("the command is longer than the device accepts");
  }
  ConsoleMessageBoxes boxes;
  DeviceSession session(Session(device, address), boxes);
  const DeviceSettings unknown = Unknown();
  session.core().settings.Replace(unknown);
  std::string reply;
  SessionResult result =
      session.SendLine(line, std::chrono::milliseconds(timeout_ms), reply);
  if (reply.empty()) {
    if (!result.ok) return Fail(result.message);
    std::cout << result.message << "\n";
    return 0;
  }
  std::cout << "reply: " << reply << "\n"
            << "meaning: " << DescribeReply(reply) << "\n";
  IconvTextCodec codec;
  auto before = DescribeSettings(unknown, codec);
  auto after = DescribeSettings(session.core().settings.Snapshot(), codec);
  for (std::size_t i = 0; i < after.size() && i < before.size(); ++i) {
    if (!(after[i] == before[i])) {
      std::cout << "  " << FormatReportLine(after[i]) << "\n";
    }
  }
  return result.ok ? 0 : kFailure;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"VQX-460 settings tool"};
  app.require_subcommand(1);
  app.failure_message(CLI::FailureMessage::help);

  std::string defaults_output;
  auto* defaults = app.add_subcommand("defaults", "Write the factory settings");
  defaults->add_option("-o,--output", defaults_output, "Settings file")
      ->required();

  std::string show_input;
  auto* show = app.add_subcommand("show", "List every setting of a file");
  show->add_option("file", show_input, "Settings file")->required();

  std::string send_all_input;
  DeviceArguments send_all_device;
  auto* send_all =
      app.add_subcommand("send-all", "Send every setting of a file");
  send_all->add_option("file", send_all_input, "Settings file")->required();
  AddDeviceOptions(*send_all, send_all_device);

  std::string read_all_output;
  DeviceArguments read_all_device;
  auto* read_all = app.add_subcommand(
      "read-all", "Read every setting from the device into a file");
  read_all->add_option("-o,--output", read_all_output, "Settings file")
      ->required();
  AddDeviceOptions(*read_all, read_all_device);

  std::string send_line;
  DeviceArguments send_device;
  int timeout_ms = 3000;
  auto* send = app.add_subcommand(
      "send", "Send one command line (CR LF is added) and show the reply");
  send->add_option("line", send_line, "Command, e.g. RVN")->required();
  send->add_option("--timeout-ms", timeout_ms, "How long to wait for a reply")
      ->check(CLI::Range(1, 600'000));
  AddDeviceOptions(*send, send_device);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    int code = app.exit(error);
    return code == 0 ? 0 : kUsage;
  }

  InstallPosixFileSync();
  auto address_of = [&](const DeviceArguments& device) {
    return device.rs485 ? ParseAddress(device.address) : 0;
  };
  try {
    if (defaults->parsed()) return RunDefaults(defaults_output);
    if (show->parsed()) return RunShow(show_input);
    for (auto [command, device] : {std::pair{send_all, &send_all_device},
                                   std::pair{read_all, &read_all_device},
                                   std::pair{send, &send_device}}) {
      if (!command->parsed()) continue;
      int address = address_of(*device);
      if (address < 0) {
        std::cerr << "vqx460ctl: --address must be 00..31 or broadcast\n"
                  << command->help();
        return kUsage;
      }
      if (command == send_all) {
        return RunSendAll(send_all_input, *device, address);
      }
      if (command == read_all) {
        return RunReadAll(read_all_output, *device, address);
      }
      return RunSend(send_line, *device, address, timeout_ms);
    }
  } catch (const PosixError& error) {
    return Fail(error.what());
  } catch (const std::exception& error) {
    return Fail(error.what());
  }
  return kUsage;
}
