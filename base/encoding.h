// Fixed-width field encoders for command lines and decoders for replies.
// The encoders write digits in place into a template and never write a
// terminator, so the template's following characters (such as "\r\n") stay.
// The decoders do not check their characters: a non-digit yields a value
// outside the field's range, exactly as the device's layouts are read.
#pragma once

#include <string>

namespace vqx {

// Two ASCII digits of `value` (0..99) at destination[0..1].
void EncodeDecimal2(int value, char* destination);
// Three ASCII digits of `value` (0..999) at destination[0..2].
void EncodeDecimal3(int value, char* destination);

// The same digits as a text of their own.
std::string Decimal2Text(int value);
std::string Decimal3Text(int value);

int DecodeDecimal2(const char* digits);
int DecodeDecimal3(const char* digits);
// '0'..'9' and upper-case 'A'..'F'; result 0..255 for valid digits.
int DecodeHex2(const char* digits);

}  // namespace vqx
