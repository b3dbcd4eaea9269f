// vqx460ctl: the settings tool on the command line.
//
//   vqx460ctl [--log FILE] defaults -o FILE.dat
//   vqx460ctl [--log FILE] show FILE.dat
//   vqx460ctl [--log FILE] diff [--device] [--words] A.dat B.dat
//   vqx460ctl [--log FILE] send-all FILE.dat --port DEV [--fast] [--echo]
//                          [--rs485 --address NN|broadcast]
//   vqx460ctl [--log FILE] read-all -o FILE.dat --port DEV [--fast] [--echo]
//                          [--rs485 --address NN] [--sheet FILE.html]
//   vqx460ctl sheet FILE.dat -o FILE.html [--site TEXT]
//   vqx460ctl [--log FILE] send LINE --port DEV [--echo] [--words]
//                          [--rs485 --address NN|broadcast]
//   vqx460ctl [--log FILE] scan --port DEV [--echo] [--timeout-ms MS]
//
// `--config FILE` (before the command) gives defaults for --port, --rs485,
// --address, --echo and --fast from an INI file (posix/ctl/config_file.h);
// without it ~/.config/vqx460/vqx460ctl.ini is read when it exists.
//
// Exit status 0 on success, 1 when the device, the port or a file fails, 2 for
// bad arguments. `diff` exits 0 for equal files, 1 when they differ and 2 for
// any other trouble (a file that cannot be read or is no settings file, bad
// arguments, output that cannot be written); `scan` 1 when no device
// answered. Errors are one line on stderr. `--log` appends every line sent
// and received, one per line, for the commands that talk to a device; the
// others never open it. `--words` shows settings as the program's dialogs
// word them ("アラーム / モード: External") instead of by field name; the
// log keeps field names either way.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>

#include "base/file_io.h"
#include "base/settings_report.h"
#include "files/settings_file.h"
#include "files/settings_sheet.h"
#include "posix/ctl/config_file.h"
#include "posix/ctl/devices.h"
#include "posix/ctl/summary.h"
#include "posix/device_session.h"
#include "posix/platform_posix.h"
#include "posix/posix_error.h"
#include "protocol/address_scan.h"
#include "protocol/read_all.h"
#include "protocol/replies.h"
#include "protocol/send_all.h"
#include "protocol/traffic_log.h"
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
  std::string port;                // the first of `ports`
  std::vector<std::string> ports;  // as given: paths or network addresses
  bool rs485 = false;
  std::string address = "00";
  bool echo = false;
};

void AddPortOptions(CLI::App& command, DeviceArguments& device) {
  command
      .add_option("--port", device.ports,
                  "Serial device (/dev/ttyUSB0) or serial device server "
                  "(rfc2217://HOST:PORT, tcp://HOST:PORT); read-all and "
                  "send-all take several (--port A --port B, or A,B)")
      ->required()
      ->delimiter(',')
      ->allow_extra_args(false);
  command.add_flag("--echo", device.echo,
                   "The line adapter echoes every byte sent: skip the echoes");
}

void AddDeviceOptions(CLI::App& command, DeviceArguments& device) {
  AddPortOptions(command, device);
  auto* rs485 = command.add_flag("--rs485", device.rs485,
                                 "RS-485 wiring: address every line");
  command
      .add_option("--address", device.address,
                  "RS-485 slave address 00..31, or broadcast; read-all and "
                  "send-all take a list (01,03,17) or found (scan first)")
      ->needs(rs485);
}

// The traffic log behind --log: every entry appended to the file as it is
// recorded, one line each.
class LogFile {
 public:
  // Throws PosixError when the file cannot be opened.
  explicit LogFile(const std::string& path)
      : file_(std::fopen(path.c_str(), "a")),
        log_(clock_, codec_, TrafficMeanings::kFieldNames) {
    if (file_ == nullptr) {
      throw PosixError("cannot open the log " + path, errno);
    }
    log_.SetListener([this](const TrafficEntry& entry) {
      Append(FormatTrafficEntry(entry));
    });
  }
  ~LogFile() {
    log_.SetListener({});
    std::fclose(file_);
  }
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  TrafficLog& log() { return log_; }

  // A note about the connection, in the place of a line's direction:
  // "2024-01-05 09:05:03.120	--		connected to rfc2217://...".
  void Note(const std::string& text) {
    TrafficEntry entry;
    entry.time = clock_.Now();
    const std::string line = FormatTrafficEntry(entry);
    Append(line.substr(0, line.find('\t')) + "\t--\t\t" + text);
  }

