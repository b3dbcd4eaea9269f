#include "base/settings_report.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

#include "base/shift_jis.h"

namespace vqx {

namespace {

// The label of an array entry, such as "ch.03".
std::string Channel(int index) {
  char label[16];
  std::snprintf(label, sizeof label, "ch.%02d", index + 1);
  return label;
}

std::string Indexed(std::string_view field, std::string_view label) {
  return std::string(field) + "[" + std::string(label) + "]";
}

// The value with its meaning from `names`, or a note that the device has no
// such value.
std::string Choice(int value, std::initializer_list<const char*> names) {
  std::string text = std::to_string(value);
  if (value >= 0 && value < static_cast<int>(names.size())) {
    return text + " (" + names.begin()[value] + ")";
  }
  return text + " (out of range)";
}

std::string Ranged(int value, int low, int high, std::string_view unit = {}) {
  std::string text = std::to_string(value);
  if (value < low || value > high) return text + " (out of range)";
  if (!unit.empty()) text += " " + std::string(unit);
  return text;
}

const std::initializer_list<const char*> kOffOn = {"OFF", "ON"};

std::string ChannelChoice(int value) {
  return value >= 0 && value < kChannelCount
             ? std::to_string(value) + " (" + Channel(value) + ")"
             : std::to_string(value) + " (out of range)";
}

std::string Screen(int value) {
  if (value >= 0 && value < kChannelCount) return ChannelChoice(value);
  return Choice(value,
                {"", "", "", "", "", "", "", "", "4-split A", "4-split B",
                 "6-split A", "6-split B", "9-split", "automatic switching"});
}

std::string Brightness(int index) {
  if (index < 0 || index > 127)
    return std::to_string(index) + " (out of range)";
  char text[40];
  std::snprintf(text, sizeof text, "%d (brightness %+d)", index, index - 64);
  return text;
}

// A title without the full-width blanks after its last character: the
// device pads every title with them to its full width, so a title with and
// without them sends the same line and reads back the same.
std::string_view WithoutPadding(std::string_view title) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < title.size();) {
    const std::size_t length =
        IsShiftJisLeadByte(title[i]) && i + 1 < title.size() ? 2 : 1;
    if (title.substr(i, length) != kFullWidthBlank) end = i + length;
    i += length;
  }
  return title.substr(0, end);
}

}  // namespace

std::vector<ReportLine> DescribeSettings(const DeviceSettings& s,
                                         TextCodec& codec) {
  std::vector<ReportLine> lines;
  auto add = [&lines](std::string name, std::string value) {
    lines.push_back({std::move(name), std::move(value)});
  };
  add("alarm_mode", Choice(s.alarm_mode, {"Internal", "External"}));
  add("alarm_polarity", Choice(s.alarm_polarity, {"Make", "Break"}));
  add("alarm_hold_time",
      "\"" + std::string(BufferText(s.alarm_hold_time)) + "\" (seconds)");
  add("alarm_return", Choice(s.alarm_return, kOffOn));
  add("alarm_display", Choice(s.alarm_display, kOffOn));
  for (int ch = 0; ch < kChannelCount; ++ch) {
    add(Indexed("vloss_detect", Channel(ch)),
        Choice(s.vloss_detect[ch], kOffOn));
  }
  add("vloss_display", Choice(s.vloss_display, kOffOn));
  add("vloss_signal_output", Choice(s.vloss_signal_output, kOffOn));
  add("vloss_background", Choice(s.vloss_background, {"black", "blue"}));
  add("clock_display", Choice(s.clock_display, kOffOn));
  add("clock_display_range",
      Choice(s.clock_display_range,
             {"年月日時分秒", "年月日時分　", "年月日　　　", "　月日時分秒",
              "　月日時分　", "　月日　　　", "　　　時分秒", "　　　時分　"}));
  add("title_single_screen", Choice(s.title_single_screen, kOffOn));
  add("title_split_screen", Choice(s.title_split_screen, kOffOn));
  add("misc_osd_size_single",
      Choice(s.misc_osd_size_single, {"SMALL", "LARGE"}));
  add("misc_osd_size_split", Choice(s.misc_osd_size_split, {"SMALL", "LARGE"}));
  add("seq_mode", Choice(s.seq_mode, {"single screen", "split screen", "mix"}));
  for (int ch = 0; ch < kChannelCount; ++ch) {
    add(Indexed("title_pos_x", Channel(ch)), std::to_string(s.title_pos_x[ch]));
  }
  for (int ch = 0; ch < kChannelCount; ++ch) {
    add(Indexed("title_pos_y", Channel(ch)), std::to_string(s.title_pos_y[ch]));
  }
  static constexpr const char* kEntries[kSequenceEntryCount] = {
      "ch.01",     "ch.02",     "ch.03",  "ch.04",     "ch.05",
      "ch.06",     "ch.07",     "ch.08",  "4-split A", "4-split B",
      "6-split A", "6-split B", "9-split"};
  for (int i = 0; i < kSequenceEntryCount; ++i) {
    add(Indexed("seq_dwell", kEntries[i]), Ranged(s.seq_dwell[i], 0, 99, "s"));
  }
  for (int ch = 0; ch < kChannelCount; ++ch) {
    add(Indexed("adjust_brightness", Channel(ch)),
        Brightness(s.adjust_brightness[ch]));
  }
  for (int ch = 0; ch < kChannelCount; ++ch) {
    add(Indexed("adjust_contrast", Channel(ch)),
        Ranged(s.adjust_contrast[ch], 0, 127));
  }
  for (int ch = 0; ch < kChannelCount; ++ch) {
    add(Indexed("adjust_sharpness", Channel(ch)),
        Ranged(s.adjust_sharpness[ch], 0, 31));
  }
  for (int ch = 0; ch < kChannelCount; ++ch) {
    add(Indexed("adjust_hue", Channel(ch)), Ranged(s.adjust_hue[ch], 0, 255));
  }
  for (int ch = 0; ch < kChannelCount; ++ch) {
    add(Indexed("adjust_saturation", Channel(ch)),
        Ranged(s.adjust_saturation[ch], 0, 127));
  }
  add("misc_connector_input",
      Choice(s.misc_connector_input, {"ALARM", "REMOTE"}));
  add("misc_border_line",
      Choice(s.misc_border_line, {"black", "gray", "white", "OFF"}));
  add("misc_power_on_screen", Screen(s.misc_power_on_screen));
  add("misc_dss_mode", std::to_string(s.misc_dss_mode) + " (as reported)");
  for (int ch = 0; ch < kChannelCount; ++ch) {
    add(Indexed("format_video", Channel(ch)),
        Choice(s.format_video[ch], {"AHD 1920", "AHD 720", "TVI 1920",
                                    "TVI 720", "CVI 1920", "CVI 720", "NTSC"}));
  }
  add("misc_osd_offset_h", Ranged(s.misc_osd_offset_h, 0, 15));
  add("misc_osd_offset_v", Ranged(s.misc_osd_offset_v, 0, 15));
  for (int ch = 0; ch < kChannelCount; ++ch) {
    std::string_view title = BufferText(s.title_text[ch]);
    add(Indexed("title_text", Channel(ch)),
        "\"" + codec.ShiftJisToUtf8(title) + "\" (" +
            std::to_string(title.size()) + " bytes)");
  }
  auto panes = [&](std::string_view field, const int* values, int count) {
    for (int i = 0; i < count; ++i) {
      add(Indexed(field, "pane " + std::to_string(i + 1)),
          ChannelChoice(values[i]));
    }
  };
  panes("layout_2", s.layout_2, 2);
  panes("layout_4a", s.layout_4a, 4);
  panes("layout_4b", s.layout_4b, 4);
  panes("layout_6a", s.layout_6a, 6);
  panes("layout_6b", s.layout_6b, 6);
  panes("layout_9", s.layout_9, 8);
  add("misc_ntsc_aspect", Choice(s.misc_ntsc_aspect, {"4:3", "FULL"}));
  for (int ch = 0; ch < kChannelCount; ++ch) {
    add(Indexed("agc_enable", Channel(ch)), Choice(s.agc_enable[ch], kOffOn));
  }
  return lines;
}

