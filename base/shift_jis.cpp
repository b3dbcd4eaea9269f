#include "base/shift_jis.h"

namespace vqx {

bool IsShiftJisLeadByte(char byte) {
  const auto value = static_cast<unsigned char>(byte);
  return (value >= 0x81 && value <= 0x9F) || (value >= 0xE0 && value <= 0xFC);
}

bool IsShiftJisTrailByte(char byte) {
  const auto value = static_cast<unsigned char>(byte);
  return (value >= 0x40 && value <= 0x7E) || (value >= 0x80 && value <= 0xFC);
}

std::string_view CutShiftJis(std::string_view text, std::size_t limit) {
  std::size_t length = 0;
  while (length < text.size()) {
    const std::size_t width =
        IsShiftJisLeadByte(text[length]) && length + 1 < text.size() ? 2 : 1;
    if (length + width > limit) break;
    length += width;
  }
  return text.substr(0, length);
}

}  // namespace vqx
