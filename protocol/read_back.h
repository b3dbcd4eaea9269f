// What every settings group's read-back shares: the description of one
// read-back line (the read command that asks for it, the mnemonic its answer
// starts with, its decoder, its group), and the field readers the decoders
// are made of.
//
// A decoder is given the work copy of a reply (address removed; position 0
// is the mnemonic's first letter; the line may still end in CR LF). A reply
// shorter than its layout, a channel number outside 01..08, or a value
// outside the field's range leaves the record unchanged (for the
// per-channel character lists only that channel): a garbled line must not
// corrupt the settings. Decoders never send, never show a box and never
// touch `dirty`: values read from the device are not unsaved changes.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "base/device_settings.h"

namespace vqx {

// The settings groups, as the Settings menu names them.
enum class SettingsGroup {
  kAlarm,
  kVideoLoss,
  kDateTime,
  kTitle,
  kAutoSwitching,
  kVideoAdjustment,
  kDisplayChannel,
  kVideoFormat,
  kAgc,
  kOther,
  kVersion,  // the device's version: no setting, the end of a read-all
};

// The menu text of a group ("アラーム", ...; "バージョン" for the version).
std::string_view SettingsGroupName(SettingsGroup group);
// The group in plain English words, for the command-line tool.
std::string_view SettingsGroupEnglishName(SettingsGroup group);

using ReadBackDecoder = void (*)(DeviceSettings& settings,
                                 std::string_view work_copy);

// One kind of read-back line.
struct ReadBack {
  // The read command that asks for it, ending in CR LF ("" when no command
  // of this program asks for it). A per-channel read holds the digits "01"
  // at `channel_at`, replaced by the channel 01..08.
  std::string_view command;
  // The mnemonic the answer starts with; its per-channel answers carry the
  // channel's two digits right after it.
  std::string_view reply;
  ReadBackDecoder decode;
  SettingsGroup group;
  int channel_at = -1;  // per-channel reads only
};

// ---- Field readers for the decoders ----------------------------------------

// The work copy without its line end (trailing CR and LF characters).
std::string_view ReplyPayload(std::string_view work_copy);

// The payload when it holds at least `layout` characters.
std::optional<std::string_view> Complete(std::string_view work_copy,
                                         std::size_t layout);

// Two or three decimal digits at `position`, or nothing when a character is
// not a digit. The caller has checked that the payload is long enough.
std::optional<int> Digits(std::string_view payload, std::size_t position,
                          int width);

std::optional<int> InRange(std::optional<int> value, int low, int high);

// A channel number 01..08 at `position`, as the index 0..7.
std::optional<int> ChannelAt(std::string_view payload, std::size_t position);

bool IsHexDigit(char c);

// `off` at `position` stores 0, any other character 1.
void SwitchOffOrOn(std::string_view work_copy, std::size_t position, char off,
                   int& field);

// Each listed character sets its value; any other leaves the field as is.
struct CharValue {
  char character;
  int value;
};
template <std::size_t N>
void SwitchListed(std::string_view work_copy, std::size_t position,
                  const CharValue (&values)[N], int& field) {
  const std::optional<std::string_view> p = Complete(work_copy, position + 1);
  if (!p) return;
  for (const CharValue& entry : values) {
    if ((*p)[position] == entry.character) {
      field = entry.value;
      return;
    }
  }
}

inline constexpr CharValue kOffOnLetters[] = {{'F', 0}, {'N', 1}};

// Two-digit numbers at `first`, `first` + 2, ... stored minus `bias` when
// all lie in low..high; one bad number means a garbled line, which changes
// nothing.
template <std::size_t N>
void NumberList(std::string_view work_copy, std::size_t first, int low,
                int high, int bias, int (&field)[N]) {
  const std::optional<std::string_view> p = Complete(work_copy, first + 2 * N);
  if (!p) return;
  int values[N];
  for (std::size_t i = 0; i < N; ++i) {
    const std::optional<int> value =
        InRange(Digits(*p, first + 2 * i, 2), low, high);
    if (!value) return;
    values[i] = *value - bias;
  }
  for (std::size_t i = 0; i < N; ++i) field[i] = values[i];
}

}  // namespace vqx