 private:
  void Append(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::fputs((line + "\n").c_str(), file_);
    std::fflush(file_);
  }

  std::mutex mutex_;
  std::FILE* file_;
  PosixClock clock_;
  IconvTextCodec codec_;
  TrafficLog log_;
};

// Set by --log before any command runs.
TrafficLog* g_traffic_log = nullptr;
LogFile* g_log_file = nullptr;

// Notes about a network connection go to the log, if any.
void LogNote(const std::string& note) {
  if (g_log_file != nullptr) g_log_file->Note(note);
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

// Loads a settings file, as Open does: all of it, or nothing and the
// reason in `why`.
bool LoadFile(const std::string& path, DeviceSettings& settings,
              std::string& why) {
  LoadDefaultSettings(settings);
  const SettingsFileRead read = ReadSettingsFile(path, settings);
  if (read) return true;
  if (read.error->problem == SettingsFileProblem::kCannotRead) {
    why = "cannot read " + path;
  } else {
    IconvTextCodec codec;
    why = path + " is not a settings file: " +
          DescribeSettingsFileError(*read.error, codec);
  }
  return false;
}

// Writes a settings file, saying why it could not be written.
int WriteOutput(const std::string& output, DeviceSettings& settings) {
  if (IsWriteProtected(PathFromUtf8(output))) {
    return Fail("cannot write " + output + ": the file is write-protected");
  }
  if (!WriteSettingsFile(output, settings)) {
    return Fail("cannot write " + output);
  }
  return 0;
}

int RunDefaults(const std::string& output) {
  DeviceSettings settings;
  LoadDefaultSettings(settings);
  return WriteOutput(output, settings);
}

int RunShow(const std::string& input) {
  DeviceSettings settings;
  std::string why;
  if (!LoadFile(input, settings, why)) return Fail(why);
  IconvTextCodec codec;
  for (const ReportLine& line : DescribeSettings(settings, codec)) {
    std::cout << FormatReportLine(line) << "\n";
  }
  return 0;
}

// Writes the handover sheet of `settings` (from the file named
// `source`) to `output`.
int WriteSheet(const std::string& output, const DeviceSettings& settings,
               const std::string& source, const std::string& site,
               const std::string& device_version) {
  if (IsWriteProtected(PathFromUtf8(output))) {
    return Fail("cannot write " + output + ": the file is write-protected");
  }
  IconvTextCodec codec;
  PosixClock clock;
  SheetDetails details;
  details.file_name = PathFromUtf8(source).filename().string();
  details.written = clock.Now();
  details.site = site;
  details.device_version = device_version;
  if (!WriteFileAtomically(PathFromUtf8(output),
                           BuildSettingsSheet(settings, details, codec))) {
    return Fail("cannot write " + output);
  }
  return 0;
}

int RunSheet(const std::string& input, const std::string& output,
             const std::string& site) {
  DeviceSettings settings;
  std::string why;
  if (!LoadFile(input, settings, why)) return Fail(why);
  if (int status = WriteSheet(output, settings, input, site, ""); status != 0) {
    return status;
  }
  std::cout << "sheet written to " << output << "\n";
  return 0;
}

constexpr int kDiffers = 1;
constexpr int kUnreadable = 2;

constexpr const char* kNotReadHeading =
    "Not read by a read-all (a file read from a device holds the values it "
    "started from):";
constexpr const char* kNotReadHeadingInWords =
    "機器から読み込まない項目（読み込んだファイルでも元の値のまま）:";

// Lists the differences, by field name or in the dialogs' words. The fields
// no read-all reads come last under a heading of their own; with
// `device_fields_only` they are left out, so that a file read from a device
// compares equal to the file sent to it.
int RunDiff(const std::string& first_path, const std::string& second_path,
            bool device_fields_only, bool words) {
  auto format = words ? FormatDifferenceInWords : FormatDifference;
  DeviceSettings first;
  DeviceSettings second;
  for (auto [path, settings] :
       {std::pair{&first_path, &first}, std::pair{&second_path, &second}}) {
    std::string why;
    if (!LoadFile(*path, *settings, why)) {
      std::cerr << "vqx460ctl: " << why << "\n";
      return kUnreadable;
    }
  }
  IconvTextCodec codec;
  const std::vector<SettingsDifference> differences =
      CompareSettings(first, second, codec, kFieldsReadAllDoesNotRead);
  std::vector<const SettingsDifference*> not_read;
  bool differ = false;
  for (const SettingsDifference& difference : differences) {
    if (difference.not_read_by_read_all) {
      if (!device_fields_only) not_read.push_back(&difference);
      continue;
    }
    std::cout << format(difference) << "\n";
    differ = true;
  }
  if (!not_read.empty()) {
    if (differ) std::cout << "\n";
    std::cout << (words ? kNotReadHeadingInWords : kNotReadHeading) << "\n";
    for (const SettingsDifference* difference : not_read) {
      std::cout << format(*difference) << "\n";
    }
  }
  return differ || !not_read.empty() ? kDiffers : 0;
}

SessionOptions Session(const DeviceArguments& device, int address) {
  SessionOptions options;
  options.port_path = device.port;
  options.rs485 = device.rs485;
  options.address = address;
  options.echo = device.echo;
  options.traffic_log = g_traffic_log;
  options.on_note = [](const std::string& note) {
    std::fprintf(stderr, "vqx460ctl: %s\n", note.c_str());
    LogNote(note);
  };
  return options;
}

int RunSendAll(const std::string& input, const DeviceArguments& device,
               int address, bool fast) {
  DeviceSettings settings;
  std::string why;
  if (!LoadFile(input, settings, why)) return Fail(why);
  ConsoleMessageBoxes boxes;
  DeviceSession session(Session(device, address), boxes);
  Progress progress("send-all", kSendAllSteps);
  Pacing pacing = SendAllPacing();
  pacing.reply_paced = fast;
  SessionResult result = session.SendAll(
      settings, pacing,
      [&](int step, const std::string& percent) { progress(step, percent); });
  if (!result.ok) return Fail(result.message);
  std::cout << result.message << "\n";
  return 0;
}

int RunReadAll(const std::string& output, const DeviceArguments& device,
               int address, bool fast, const std::string& sheet) {
  // Known before the run as well as after it.
  for (const std::string* path : {&output, &sheet}) {
    if (!path->empty() && IsWriteProtected(PathFromUtf8(*path))) {
      return Fail("cannot write " + *path + ": the file is write-protected");
    }
  }
  ConsoleMessageBoxes boxes;
  DeviceSession session(Session(device, address), boxes);
  DeviceSettings settings;
  SessionResult result;
  {
    Progress progress("read-all", kReadAllSteps);
    Pacing pacing = ReadAllPacing();
    pacing.reply_paced = fast;
    result = session.ReadAll(
        settings, pacing,
        [&](int step, const std::string& percent) { progress(step, percent); });
  }
  if (!result.ok) return Fail(result.message + "; nothing written");
  if (int status = WriteOutput(output, settings); status != 0) return status;
  std::cout << result.message << ", written to " << output << "\n";
  if (sheet.empty()) return 0;
  // The version that answered the read-all's last step.
  if (int status =
          WriteSheet(sheet, settings, output, "",
                     session.connection().version_replies().RunAnswer());
      status != 0) {
    return status;
  }
  std::cout << "sheet written to " << sheet << "\n";
  return 0;
}

int RunSend(const std::string& line, const DeviceArguments& device, int address,
            int timeout_ms, bool words) {
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
  LineReply reply;
  SessionResult result =
      session.SendLine(line, std::chrono::milliseconds(timeout_ms), reply);
  if (reply.text.empty()) {
    if (!result.ok) return Fail(result.message);
    std::cout << result.message << "\n";
    return 0;
  }
  // The settings a read-back carried, each on a line of its own: by field
  // name, or in the words of the program's traffic log.
  IconvTextCodec codec;
  const ReplyMeaning meaning = ExplainReply(reply.work_copy, codec);
  std::cout << "reply: " << reply.text << "\n";
  if (words) {
    std::cout << "meaning: "
              << (meaning.settings_in_words.empty() ? meaning.words
                                                    : "読み出し応答")
              << "\n";
    for (const std::string& setting : meaning.settings_in_words) {
      std::cout << "  " << setting << "\n";
    }
  } else {
    std::cout << "meaning: " << meaning.description << "\n";
    for (const ReportLine& setting : meaning.settings) {
      std::cout << "  " << FormatReportLine(setting) << "\n";
    }
  }
  return result.ok ? 0 : kFailure;
}

// The ports are names a port can have, and only one unless `several`;
// `device.port` becomes the first. 0, or the usage status after saying why.
int CheckPorts(const CLI::App& command, DeviceArguments& device, bool several) {
  std::string problem;
  if (device.ports.size() > 1 && !several) {
    problem = "--port: " + command.get_name() + " talks to one port";
  }
  for (const std::string& port : device.ports) {
    if (problem.empty()) problem = CheckPortName(port);
  }
  if (!problem.empty()) {
    std::cerr << "vqx460ctl: " << problem << "\n" << command.help();
    return kUsage;
  }
  device.port = device.ports.front();
  return 0;
}

// read-all or send-all over several devices (posix/ctl/devices.h), or with
// --json: a summary at the end, exit status 0 only when every device
// succeeded. read-all's `output` is then a folder, one file per device.
int RunMany(const std::string& command, const std::string& file,
            const DeviceArguments& device, bool fast, bool json) {
  AddressList addresses;
  if (device.rs485) {
    std::string error;
    if (!ParseAddressList(device.address, addresses, error)) {
      std::cerr << "vqx460ctl: " << error << "\n";
      return kUsage;
    }
  }
  const bool reading = command == "read-all";
  const bool several =
      NamesSeveralDevices(device.ports, device.rs485, device.address);
  const bool several_ports = device.ports.size() > 1;
  DeviceSettings settings;
  if (reading && several) {
    std::error_code error;
    std::filesystem::create_directories(PathFromUtf8(file), error);
    if (!std::filesystem::is_directory(PathFromUtf8(file))) {
      return Fail("cannot use " + file +
                  " as the folder for one file per device" +
                  (error ? ": " + error.message() : ""));
    }
  } else if (reading && IsWriteProtected(PathFromUtf8(file))) {
    return Fail("cannot write " + file + ": the file is write-protected");
  } else if (!reading) {
    std::string why;
    if (!LoadFile(file, settings, why)) return Fail(why);
  }
  if (several_ports) {
    for (std::size_t i = 0; i < device.ports.size(); ++i) {
      for (std::size_t j = 0; j < i; ++j) {
        if (reading &&
            PortLabel(device.ports[i]) == PortLabel(device.ports[j])) {
          return Fail("--port " + device.ports[j] + " and " + device.ports[i] +
                      " would write files of the same name (" +
                      PortLabel(device.ports[i]) + "-NN.dat)");
        }
      }
    }
  }
  std::vector<PortPlan> plans;
  for (const std::string& port : device.ports) {
    plans.push_back({port, device.rs485, addresses});
  }
  ManyDevicesOptions options;
  options.session = Session(device, 0);
  options.session.on_note = LogNote;
  options.several_ports = several_ports;
  const DeviceRunFn run = [&](DeviceSession& session, DeviceReport& report,
                              DeviceRow& row) {
    Pacing pacing = reading ? ReadAllPacing() : SendAllPacing();
    pacing.reply_paced = fast;
    SessionResult result;
    if (!reading) {
      result = session.SendAll(settings, pacing);
      row.ok = result.ok;
    } else {
      DeviceSettings read;
      result = session.ReadAll(read, pacing);
      if (result.ok) {
        const int address =
            device.rs485 ? session.connection().slave_address().load() : -1;
        row.file = several ? (std::filesystem::path(PathFromUtf8(file)) /
                              DeviceFileName(row.port, address, several_ports))
                                 .string()
                           : file;
        if (IsWriteProtected(PathFromUtf8(row.file))) {
          result.ok = false;
          result.message =
              "cannot write " + row.file + ": the file is write-protected";
        } else if (!WriteSettingsFile(row.file, read)) {
          result.ok = false;
          result.message = "cannot write " + row.file;
        } else {
          result.message += ", written to " + row.file;
        }
        if (!result.ok) row.file.clear();
      } else {
        result.message += "; nothing written";
      }
      row.ok = result.ok;
    }
    row.lines = result.steps;
    row.message = result.message;
    report.Line(result.message);
  };
  const std::vector<DeviceRow> rows =
      RunDevices(plans, options, run, [&](const std::string& text) {
        // stdout is the summary's; what each device did goes to stderr.
        std::cerr << text << std::flush;
      });
  std::cout << (json ? FormatSummaryJson(command, rows)
                     : FormatSummaryTable(rows, several_ports));
  const bool all_ok =
      !rows.empty() && std::all_of(rows.begin(), rows.end(),
                                   [](const DeviceRow& row) { return row.ok; });
  return all_ok ? 0 : kFailure;
}

int RunScan(DeviceArguments device, int timeout_ms) {
  device.rs485 = true;
  ConsoleMessageBoxes boxes;
  DeviceSession session(Session(device, 0), boxes);
  std::vector<ScanAnswer> answers;
  SessionResult result;
  {
    Progress progress("scan", kScanAddresses);
    result = session.Scan(std::chrono::milliseconds(timeout_ms), answers,
                          [&](int done, const std::string& percent) {
                            if (done > 0) progress(done, percent);
                          });
  }
  for (const ScanAnswer& answer : answers) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02d", answer.address);
    std::cout << digits << " " << answer.version << "\n";
  }
  if (!result.ok) return Fail(result.message);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"VQX-460 settings tool"};
  app.require_subcommand(1);
  app.failure_message(CLI::FailureMessage::help);
  std::string log_path;
  app.add_option("--log", log_path,
                 "Append every line sent and received to this file (give "
                 "it before the command)");
  std::string config_path;
  app.add_option("--config", config_path,
                 "Defaults for the device options: an INI file with section "
                 "[vqx460ctl] (give it before the command; default "
                 "~/.config/vqx460/vqx460ctl.ini)");

  std::string defaults_output;
  auto* defaults = app.add_subcommand("defaults", "Write the factory settings");
  defaults->add_option("-o,--output", defaults_output, "Settings file")
      ->required();

  std::string show_input;
  auto* show = app.add_subcommand("show", "List every setting of a file");
  show->add_option("file", show_input, "Settings file")->required();

  std::string diff_first, diff_second;
  bool diff_device = false;
  auto* diff = app.add_subcommand(
      "diff", "List the settings that differ between two files");
  diff->add_option("first", diff_first, "Settings file")->required();
  diff->add_option("second", diff_second, "Settings file")->required();
  diff->add_flag("--device", diff_device,
                 "Compare only the settings a read-all reads from a device");
  bool diff_words = false;
  diff->add_flag("--words", diff_words,
                 "Name the settings as the program's dialogs do");

  constexpr const char* kFastHelp =
      "Send each line as soon as the previous one is answered";
  constexpr const char* kJsonHelp = "Print the summary of the devices as JSON";
  std::string send_all_input;
  DeviceArguments send_all_device;
  bool send_all_fast = false;
  auto* send_all =
      app.add_subcommand("send-all", "Send every setting of a file");
  send_all->add_option("file", send_all_input, "Settings file")->required();
  send_all->add_flag("--fast", send_all_fast, kFastHelp);
  bool send_all_json = false;
  send_all->add_flag("--json", send_all_json, kJsonHelp);
  AddDeviceOptions(*send_all, send_all_device);

  std::string read_all_output;
  DeviceArguments read_all_device;
  bool read_all_fast = false;
  auto* read_all = app.add_subcommand(
      "read-all", "Read every setting from the device into a file");
  read_all->add_option("-o,--output", read_all_output, "Settings file")
      ->required();
  read_all->add_flag("--fast", read_all_fast, kFastHelp);
  bool read_all_json = false;
  read_all->add_flag("--json", read_all_json, kJsonHelp);
  std::string read_all_sheet;
  read_all->add_option("--sheet", read_all_sheet,
                       "Also write the settings sheet (HTML) after a "
                       "successful read");
  AddDeviceOptions(*read_all, read_all_device);

  std::string sheet_input, sheet_output, sheet_site;
  auto* sheet = app.add_subcommand(
      "sheet", "Write the settings sheet of a file (one HTML page)");
  sheet->add_option("file", sheet_input, "Settings file")->required();
  sheet->add_option("-o,--output", sheet_output, "HTML file")->required();
  sheet->add_option("--site", sheet_site, "The site, shown in the heading");

  std::string send_line;
  DeviceArguments send_device;
  int timeout_ms = 3000;
  auto* send = app.add_subcommand(
      "send", "Send one command line (CR LF is added) and show the reply");
  send->add_option("line", send_line, "Command, e.g. RVN")->required();
  send->add_option("--timeout-ms", timeout_ms, "How long to wait for a reply")
      ->check(CLI::Range(1, 600'000));
  bool send_words = false;
  send->add_flag("--words", send_words,
                 "Tell the reply's meaning as the program's traffic log does");
  AddDeviceOptions(*send, send_device);

  DeviceArguments scan_device;
  int scan_timeout_ms = static_cast<int>(kScanReplyTimeout.count());
  auto* scan = app.add_subcommand(
      "scan", "Ask every RS-485 address 00..31 for its version");
  scan->add_option("--timeout-ms", scan_timeout_ms,
                   "How long each address has to answer")
      ->capture_default_str()
      ->check(CLI::Range(1, 60'000));
  AddPortOptions(*scan, scan_device);

  std::string config_error;
  const std::vector<std::string> args =
      WithCtlDefaults({argv, argv + argc}, ProcessEnvironment, config_error);
  if (!config_error.empty()) {
    std::cerr << "vqx460ctl: " << config_error << "\n";
    return kUsage;
  }
  try {
    // CLI11 takes the arguments last first, without the program's name.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    if (!reversed.empty()) reversed.pop_back();
    app.parse(reversed);
  } catch (const CLI::ParseError& error) {
    int code = app.exit(error);
    return code == 0 ? 0 : kUsage;
  }

  InstallPosixFileSync();
  // A reader that goes away makes the output fail, as a full disk does,
  // instead of ending the program without a word.
  std::signal(SIGPIPE, SIG_IGN);
  const bool talks_to_device = send_all->parsed() || read_all->parsed() ||
                               send->parsed() || scan->parsed();
  std::unique_ptr<LogFile> log_file;
  try {
    if (!log_path.empty() && talks_to_device) {
      log_file = std::make_unique<LogFile>(log_path);
      g_traffic_log = &log_file->log();
      g_log_file = log_file.get();
    }
  } catch (const std::exception& error) {
    return Fail(error.what());
  }
  auto address_of = [&](const DeviceArguments& device) {
    return device.rs485 ? ParseAddress(device.address) : 0;
  };
  auto run = [&]() -> int {
    if (defaults->parsed()) return RunDefaults(defaults_output);
    if (show->parsed()) return RunShow(show_input);
    if (sheet->parsed()) return RunSheet(sheet_input, sheet_output, sheet_site);
    if (diff->parsed()) {
      return RunDiff(diff_first, diff_second, diff_device, diff_words);
    }
    if (scan->parsed()) {
      if (int status = CheckPorts(*scan, scan_device, false); status != 0) {
        return status;
      }
      return RunScan(scan_device, scan_timeout_ms);
    }
    for (auto [command, device] : {std::pair{send_all, &send_all_device},
                                   std::pair{read_all, &read_all_device},
                                   std::pair{send, &send_device}}) {
      if (!command->parsed()) continue;
      if (int status = CheckPorts(*command, *device, command != send);
          status != 0) {
        return status;
      }
      const bool json = command == send_all ? send_all_json : read_all_json;
      if (command != send &&
          (json || NamesSeveralDevices(device->ports, device->rs485,
                                       device->address))) {
        if (command == read_all && !read_all_sheet.empty()) {
          // One page describes one device; several would overwrite it.
          std::cerr << "vqx460ctl: --sheet writes the page of one device; "
                       "leave it out with several devices or --json\n";
          return kUsage;
        }
        return RunMany(
            command->get_name(),
            command == send_all ? send_all_input : read_all_output, *device,
            command == send_all ? send_all_fast : read_all_fast, json);
      }
      int address = address_of(*device);
      if (address < 0) {
        std::cerr << "vqx460ctl: --address must be 00..31 or broadcast\n"
                  << command->help();
        return kUsage;
      }
      if (command == send_all) {
        return RunSendAll(send_all_input, *device, address, send_all_fast);
      }
      if (command == read_all) {
        return RunReadAll(read_all_output, *device, address, read_all_fast,
                          read_all_sheet);
      }
      return RunSend(send_line, *device, address, timeout_ms, send_words);
    }
    return kUsage;
  };
  // diff keeps 1 for files that differ; any trouble of its own is 2.
  const int trouble = diff->parsed() ? kUnreadable : kFailure;
  int status = kFailure;
  try {
    status = run();
  } catch (const std::exception& error) {
    Fail(error.what());
    return trouble;
  }
  // A listing that did not reach its reader (a full disk, a closed pipe) is
  // no listing.
  std::cout.flush();
  if (!std::cout) {
    Fail("cannot write the output");
    return trouble;
  }
  return status;
}
