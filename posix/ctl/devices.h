// vqx460ctl over several devices in one command: several RS-485 addresses
// on one line ("--address 01,03,17", or "--address found": those the
// address scan finds) and several lines ("--port A --port B" or
// "--port A,B"). Each line gets a worker thread of its own and one
// connection for all its devices, which are served strictly one after
// another, as the line allows only one conversation at a time. What a
// device's run prints is collected and printed whole when the device is
// done, so lines of different workers never mix; the rows of the summary
// come in the order the command named ports and addresses.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/platform.h"
#include "posix/ctl/summary.h"
#include "posix/device_session.h"

namespace vqx {

// What --address names for a run over several devices: a list of RS-485
// addresses, or those the scan finds.
struct AddressList {
  std::vector<int> addresses;  // in the order given
  bool found = false;          // "found": scan each line first
};

// Parses "05", "01,03,17" or "found". False, with `error` saying what and
// where, for anything else: an address outside 00..31, one given twice, an
// empty item, "broadcast" in a list.
bool ParseAddressList(std::string_view text, AddressList& list,
                      std::string& error);

// True when the command may name more than one device: several ports, a
// list of addresses, or "found".
bool NamesSeveralDevices(const std::vector<std::string>& ports, bool rs485,
                         std::string_view address_text);

// The name of a device's file in read-all's output folder: the two digits
// of its address ("17.dat"); with several ports the port's label first
// ("site-a_4001-17.dat", "ttyUSB0-17.dat"), and the label alone on an
// RS-232C line ("ttyUSB0.dat"). The label is the host and port of a network
// address, or the last part of a device path, with every character other
// than letters, digits, '.', '_' and '-' made '_'.
std::string DeviceFileName(const std::string& port, int address,
                           bool several_ports);
std::string PortLabel(const std::string& port);

// What a device's run prints, kept to be printed whole, each line with the
// device's label in front. Boxes the core raises become "Error: ..."
// lines, as they do on the console. Safe from any thread.
class DeviceReport : public MessageBoxes {
 public:
  explicit DeviceReport(std::string label) : label_(std::move(label)) {}

  void Line(std::string_view text);
  std::string Text() const;

  void ShowSuccessBox(std::string_view) override {}
  void ShowErrorBox(std::string_view text) override;
  void ShowWarningBox(std::string_view text) override;
  bool AskYesNo(std::string_view, std::string_view) override { return false; }

 private:
  std::string label_;
  mutable std::mutex mutex_;
  std::string text_;
};

struct PortPlan {
  std::string port;
  bool rs485 = false;
  AddressList addresses;  // RS-485 only
};

struct ManyDevicesOptions {
  // Everything but the port and the address; those come from the plan.
  SessionOptions session;
  std::chrono::milliseconds scan_timeout{500};
  bool several_ports = false;
};

// Runs one device on `session`, which is open and addressed to it. Fills
// the row's ok, message, lines and file (port, address and time are
// filled by the caller); prints through `report`.
using DeviceRunFn = std::function<void(DeviceSession& session,
                                       DeviceReport& report, DeviceRow& row)>;

// Runs `run` for every device of every plan, one worker thread per plan,
// and returns one row per device (per plan where no device was found or
// the port could not be opened), in the plans' order. `publish` gets each
// device's printed text once the device is done, one call at a time.
std::vector<DeviceRow> RunDevices(
    const std::vector<PortPlan>& plans, const ManyDevicesOptions& options,
    const DeviceRunFn& run,
    const std::function<void(const std::string& text)>& publish);

}  // namespace vqx
