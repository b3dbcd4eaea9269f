#include "base/jis.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace vqx {
namespace {

struct KnownCharacter {
  const char* name;
  std::uint16_t sjis;
  std::uint16_t jis;
};

// Characters across odd and even rows, both sides of the trail byte gap at
// 0x7F, and the upper lead-byte range.
constexpr KnownCharacter kKnown[] = {
    {"ideographic space", 0x8140, 0x2121},
    {"long vowel mark", 0x815B, 0x213C},
    {"full-width A", 0x8260, 0x2341},
    {"hiragana a", 0x82A0, 0x2422},
    {"katakana mi", 0x837E, 0x255F},
    {"katakana mu", 0x8380, 0x2560},
    {"first kanji of level 1", 0x889F, 0x3021},
    {"kan (Chinese)", 0x8ABF, 0x3441},
    {"last row of level 1", 0x9872, 0x4F53},
    {"first kanji of level 2", 0x989F, 0x5021},
    {"ki (bright)", 0xEAA4, 0x7426},
    {"last code of the table", 0xEFFC, 0x7E7E},
};

TEST(JisTest, ArithmeticMappingMatchesKnownCharacters) {
  for (const KnownCharacter& c : kKnown) {
    EXPECT_EQ(JisToShiftJis(c.jis), c.sjis) << c.name;
    EXPECT_EQ(ShiftJisToJis(c.sjis), c.jis) << c.name;
  }
}

TEST(JisTest, RoundTripsEveryJisCode) {
  for (unsigned high = 0x21; high <= 0x7E; ++high) {
    for (unsigned low = 0x21; low <= 0x7E; ++low) {
      const auto jis = static_cast<std::uint16_t>(high << 8 | low);
      const std::uint16_t sjis = JisToShiftJis(jis);
      ASSERT_NE(sjis, 0);
      ASSERT_NE(sjis & 0xFF, 0x7F);
      ASSERT_EQ(ShiftJisToJis(sjis), jis);
    }
  }
}

TEST(JisTest, CodesOutsideTheTableGiveZero) {
  for (std::uint16_t jis :
       {0x0000, 0x2041, 0x2120, 0x217F, 0x7F21, 0x0041, 0x8080, 0xFFFF}) {
    EXPECT_EQ(JisToShiftJis(jis), 0) << std::hex << jis;
  }
  for (std::uint16_t sjis : {0x0041, 0x813F, 0x817F, 0x81FD, 0xA0A0, 0xB140,
                             0xF040, 0xFA40, 0xFCFC}) {
    EXPECT_EQ(ShiftJisToJis(sjis), 0) << std::hex << sjis;
  }
}

// IBM extended characters and the NEC-selected codes of the same
// characters, at the edges of every range.
constexpr std::uint16_t kIbmToNec[][2] = {
    {0xFA40, 0xEEEF},  // small roman numeral one
    {0xFA49, 0xEEF8},  // small roman numeral ten
    {0xFA55, 0xEEFA},  // broken bar
    {0xFA57, 0xEEFC},  // full-width quotation mark
    {0xFA5C, 0xED40}, {0xFA7E, 0xED62}, {0xFA80, 0xED63}, {0xFA9B, 0xED7E},
    {0xFA9C, 0xED80}, {0xFAFC, 0xEDE0}, {0xFB40, 0xEDE1}, {0xFB5B, 0xEDFC},
    {0xFB5C, 0xEE40}, {0xFB7E, 0xEE62}, {0xFB80, 0xEE63}, {0xFB9B, 0xEE7E},
    {0xFB9C, 0xEE80}, {0xFBFC, 0xEEE0}, {0xFC40, 0xEEE1}, {0xFC4B, 0xEEEC},
};

TEST(JisTest, IbmExtensionsBecomeNecSelected) {
  for (const auto& [ibm, nec] : kIbmToNec) {
    EXPECT_EQ(ReplaceIbmExtension(ibm), nec) << std::hex << ibm;
  }
}

TEST(JisTest, IbmExtensionTableIsOneToOneIntoTheNecBlock) {
  // Every valid code of 0xFA5C..0xFC4B lands on a valid trail byte of
  // 0xED40..0xEEEC, in the same order, with no two on one code.
  std::uint16_t previous = 0;
  int count = 0;
  for (unsigned v = 0xFA5C; v <= 0xFC4B; ++v) {
    const unsigned trail = v & 0xFF;
    if (trail < 0x40 || trail == 0x7F || trail > 0xFC) continue;
    const std::uint16_t nec =
        ReplaceIbmExtension(static_cast<std::uint16_t>(v));
    ASSERT_GE(nec, 0xED40) << std::hex << v;
    ASSERT_LE(nec, 0xEEEC) << std::hex << v;
    ASSERT_NE(nec & 0xFF, 0x7F) << std::hex << v;
    ASSERT_GE(nec & 0xFF, 0x40) << std::hex << v;
    ASSERT_LE(nec & 0xFF, 0xFC) << std::hex << v;
    ASSERT_GT(nec, previous) << std::hex << v;
    previous = nec;
    ++count;
  }
  EXPECT_EQ(count, 360);  // the kanji of the block
}

TEST(JisTest, IbmCodesWithoutEquivalentAreNotShown) {
  // Not replaced, and not in the JIS table either.
  for (std::uint16_t v : {0xFA4A, 0xFA53, 0xFA54, 0xFA58, 0xFA5B}) {
    EXPECT_EQ(ReplaceIbmExtension(v), v);
    EXPECT_EQ(TitleCharacterToJis(v), 0);
  }
  for (std::uint16_t v : {0xFC4C, 0xFC4D, 0xFCFC}) {
    EXPECT_EQ(ReplaceIbmExtension(v), 0);
    EXPECT_EQ(TitleCharacterToJis(v), 0);
  }
  EXPECT_EQ(ReplaceIbmExtension(0x8140), 0x8140);
}

TEST(JisTest, TitleCharacters) {
  EXPECT_EQ(TitleCharacterToJis(0x8140), 0x2121);
  EXPECT_EQ(TitleCharacterToJis(0x8260), 0x2341);
  // An IBM extended kanji travels as its NEC-selected code's JIS value.
  EXPECT_EQ(TitleCharacterToJis(0xFA5C), ShiftJisToJis(0xED40));
  EXPECT_EQ(TitleCharacterToJis(0xFA5C), 0x7921);
  // Small values travel offset as the device expects.
  EXPECT_EQ(TitleCharacterToJis(0x0000), 0x9345);
  EXPECT_EQ(TitleCharacterToJis(0x1339), 0xA67E);
  // Half-width pairs have no JIS code.
  EXPECT_EQ(TitleCharacterToJis(0x4142), 0);
  EXPECT_EQ(TitleCharacterToJis(0xB1B2), 0);
}

}  // namespace
}  // namespace vqx
