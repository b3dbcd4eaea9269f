#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "protocol/reply_table.h"
#include "tests/support/default_settings.h"

namespace vqx {
namespace {

using testing::Defaults;

// Runs the handler the dispatch table picks for `line` on the defaults.
DeviceSettings AfterReply(std::string_view line,
                          DeviceSettings settings = Defaults()) {
  const ReplyHandlerEntry* entry = FindReplyHandler(line);
  EXPECT_NE(entry, nullptr) << line;
  if (entry) entry->handler(settings, line);
  return settings;
}

bool SameRecord(const DeviceSettings& a, const DeviceSettings& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(ReplyDispatchTableTest, OrderAndMnemonics) {
  const char* expected[] = {
      "ADO",  "ADT",  "AGC",   "AM",   "AP",    "ARO",   "BL",    "CASTM",
      "CASM", "CI",   "CTDD",  "CTDS", "CTFSD", "CTFSS", "CJ",    "DSS",
      "NAR",  "OOH",  "OOV",   "POS",  "SPD4A", "SPD4B", "SPD6A", "SPD6B",
      "SPD9", "TSDO", "TSDR",  "VAB",  "VAC",   "VASH",  "VAH",   "VASA",
      "VLBC", "VLDO", "VLSOO", "VL",   "VF",    "VN"};
  ASSERT_EQ(std::size(expected), ReplyDispatchTable.size());
  for (std::size_t i = 0; i < ReplyDispatchTable.size(); ++i) {
    EXPECT_EQ(ReplyDispatchTable[i].mnemonic, expected[i]) << i;
    EXPECT_EQ(ReplyDispatchTable[i].compared,
              static_cast<int>(ReplyDispatchTable[i].mnemonic.size()));
    EXPECT_NE(ReplyDispatchTable[i].handler, nullptr);
  }
}

TEST(ReplyDispatchTableTest, NoEntryIsShadowedByAnEarlierOne) {
  for (std::size_t later = 0; later < ReplyDispatchTable.size(); ++later) {
    for (std::size_t earlier = 0; earlier < later; ++earlier) {
      EXPECT_FALSE(ReplyDispatchTable[later].mnemonic.starts_with(
          ReplyDispatchTable[earlier].mnemonic))
          << ReplyDispatchTable[later].mnemonic << " behind "
          << ReplyDispatchTable[earlier].mnemonic;
    }
  }
}

TEST(ReplyDispatchTableTest, FindsTheLongerMnemonic) {
  EXPECT_EQ(FindReplyHandler("VLSOON\r\n")->mnemonic, "VLSOO");
  EXPECT_EQ(FindReplyHandler("VLBCB\r\n")->mnemonic, "VLBC");
  EXPECT_EQ(FindReplyHandler("VLDOF\r\n")->mnemonic, "VLDO");
  EXPECT_EQ(FindReplyHandler("VLNNNNNNNN\r\n")->mnemonic, "VL");
  EXPECT_EQ(FindReplyHandler("VASH0105\r\n")->mnemonic, "VASH");
  EXPECT_EQ(FindReplyHandler("CASTM03\r\n")->mnemonic, "CASTM");
  EXPECT_EQ(FindReplyHandler("GO\r\n"), nullptr);
  EXPECT_EQ(FindReplyHandler("V"), nullptr);
}

struct HandlerCase {
  const char* line;
  std::function<void(DeviceSettings&)> change;  // applied to the defaults
};

void ExpectCases(const std::vector<HandlerCase>& cases) {
  for (const HandlerCase& c : cases) {
    SCOPED_TRACE(c.line);
    DeviceSettings expected = Defaults();
    if (c.change) c.change(expected);
    EXPECT_TRUE(SameRecord(AfterReply(c.line), expected));
  }
}

TEST(ReadBackHandlerTest, Switches) {
  ExpectCases({
      {"ADOF\r\n", [](auto& s) { s.alarm_display = 0; }},
      {"ADON\r\n", nullptr},
      {"AMI\r\n", nullptr},
      {"AME\r\n", [](auto& s) { s.alarm_mode = 1; }},
      {"APB\r\n", [](auto& s) { s.alarm_polarity = 1; }},
      {"APM\r\n", nullptr},
      {"AROF\r\n", [](auto& s) { s.alarm_return = 0; }},
      {"BLG\r\n", [](auto& s) { s.misc_border_line = 1; }},
      {"BLW\r\n", [](auto& s) { s.misc_border_line = 2; }},
      {"BLO\r\n", [](auto& s) { s.misc_border_line = 3; }},
      {"BLX\r\n", nullptr},
      {"CASMS\r\n", [](auto& s) { s.seq_mode = 0; }},
      {"CASMD\r\n", [](auto& s) { s.seq_mode = 1; }},
      {"CASMQ\r\n", nullptr},
      {"CIR\r\n", [](auto& s) { s.misc_connector_input = 1; }},
      {"CTDDOF\r\n", [](auto& s) { s.title_split_screen = 0; }},
      {"CTDSOF\r\n", [](auto& s) { s.title_single_screen = 0; }},
      {"CTDSOX\r\n", nullptr},
      {"CTFSDL\r\n", [](auto& s) { s.misc_osd_size_split = 1; }},
      {"CTFSSS\r\n", [](auto& s) { s.misc_osd_size_single = 0; }},
      {"CTFSSQ\r\n", nullptr},
      {"DSS4\r\n", [](auto& s) { s.misc_dss_mode = 1; }},
      {"DSS2\r\n", nullptr},
      {"DSS9\r\n", nullptr},
      {"NARF\r\n", [](auto& s) { s.misc_ntsc_aspect = 1; }},
      {"TSDOF\r\n", [](auto& s) { s.clock_display = 0; }},
      {"TSDOX\r\n", nullptr},
      {"TSDR8\r\n", [](auto& s) { s.clock_display_range = 7; }},
      {"TSDR9\r\n", nullptr},
      {"TSDR0\r\n", nullptr},
      {"VLBCB\r\n", [](auto& s) { s.vloss_background = 1; }},
      {"VLDOF\r\n", [](auto& s) { s.vloss_display = 0; }},
      {"VLSOON\r\n", [](auto& s) { s.vloss_signal_output = 1; }},
      {"VLSOOX\r\n", nullptr},
  });
  // "any other" switches go back from a changed value.
  DeviceSettings s = Defaults();
  s.misc_ntsc_aspect = 1;
  s.vloss_background = 1;
  s.misc_dss_mode = 1;
  s = AfterReply("NAR4\r\n", s);
  s = AfterReply("VLBCK\r\n", s);
  s = AfterReply("DSS2\r\n", s);
  EXPECT_EQ(s.misc_ntsc_aspect, 0);
  EXPECT_EQ(s.vloss_background, 0);
  EXPECT_EQ(s.misc_dss_mode, 0);
}

TEST(ReadBackHandlerTest, ChannelCharacterLists) {
  ExpectCases({
      {"VLNFNFNFNF\r\n",
       [](auto& s) {
         for (int i = 0; i < 8; ++i) s.vloss_detect[i] = i % 2 == 0 ? 1 : 0;
       }},
      {"VLFXFFFFFF\r\n",
       [](auto& s) {
         for (int i = 0; i < 8; ++i) s.vloss_detect[i] = i == 1 ? 1 : 0;
       }},
      {"AGCFNNNNNNN\r\n", [](auto& s) { s.agc_enable[0] = 0; }},
      {"AGCFFFFFFFX\r\n",
       [](auto& s) {
         for (int i = 0; i < 7; ++i) s.agc_enable[i] = 0;
       }},
      {"VF12345671\r\n",
       [](auto& s) {
         const int formats[] = {0, 1, 2, 3, 4, 5, 6, 0};
         for (int i = 0; i < 8; ++i) s.format_video[i] = formats[i];
       }},
      // Unknown formats leave their channel alone.
      {"VF80222229\r\n",
       [](auto& s) {
         for (int i = 2; i < 7; ++i) s.format_video[i] = 1;
       }},
  });
}

TEST(ReadBackHandlerTest, NumberLists) {
  ExpectCases({
      {"CASTM01020304050607080910111299\r\n",
       [](auto& s) {
         for (int i = 0; i < 12; ++i) s.seq_dwell[i] = i + 1;
         s.seq_dwell[12] = 99;
       }},
      {"SPD4A08070605\r\n",
       [](auto& s) {
         const int panes[] = {7, 6, 5, 4};
         std::copy(std::begin(panes), std::end(panes), s.layout_4a);
       }},
      {"SPD4B01020304\r\n",
       [](auto& s) {
         for (int i = 0; i < 4; ++i) s.layout_4b[i] = i;
       }},
      {"SPD6A080706050403\r\n",
       [](auto& s) {
         for (int i = 0; i < 6; ++i) s.layout_6a[i] = 7 - i;
       }},
      {"SPD6B010101010101\r\n",
       [](auto& s) {
         for (int i = 0; i < 6; ++i) s.layout_6b[i] = 0;
       }},
      {"SPD90807060504030201\r\n",
       [](auto& s) {
         for (int i = 0; i < 8; ++i) s.layout_9[i] = 7 - i;
       }},
      {"OOH15\r\n", [](auto& s) { s.misc_osd_offset_h = 15; }},
      {"OOV00\r\n", [](auto& s) { s.misc_osd_offset_v = 0; }},
      // Garbled or out-of-range numbers change nothing.
      {"SPD4A01020309\r\n", nullptr},
      {"SPD4A00020304\r\n", nullptr},
      {"SPD908070605040302:1\r\n", nullptr},
      {"CASTM0102030405060708091011121A\r\n", nullptr},
      {"OOH16\r\n", nullptr},
      {"OOV0:\r\n", nullptr},
  });
}

TEST(ReadBackHandlerTest, Adjustments) {
  ExpectCases({
      {"VAB05000\r\n", [](auto& s) { s.adjust_brightness[4] = 64; }},
      {"VAB05127\r\n", [](auto& s) { s.adjust_brightness[4] = 63; }},
      {"VAB05064\r\n", [](auto& s) { s.adjust_brightness[4] = 0; }},
      {"VAB01063\r\n", [](auto& s) { s.adjust_brightness[0] = 127; }},
      {"VAC08127\r\n", [](auto& s) { s.adjust_contrast[7] = 127; }},
      {"VAH02255\r\n", [](auto& s) { s.adjust_hue[1] = 255; }},
      {"VASH0331\r\n", [](auto& s) { s.adjust_sharpness[2] = 31; }},
      {"VASA04100\r\n", [](auto& s) { s.adjust_saturation[3] = 100; }},
      // Channels outside 01..08 and values outside the list are ignored.
      {"VAB00050\r\n", nullptr},
      {"VAB09050\r\n", nullptr},
      {"VAC99050\r\n", nullptr},
      {"VAH0A050\r\n", nullptr},
      {"VASH0932\r\n", nullptr},
      {"VASH0132\r\n", nullptr},
      {"VASA00050\r\n", nullptr},
      {"VAB05128\r\n", nullptr},
      {"VAH01256\r\n", nullptr},
      {"VASA01128\r\n", nullptr},
      {"VAC01-12\r\n", nullptr},
  });
}

TEST(ReadBackHandlerTest, PowerOnScreen) {
  ExpectCases({
      {"POSS03\r\n", [](auto& s) { s.misc_power_on_screen = 2; }},
      {"POSS08\r\n", [](auto& s) { s.misc_power_on_screen = 7; }},
      {"POSD9\r\n", [](auto& s) { s.misc_power_on_screen = 12; }},
      {"POSD4A\r\n", [](auto& s) { s.misc_power_on_screen = 8; }},
      {"POSD4B\r\n", [](auto& s) { s.misc_power_on_screen = 9; }},
      {"POSD6A\r\n", [](auto& s) { s.misc_power_on_screen = 10; }},
      {"POSD6B\r\n", [](auto& s) { s.misc_power_on_screen = 11; }},
      {"POSCAS\r\n", [](auto& s) { s.misc_power_on_screen = 13; }},
      {"POSS00\r\n", nullptr},
      {"POSS09\r\n", nullptr},
      {"POSS1\r\n", nullptr},
  });
}

TEST(ReadBackHandlerTest, AlarmHoldTime) {
  ExpectCases({
      {"ADT030\r\n", [](auto& s) { std::memcpy(s.alarm_hold_time, "030", 4); }},
      {"ADT999\r\n", [](auto& s) { std::memcpy(s.alarm_hold_time, "999", 4); }},
      {"ADT5\r\n", nullptr},
      {"ADT0A5\r\n", nullptr},
  });
}

// Ten JIS codes as the device sends them.
std::string TitleReply(const char* channel, const std::uint16_t (&codes)[10]) {
  std::string line = std::string("CJ") + channel;
  char hex[5];
  for (std::uint16_t code : codes) {
    std::snprintf(hex, sizeof hex, "%04X", code);
    line += hex;
  }
  return line + "\r\n";
}

TEST(ReadBackHandlerTest, TitleKeepsInnerSpacesAndTrimsTrailingOnes) {
  const std::uint16_t codes[10] = {0x2341, 0x2121, 0x2342, 0x2121, 0x2121,
                                   0x2121, 0x2121, 0x2121, 0x2121, 0x2121};
  const DeviceSettings s = AfterReply(TitleReply("02", codes));
  const unsigned char expected[kTitleBufferBytes] = {0x82, 0x60, 0x81,
                                                     0x40, 0x82, 0x61};
  EXPECT_EQ(std::memcmp(s.title_text[1], expected, sizeof expected), 0);
  // Only that channel changes.
  DeviceSettings others = s;
  std::memcpy(others.title_text[1], Defaults().title_text[1],
              kTitleBufferBytes);
  EXPECT_TRUE(SameRecord(others, Defaults()));
}

TEST(ReadBackHandlerTest, TitleOfBlanksReadsBackEmpty) {
  const std::uint16_t blanks[10] = {0x2121, 0x2121, 0x2121, 0x2121, 0x2121,
                                    0x2121, 0x2121, 0x2121, 0x2121, 0x2121};
  const DeviceSettings s = AfterReply(TitleReply("08", blanks));
  const char empty[kTitleBufferBytes] = {};
  EXPECT_EQ(std::memcmp(s.title_text[7], empty, sizeof empty), 0);
}

TEST(ReadBackHandlerTest, TitleEndsAtACodeOutsideJis) {
  const std::uint16_t codes[10] = {0x2341, 0x2342, 0x0041, 0x2343, 0x2344,
                                   0x2345, 0x2346, 0x2347, 0x2348, 0x2349};
  const DeviceSettings s = AfterReply(TitleReply("01", codes));
  const unsigned char expected[kTitleBufferBytes] = {0x82, 0x60, 0x82, 0x61};
  EXPECT_EQ(std::memcmp(s.title_text[0], expected, sizeof expected), 0);
}

TEST(ReadBackHandlerTest, FullTitleFillsTwentyBytes) {
  const std::uint16_t codes[10] = {0x3021, 0x3022, 0x3023, 0x3024, 0x3025,
                                   0x3026, 0x3027, 0x3028, 0x3029, 0x7E7E};
  const DeviceSettings s = AfterReply(TitleReply("04", codes));
  EXPECT_EQ(static_cast<unsigned char>(s.title_text[3][0]), 0x88);
  EXPECT_EQ(static_cast<unsigned char>(s.title_text[3][1]), 0x9F);
  EXPECT_EQ(static_cast<unsigned char>(s.title_text[3][18]), 0xEF);
  EXPECT_EQ(static_cast<unsigned char>(s.title_text[3][19]), 0xFC);
  EXPECT_EQ(s.title_text[3][20], '\0');
  EXPECT_EQ(s.title_text[3][21], '\0');
}

TEST(ReadBackHandlerTest, FullTitleIsTerminatedWhateverTheSlotHeld) {
  // A slot that held a 21-byte title (the longest a title text may be)
  // must not keep its last byte after a full 20-byte title is read back.
  DeviceSettings before = Defaults();
  std::memset(before.title_text[3], 'x', kTitleBufferBytes - 1);
  const std::uint16_t codes[10] = {0x3021, 0x3022, 0x3023, 0x3024, 0x3025,
                                   0x3026, 0x3027, 0x3028, 0x3029, 0x302A};
  const DeviceSettings s = AfterReply(TitleReply("04", codes), before);
  EXPECT_EQ(std::strlen(s.title_text[3]), kTitleBytes);
}

TEST(ReadBackHandlerTest, BadTitleRepliesChangeNothing) {
  const std::uint16_t codes[10] = {0x2341, 0x2342, 0x2343, 0x2344, 0x2345,
                                   0x2346, 0x2347, 0x2348, 0x2349, 0x234A};
  std::string lowercase = TitleReply("03", codes);
  lowercase[5] = 'a';
  ExpectCases({
      {TitleReply("00", codes).c_str(), nullptr},
      {TitleReply("09", codes).c_str(), nullptr},
      {"CJ0123412121\r\n", nullptr},  // short
      {"CJ01234G2121212121212121212121212121212121\r\n", nullptr},
  });
  EXPECT_TRUE(SameRecord(AfterReply(lowercase), Defaults()));
}

TEST(ReadBackHandlerTest, ShortRepliesChangeNothing) {
  // Each line is its layout less one character; the CR LF must not be read
  // as a value.
  for (const char* line : {"ADO\r\n",
                           "AM\r\n",
                           "AP\r\n",
                           "ARO\r\n",
                           "BL\r\n",
                           "CASM\r\n",
                           "CI\r\n",
                           "CTDDO\r\n",
                           "CTDSO\r\n",
                           "CTFSD\r\n",
                           "CTFSS\r\n",
                           "DSS\r\n",
                           "NAR\r\n",
                           "TSDO\r\n",
                           "TSDR\r\n",
                           "VLBC\r\n",
                           "VLDO\r\n",
                           "VLSOO\r\n",
                           "VLFFFFFFF\r\n",
                           "AGCFFFFFFF\r\n",
                           "VF1111111\r\n",
                           "CASTM010203040506070809101112\r\n",
                           "SPD4A010203\r\n",
                           "SPD6A0102030405\r\n",
                           "SPD9010203040506\r\n",
                           "OOH1\r\n",
                           "VAB0101\r\n",
                           "VASH011\r\n",
                           "VASA0101\r\n",
                           "POSS0\r\n",
                           "POS\r\n",
                           "ADT03\r\n",
                           "ADO",
                           "AGC"}) {
    SCOPED_TRACE(line);
    DeviceSettings changed = Defaults();
    // Values every switch would move away from.
    changed.alarm_display = changed.alarm_return = 0;
    changed.alarm_mode = changed.alarm_polarity = 1;
    changed.misc_connector_input = 1;
    changed.misc_ntsc_aspect = 1;
    changed.vloss_background = 1;
    EXPECT_TRUE(SameRecord(AfterReply(line, changed), changed));
  }
}

TEST(ReadBackHandlerTest, VersionChangesNothingAndNoHandlerTouchesDirty) {
  EXPECT_TRUE(SameRecord(AfterReply("VN0102\r\n"), Defaults()));
  for (const ReplyHandlerEntry& entry : ReplyDispatchTable) {
    for (int dirty : {0, 1}) {
      DeviceSettings s = Defaults();
      s.dirty = dirty;
      std::string line(entry.mnemonic);
      line += std::string(50, '1') + "\r\n";
      entry.handler(s, line);
      EXPECT_EQ(s.dirty, dirty) << entry.mnemonic;
    }
  }
}

TEST(ReadBackHandlerTest, PayloadDropsTheLineEnd) {
  EXPECT_EQ(ReplyPayload("AMI\r\n"), "AMI");
  EXPECT_EQ(ReplyPayload("AMI\n"), "AMI");
  EXPECT_EQ(ReplyPayload("AMI"), "AMI");
  EXPECT_EQ(ReplyPayload("\r\n"), "");
}

}  // namespace
}  // namespace vqx
