#include "base/settings_report.h"

#include <algorithm>
#include <cstdio>

#include "base/shift_jis.h"

namespace vqx {

namespace {

// The list index that means a brightness of 0: the list runs from -64 to +63.
constexpr int kBrightnessZero = 64;

std::string OutOfRange(int value) {
  return std::to_string(value) + " (out of range)";
}

bool InRange(const SettingsField& field, int value) {
  return !field.range ||
         (value >= field.range->low && value <= field.range->high);
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

// The value and what it means, in the listing's words.
std::string ListedValue(SettingsValue value, const DeviceSettings& s,
                        TextCodec& codec) {
  const SettingsField& field = *value.field;
  const ListingWords& words = field.listing;
  if (field.kind != FieldKind::kNumber) {
    const std::string_view text = FieldText(field, s, value.entry);
    if (words.style == ListingStyle::kHoldTime) {
      return "\"" + std::string(text) + "\" (seconds)";
    }
    return "\"" + codec.ShiftJisToUtf8(text) + "\" (" +
           std::to_string(text.size()) + " bytes)";
  }
  const int number = FieldNumbers(field, s)[value.entry];
  std::string text = std::to_string(number);
  switch (words.style) {
    case ListingStyle::kChoice:
      if (number < 0 || number >= static_cast<int>(words.choices.size())) {
        return OutOfRange(number);
      }
      return text + " (" + std::string(words.choices[number]) + ")";
    case ListingStyle::kBrightness: {
      if (!InRange(field, number)) return OutOfRange(number);
      char brightness[40];
      std::snprintf(brightness, sizeof brightness, " (brightness %+d)",
                    number - kBrightnessZero);
      return text + brightness;
    }
    case ListingStyle::kNumber:
      if (!InRange(field, number)) return OutOfRange(number);
      break;
    default:
      break;
  }
  if (!words.unit.empty()) text += " " + std::string(words.unit);
  return text;
}

// ASCII blanks on either side, and full-width padding after the text: the
// lists pad their items to one width.
std::string Trimmed(std::string_view text) {
  constexpr std::string_view kFullWidthBlankUtf8 = "\xE3\x80\x80";
  while (text.starts_with(' ')) text.remove_prefix(1);
  for (;;) {
    if (text.ends_with(' ')) {
      text.remove_suffix(1);
    } else if (text.ends_with(kFullWidthBlankUtf8)) {
      text.remove_suffix(kFullWidthBlankUtf8.size());
    } else {
      return std::string(text);
    }
  }
}

std::string OutOfRangeInWords(int value) {
  return std::to_string(value) + "（範囲外）";
}

}  // namespace

std::vector<ReportLine> DescribeSettings(const DeviceSettings& s,
                                         TextCodec& codec) {
  std::vector<ReportLine> lines;
  for (const SettingsValue& value : SettingsValues()) {
    lines.push_back({ListingName(value), ListedValue(value, s, codec)});
  }
  return lines;
}

std::string SettingsListingName(int index) {
  const std::optional<SettingsValue> value = SettingsValueAt(index);
  return value ? ListingName(*value) : std::string();
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
  std::vector<SettingsDifference> differences;
  for (const SettingsValue& value : SettingsValues()) {
    std::string a = ListedValue(value, first, codec);
    std::string b = ListedValue(value, second, codec);
    if (a == b) continue;
    // Titles that differ only in their padding are the same title; the
    // listing still shows each as it is stored.
    const SettingsField& field = *value.field;
    if (field.kind == FieldKind::kTitle &&
        WithoutPadding(FieldText(field, first, value.entry)) ==
            WithoutPadding(FieldText(field, second, value.entry))) {
      continue;
    }
    differences.push_back(
        {ListingName(value), std::move(a), std::move(b),
         std::find(not_read_by_read_all.begin(), not_read_by_read_all.end(),
                   field.name) != not_read_by_read_all.end()});
  }
  return differences;
}

std::string FormatDifference(const SettingsDifference& difference) {
  return difference.name + ": " + difference.first + " -> " + difference.second;
}

std::string SettingPlaceInWords(SettingsValue value) {
  const ShownWords& words = value.field->shown;
  std::string place(words.dialog);
  if (!words.label.empty() && words.label != words.dialog) {
    if (!place.empty()) place += " / ";
    place += words.label;
  }
  if (value.field->storage.entries > 1) {
    place += " " + Trimmed(words.entries[value.entry]);
  }
  return place;
}

std::string SettingValueInWords(SettingsValue value, const DeviceSettings& s,
                                TextCodec& codec) {
  const SettingsField& field = *value.field;
  const ShownWords& words = field.shown;
  if (field.kind != FieldKind::kNumber) {
    std::string_view text = FieldText(field, s, value.entry);
    if (field.kind == FieldKind::kTitle) text = WithoutPadding(text);
    return text.empty() ? "（空欄）" : codec.ShiftJisToUtf8(text);
  }
  const int number = FieldNumbers(field, s)[value.entry];
  if (!InRange(field, number)) return OutOfRangeInWords(number);
  switch (words.style) {
    case ShownStyle::kChoice:
      if (number < 0 || number >= static_cast<int>(words.choices.size())) {
        return OutOfRangeInWords(number);
      }
      return Trimmed(words.choices[number]);
    case ShownStyle::kBrightness: {
      const int brightness = number - kBrightnessZero;
      char text[16];
      std::snprintf(text, sizeof text, "%s%02d", brightness < 0 ? "-" : "",
                    brightness < 0 ? -brightness : brightness);
      return text;
    }
    default: {
      char text[24];
      std::snprintf(text, sizeof text, "%0*d", words.digits, number);
      return text;
    }
  }
}

std::string SettingInWords(SettingsValue value, const DeviceSettings& s,
                           TextCodec& codec) {
  return SettingPlaceInWords(value) + ": " +
         SettingValueInWords(value, s, codec);
}

std::string DifferenceInWords(SettingsValue value, const DeviceSettings& first,
                              const DeviceSettings& second, TextCodec& codec) {
  return SettingPlaceInWords(value) + ": " +
         SettingValueInWords(value, first, codec) + " → " +
         SettingValueInWords(value, second, codec);
}

}  // namespace vqx
