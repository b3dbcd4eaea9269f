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

#include "base/device_settings.h"
#include "base/platform.h"
#include "protocol/read_back.h"
#include "transport/command_sink.h"
#include "transport/link_state.h"
#include "transport/timed_sequence.h"

namespace vqx {

// Shown for every title that cannot be sent, whatever the reason.
inline constexpr std::string_view kTitleJisMessage =
    "ＪＩＳ第１水準,第２水準以外の字が選択されてます";

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

// ---- Set-all
// -----------------------------------------------------------------

inline constexpr int kTitleSetAllPeriodMs = 200;

// The title dialog's "全設定" and "全設定Don't": the eight titles, one per
// 200 ms tick. A title that cannot be prepared shows the JIS message and is
// skipped; one without JIS codes shows it and ends the run after that step.
// A complete or ended run clears the percentage to two blanks and the bar.
class TitleSetAllSequence : public TimedSequence {
 public:
  TitleSetAllSequence(LinkState& link, const SettingsStore& settings,
                      CommandSink& sink, MessageBoxes& boxes);

  // Starts a run that sends every title in `variant`'s form. Refused while
  // any sequence runs.
  bool Start(TitleVariant variant);

 private:
  TitleVariant variant_ = TitleVariant::kPlain;
};

// ---- Read-back
// ---------------------------------------------------------------

// "CJ", the channel, then ten JIS X 0208 codes as 40 hexadecimal digits.
// Trailing ideographic spaces are the device's padding and are dropped; a
// code outside the JIS rows becomes 0, which ends the title there.
void DecodeTitle(DeviceSettings& settings, std::string_view work_copy);
// "CTDSOF" / "CTDSON" (position 4 holds the O of ON and OF); another letter
// leaves the field.
void DecodeTitleDisplaySingle(DeviceSettings& settings,
                              std::string_view work_copy);
// "CTDDOF" / "CTDDON".
void DecodeTitleDisplaySplit(DeviceSettings& settings,
                             std::string_view work_copy);

inline constexpr ReadBack kTitleReadBack{"RCJ01\r\n", "CJ", DecodeTitle,
                                         SettingsGroup::kTitle, 3};
inline constexpr ReadBack kTitleDisplaySingleReadBack{
    "RCTDS\r\n", "CTDS", DecodeTitleDisplaySingle, SettingsGroup::kTitle};
inline constexpr ReadBack kTitleDisplaySplitReadBack{
    "RCTDD\r\n", "CTDD", DecodeTitleDisplaySplit, SettingsGroup::kTitle};

}  // namespace vqx
