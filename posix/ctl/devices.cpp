#include "posix/ctl/devices.h"

#include <algorithm>
#include <charconv>
#include <thread>

#include "transport/port_address.h"

namespace vqx {

namespace {

using Steady = std::chrono::steady_clock;

std::string TwoDigits(int address) {
  char digits[3] = {static_cast<char>('0' + address / 10),
                    static_cast<char>('0' + address % 10), '\0'};
  return digits;
}

// The boxes of one port's session, passed on to the report of the device
// being run (the session outlives every device's report).
class ForwardingBoxes : public MessageBoxes {
 public:
  void Use(DeviceReport* report) {
    std::lock_guard<std::mutex> lock(mutex_);
    report_ = report;
  }
  void Note(std::string_view text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (report_ != nullptr) report_->Line(text);
  }
  void ShowSuccessBox(std::string_view) override {}
  void ShowErrorBox(std::string_view text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (report_ != nullptr) report_->ShowErrorBox(text);
  }
  void ShowWarningBox(std::string_view text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (report_ != nullptr) report_->ShowWarningBox(text);
  }
  bool AskYesNo(std::string_view, std::string_view) override { return false; }

 private:
  std::mutex mutex_;
  DeviceReport* report_ = nullptr;
};

// Serves every device of one plan; the rows in the plan's order.
std::vector<DeviceRow> RunPort(
    const PortPlan& plan, const ManyDevicesOptions& options,
    const DeviceRunFn& run,
    const std::function<void(const std::string& text)>& publish) {
  const auto label = [&](int address) {
    std::string text = options.several_ports ? plan.port : "";
    if (address >= 0) text += (text.empty() ? "" : " ") + TwoDigits(address);
    return text.empty() ? plan.port : text;
  };
  const auto row_for = [&](int address) {
    DeviceRow row;
    row.port = plan.port;
    row.address = address >= 0 ? TwoDigits(address) : plan.rs485 ? "" : "-";
    return row;
  };
  std::vector<int> addresses =
      plan.rs485 ? plan.addresses.addresses : std::vector<int>{-1};

  ForwardingBoxes boxes;
  DeviceReport port_report(label(-1));
  boxes.Use(&port_report);
  SessionOptions session_options = options.session;
  session_options.port_path = plan.port;
  session_options.rs485 = plan.rs485;
  session_options.address = addresses.empty() ? 0 : std::max(addresses[0], 0);
  session_options.on_note =
      [&boxes, log = options.session.on_note](const std::string& note) {
        boxes.Note(note);
        if (log) log(note);
      };
  std::vector<DeviceRow> rows;
  std::unique_ptr<DeviceSession> session;
  try {
    session = std::make_unique<DeviceSession>(session_options, boxes);
  } catch (const std::exception& error) {
    port_report.Line(error.what());
    publish(port_report.Text());
    if (addresses.empty()) addresses.push_back(-1);
    for (int address : addresses) {
      rows.push_back(row_for(address));
      rows.back().message = error.what();
    }
    return rows;
  }

  if (plan.rs485 && plan.addresses.found) {
    std::vector<ScanAnswer> answers;
    const auto started = Steady::now();
    const SessionResult scan = session->Scan(options.scan_timeout, answers);
    addresses.clear();
    std::string found;
    for (const ScanAnswer& answer : answers) {
      addresses.push_back(answer.address);
      found += " " + TwoDigits(answer.address);
    }
    port_report.Line(scan.ok ? scan.message + ":" + found : scan.message);
    publish(port_report.Text());
    if (addresses.empty()) {
      rows.push_back(row_for(-1));
      rows.back().message = scan.message;
      rows.back().lines = scan.steps;
      rows.back().seconds =
          std::chrono::duration<double>(Steady::now() - started).count();
      return rows;
    }
  } else if (!port_report.Text().empty()) {
    publish(port_report.Text());  // the connection's notes
  }

  for (int address : addresses) {
    DeviceReport report(label(address));
    boxes.Use(&report);
    DeviceRow row = row_for(address);
    if (address >= 0) session->connection().slave_address() = address;
    const auto started = Steady::now();
    try {
      run(*session, report, row);
    } catch (const std::exception& error) {
      row.ok = false;
      row.message = error.what();
      report.Line(error.what());
    }
    row.seconds =
        std::chrono::duration<double>(Steady::now() - started).count();
    boxes.Use(nullptr);
    publish(report.Text());
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

bool ParseAddressList(std::string_view text, AddressList& list,
                      std::string& error) {
  AddressList parsed;
  if (text == "found") {
    parsed.found = true;
    list = parsed;
    return true;
  }
  std::size_t position = 0;
  for (;;) {
    const std::size_t comma = text.find(',', position);
    const std::string_view item = text.substr(
        position, comma == std::string_view::npos ? comma : comma - position);
    int value = -1;
    const auto [end, problem] =
        std::from_chars(item.data(), item.data() + item.size(), value);
    if (item.empty() || item.size() > 2 || problem != std::errc() ||
        end != item.data() + item.size() || value < 0 || value > 31) {
      error = "--address " + std::string(text) + ": \"" + std::string(item) +
              "\" is not an address 00..31 (a list is written 01,03,17; "
              "\"found\" takes the addresses the scan finds)";
      return false;
    }
    if (std::find(parsed.addresses.begin(), parsed.addresses.end(), value) !=
        parsed.addresses.end()) {
      error = "--address " + std::string(text) + ": " + TwoDigits(value) +
              " is given twice";
      return false;
    }
    parsed.addresses.push_back(value);
    if (comma == std::string_view::npos) break;
    position = comma + 1;
  }
  list = parsed;
  return true;
}

bool NamesSeveralDevices(const std::vector<std::string>& ports, bool rs485,
                         std::string_view address_text) {
  return ports.size() > 1 ||
         (rs485 && (address_text == "found" ||
                    address_text.find(',') != std::string_view::npos));
}

std::string PortLabel(const std::string& port) {
  PortAddress address;
  std::string error;
  std::string label = port;
  if (ParsePortAddress(port, address, error) && address.is_network()) {
    label = address.host + "_" + std::to_string(address.port);
  } else if (const std::size_t slash = port.find_last_of('/');
             slash != std::string::npos && slash + 1 < port.size()) {
    label = port.substr(slash + 1);
  }
  for (char& c : label) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                       (c >= '0' && c <= '9') || c == '.' || c == '_' ||
                       c == '-';
    if (!plain) c = '_';
  }
  return label;
}

std::string DeviceFileName(const std::string& port, int address,
                           bool several_ports) {
  std::string name = several_ports ? PortLabel(port) : "";
  if (address >= 0) name += (name.empty() ? "" : "-") + TwoDigits(address);
  return name + ".dat";
}

void DeviceReport::Line(std::string_view text) {
  std::lock_guard<std::mutex> lock(mutex_);
  text_ += label_ + ": ";
  text_ += text;
  text_ += "\n";
}

std::string DeviceReport::Text() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return text_;
}

void DeviceReport::ShowErrorBox(std::string_view text) {
  Line("Error: " + std::string(text));
}

void DeviceReport::ShowWarningBox(std::string_view text) {
  Line("Error: " + std::string(text));
}

std::vector<DeviceRow> RunDevices(
    const std::vector<PortPlan>& plans, const ManyDevicesOptions& options,
    const DeviceRunFn& run,
    const std::function<void(const std::string& text)>& publish) {
  std::mutex publish_mutex;
  const auto publish_whole = [&](const std::string& text) {
    if (text.empty()) return;
    std::lock_guard<std::mutex> lock(publish_mutex);
    publish(text);
  };
  std::vector<std::vector<DeviceRow>> rows(plans.size());
  {
    std::vector<std::jthread> workers;
    for (std::size_t i = 0; i < plans.size(); ++i) {
      workers.emplace_back(
          [&, i] { rows[i] = RunPort(plans[i], options, run, publish_whole); });
    }
  }
  std::vector<DeviceRow> all;
  for (auto& port_rows : rows) {
    for (DeviceRow& row : port_rows) all.push_back(std::move(row));
  }
  return all;
}

}  // namespace vqx
