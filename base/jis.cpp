#include "base/jis.h"

#include "base/shift_jis.h"

namespace vqx {

std::uint16_t JisToShiftJis(std::uint16_t jis) {
  const unsigned high = jis >> 8;
  const unsigned low = jis & 0xFF;
  if (high < 0x21 || high > 0x7E || low < 0x21 || low > 0x7E) return 0;
  const unsigned lead = ((high + 1) >> 1) + (high <= 0x5E ? 0x70 : 0xB0);
  unsigned trail;
  if (high & 1) {
    trail = low + (low >= 0x60 ? 0x20 : 0x1F);
  } else {
    trail = low + 0x7E;
  }
  return static_cast<std::uint16_t>((lead << 8) | trail);
}

std::uint16_t ShiftJisToJis(std::uint16_t sjis) {
  const unsigned lead = sjis >> 8;
  const unsigned trail = sjis & 0xFF;
  if (!IsShiftJisLeadByte(static_cast<char>(lead)) ||
      !IsShiftJisTrailByte(static_cast<char>(trail))) {
    return 0;
  }
  const unsigned h = lead < 0xA0 ? lead - 0x81 : lead - 0xC1;
  unsigned code;
  if (trail >= 0x9F) {
    code = ((h * 2 + 0x22) << 8) + (trail - 0x7E);
  } else {
    code =
        ((h * 2 + 0x21) << 8) + (trail <= 0x7E ? trail - 0x1F : trail - 0x20);
  }
  const unsigned low = code & 0xFF;
  if (code < 0x2121 || code > 0x7E7E || low < 0x21 || low > 0x7E) return 0;
  return static_cast<std::uint16_t>(code);
}

std::uint16_t ReplaceIbmExtension(std::uint16_t v) {
  if (v >= 0xFA40 && v <= 0xFA49) return v - 0x0B51;
  if (v >= 0xFA55 && v <= 0xFA57) return v - 0x0B5B;
  if (v < 0xFA5C) return v;
  if ((v >= 0xFA5C && v <= 0xFA7E) || (v >= 0xFA9C && v <= 0xFAFC) ||
      (v >= 0xFB5C && v <= 0xFB7E) || (v >= 0xFB9C && v <= 0xFBFC)) {
    return v - 0x0D1C;
  }
  if ((v >= 0xFA80 && v <= 0xFA9B) || (v >= 0xFB80 && v <= 0xFB9B)) {
    return v - 0x0D1D;
  }
  if ((v >= 0xFB40 && v <= 0xFB5B) || (v >= 0xFC40 && v <= 0xFC4B)) {
    return v - 0x0D5F;
  }
  return 0;
}

std::uint16_t TitleCharacterToJis(std::uint16_t v) {
  if (v <= 0x1339) return static_cast<std::uint16_t>(v + 0x9345);
  if (v >= 0xFA40) v = ReplaceIbmExtension(v);
  if (v == 0) return 0;
  return ShiftJisToJis(v);
}

}  // namespace vqx
