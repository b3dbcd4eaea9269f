#include "protocol/date_time.h"

#include <algorithm>

#include "base/encoding.h"

namespace vqx {

namespace {

// The selected index, or nothing when the list has no selection or the index
// lies outside the list.
std::optional<int> Selected(std::optional<int> index, int item_count) {
  if (!index || *index < 0 || *index >= item_count) return std::nullopt;
  return index;
}

// A copy of `line_template` with the selected index plus `offset` as two
// digits at positions 3-4.
std::optional<std::string> TwoDigitCommand(const char* line_template,
                                           std::optional<int> index,
                                           int item_count, int offset) {
  const std::optional<int> selected = Selected(index, item_count);
  if (!selected) return std::nullopt;
  std::string line = line_template;
  EncodeDecimal2(*selected + offset, &line[3]);
  return line;
}

bool SendIf(CommandSink& sink, const std::optional<std::string>& line) {
  if (!line) return false;
  sink.SendCommand(*line);
  return true;
}

}  // namespace

std::optional<std::string> ClockYearCommand(std::optional<int> year_index) {
  return TwoDigitCommand("DSY01\r\n", year_index, kClockYearItems, 0);
}

bool SendClockYear(CommandSink& sink, std::optional<int> year_index) {
  return SendIf(sink, ClockYearCommand(year_index));
}

std::optional<std::string> ClockMonthCommand(std::optional<int> month_index) {
  return TwoDigitCommand("DSM01\r\n", month_index, kClockMonthItems, 1);
}

bool SendClockMonth(CommandSink& sink, std::optional<int> month_index) {
  return SendIf(sink, ClockMonthCommand(month_index));
}

std::optional<std::string> ClockDayCommand(std::optional<int> day_index) {
  return TwoDigitCommand("DSD01\r\n", day_index, kClockDayItems, 1);
}

bool SendClockDay(CommandSink& sink, std::optional<int> day_index) {
  return SendIf(sink, ClockDayCommand(day_index));
}

std::optional<std::string> ClockHourCommand(std::optional<int> hour_index) {
  return TwoDigitCommand("TSH01\r\n", hour_index, kClockHourItems, 0);
}

bool SendClockHour(CommandSink& sink, std::optional<int> hour_index) {
  return SendIf(sink, ClockHourCommand(hour_index));
}

std::optional<std::string> ClockMinuteCommand(std::optional<int> minute_index) {
  return TwoDigitCommand("TSM01\r\n", minute_index, kClockMinuteItems, 0);
}

bool SendClockMinute(CommandSink& sink, std::optional<int> minute_index) {
  return SendIf(sink, ClockMinuteCommand(minute_index));
}

std::optional<std::string> ClockSecondCommand(std::optional<int> second_index) {
  return TwoDigitCommand("TSS01\r\n", second_index, kClockSecondItems, 0);
}

bool SendClockSecond(CommandSink& sink, std::optional<int> second_index) {
  return SendIf(sink, ClockSecondCommand(second_index));
}

std::optional<std::string> ClockDateTimeCommand(const ClockSelection& clock) {
  struct Field {
    std::optional<int> index;
    int item_count;
    int offset;
  };
  const Field fields[] = {
      {clock.year, kClockYearItems, 0},
      {clock.month, kClockMonthItems, 1},
      {clock.day, kClockDayItems, 1},
      {clock.hour, kClockHourItems, 0},
      {clock.minute, kClockMinuteItems, 0},
      {clock.second, kClockSecondItems, 0},
  };
  std::string line = "TDS991231235959\r\n";
  int position = 3;
  for (const Field& field : fields) {
    const std::optional<int> selected = Selected(field.index, field.item_count);
    if (!selected) return std::nullopt;
    EncodeDecimal2(*selected + field.offset, &line[position]);
    position += 2;
  }
  return line;
}

bool SendClockDateTime(CommandSink& sink, const ClockSelection& clock) {
  return SendIf(sink, ClockDateTimeCommand(clock));
}

void SendClockCorrection(CommandSink& sink) { sink.SendCommand("TSA\r\n"); }

std::string ClockDisplayRangeCommand(const DeviceSettings& settings) {
  std::string line = "TSDR0\r\n";
  line[4] =
      static_cast<char>('1' + std::clamp(settings.clock_display_range, 0, 7));
  return line;
}

void SendClockDisplayRange(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(ClockDisplayRangeCommand(settings));
}

std::string ClockDisplayCommand(const DeviceSettings& settings) {
  std::string line = "TSDOF\r\n";
  if (settings.clock_display != 0) line[4] = 'N';
  return line;
}

void SendClockDisplay(CommandSink& sink, const DeviceSettings& settings) {
  sink.SendCommand(ClockDisplayCommand(settings));
}

void DecodeClockDisplay(DeviceSettings& s, std::string_view w) {
  SwitchListed(w, 4, kOffOnLetters, s.clock_display);
}

// The device counts the ranges from 1.
void DecodeClockDisplayRange(DeviceSettings& s, std::string_view w) {
  const std::optional<std::string_view> p = Complete(w, 5);
  if (!p) return;
  const char c = (*p)[4];
  if (c >= '1' && c <= '8') s.clock_display_range = c - '1';
}

}  // namespace vqx
