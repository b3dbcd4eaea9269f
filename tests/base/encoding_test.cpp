#include "base/encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace vqx {
namespace {

TEST(EncodingTest, EncodersWriteDigitsInPlaceWithoutTerminator) {
  std::string line = "RVAB01\r\n";
  EncodeDecimal2(5, line.data() + 4);
  EXPECT_EQ(line, "RVAB05\r\n");
  EncodeDecimal2(31, line.data() + 4);
  EXPECT_EQ(line, "RVAB31\r\n");

  std::string three = "ADT000\r\n";
  EncodeDecimal3(7, three.data() + 3);
  EXPECT_EQ(three, "ADT007\r\n");
  EncodeDecimal3(999, three.data() + 3);
  EXPECT_EQ(three, "ADT999\r\n");
  EncodeDecimal3(120, three.data() + 3);
  EXPECT_EQ(three, "ADT120\r\n");
}

TEST(EncodingTest, DecodersRoundTripEveryValue) {
  char digits[3];
  for (int value = 0; value <= 99; ++value) {
    EncodeDecimal2(value, digits);
    EXPECT_EQ(DecodeDecimal2(digits), value);
  }
  for (int value = 0; value <= 999; ++value) {
    EncodeDecimal3(value, digits);
    EXPECT_EQ(DecodeDecimal3(digits), value);
  }
}

TEST(EncodingTest, DecodeHex2) {
  EXPECT_EQ(DecodeHex2("00"), 0x00);
  EXPECT_EQ(DecodeHex2("21"), 0x21);
  EXPECT_EQ(DecodeHex2("7E"), 0x7E);
  EXPECT_EQ(DecodeHex2("A9"), 0xA9);
  EXPECT_EQ(DecodeHex2("FF"), 0xFF);
  // Non-digits are not checked, but the result stays one byte.
  for (int high = 0; high < 256; ++high) {
    for (int low = 0; low < 256; ++low) {
      const char digits[2] = {static_cast<char>(high), static_cast<char>(low)};
      const int value = DecodeHex2(digits);
      ASSERT_GE(value, 0);
      ASSERT_LE(value, 255);
    }
  }
}

TEST(EncodingTest, NonDigitsDecodeOutsideTheRange) {
  EXPECT_LT(DecodeDecimal2("\r\n"), 0);
  EXPECT_GT(DecodeDecimal2("A0"), 99);
}

}  // namespace
}  // namespace vqx
