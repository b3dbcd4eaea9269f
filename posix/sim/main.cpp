// vqx460-sim: a simulated VQX-460 on a pseudo-terminal, or with --listen on a
// raw TCP line as a serial device server gives it; with --rs485 and several
// --address options, several devices on one line.
//
// Prints the slave path (or the tcp:// address listened on) on the first
// line of stdout, then serves the line until SIGINT or SIGTERM. Every received
// line and every reply is logged with a timestamp to --log (flushed per line)
// and to stderr.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/settings_file.h"
#include "posix/platform_posix.h"
#include "posix/posix_error.h"
#include "posix/sim/device_model.h"
#include "posix/sim/pty_device.h"
#include "transport/port_address.h"

namespace {

using vqx::sim::DeviceOptions;
using vqx::sim::Fault;

int g_signal_pipe[2] = {-1, -1};

void OnSignal(int signal_number) {
  int saved = errno;
  char byte = static_cast<char>(signal_number);
  [[maybe_unused]] ssize_t written = write(g_signal_pipe[1], &byte, 1);
  errno = saved;
}

// "N=FAULT" of --reply.
bool ParseReplyRule(const std::string& rule, DeviceOptions& options,
                    std::string& error) {
  auto equals = rule.find('=');
  if (equals == std::string::npos) {
    error = "--reply " + rule + ": expected N=E0|E1|E2|E3|MENU|GN|SILENT";
    return false;
  }
  int n = 0;
  auto [end, result] = std::from_chars(rule.data(), rule.data() + equals, n);
  auto fault = vqx::sim::ParseFault(std::string_view(rule).substr(equals + 1));
  if (result != std::errc() || end != rule.data() + equals || n < 1 || !fault) {
    error = "--reply " + rule +
            ": expected a command number from 1 and one of "
            "E0 E1 E2 E3 MENU GN SILENT";
    return false;
  }
  options.nth_reply[n] = *fault;
  return true;
}

// "NN" of --address: a decimal address 00..31 (leading zeros are not octal).
bool ParseAddress(const std::string& text, int& address) {
  int value = -1;
  auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() ||
      text.size() > 2 || value < 0 || value > 31) {
    return false;
  }
  address = value;
  return true;
}

// Creates `link` pointing at `target`, replacing an old symbolic link.
void MakeLink(const std::string& link, const std::string& target) {
  struct stat status {};
  if (lstat(link.c_str(), &status) == 0) {
    if (!S_ISLNK(status.st_mode)) {
      throw std::runtime_error("--link " + link +
                               ": exists and is not a symbolic link");
    }
    if (unlink(link.c_str()) != 0)
      throw vqx::PosixError("unlink " + link, errno);
  }
  if (symlink(target.c_str(), link.c_str()) != 0) {
    throw vqx::PosixError("symlink " + link, errno);
  }
}

// Removes `link` if it still points at `target`.
void RemoveLink(const std::string& link, const std::string& target) {
  char pointed[4096];
  ssize_t length = readlink(link.c_str(), pointed, sizeof pointed - 1);
  if (length < 0) return;
  if (std::string(pointed, static_cast<size_t>(length)) == target) {
    unlink(link.c_str());
  }
}

