// Command builders of the device clock and its on-screen date/time display.
//
// The clock values are not settings: the date and time dialog passes the
// index selected in each of its clock lists. A list without a selection (for
// example a PC year outside 2000..2099) or an index outside the list refuses
// to send: the builder returns false and sends nothing.
#pragma once

#include <optional>
#include <string>

#include "base/device_settings.h"
#include "protocol/read_back.h"
#include "transport/command_sink.h"

namespace vqx {

// Item counts of the clock lists: "2000".."2099", "1".."12", "1".."31",
// "0".."23", "0".."59", "0".."59".
inline constexpr int kClockYearItems = 100;
inline constexpr int kClockMonthItems = 12;
inline constexpr int kClockDayItems = 31;
inline constexpr int kClockHourItems = 24;
inline constexpr int kClockMinuteItems = 60;
inline constexpr int kClockSecondItems = 60;

// The selected index of each clock list, year first.
struct ClockSelection {
  std::optional<int> year;    // year - 2000
  std::optional<int> month;   // month - 1
  std::optional<int> day;     // day - 1
  std::optional<int> hour;    // hour
  std::optional<int> minute;  // minute
  std::optional<int> second;  // second
};

// "DSY<yy>\r\n": the year index as two digits.
std::optional<std::string> ClockYearCommand(std::optional<int> year_index);
bool SendClockYear(CommandSink& sink, std::optional<int> year_index);
// "DSM<mm>\r\n": month index + 1.
std::optional<std::string> ClockMonthCommand(std::optional<int> month_index);
bool SendClockMonth(CommandSink& sink, std::optional<int> month_index);
// "DSD<dd>\r\n": day index + 1.
std::optional<std::string> ClockDayCommand(std::optional<int> day_index);
bool SendClockDay(CommandSink& sink, std::optional<int> day_index);
// "TSH<hh>\r\n".
std::optional<std::string> ClockHourCommand(std::optional<int> hour_index);
bool SendClockHour(CommandSink& sink, std::optional<int> hour_index);
// "TSM<mm>\r\n".
std::optional<std::string> ClockMinuteCommand(std::optional<int> minute_index);
bool SendClockMinute(CommandSink& sink, std::optional<int> minute_index);
// "TSS<ss>\r\n".
std::optional<std::string> ClockSecondCommand(std::optional<int> second_index);
bool SendClockSecond(CommandSink& sink, std::optional<int> second_index);

// "TDS<yy><mm><dd><hh><mm><ss>\r\n": the whole date and time in one line.
// Refuses when any of the six lists has no valid selection. The combination
// is not checked (31 February goes out as chosen).
std::optional<std::string> ClockDateTimeCommand(const ClockSelection& clock);
bool SendClockDateTime(CommandSink& sink, const ClockSelection& clock);

// "TSA\r\n": the device's own 30-second correction.
void SendClockCorrection(CommandSink& sink);

// "TSDR<1..8>\r\n": display range index + 1. An index outside 0..7 is
// clamped into the list.
std::string ClockDisplayRangeCommand(const DeviceSettings& settings);
void SendClockDisplayRange(CommandSink& sink, const DeviceSettings& settings);

// "TSDOF\r\n" / "TSDON\r\n" (any non-zero value is ON).
std::string ClockDisplayCommand(const DeviceSettings& settings);
void SendClockDisplay(CommandSink& sink, const DeviceSettings& settings);

// ---- Read-back
// ---------------------------------------------------------------

// "TSDOF" / "TSDON"; another letter leaves the field.
void DecodeClockDisplay(DeviceSettings& settings, std::string_view work_copy);
// "TSDR" and the range 1..8 (stored 0..7); another character leaves it.
void DecodeClockDisplayRange(DeviceSettings& settings,
                             std::string_view work_copy);

inline constexpr ReadBack kClockDisplayReadBack{
    "RTSD\r\n", "TSDO", DecodeClockDisplay, SettingsGroup::kDateTime};
inline constexpr ReadBack kClockDisplayRangeReadBack{
    "RTSDR\r\n", "TSDR", DecodeClockDisplayRange, SettingsGroup::kDateTime};

}  // namespace vqx
