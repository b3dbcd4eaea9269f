// The summary of a command run over several devices: one row per device,
// as a table for people or as JSON for scripts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vqx {

struct DeviceRow {
  std::string port;     // as given on the command line
  std::string address;  // "17"; "-" on RS-232C; "" when no device was found
  bool ok = false;
  std::string message;  // one line: what was done, or what failed
  int lines = 0;        // lines sent to the device
  double seconds = 0;   // how long the device's run took
  std::string file;     // read-all: the file written; "" when none
};

// The table: a header and one row per device, columns ADDRESS, RESULT ("ok"
// or "FAILED"), LINES, TIME, then the message; PORT first when
// `with_port`. Every line ends in "\n".
std::string FormatSummaryTable(const std::vector<DeviceRow>& rows,
                               bool with_port);

// The same as one JSON object and a line end:
//   {"command": "read-all", "ok": false, "devices": [{"port": "/dev/ttyUSB0",
//    "address": "17", "ok": false, "message": "...", "lines": 1,
//    "seconds": 8.31, "file": null}, ...]}
// "address" is null on RS-232C and for a port where no device was found.
std::string FormatSummaryJson(std::string_view command,
                              const std::vector<DeviceRow>& rows);

}  // namespace vqx
