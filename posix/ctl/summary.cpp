#include "posix/ctl/summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace vqx {

namespace {

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", seconds);
  return text;
}

std::string AddressColumn(const DeviceRow& row) {
  return row.address.empty() ? "none" : row.address;
}

}  // namespace

std::string FormatSummaryTable(const std::vector<DeviceRow>& rows,
                               bool with_port) {
  std::vector<std::vector<std::string>> cells;
  cells.push_back({"PORT", "ADDRESS", "RESULT", "LINES", "TIME", ""});
  for (const DeviceRow& row : rows) {
    cells.push_back({row.port, AddressColumn(row), row.ok ? "ok" : "FAILED",
                     std::to_string(row.lines), Seconds(row.seconds),
                     row.message});
  }
  const std::size_t first = with_port ? 0 : 1;
  std::vector<std::size_t> widths(cells.front().size(), 0);
  for (const auto& line : cells) {
    for (std::size_t column = 0; column < line.size(); ++column) {
      widths[column] = std::max(widths[column], line[column].size());
    }
  }
  std::string table;
  for (const auto& line : cells) {
    std::string text;
    for (std::size_t column = first; column < line.size(); ++column) {
      const bool last = column + 1 == line.size();
      text += line[column];
      if (!last)
        text += std::string(widths[column] - line[column].size() + 2, ' ');
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    table += text + "\n";
  }
  return table;
}

std::string FormatSummaryJson(std::string_view command,
                              const std::vector<DeviceRow>& rows) {
  nlohmann::ordered_json devices = nlohmann::ordered_json::array();
  bool all_ok = true;
  for (const DeviceRow& row : rows) {
    all_ok = all_ok && row.ok;
    nlohmann::ordered_json device;
    device["port"] = row.port;
    device["address"] = row.address.empty() || row.address == "-"
                            ? nlohmann::ordered_json(nullptr)
                            : nlohmann::ordered_json(row.address);
    device["ok"] = row.ok;
    device["message"] = row.message;
    device["lines"] = row.lines;
    device["seconds"] = std::round(row.seconds * 1000) / 1000;
    device["file"] = row.file.empty() ? nlohmann::ordered_json(nullptr)
                                      : nlohmann::ordered_json(row.file);
    devices.push_back(std::move(device));
  }
  nlohmann::ordered_json summary;
  summary["command"] = std::string(command);
  summary["ok"] = all_ok && !rows.empty();
  summary["devices"] = std::move(devices);
  // Messages may carry bytes a device sent; they are shown, not refused.
  return summary.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) +
         "\n";
}

}  // namespace vqx
