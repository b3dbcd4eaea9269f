#include "dialogs/conventions.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <type_traits>

#include "base/encoding.h"

namespace vqx {

void FillList(DialogView& view, int control,
              std::span<const std::string_view> items) {
  int index = 0;
  for (std::string_view item : items) {
    view.InsertItem(control, index, item);
    ++index;
  }
}

void FillOffOnList(DialogView& view, int control) {
  FillList(view, control, kOffOnItems);
}

void FillNumberList(DialogView& view, int control, int count) {
  for (int i = 0; i < count; ++i) {
    view.InsertItem(control, i, std::to_string(i));
  }
}

void Preselect(DialogView& view, int control, int value) {
  view.SelectItem(control, value);
}

void FillSlaveAddressCombo(DialogView& view, Broadcast broadcast) {
  for (int i = 0; i < kBroadcastAddress; ++i) {
    view.InsertItem(kSlaveAddressCombo, i, Decimal2Text(i));
  }
  if (broadcast == Broadcast::kListed) {
    view.InsertItem(kSlaveAddressCombo, kBroadcastAddress, kBroadcastItemText);
  }
}

void ApplySlaveAddressRule(DialogView& view, const LinkConfig& config,
                           int slave_address) {
  if (IsRs485(config.rs_control.load())) {
    view.SelectItem(kSlaveAddressCombo, slave_address);
  } else {
    view.EnableControl(kSlaveAddressCombo, false);
    view.SelectItem(kSlaveAddressCombo, kNoSelection);
  }
}

void InitSlaveAddressCombo(DialogView& view, const LinkConfig& config,
                           int slave_address) {
  FillSlaveAddressCombo(view);
  ApplySlaveAddressRule(view, config, slave_address);
}

bool HandleSlaveAddressChange(DialogView& view, int control,
                              ControlNotification notification,
                              std::atomic<int>& slave_address) {
  if (control != kSlaveAddressCombo) return false;
  if (std::optional<int> index = ChosenIndex(view, control, notification)) {
    if (*index < kSlaveAddressItemCount) slave_address = *index;
  }
  return true;
}

namespace {

std::array<DeviceNameEntry, kDeviceNameCount> MakeDeviceNameTable() {
  std::array<DeviceNameEntry, kDeviceNameCount> table{};
  table[0].flag = 1;
  return table;
}

}  // namespace

const std::array<DeviceNameEntry, kDeviceNameCount>& DeviceNameTable() {
  static const std::array<DeviceNameEntry, kDeviceNameCount> table =
      MakeDeviceNameTable();
  return table;
}

std::optional<std::string> DialogCaption(int select_number,
                                         std::string_view heading) {
  if (select_number < 0 || select_number >= kDeviceNameCount) {
    return std::nullopt;
  }
  const DeviceNameEntry& entry = DeviceNameTable()[select_number];
  std::string caption(heading);
  const char* name_end =
      std::find(std::begin(entry.name), std::end(entry.name), '\0');
  caption.append(entry.name, name_end);
  return caption;
}

void ApplyDialogCaption(DialogView& view, const LinkConfig& config,
                        std::string_view heading) {
  std::optional<std::string> caption =
      DialogCaption(config.select_number.load(), heading);
  if (caption) view.SetCaption(*caption);
}

std::optional<int> ChosenIndex(DialogView& view, int control,
                               ControlNotification notification) {
  if (notification != ControlNotification::kSelectionChange) {
    return std::nullopt;
  }
  const int index = view.SelectedItem(control);
  if (index == kNoSelection || index < 0) return std::nullopt;
  return index;
}

bool HandleClose(DialogView& view, int control,
                 ControlNotification notification, CloseIds ids) {
  const bool closing =
      control == kIdClose || (control == kIdOk && ids == CloseIds::kOkAndClose);
  if (!closing) return false;
  if (notification == ControlNotification::kClicked) {
    view.EndDialog(kDialogClosed);
  }
  return true;
}

std::string ChannelItemText(int channel) {
  return "ch." + Decimal2Text(channel + 1) + " ";
}

const std::array<std::string_view, kScreenCount>& ScreenItems() {
  static constexpr std::array<std::string_view, kScreenCount> kItems = {
      "ch.01 ", "ch.02 ", "ch.03 ", "ch.04 ", "ch.05 ", "ch.06 ", "ch.07 ",
      "ch.08 ", "4分割A", "4分割B", "6分割A", "6分割B", "9分割 ", "自動  "};
  return kItems;
}

namespace {

// The record as the settings file sees it: no flag, and nothing behind the
// end of a text (a text is written up to its terminator).
template <std::size_t N>
void ClearBehindEnd(char (&text)[N]) {
  char* end = std::find(text, text + N, '\0');
  std::fill(end, text + N, '\0');
}

DeviceSettings SavedPart(const DeviceSettings& settings) {
  DeviceSettings saved = settings;
  saved.dirty = 0;
  ClearBehindEnd(saved.alarm_hold_time);
  for (auto& title : saved.title_text) ClearBehindEnd(title);
  return saved;
}

}  // namespace

// Compared byte for byte: every field is an int or a char array, so the
// record has no padding whose bytes could differ.
static_assert(std::has_unique_object_representations_v<DeviceSettings>);

bool SameSavedSettings(const DeviceSettings& a, const DeviceSettings& b) {
  const DeviceSettings saved_a = SavedPart(a);
  const DeviceSettings saved_b = SavedPart(b);
  return std::memcmp(&saved_a, &saved_b, sizeof saved_a) == 0;
}

void FillEdit(DialogView& view, int control, std::string_view text,
              bool& filling) {
  const bool was_filling = filling;
  filling = true;
  view.SetControlText(control, text);
  filling = was_filling;
}

bool StoreChoice(DialogView& view, int control,
                 ControlNotification notification, SettingsStore& store,
                 int DeviceSettings::*field) {
  std::optional<int> index = ChosenIndex(view, control, notification);
  if (!index) return false;
  StoreUserChange(store, [&](DeviceSettings& s) { s.*field = *index; });
  return true;
}

void PreselectChannelRows(DialogView& view, const ChannelRows& rows,
                          const int (&values)[kChannelCount]) {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    Preselect(view, rows[ch].list, values[ch]);
  }
}

bool HandleChannelRows(DialogView& view, int control,
                       ControlNotification notification,
                       const ChannelRows& rows, SettingsStore& store,
                       int (DeviceSettings::*field)[kChannelCount],
                       const std::function<void(int channel)>& send) {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    if (control == rows[ch].list) {
      StoreChoiceIn(view, control, notification, store,
                    [&](DeviceSettings& s) -> int& { return (s.*field)[ch]; });
      return true;
    }
    if (control == rows[ch].set) {
      if (notification == ControlNotification::kClicked) send(ch);
      return true;
    }
  }
  return false;
}

}  // namespace vqx