vqx::sim::DeviceClock HostClock() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  vqx::sim::DeviceClock clock;
  clock.year = (local.tm_year + 1900 - 2000 + 100) % 100;
  clock.month = local.tm_mon + 1;
  clock.day = local.tm_mday;
  clock.hour = local.tm_hour;
  clock.minute = local.tm_min;
  clock.second = std::min(local.tm_sec, 59);
  return clock;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Simulated VQX-460 on a pseudo-terminal"};
  std::string link_path, log_path, state_path, save_state_path, listen_text;
  bool noise_with_ff = false;
  bool rs485 = false;
  std::vector<std::string> address_texts;
  std::vector<std::string> reply_rules;
  DeviceOptions device;
  int delay_ms = 0;
  int baud = 0;
  bool echo = false;
  auto* link_option = app.add_option(
      "--link", link_path, "Create a symbolic link to the slave device here");
  app.add_option("--listen", listen_text,
                 "Serve one raw TCP client at a time on tcp://HOST:PORT "
                 "instead of a pseudo-terminal (port 0: any free port)")
      ->excludes(link_option);
  auto* rs485_flag =
      app.add_flag("--rs485", rs485, "Answer only lines with our address");
  app.add_option("--address", address_texts,
                 "Own RS-485 address, 00..31; repeat it for several devices "
                 "on the line")
      ->needs(rs485_flag);
  app.add_option("--log", log_path, "Log file (appended)");
  app.add_option("--reply", reply_rules,
                 "N=E0|E1|E2|E3|MENU|GN|SILENT: replace the Nth reply")
      ->take_all();
  app.add_flag("--silent", device.silent, "Never answer");
  app.add_option("--delay-ms", delay_ms, "Delay before every reply")
      ->check(CLI::Range(0, 60'000));
  app.add_flag("--echo", echo,
               "Send every received byte back at once, as an echoing line "
               "adapter does");
  app.add_option("--baud", baud,
                 "Let each reply take as long as its command and itself "
                 "would on a line of this rate (0: at once)")
      ->check(CLI::Range(0, 1'000'000));
  app.add_flag("--split", device.split, "Send every reply in two writes");
  app.add_flag("--coalesce", device.coalesce,
               "Hold a reply and send it with the next one");
  app.add_flag("--noise", device.noise,
               "Send garbage without LF before every reply");
  app.add_flag("--noise-ff", noise_with_ff,
               "As --noise, with garbage that holds 0xFF bytes");
  app.add_option("--state", state_path, "Load the device settings from a .dat");
  app.add_option("--save-state", save_state_path,
                 "Write the device settings here on exit and on SIGUSR1");
  CLI11_PARSE(app, argc, argv);

  device.rs485 = rs485;
  if (noise_with_ff) {
    device.noise = true;
    device.noise_bytes = vqx::sim::kNoiseBytesWithFF;
  }
  std::optional<vqx::PortAddress> listen;
  if (!listen_text.empty()) {
    // Port 0 (any free port) is for listening only; the address parser
    // takes the ports a client may connect to.
    const bool any_port = listen_text.ends_with(":0");
    const std::string checked =
        any_port ? listen_text.substr(0, listen_text.size() - 1) + "1"
                 : listen_text;
    vqx::PortAddress address;
    std::string error;
    if (!vqx::ParsePortAddress(checked, address, error) ||
        address.kind != vqx::PortKind::kRawTcp) {
      std::cerr << "vqx460-sim: --listen "
                << (error.empty() ? listen_text + ": expected tcp://HOST:PORT"
                                  : error)
                << "\n";
      return 2;
    }
    if (any_port) address.port = 0;
    listen = address;
  }
  std::vector<int> addresses;
  for (const std::string& text : address_texts) {
    int address = 0;
    if (!ParseAddress(text, address)) {
      std::cerr << "vqx460-sim: --address " << text << ": expected 00..31\n";
      return 2;
    }
    if (std::find(addresses.begin(), addresses.end(), address) !=
        addresses.end()) {
      std::cerr << "vqx460-sim: --address " << text
                << " given twice: two devices would answer at once\n";
      return 2;
    }
    addresses.push_back(address);
  }
  if (addresses.empty()) addresses.push_back(0);
  for (const std::string& rule : reply_rules) {
    std::string error;
    if (!ParseReplyRule(rule, device, error)) {
      std::cerr << "vqx460-sim: " << error << "\n";
      return 2;
    }
  }
  vqx::InstallPosixFileSync();

  std::optional<vqx::DeviceSettings> start_state;
  if (!state_path.empty()) {
    vqx::DeviceSettings settings;
    vqx::LoadDefaultSettings(settings);
    if (const vqx::SettingsFileRead read =
            vqx::ReadSettingsFile(state_path, settings);
        !read) {
      vqx::IconvTextCodec codec;
      std::cerr << "vqx460-sim: "
                << (read.error->problem == vqx::SettingsFileProblem::kCannotRead
                        ? "cannot read the state file " + state_path
                        : "the state file " + state_path +
                              " is not a settings file: " +
                              vqx::DescribeSettingsFileError(*read.error,
                                                             codec))
                << "\n";
      return 1;
    }
    start_state = settings;
  }
  std::vector<vqx::sim::DeviceModel> models;
  for (int address : addresses) {
    device.address = address;
    vqx::sim::DeviceModel model(device);
    model.set_clock(HostClock());
    if (start_state) model.set_state(*start_state);
    models.push_back(std::move(model));
  }

  std::FILE* log = nullptr;
  if (!log_path.empty()) {
    log = std::fopen(log_path.c_str(), "a");
    if (log == nullptr) {
      std::cerr << "vqx460-sim: "
                << vqx::DescribeError("cannot open the log " + log_path, errno)
                << "\n";
      return 1;
    }
  }

  try {
    if (pipe(g_signal_pipe) != 0) throw vqx::PosixError("pipe", errno);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) {
      sigaction(signal_number, &action, nullptr);
    }
    signal(SIGPIPE, SIG_IGN);

    vqx::sim::PtyDeviceOptions options;
    options.delay_ms = delay_ms;
    options.echo = echo;
    options.baud = baud;
    options.log = log;
    options.log_to_stderr = true;
    std::unique_ptr<vqx::sim::PtyDevice> line =
        listen
            ? std::make_unique<vqx::sim::PtyDevice>(std::move(models), options,
                                                    *listen)
            : std::make_unique<vqx::sim::PtyDevice>(std::move(models), options);
    vqx::sim::PtyDevice& pty = *line;
    if (!link_path.empty()) MakeLink(link_path, pty.slave_path());
    std::cout << pty.line_name() << std::endl;

    auto save_state = [&] {
      if (save_state_path.empty()) return;
      vqx::DeviceSettings settings =
          pty.WithModel([](vqx::sim::DeviceModel& m) { return m.state(); });
      if (!vqx::WriteSettingsFile(save_state_path, settings)) {
        std::cerr << "vqx460-sim: cannot write the state file "
                  << save_state_path << "\n";
      }
    };
    pty.Run(g_signal_pipe[0], [&] {
      char signal_number = 0;
      if (read(g_signal_pipe[0], &signal_number, 1) != 1) return true;
      save_state();
      return signal_number == SIGUSR1;
    });
    if (!link_path.empty()) RemoveLink(link_path, pty.slave_path());
  } catch (const std::exception& error) {
    std::cerr << "vqx460-sim: " << error.what() << "\n";
    if (log != nullptr) std::fclose(log);
    return 1;
  }
  if (log != nullptr) std::fclose(log);
  return 0;
}
