// Shift_JIS text as the device's titles and the settings files hold it: the
// full-width blank that pads titles, the byte classes of a double-byte
// character, and cutting a text without splitting a character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vqx {

// The full-width (ideographic) blank, Shift_JIS 0x81 0x40; JIS X 0208 code
// 0x2121. Titles are padded with it.
inline constexpr std::string_view kFullWidthBlank = "\x81\x40";
inline constexpr std::uint16_t kFullWidthBlankJis = 0x2121;

// The first byte of a double-byte character: 0x81..0x9F or 0xE0..0xFC.
bool IsShiftJisLeadByte(char byte);
// The second byte of a double-byte character: 0x40..0x7E or 0x80..0xFC.
bool IsShiftJisTrailByte(char byte);

// The longest start of `text` of at most `limit` bytes that does not split a
// double-byte character. A lead byte at the very end (no trail byte after
// it) counts as one character.
std::string_view CutShiftJis(std::string_view text, std::size_t limit);

// The text held in a fixed buffer: up to its terminator, never past its
// end (a buffer filled to the last byte has none).
template <std::size_t N>
constexpr std::string_view BufferText(const char (&buffer)[N]) {
  std::size_t length = 0;
  while (length < N && buffer[length] != '\0') ++length;
  return std::string_view(buffer, length);
}

}  // namespace vqx
