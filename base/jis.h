// Conversions between JIS X 0208 character codes, as the device carries
// titles, and Shift_JIS, as the program stores them. Codes are 16-bit values,
// high byte first (0x2121 is the ideographic space; Shift_JIS 0x8140).
#pragma once

#include <cstdint>

namespace vqx {

// The standard arithmetic mapping. Returns 0 unless both bytes of `jis` lie
// in 0x21..0x7E.
std::uint16_t JisToShiftJis(std::uint16_t jis);

// The standard arithmetic mapping of a Shift_JIS lead/trail pair. Returns 0
// when the pair is not a double-byte character of rows 0x21..0x7E.
std::uint16_t ShiftJisToJis(std::uint16_t sjis);

// Maps an IBM extended character (Shift_JIS 0xFA40..0xFCFC) to its
// NEC-selected equivalent. Values from 0xFA5C up without an equivalent give
// 0; values below 0xFA5C outside the mapped ranges (0xFA4A..0xFA54,
// 0xFA58..0xFA5B and everything below 0xFA40) are returned unchanged, and the
// Shift_JIS conversion then refuses the ones in row 0xFA.
std::uint16_t ReplaceIbmExtension(std::uint16_t sjis);

// The code a title character travels as: values up to 0x1339 are offset by
// 0x9345 as the device expects; IBM extended characters are first replaced by
// their NEC-selected equivalents; then the Shift_JIS pair is converted.
// Returns 0 for a character the device cannot show.
std::uint16_t TitleCharacterToJis(std::uint16_t sjis);

}  // namespace vqx
