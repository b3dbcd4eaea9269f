// Command builders of the channel titles and of the title display.
//
// A title is stored as Shift_JIS double-byte text of at most 20 bytes and
// travels as ten JIS X 0208 codes, four upper-case hexadecimal digits each.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/platform.h"
#include "link/command_sink.h"
#include "settings/device_settings.h"

namespace vqx {

// Shown for every title that cannot be sent, whatever the reason.
inline constexpr std::string_view kTitleJisMessage =
    "ＪＩＳ第１水準,第２水準以外の字が選択されてます";

// The full-width blank that pads titles (Shift_JIS 0x81 0x40).
inline constexpr char kFullWidthBlank[] = "\x81\x40";

// "CJ" plain, or "CJN" for the form the "Don't" buttons send.
enum class TitleVariant { kPlain = 0, kN = 1 };

// A title ready to encode: exactly 20 Shift_JIS bytes.
struct PreparedTitle {
  std::array<char, kTitleBytes> bytes{};
  std::string_view text() const { return {bytes.data(), bytes.size()}; }
};

// The stored title of channel index 0..7 padded with full-width blanks to 20
// bytes. Nothing when the channel index is outside 0..7 or the title cannot
// be sent: an odd byte length (a half-width character) or more than 20 bytes.
std::optional<PreparedTitle> PrepareTitle(const DeviceSettings& settings,
                                          int channel);

// The title line for channel index 0..7, or nothing when a character has no
// JIS X 0208 code (or the channel index is outside 0..7).
std::optional<std::string> TitleCommand(const PreparedTitle& title, int channel,
                                        TitleVariant variant);
// Sends TitleCommand; on failure nothing is sent and the result is false.
bool SendTitle(CommandSink& sink, const PreparedTitle& title, int channel,
               TitleVariant variant);

enum class TitleSendResult {
  kSent,
  kNotPrepared,   // odd length or too long; the JIS message was shown
  kNotEncodable,  // a character without a JIS code; the JIS message was shown
};
// What a title set button and every step of a title set-all does: prepare,
// send, and show kTitleJisMessage in a warning box on either failure. A
// set-all stops after kNotEncodable but goes on after kNotPrepared.
TitleSendResult PrepareAndSendTitle(CommandSink& sink,
                                    const DeviceSettings& settings,
                                    MessageBoxes& boxes, int channel,
                                    TitleVariant variant);

// "CTDSOF\r\n" / "CTDSON\r\n": title shown in the single-screen view (any
// non-zero value is ON).
std::string TitleDisplaySingleCommand(const DeviceSettings& settings);
void SendTitleDisplaySingle(CommandSink& sink, const DeviceSettings& settings);

// "CTDDOF\r\n" / "CTDDON\r\n": title shown in the split-screen views.
std::string TitleDisplaySplitCommand(const DeviceSettings& settings);
void SendTitleDisplaySplit(CommandSink& sink, const DeviceSettings& settings);

}  // namespace vqx
