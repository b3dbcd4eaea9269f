#include "base/encoding.h"

namespace vqx {

void EncodeDecimal2(int value, char* destination) {
  destination[0] = static_cast<char>('0' + value / 10);
  destination[1] = static_cast<char>('0' + value % 10);
}

void EncodeDecimal3(int value, char* destination) {
  destination[0] = static_cast<char>('0' + value / 100);
  destination[1] = static_cast<char>('0' + (value % 100) / 10);
  destination[2] = static_cast<char>('0' + value % 10);
}

std::string Decimal2Text(int value) {
  std::string text(2, '0');
  EncodeDecimal2(value, text.data());
  return text;
}

std::string Decimal3Text(int value) {
  std::string text(3, '0');
  EncodeDecimal3(value, text.data());
  return text;
}

int DecodeDecimal2(const char* digits) {
  return (digits[0] - '0') * 10 + (digits[1] - '0');
}

int DecodeDecimal3(const char* digits) {
  return (digits[0] - '0') * 100 + (digits[1] - '0') * 10 + (digits[2] - '0');
}

namespace {
int HexDigit(char c) {
  if (c >= 'A') return c - 'A' + 10;
  return c - '0';
}
}  // namespace

int DecodeHex2(const char* digits) {
  return (HexDigit(digits[0]) * 16 + HexDigit(digits[1])) & 0xFF;
}

}  // namespace vqx