std::string SettingsListingName(int index) {
  // The names depend neither on the values nor on how titles convert.
  class NoConversion : public TextCodec {
   public:
    std::string ShiftJisToUtf8(std::string_view sjis) override {
      return std::string(sjis);
    }
    std::string Utf8ToShiftJis(std::string_view utf8) override {
      return std::string(utf8);
    }
  };
  static const std::vector<ReportLine> listing = [] {
    DeviceSettings defaults;
    LoadDefaultSettings(defaults);
    NoConversion codec;
    return DescribeSettings(defaults, codec);
  }();
  if (index < 0 || index >= static_cast<int>(listing.size())) return {};
  return listing[index].name;
}

std::string FormatReportLine(const ReportLine& line) {
  return line.name + " = " + line.value;
}

std::string_view FieldOfListingName(std::string_view name) {
  return name.substr(0, name.find('['));
}

std::vector<SettingsDifference> CompareSettings(
    const DeviceSettings& first, const DeviceSettings& second, TextCodec& codec,
    std::span<const std::string_view> not_read_by_read_all) {
  const std::vector<ReportLine> a = DescribeSettings(first, codec);
  const std::vector<ReportLine> b = DescribeSettings(second, codec);
  std::vector<SettingsDifference> differences;
  // Titles that differ only in their padding are the same title; the
  // listing still shows each as it is stored.
  bool same_title[kChannelCount];
  std::string title_names[kChannelCount];
  for (int ch = 0; ch < kChannelCount; ++ch) {
    same_title[ch] = WithoutPadding(BufferText(first.title_text[ch])) ==
                     WithoutPadding(BufferText(second.title_text[ch]));
    title_names[ch] = Indexed("title_text", Channel(ch));
  }
  auto padding_only = [&](const std::string& name) {
    for (int ch = 0; ch < kChannelCount; ++ch) {
      if (name == title_names[ch]) return same_title[ch];
    }
    return false;
  };
  // Both listings hold the same names in the same order.
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i].value != b[i].value && !padding_only(a[i].name)) {
      const std::string_view field = FieldOfListingName(a[i].name);
      differences.push_back(
          {a[i].name, a[i].value, b[i].value,
           std::find(not_read_by_read_all.begin(), not_read_by_read_all.end(),
                     field) != not_read_by_read_all.end()});
    }
  }
  return differences;
}

std::string FormatDifference(const SettingsDifference& difference) {
  return difference.name + ": " + difference.first + " -> " + difference.second;
}

}  // namespace vqx
