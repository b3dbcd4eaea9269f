// The pattern every settings dialog follows: the slave-address list, the
// caption rule, filling lists at explicit indexes, and storing a choice the
// moment it is made.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/device_settings.h"
#include "dialogs/dialog.h"
#include "dialogs/dialog_view.h"
#include "dialogs/ids/common_ids.h"
#include "transport/link_state.h"

namespace vqx {

// The slave-address list (a drop-down list inside the group box
// "スレーブアドレス") has this id in every dialog that has one.
inline constexpr int kSlaveAddressCombo = IDC_SLAVE_ADDRESS;
// "00".."31" and the broadcast entry.
inline constexpr int kSlaveAddressItemCount = kBroadcastAddress + 1;
// The device documentation spells the broadcast entry this way; installers
// know it by this text.
inline constexpr std::string_view kBroadcastItemText = "Bloadcast";

// The OFF/ON list of most dialogs: index 0 "OFF", index 1 " ON".
inline constexpr std::array<std::string_view, 2> kOffOnItems = {"OFF", " ON"};

// Inserts `items` at indexes 0, 1, 2, ... so no list style reorders them.
void FillList(DialogView& view, int control,
              std::span<const std::string_view> items);
void FillOffOnList(DialogView& view, int control);
// The numbers 0..count-1 in decimal without leading zeros; item i is i.
void FillNumberList(DialogView& view, int control, int count);

// Selects the item whose index equals a stored value; a value outside the
// list leaves it showing no selection.
void Preselect(DialogView& view, int control, int value);

// Step 1: the 33 items "00".."31", "Bloadcast"; without the last one where a
// broadcast makes no sense (read-all: nobody would answer).
enum class Broadcast { kListed, kLeftOut };
void FillSlaveAddressCombo(DialogView& view,
                           Broadcast broadcast = Broadcast::kListed);
// Step 2: on RS-485 (any non-zero rs_control, as the wire takes it) select
// `slave_address`; on RS-232C disable the list and select nothing. The address
// itself is left alone either way.
void ApplySlaveAddressRule(DialogView& view, const LinkConfig& config,
                           int slave_address);
// Both steps.
void InitSlaveAddressCombo(DialogView& view, const LinkConfig& config,
                           int slave_address);

// A selection change in the slave-address list becomes the new address for
// every later command. Returns true when the event belonged to that list
// (handled or deliberately ignored).
bool HandleSlaveAddressChange(DialogView& view, int control,
                              ControlNotification notification,
                              std::atomic<int>& slave_address);

// One entry of the device-name table. The program never names a device, so
// every name is empty; entry 0 carries flag 1.
struct DeviceNameEntry {
  std::int32_t flag = 0;
  std::int32_t word = 0;
  char name[16] = {};
};

inline constexpr int kDeviceNameCount = 97;

const std::array<DeviceNameEntry, kDeviceNameCount>& DeviceNameTable();

// The caption a settings dialog gets as the last step of opening: the
// heading followed by the name of device entry `select_number`, or nothing
// (keep the template's caption) when select_number is -1 or names no entry.
std::optional<std::string> DialogCaption(int select_number,
                                         std::string_view heading);

// The last step of every initialisation: keeps the template's caption when
// select_number is -1 (or names no device entry), otherwise shows the
// heading text followed by the selected device's name.
void ApplyDialogCaption(DialogView& view, const LinkConfig& config,
                        std::string_view heading);

// The index the user just picked in `control`, when `notification` is its
// selection change and an item is selected; nothing otherwise.
std::optional<int> ChosenIndex(DialogView& view, int control,
                               ControlNotification notification);

// Whether two records hold the same values for everything the settings
// file keeps: `dirty` and the bytes behind the end of a text do not count.
bool SameSavedSettings(const DeviceSettings& a, const DeviceSettings& b);

// A change the user made in a dialog: runs `change` on the record and raises
// `dirty` when a value the settings file keeps now differs, so New, Open and
// Exit ask before that work is lost. Choosing what is already stored is no
// change.
template <class Change>
void StoreUserChange(SettingsStore& store, Change&& change) {
  store.Update([&](DeviceSettings& s) {
    const DeviceSettings before = s;
    change(s);
    if (!SameSavedSettings(before, s)) s.dirty = 1;
  });
}

// Sets an edit control's text as the dialog's own doing. The window reports
// that as an edit too, before this returns; `filling` is true meanwhile so
// the edit's handler can tell it from the user's typing.
void FillEdit(DialogView& view, int control, std::string_view text,
              bool& filling);

// Stores the picked index of `control` into one integer field at once, as
// the user's change. Returns true when a value was stored.
bool StoreChoice(DialogView& view, int control,
                 ControlNotification notification, SettingsStore& store,
                 int DeviceSettings::*field);

// The same for an entry of an array field: `entry` returns the int to set.
template <class Entry>
bool StoreChoiceIn(DialogView& view, int control,
                   ControlNotification notification, SettingsStore& store,
                   Entry entry) {
  const std::optional<int> index = ChosenIndex(view, control, notification);
  if (!index) return false;
  StoreUserChange(store, [&](DeviceSettings& s) { entry(s) = *index; });
  return true;
}

// A channel's list and its set button, in the dialogs with one such row per
// channel (ch.01 first; the ids need not follow the channel order).
struct ChannelRow {
  int list;
  int set;
};
using ChannelRows = std::array<ChannelRow, kChannelCount>;

// Preselects each row's list with its channel's entry of `values`.
void PreselectChannelRows(DialogView& view, const ChannelRows& rows,
                          const int (&values)[kChannelCount]);

// A pick in a row's list is stored at once into that channel's entry of
// `field`; a click on a row's set button calls `send` with the channel.
// Returns true when `control` belongs to a row (handled).
bool HandleChannelRows(DialogView& view, int control,
                       ControlNotification notification,
                       const ChannelRows& rows, SettingsStore& store,
                       int (DeviceSettings::*field)[kChannelCount],
                       const std::function<void(int channel)>& send);

// Which command ids end a dialog: "Close" (id 2, also Escape and the close
// box) always; id 1 (Enter, an OK button) only in dialogs that say so.
enum class CloseIds { kCloseOnly, kOkAndClose };

// Ends the dialog when `control` is one of its closing ids and was clicked.
// Returns true when the event was such an id (handled).
bool HandleClose(DialogView& view, int control,
                 ControlNotification notification, CloseIds ids);

// "ch.01 " .. "ch.08 " (one trailing blank): the channel items of the screen
// and pane lists.
std::string ChannelItemText(int channel);

// The items of the screen lists, index = screen (0..13): the eight channels,
// "4分割A", "4分割B", "6分割A", "6分割B", "9分割 " and "自動  ".
const std::array<std::string_view, kScreenCount>& ScreenItems();

}  // namespace vqx
