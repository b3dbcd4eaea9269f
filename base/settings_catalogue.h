// The settings catalogue: every saved field of `DeviceSettings` once, in the
// order of the settings file, with its factory default, the values the
// device takes, the words of the settings listing ("alarm_mode = 1
// (External)") and the words a person knows from the program's dialogs
// ("アラーム / モード: External").
//
// The defaults, the settings file's reader and writer, the listing and the
// comparison all walk this table; none of them names a field. A setting is
// added by adding its field to `DeviceSettings` and its entry to `kFields`
// below (docs/architecture.md, "How to add a setting").
//
// Words for people are UTF-8; default texts are Shift_JIS, as the record
// holds them. Depends on the settings record only.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "base/device_settings.h"

namespace vqx {

// What a field's entries hold.
enum class FieldKind {
  kNumber,    // an int: a list index, seconds, a channel index
  kHoldTime,  // the alarm hold time as typed: Shift_JIS text
  kTitle,     // a channel title: Shift_JIS text, padded with full-width
              // blanks
};

// Where a field's entries lie in the record.
struct FieldStorage {
  int entries = 1;  // 1, or the length of the array
  // A number field's entries, in order; null for a text field.
  std::span<int> (*numbers)(DeviceSettings&) = nullptr;
  // The whole buffer of one entry of a text field, room for the terminator
  // included; null for a number field.
  std::span<char> (*text)(DeviceSettings&, int entry) = nullptr;
};

// The storage of the record's member `Member`: an int, an int array, a text
// buffer or an array of text buffers.
template <auto Member>
constexpr FieldStorage StorageOf() {
  using Type =
      std::remove_reference_t<decltype(std::declval<DeviceSettings&>().*
                                       Member)>;
  FieldStorage storage = {};
  if constexpr (std::is_same_v<Type, int>) {
    storage.numbers = [](DeviceSettings& s) {
      return std::span<int>(&(s.*Member), 1);
    };
  } else if constexpr (std::is_same_v<std::remove_extent_t<Type>, int>) {
    storage.entries = static_cast<int>(std::extent_v<Type>);
    storage.numbers = [](DeviceSettings& s) {
      return std::span<int>(s.*Member);
    };
  } else if constexpr (std::is_same_v<std::remove_extent_t<Type>, char>) {
    storage.text = [](DeviceSettings& s, int) {
      return std::span<char>(s.*Member);
    };
  } else {
    static_assert(std::is_same_v<std::remove_all_extents_t<Type>, char> &&
                      std::rank_v<Type> == 2,
                  "a field is an int, a text buffer, or an array of either");
    storage.entries = static_cast<int>(std::extent_v<Type>);
    storage.text = [](DeviceSettings& s, int entry) {
      return std::span<char>((s.*Member)[entry]);
    };
  }
  return storage;
}

// The factory value: one for every entry, or one per entry.
struct FieldDefault {
  std::span<const int> numbers = {};
  std::span<const std::string_view> texts = {};  // Shift_JIS
};

// The numbers the device takes, both ends included.
struct ValueRange {
  int low = 0;
  int high = 0;
};

// How the settings listing (vqx460ctl show and diff, the traffic log, the
// comparison window) shows a value.
enum class ListingStyle {
  kChoice,      // "1 (External)": the value and its name in `choices`
  kNumber,      // "64", or "3 s" with `unit`
  kAsItStands,  // the number whatever it is, then `unit`: "0 (as reported)"
  kBrightness,  // the list index and the brightness it means:
                // "0 (brightness -64)"
  kHoldTime,    // "\"030\" (seconds)"
  kTitle,       // the title in UTF-8 and its length in bytes
};
// kChoice, kNumber and kBrightness show a value outside the field's range
// as "7 (out of range)".

struct ListingWords {
  ListingStyle style = ListingStyle::kNumber;
  std::span<const std::string_view> choices = {};
  std::string_view unit = {};
  // The label of each entry of an array: "vloss_detect[ch.07]".
  std::span<const std::string_view> entries = {};
};

// How the program's words show a value.
enum class ShownStyle {
  kChoice,      // the item of the dialog's list, blanks around it trimmed
  kNumber,      // decimal, zero-padded to `digits` as the dialog's list
                // shows it ("064")
  kBrightness,  // as the brightness list shows the index: "-64", "00", "63"
  kText,        // the text in UTF-8; a title without its padding
};

// The words a person knows a field by: the dialog that edits it (by its
// heading), the field's label there (its group box) and the entries' labels,
// as the dialog shows them. A field no dialog edits has no dialog, and a
// plain description for its label.
struct ShownWords {
  std::string_view dialog = {};
  std::string_view label = {};
  std::span<const std::string_view> entries = {};
  ShownStyle style = ShownStyle::kNumber;
  // The items of the dialog's list exactly as it holds them (" ON",
  // "ALARM ").
  std::span<const std::string_view> choices = {};
  int digits = 0;
};

struct SettingsField {
  std::string_view name = {};  // the member's name, as the listing shows it
  FieldStorage storage = {};
  FieldKind kind = FieldKind::kNumber;
  FieldDefault defaults = {};
  // Numbers: what the device takes. Empty where nothing is known or
  // checked.
  std::optional<ValueRange> range = {};
  // Texts: the most bytes a text holds, in whole characters.
  std::size_t text_bytes = 0;
  ListingWords listing = {};
  ShownWords shown = {};
};

namespace catalogue {

// --- Words shared by several fields ---

inline constexpr std::string_view kOffOn[] = {"OFF", "ON"};
inline constexpr std::string_view kOffOnItems[] = {"OFF", " ON"};
inline constexpr std::string_view kChannels[] = {
    "ch.01", "ch.02", "ch.03", "ch.04", "ch.05", "ch.06", "ch.07", "ch.08"};
inline constexpr std::string_view kChannelItems[] = {
    "ch.01 ", "ch.02 ", "ch.03 ", "ch.04 ",
    "ch.05 ", "ch.06 ", "ch.07 ", "ch.08 "};
inline constexpr std::string_view kPanes[] = {"pane 1", "pane 2", "pane 3",
                                              "pane 4", "pane 5", "pane 6",
                                              "pane 7", "pane 8"};
inline constexpr std::string_view kPaneLabels[] = {"画面１", "画面２", "画面３",
                                                   "画面４", "画面５", "画面６",
                                                   "画面７", "画面８"};
inline constexpr std::string_view kSmallLarge[] = {"SMALL", "LARGE"};
inline constexpr std::string_view kSmallLargeItems[] = {"SMALL ", "LARGE "};

// --- The dialogs, by their headings ---

inline constexpr std::string_view kAlarm = "アラーム";
inline constexpr std::string_view kVideoLoss = "ビデオロス";
inline constexpr std::string_view kDateTime = "日付・時刻";
inline constexpr std::string_view kTitle = "タイトル";
inline constexpr std::string_view kAutoSwitching = "自動切換え";
inline constexpr std::string_view kVideoAdjustment = "ビデオ映像の調整";
inline constexpr std::string_view kDisplayChannel = "表示チャンネル";
inline constexpr std::string_view kVideoFormat = "ビデオフォーマット";
inline constexpr std::string_view kAgc = "オート・ゲイン・コントロール";
inline constexpr std::string_view kOther = "その他";

// --- Words and defaults of one field each ---

inline constexpr std::string_view kAlarmModes[] = {"Internal", "External"};
inline constexpr std::string_view kPolarities[] = {"Make", "Break"};
// "Make " carries a trailing blank so both items are five characters.
inline constexpr std::string_view kPolarityItems[] = {"Make ", "Break"};
inline constexpr std::string_view kFactoryHoldTime[] = {"030"};
inline constexpr std::string_view kBackgrounds[] = {"black", "blue"};
inline constexpr std::string_view kBackgroundItems[] = {" 黒", " 青"};
inline constexpr std::string_view kClockDisplayItems[] = {"OFF", "ON "};
// A full-width blank stands where a part of the date or time is left out.
inline constexpr std::string_view kDisplayRanges[] = {
    "年月日時分秒", "年月日時分　", "年月日　　　", "　月日時分秒",
    "　月日時分　", "　月日　　　", "　　　時分秒", "　　　時分　"};
inline constexpr std::string_view kSequenceModes[] = {"single screen",
                                                      "split screen", "mix"};
inline constexpr std::string_view kSequenceModeItems[] = {
    "単画面　", "分割画面", "ミックス"};
inline constexpr std::string_view kSequenceEntries[] = {
    "ch.01",     "ch.02",     "ch.03",  "ch.04",     "ch.05",
    "ch.06",     "ch.07",     "ch.08",  "4-split A", "4-split B",
    "6-split A", "6-split B", "9-split"};
inline constexpr std::string_view kSequenceEntryItems[] = {
    "ch.01 ", "ch.02 ", "ch.03 ", "ch.04 ", "ch.05 ", "ch.06 ", "ch.07 ",
    "ch.08 ", "4分割A", "4分割B", "6分割A", "6分割B", "9分割 "};
inline constexpr std::string_view kConnectorInputs[] = {"ALARM", "REMOTE"};
inline constexpr std::string_view kConnectorInputItems[] = {"ALARM ", "REMOTE"};
inline constexpr std::string_view kBorderLines[] = {"black", "gray", "white",
                                                    "OFF"};
inline constexpr std::string_view kBorderLineItems[] = {"黒色", "灰色", "白色",
                                                        "OFF"};
inline constexpr std::string_view kScreens[] = {
    "ch.01",     "ch.02",
    "ch.03",     "ch.04",
    "ch.05",     "ch.06",
    "ch.07",     "ch.08",
    "4-split A", "4-split B",
    "6-split A", "6-split B",
    "9-split",   "automatic switching"};
inline constexpr std::string_view kScreenItems[] = {
    "ch.01 ", "ch.02 ", "ch.03 ", "ch.04 ", "ch.05 ", "ch.06 ", "ch.07 ",
    "ch.08 ", "4分割A", "4分割B", "6分割A", "6分割B", "9分割 ", "自動  "};
inline constexpr std::string_view kVideoFormats[] = {
    "AHD 1920", "AHD 720", "TVI 1920", "TVI 720",
    "CVI 1920", "CVI 720", "NTSC"};
// Eight characters each, padded with blanks.
inline constexpr std::string_view kVideoFormatItems[] = {
    "AHD 1920", "AHD  720", "TVI 1920", "TVI  720",
    "CVI 1920", "CVI  720", "NTSC    "};
inline constexpr std::string_view kAspectRatios[] = {"4:3", "FULL"};
inline constexpr std::string_view kAspectRatioItems[] = {"4:3 ", "FULL"};
// "　　　ＣＨ０１　　　" .. "　　　ＣＨ０８　　　": three full-width blanks,
// "ＣＨ０" and the channel's full-width digit, three full-width blanks (20
// bytes). The padding keeps each title one token of the settings file.
inline constexpr std::string_view kFactoryTitles[] = {
    "\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x50"
    "\x81\x40\x81\x40\x81\x40",
    "\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x51"
    "\x81\x40\x81\x40\x81\x40",
    "\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x52"
    "\x81\x40\x81\x40\x81\x40",
    "\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x53"
    "\x81\x40\x81\x40\x81\x40",
    "\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x54"
    "\x81\x40\x81\x40\x81\x40",
    "\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x55"
    "\x81\x40\x81\x40\x81\x40",
    "\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x56"
    "\x81\x40\x81\x40\x81\x40",
    "\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F\x82\x57"
    "\x81\x40\x81\x40\x81\x40",
};
inline constexpr int kFactoryLayout2[] = {0, 1};
inline constexpr int kFactoryLayout4a[] = {0, 1, 2, 3};
inline constexpr int kFactoryLayout4b[] = {4, 5, 6, 7};
inline constexpr int kFactoryLayout6a[] = {0, 1, 2, 3, 4, 5};
inline constexpr int kFactoryLayout6b[] = {0, 1, 2, 3, 6, 7};
inline constexpr int kFactoryLayout9[] = {0, 1, 2, 3, 4, 5, 6, 7};

// --- Building blocks of the entries ---

// The same factory value in every entry.
template <int Value>
inline constexpr int kEvery[] = {Value};

template <int Value>
constexpr FieldDefault Every() {
  return {.numbers = kEvery<Value>};
}

// The list indexes of `choices`.
constexpr ValueRange Indexes(std::span<const std::string_view> choices) {
  return {0, static_cast<int>(choices.size()) - 1};
}

constexpr ListingWords Choices(std::span<const std::string_view> names,
                               std::span<const std::string_view> entries = {}) {
  return {.style = ListingStyle::kChoice, .choices = names, .entries = entries};
}

// A field its dialog edits with a list.
constexpr ShownWords Items(std::string_view dialog, std::string_view label,
                           std::span<const std::string_view> items,
                           std::span<const std::string_view> entries = {}) {
  return {.dialog = dialog,
          .label = label,
          .entries = entries,
          .style = ShownStyle::kChoice,
          .choices = items};
}

// A field its dialog edits with a list of numbers, `digits` wide.
constexpr ShownWords Numbers(std::string_view dialog, std::string_view label,
                             int digits,
                             std::span<const std::string_view> entries = {}) {
  return {.dialog = dialog,
          .label = label,
          .entries = entries,
          .style = ShownStyle::kNumber,
          .digits = digits};
}

// The channel in each pane of a split layout.
constexpr ListingWords PaneListing(int panes) {
  return Choices(kChannels, std::span(kPanes).first(panes));
}
constexpr ShownWords PaneItems(std::string_view dialog, std::string_view label,
                               int panes) {
  return Items(dialog, label, kChannelItems,
               std::span(kPaneLabels).first(panes));
}

// The member's name and where it lies in the record.
#define VQX_FIELD(member) \
  .name = #member, .storage = StorageOf<&DeviceSettings::member>()

// --- The catalogue, in the order of the settings file ---

inline constexpr SettingsField kFields[] = {
    {
        VQX_FIELD(alarm_mode),
        .defaults = Every<0>(),
        .range = Indexes(kAlarmModes),
        .listing = Choices(kAlarmModes),
        .shown = Items(kAlarm, "モード", kAlarmModes),
    },
    {
        VQX_FIELD(alarm_polarity),
        .defaults = Every<0>(),
        .range = Indexes(kPolarities),
        .listing = Choices(kPolarities),
        .shown = Items(kAlarm, "入力極性", kPolarityItems),
    },
    {
        VQX_FIELD(alarm_hold_time),
        .kind = FieldKind::kHoldTime,
        .defaults = {.texts = kFactoryHoldTime},
        .text_bytes = kHoldTimeBufferBytes - 1,
        .listing = {.style = ListingStyle::kHoldTime},
        .shown = {.dialog = kAlarm,
                  .label = "保持時間",
                  .style = ShownStyle::kText},
    },
    {
        VQX_FIELD(alarm_return),
        .defaults = Every<1>(),
        .range = Indexes(kOffOn),
        .listing = Choices(kOffOn),
        .shown = Items(kAlarm, "リターン", kOffOnItems),
    },
    {
        VQX_FIELD(alarm_display),
        .defaults = Every<1>(),
        .range = Indexes(kOffOn),
        .listing = Choices(kOffOn),
        .shown = Items(kAlarm, "表示", kOffOnItems),
    },
    {
        VQX_FIELD(vloss_detect),
        .defaults = Every<1>(),
        .range = Indexes(kOffOn),
        .listing = Choices(kOffOn, kChannels),
        .shown = Items(kVideoLoss, "", kOffOnItems, kChannels),
    },
    {
        VQX_FIELD(vloss_display),
        .defaults = Every<1>(),
        .range = Indexes(kOffOn),
        .listing = Choices(kOffOn),
        .shown = Items(kVideoLoss, "Display", kOffOnItems),
    },
    {
        VQX_FIELD(vloss_signal_output),
        .defaults = Every<0>(),
        .range = Indexes(kOffOn),
        .listing = Choices(kOffOn),
        .shown = Items(kVideoLoss, "Signal Output", kOffOnItems),
    },
    {
        VQX_FIELD(vloss_background),
        .defaults = Every<0>(),
        .range = Indexes(kBackgrounds),
        .listing = Choices(kBackgrounds),
        .shown = Items(kVideoLoss, "背景色", kBackgroundItems),
    },
    {
        VQX_FIELD(clock_display),
        .defaults = Every<1>(),
        .range = Indexes(kOffOn),
        .listing = Choices(kOffOn),
        .shown = Items(kDateTime, "表示", kClockDisplayItems),
    },
    {
        VQX_FIELD(clock_display_range),
        .defaults = Every<0>(),
        .range = Indexes(kDisplayRanges),
        .listing = Choices(kDisplayRanges),
        .shown = Items(kDateTime, "表示範囲", kDisplayRanges),
    },
    {
        VQX_FIELD(title_single_screen),
        .defaults = Every<1>(),
        .range = Indexes(kOffOn),
        .listing = Choices(kOffOn),
        .shown = Items(kTitle, "単画面表示", kOffOnItems),
    },
    {
        VQX_FIELD(title_split_screen),
        .defaults = Every<1>(),
        .range = Indexes(kOffOn),
        .listing = Choices(kOffOn),
        .shown = Items(kTitle, "分割画面表示", kOffOnItems),
    },
    {
        VQX_FIELD(misc_osd_size_single),
        .defaults = Every<1>(),
        .range = Indexes(kSmallLarge),
        .listing = Choices(kSmallLarge),
        .shown = Items(kOther, "OSD Size単画面", kSmallLargeItems),
    },
    {
        VQX_FIELD(misc_osd_size_split),
        .defaults = Every<0>(),
        .range = Indexes(kSmallLarge),
        .listing = Choices(kSmallLarge),
        .shown = Items(kOther, "OSD Size分割画面", kSmallLargeItems),
    },
    {
        VQX_FIELD(seq_mode),
        .defaults = Every<2>(),
        .range = Indexes(kSequenceModes),
        .listing = Choices(kSequenceModes),
        .shown = Items(kAutoSwitching, "モード", kSequenceModeItems),
    },
    // No dialog, command or reply uses the title positions; they are filed
    // only.
    {
        VQX_FIELD(title_pos_x),
        .defaults = Every<11>(),
        .listing = {.style = ListingStyle::kAsItStands, .entries = kChannels},
        .shown = Numbers({}, "タイトルの表示位置（横）", 0, kChannels),
    },
    {
        VQX_FIELD(title_pos_y),
        .defaults = Every<13>(),
        .listing = {.style = ListingStyle::kAsItStands, .entries = kChannels},
        .shown = Numbers({}, "タイトルの表示位置（縦）", 0, kChannels),
    },
    {
        VQX_FIELD(seq_dwell),
        .defaults = Every<3>(),
        .range = ValueRange{0, 99},
        .listing = {.style = ListingStyle::kNumber,
                    .unit = "s",
                    .entries = kSequenceEntries},
        .shown = Numbers(kAutoSwitching, "時間（秒）", 0, kSequenceEntryItems),
    },
    {
        VQX_FIELD(adjust_brightness),
        .defaults = Every<64>(),
        .range = ValueRange{0, 127},
        .listing = {.style = ListingStyle::kBrightness, .entries = kChannels},
        .shown = {.dialog = kVideoAdjustment,
                  .label = "Brightness",
                  .entries = kChannels,
                  .style = ShownStyle::kBrightness},
    },
    {
        VQX_FIELD(adjust_contrast),
        .defaults = Every<64>(),
        .range = ValueRange{0, 127},
        .listing = {.entries = kChannels},
        .shown = Numbers(kVideoAdjustment, "Contrast", 3, kChannels),
    },
    {
        VQX_FIELD(adjust_sharpness),
        .defaults = Every<0>(),
        .range = ValueRange{0, 31},
        .listing = {.entries = kChannels},
        .shown = Numbers(kVideoAdjustment, "Sharpness", 2, kChannels),
    },
    {
        VQX_FIELD(adjust_hue),
        .defaults = Every<0>(),
        .range = ValueRange{0, 255},
        .listing = {.entries = kChannels},
        .shown = Numbers(kVideoAdjustment, "Hue", 3, kChannels),
    },
    {
        VQX_FIELD(adjust_saturation),
        .defaults = Every<80>(),
        .range = ValueRange{0, 127},
        .listing = {.entries = kChannels},
        .shown = Numbers(kVideoAdjustment, "Saturation", 3, kChannels),
    },
    {
        VQX_FIELD(misc_connector_input),
        .defaults = Every<0>(),
        .range = Indexes(kConnectorInputs),
        .listing = Choices(kConnectorInputs),
        .shown = Items(kOther, "コネクター入力", kConnectorInputItems),
    },
    {
        VQX_FIELD(misc_border_line),
        .defaults = Every<0>(),
        .range = Indexes(kBorderLines),
        .listing = Choices(kBorderLines),
        .shown = Items(kOther, "ボーダーライン", kBorderLineItems),
    },
    {
        VQX_FIELD(misc_power_on_screen),
        .defaults = Every<kScreenSplit9>(),
        .range = Indexes(kScreens),
        .listing = Choices(kScreens),
        .shown = Items(kOther, "電源投入時画面", kScreenItems),
    },
    // Only the device's "DSS" line sets it; no command sends it.
    {
        VQX_FIELD(misc_dss_mode),
        .defaults = Every<0>(),
        .range = ValueRange{0, 1},
        .listing = {.style = ListingStyle::kAsItStands,
                    .unit = "(as reported)"},
        .shown = Numbers({}, "DSSモード（機器が報告した値）", 0),
    },
    {
        VQX_FIELD(format_video),
        .defaults = Every<0>(),
        .range = Indexes(kVideoFormats),
        .listing = Choices(kVideoFormats, kChannels),
        .shown = Items(kVideoFormat, "", kVideoFormatItems, kChannels),
    },
    {
        VQX_FIELD(misc_osd_offset_h),
        .defaults = Every<8>(),
        .range = ValueRange{0, 15},
        .listing = {},
        .shown = Numbers(kOther, "OSD Offset水平", 2),
    },
    {
        VQX_FIELD(misc_osd_offset_v),
        .defaults = Every<8>(),
        .range = ValueRange{0, 15},
        .listing = {},
        .shown = Numbers(kOther, "OSD Offset垂直", 2),
    },
    {
        VQX_FIELD(title_text),
        .kind = FieldKind::kTitle,
        .defaults = {.texts = kFactoryTitles},
        .text_bytes = kTitleBytes,
        .listing = {.style = ListingStyle::kTitle, .entries = kChannels},
        .shown = {.dialog = kTitle,
                  .label = "タイトル",
                  .entries = kChannels,
                  .style = ShownStyle::kText},
    },
    // No dialog, command or reply uses the two-pane layout; it is filed
    // only.
    {
        VQX_FIELD(layout_2),
        .defaults = {.numbers = kFactoryLayout2},
        .range = Indexes(kChannels),
        .listing = PaneListing(2),
        .shown = PaneItems({}, "2分割の配置", 2),
    },
    {
        VQX_FIELD(layout_4a),
        .defaults = {.numbers = kFactoryLayout4a},
        .range = Indexes(kChannels),
        .listing = PaneListing(4),
        .shown = PaneItems(kDisplayChannel, "4分割A ch.配置", 4),
    },
    {
        VQX_FIELD(layout_4b),
        .defaults = {.numbers = kFactoryLayout4b},
        .range = Indexes(kChannels),
        .listing = PaneListing(4),
        .shown = PaneItems(kDisplayChannel, "4分割B ch.配置", 4),
    },
    {
        VQX_FIELD(layout_6a),
        .defaults = {.numbers = kFactoryLayout6a},
        .range = Indexes(kChannels),
        .listing = PaneListing(6),
        .shown = PaneItems(kDisplayChannel, "6分割A ch.配置", 6),
    },
    {
        VQX_FIELD(layout_6b),
        .defaults = {.numbers = kFactoryLayout6b},
        .range = Indexes(kChannels),
        .listing = PaneListing(6),
        .shown = PaneItems(kDisplayChannel, "6分割B ch.配置", 6),
    },
    // Eight assignable panes; the ninth is not placed.
    {
        VQX_FIELD(layout_9),
        .defaults = {.numbers = kFactoryLayout9},
        .range = Indexes(kChannels),
        .listing = PaneListing(8),
        .shown = PaneItems(kDisplayChannel, "9分割 ch.配置", 8),
    },
    {
        VQX_FIELD(misc_ntsc_aspect),
        .defaults = Every<0>(),
        .range = Indexes(kAspectRatios),
        .listing = Choices(kAspectRatios),
        .shown = Items(kOther, "NTSCアスペクト比", kAspectRatioItems),
    },
    {
        VQX_FIELD(agc_enable),
        .defaults = Every<1>(),
        .range = Indexes(kOffOn),
        .listing = Choices(kOffOn, kChannels),
        .shown = Items(kAgc, "", kOffOnItems, kChannels),
    },
};

#undef VQX_FIELD

// The number of values (entries of all fields) in `fields`.
constexpr int CountValues(std::span<const SettingsField> fields) {
  int count = 0;
  for (const SettingsField& field : fields) count += field.storage.entries;
  return count;
}

}  // namespace catalogue

// Every saved field, in the order of the settings file.
inline constexpr std::span<const SettingsField> kSettingsCatalogue =
    catalogue::kFields;

// The values of the record, one per line of the settings file.
inline constexpr int kSettingsValueCount =
    catalogue::CountValues(kSettingsCatalogue);

// One value of the record: one entry of a field, one line of the settings
// file.
struct SettingsValue {
  const SettingsField* field = nullptr;
  int entry = 0;
};

// Every value, in the order of the settings file.
std::span<const SettingsValue> SettingsValues();

// Value `index` (0-based, file order); nothing outside the file.
std::optional<SettingsValue> SettingsValueAt(int index);

// The value the listing names `listing_name` ("vloss_detect[ch.07]",
// "alarm_mode"); nothing for any other name.
std::optional<SettingsValue> SettingsValueNamed(std::string_view listing_name);

// The listing's name of a value: the field's name, and for an array the
// entry's label in brackets: "vloss_detect[ch.07]".
std::string ListingName(SettingsValue value);

// A number field's entries.
std::span<int> FieldNumbers(const SettingsField& field, DeviceSettings& s);
std::span<const int> FieldNumbers(const SettingsField& field,
                                  const DeviceSettings& s);

// A text field's entry: up to its terminator, never past its buffer.
std::string_view FieldText(const SettingsField& field, const DeviceSettings& s,
                           int entry);
// Puts `text` into a text field's entry, NUL-filling the rest of its buffer;
// a text longer than the buffer holds is cut (callers cut at a character).
void StoreFieldText(const SettingsField& field, DeviceSettings& s, int entry,
                    std::string_view text);

}  // namespace vqx
