// The simulated device on its own: every set command changes what the
// matching read command reports, malformed commands are refused with E3 and
// change nothing, RS-485 addressing, and the injected faults.
#include "posix/sim/device_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "base/settings_catalogue.h"
#include "files/settings_file.h"
#include "tests/support/changed_settings.h"

namespace vqx::sim {
namespace {

std::string Repeat(const std::string& text, int times) {
  std::string result;
  for (int i = 0; i < times; ++i) result += text;
  return result;
}

std::string Settings(const DeviceSettings& s) { return WriteSettingsText(s); }

// Everything the device wrote for `events`, concatenated.
std::string Output(const std::vector<LineEvent>& events) {
  std::string bytes;
  for (const LineEvent& event : events) {
    for (const std::string& write : event.out.writes) bytes += write;
  }
  return bytes;
}

struct SetCase {
  const char* set;
  const char* read;
  const char* reported;
};

class SetCommandTest : public ::testing::TestWithParam<SetCase> {};

TEST_P(SetCommandTest, IsAcknowledgedAndReadBack) {
  const SetCase& c = GetParam();
  DeviceModel device;
  EXPECT_EQ(device.Execute(c.set), "GO") << c.set;
  EXPECT_EQ(device.Execute(c.read), c.reported) << c.set;
}

// A title of full-width A, ideographic space, full-width B and spaces.
#define TITLE_AB "2341212123422121212121212121212121212121"

INSTANTIATE_TEST_SUITE_P(
    EveryGroup, SetCommandTest,
    ::testing::Values(
        SetCase{"AME", "RAM", "AME"}, SetCase{"AMI", "RAM", "AMI"},
        SetCase{"APB", "RAP", "APB"}, SetCase{"ADT120", "RADT", "ADT120"},
        SetCase{"ADT003", "RADT", "ADT003"}, SetCase{"ADOF", "RAD", "ADOF"},
        SetCase{"AROF", "RAR", "AROF"}, SetCase{"VL05OF", "RVL", "VLNNNNFNNN"},
        SetCase{"VLNFFNNNNF", "RVL", "VLNFFNNNNF"},
        SetCase{"VLBCB", "RVLBC", "VLBCB"},
        SetCase{"VLSOON", "RVLSO", "VLSOON"}, SetCase{"VLDOF", "RVLD", "VLDOF"},
        SetCase{"TSDOF", "RTSD", "TSDOF"}, SetCase{"TSDR8", "RTSDR", "TSDR8"},
        SetCase{"CTDSOF", "RCTDS", "CTDSOF"},
        SetCase{"CTDDOF", "RCTDD", "CTDDOF"},
        SetCase{"CASTM01020304050607080910111299", "RCASTM",
                "CASTM01020304050607080910111299"},
        SetCase{"CASMD", "RCASM", "CASMD"}, SetCase{"CASMS", "RCASM", "CASMS"},
        SetCase{"BLO", "RBL", "BLO"}, SetCase{"BLG", "RBL", "BLG"},
        SetCase{"CIR", "RCI", "CIR"}, SetCase{"POSS05", "RPOS", "POSS05"},
        SetCase{"POSCAS", "RPOS", "POSCAS"},
        SetCase{"POSD6B", "RPOS", "POSD6B"},
        SetCase{"CTFSDL", "RCTFSD", "CTFSDL"},
        SetCase{"CTFSSS", "RCTFSS", "CTFSSS"},
        SetCase{"OOH15", "ROOH", "OOH15"}, SetCase{"OOV00", "ROOV", "OOV00"},
        SetCase{"VF034", "RVF", "VF11411111"},
        SetCase{"VF77777771", "RVF", "VF77777771"},
        SetCase{"SPD4A08070605", "RSPD4A", "SPD4A08070605"},
        SetCase{"SPD4BN01020304", "RSPD4B", "SPD4B01020304"},
        SetCase{"SPD6A080808080808", "RSPD6A", "SPD6A080808080808"},
        SetCase{"SPD6BN020304050607", "RSPD6B", "SPD6B020304050607"},
        SetCase{"SPD9N0807060504030201", "RSPD9", "SPD90807060504030201"},
        SetCase{"NARF", "RNAR", "NARF"},
        SetCase{"AGC06OF", "RAGC", "AGCNNNNNFNN"},
        SetCase{"AGCFNNNNNNF", "RAGC", "AGCFNNNNNNF"},
        SetCase{"VAB05127", "RVAB05", "VAB05127"},
        SetCase{"VAC03100", "RVAC03", "VAC03100"},
        SetCase{"VAH02255", "RVAH02", "VAH02255"},
        SetCase{"VASH0831", "RVASH08", "VASH0831"},
        SetCase{"VASA03080", "RVASA03", "VASA03080"},
        SetCase{"CJ02" TITLE_AB, "RCJ02", "CJ02" TITLE_AB},
        SetCase{"CJN08" TITLE_AB, "RCJ08", "CJ08" TITLE_AB}));

TEST(DeviceModelTest, DefaultsReadBackAsTheFactoryState) {
  DeviceModel device;
  EXPECT_EQ(device.Execute("RCJ01"),
            "CJ012121212121212343234823302331212121212121");
  EXPECT_EQ(device.Execute("RVAB01"), "VAB01000");  // index 64 is wire 0
  EXPECT_EQ(device.Execute("RADT"), "ADT030");
  EXPECT_EQ(device.Execute("RPOS"), "POSD9");
  EXPECT_EQ(device.Execute("RAGC"), "AGCNNNNNNNN");
  EXPECT_EQ(device.Execute("RSPD6B"), "SPD6B010203040708");
  EXPECT_EQ(device.Execute("RDSS"), "DSS2");
  EXPECT_EQ(device.Execute("RVN"), kVersionReply);
}

TEST(DeviceModelTest, StoresWhatTheCommandsMeanInTheRecord) {
  DeviceModel device;
  ASSERT_EQ(device.Execute("VAB05127"), "GO");
  ASSERT_EQ(device.Execute("VAB06000"), "GO");
  ASSERT_EQ(device.Execute("VAB07064"), "GO");
  EXPECT_EQ(device.state().adjust_brightness[4], 63);
  EXPECT_EQ(device.state().adjust_brightness[5], 64);
  EXPECT_EQ(device.state().adjust_brightness[6], 0);
  ASSERT_EQ(device.Execute("CJ02" TITLE_AB), "GO");
  // Full-width A, ideographic space, full-width B, then seven spaces.
  const char expected[] =
      "\x82\x60\x81\x40\x82\x61\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40"
      "\x81\x40\x81\x40";
  EXPECT_EQ(std::string(device.state().title_text[1]), expected);
  ASSERT_EQ(device.Execute("POSS03"), "GO");
  EXPECT_EQ(device.state().misc_power_on_screen, 2);
  ASSERT_EQ(device.Execute("SPD9N0807060504030201"), "GO");
  EXPECT_EQ(device.state().layout_9[0], 7);
  ASSERT_EQ(device.Execute("LON"), "GO");
  EXPECT_EQ(device.button_lock(), 1);
  ASSERT_EQ(device.Execute("CD6A"), "GO");
  EXPECT_EQ(device.screen(), 10);
  ASSERT_EQ(device.Execute("CS08"), "GO");
  EXPECT_EQ(device.screen(), 7);
  ASSERT_EQ(device.Execute("CCAS"), "GO");
  EXPECT_EQ(device.screen(), 13);
}

class MalformedCommandTest : public ::testing::TestWithParam<std::string> {};

TEST_P(MalformedCommandTest, IsRefusedAndChangesNothing) {
  DeviceModel device;
  std::string before = Settings(device.state());
  EXPECT_EQ(device.Execute(GetParam()), "E3") << GetParam();
  EXPECT_EQ(Settings(device.state()), before) << GetParam();
  EXPECT_EQ(device.screen(), 0);
  EXPECT_EQ(device.button_lock(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    WrongLengthDigitsOrRange, MalformedCommandTest,
    ::testing::Values<std::string>(
        "", "GO", "XYZ", "AMX", "AMII", "ADT002", "ADT12", "ADT1234", "ADTabc",
        "ADON ", "VL09ON", "VL00ON", "VL05XX", "VLNNNNNNNX", "VLNNNNNNN",
        "VLBCX", "TSDR0", "TSDR9", "TSDOX", "TSH24", "TSM60", "DSM00", "DSM13",
        "DSD32", "TDS991301000000", "TDS99123123595", "CASTM0102",
        "CASTM0102030405060708091011121X", "CASMX", "VF098", "VF018", "VF0A1",
        "VF11111118", "VF1111111", "AGC09ON", "AGC01XX", "AGCNNNNNNNX",
        "CJ01" TITLE_AB "0", "CJ09" TITLE_AB,
        "CJ01" + std::string(TITLE_AB).substr(0, 38) + "ab",
        "CJ01" + Repeat("2121", 9) + "2020", "CTDSXX", "CS09", "CS1", "CD5A",
        "CD", "SPD4A09010203", "SPD4A010203", "SPD4C01020304",
        "SPD9010203040506070", "CIX", "BLX", "BL", "POSS09", "POSD5", "POSS1",
        "OOH16", "OOH1", "CTFSSX", "LOX", "NAR3", "VAB09000", "VAB05128",
        "VAB5000", "VAH02256", "VASH0832", "VASA03128", "VAC0112", "RCJ09",
        "RCJ1", "RVAB00", "RAD1", "RXX", "R", "RVASH9"));

TEST(DeviceModelTest, ReceivesLinesInPiecesAndIgnoresBareLineEnds) {
  DeviceModel device;
  EXPECT_TRUE(device.Receive("RV").empty());
  auto events = device.Receive("N\r");
  EXPECT_TRUE(events.empty());
  events = device.Receive("\n\r\nAME\nRAM\r\n");
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].line, "RVN");
  EXPECT_EQ(Output(events), "VN1.00\r\nGO\r\nAME\r\n");
}

TEST(DeviceModelTest, DropsAnOverlongLineAndCarriesOn) {
  DeviceModel device;
  auto events =
      device.Receive(std::string(DeviceModel::kMaxLineBytes + 10, 'A'));
  ASSERT_EQ(events.size(), 1u);
  EXPECT_TRUE(events[0].out.empty());
  events = device.Receive("\r\nRVN\r\n");
  // The tail of the long line is one more malformed command.
  EXPECT_EQ(Output(events), "E3\r\nVN1.00\r\n");
}

TEST(DeviceModelTest, Rs485AnswersItsOwnAddressAndObeysBroadcasts) {
  DeviceOptions options;
  options.rs485 = true;
  options.address = 5;
  DeviceModel device(options);
  EXPECT_EQ(Output(device.Receive("05RVN\r\n")), "05VN1.00\r\n");
  EXPECT_EQ(Output(device.Receive("05XYZ\r\n")), "05E3\r\n");
  EXPECT_EQ(Output(device.Receive("06AME\r\nRVN\r\n5\r\n")), "");
  EXPECT_EQ(device.state().alarm_mode, 0);
  EXPECT_EQ(Output(device.Receive("FFAME\r\n")), "");
  EXPECT_EQ(device.state().alarm_mode, 1);
  EXPECT_EQ(Output(device.Receive("05RAM\r\n")), "05AME\r\n");
}

TEST(DeviceModelTest, InjectedRepliesReplaceTheNthCommand) {
  DeviceOptions options;
  options.nth_reply = {{1, Fault::kE0},    {2, Fault::kE1},   {3, Fault::kE2},
                       {4, Fault::kE3},    {5, Fault::kMenu}, {6, Fault::kGn},
                       {7, Fault::kSilent}};
  DeviceModel device(options);
  std::string replies;
  for (int i = 0; i < 8; ++i) replies += Output(device.Receive("AME\r\n"));
  EXPECT_EQ(replies, "E0\r\nE1\r\nE2\r\nE3\r\nMENU\r\nGN\r\nGO\r\n");
  EXPECT_EQ(device.commands_seen(), 8);
  // Only the eighth command was carried out.
  EXPECT_EQ(device.state().alarm_mode, 1);
}

TEST(DeviceModelTest, SilentDeviceAppliesAndAnswersNothing) {
  DeviceOptions options;
  options.silent = true;
  DeviceModel device(options);
  auto events = device.Receive("AME\r\nRVN\r\n");
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(Output(events), "");
  EXPECT_EQ(device.state().alarm_mode, 0);
}

TEST(DeviceModelTest, SplitReplyGoesOutInTwoWrites) {
  DeviceOptions options;
  options.split = true;
  DeviceModel device(options);
  auto events = device.Receive("RVN\r\n");
  ASSERT_EQ(events.size(), 1u);
  ASSERT_EQ(events[0].out.writes.size(), 2u);
  EXPECT_EQ(events[0].out.writes[0] + events[0].out.writes[1], "VN1.00\r\n");
  EXPECT_EQ(events[0].out.writes[1].back(), '\n');
  EXPECT_EQ(events[0].out.writes[0].find('\n'), std::string::npos);
}

TEST(DeviceModelTest, CoalescedRepliesTravelTogether) {
  DeviceOptions options;
  options.coalesce = true;
  DeviceModel device(options);
  auto first = device.Receive("AME\r\n");
  ASSERT_EQ(first.size(), 1u);
  EXPECT_TRUE(first[0].out.empty());
  EXPECT_TRUE(device.has_held_reply());
  auto second = device.Receive("RAM\r\n");
  ASSERT_EQ(second[0].out.writes.size(), 1u);
  EXPECT_EQ(second[0].out.writes[0], "GO\r\nAME\r\n");
  EXPECT_EQ(second[0].out.replies, (std::vector<std::string>{"GO", "AME"}));
  // An odd reply out waits for its partner, or goes alone when flushed.
  EXPECT_TRUE(device.Receive("RVN\r\n")[0].out.empty());
  Transmission flushed = device.FlushHeld();
  ASSERT_EQ(flushed.writes.size(), 1u);
  EXPECT_EQ(flushed.writes[0], "VN1.00\r\n");
  EXPECT_FALSE(device.has_held_reply());
}

TEST(DeviceModelTest, NoiseComesBeforeTheReplyWithoutLineEnd) {
  DeviceOptions options;
  options.noise = true;
  DeviceModel device(options);
  auto events = device.Receive("RVN\r\n");
  ASSERT_EQ(events[0].out.writes.size(), 2u);
  EXPECT_EQ(events[0].out.writes[0], kNoiseBytes);
  EXPECT_EQ(kNoiseBytes.find_first_of("\r\n\x11\x13"), std::string::npos);
  EXPECT_EQ(events[0].out.writes[1], "VN1.00\r\n");
}

TEST(DeviceModelTest, ParsesFaultNames) {
  EXPECT_EQ(ParseFault("E2"), Fault::kE2);
  EXPECT_EQ(ParseFault("MENU"), Fault::kMenu);
  EXPECT_EQ(ParseFault("SILENT"), Fault::kSilent);
  EXPECT_EQ(ParseFault("e2"), std::nullopt);
  EXPECT_EQ(ParseFault("E4"), std::nullopt);
}

TEST(DeviceModelTest, ClockRunsAndFollowsTheClockCommands) {
  auto now = std::chrono::steady_clock::time_point{};
  DeviceModel device({}, [&now] { return now; });
  ASSERT_EQ(device.Execute("TDS191231235959"), "GO");
  EXPECT_EQ(device.clock(), (DeviceClock{19, 12, 31, 23, 59, 59}));
  now += std::chrono::milliseconds(1500);
  EXPECT_EQ(device.clock(), (DeviceClock{20, 1, 1, 0, 0, 0}));
  ASSERT_EQ(device.Execute("DSM03"), "GO");
  ASSERT_EQ(device.Execute("TSH09"), "GO");
  ASSERT_EQ(device.Execute("TSS40"), "GO");
  EXPECT_EQ(device.clock(), (DeviceClock{20, 3, 1, 9, 0, 40}));
  ASSERT_EQ(device.Execute("TSA"), "GO");  // rounds up to the next minute
  EXPECT_EQ(device.clock(), (DeviceClock{20, 3, 1, 9, 1, 0}));
  ASSERT_EQ(device.Execute("TSS29"), "GO");
  ASSERT_EQ(device.Execute("TSA"), "GO");  // and down
  EXPECT_EQ(device.clock(), (DeviceClock{20, 3, 1, 9, 1, 0}));
  ASSERT_EQ(device.Execute("DSY99"), "GO");
  EXPECT_EQ(device.clock().year, 99);
}

TEST(DeviceModelTest, LoadedStateIsBroughtIntoTheDeviceRanges) {
  DeviceSettings s;
  LoadDefaultSettings(s);
  s.adjust_brightness[0] = 500;
  s.adjust_hue[1] = -7;
  s.format_video[2] = 9;
  s.misc_power_on_screen = 40;
  s.layout_9[3] = 12;
  s.alarm_mode = 5;
  std::memcpy(s.alarm_hold_time, "5", 2);
  std::memset(s.title_text[3], 0, kTitleBufferBytes);
  std::memcpy(s.title_text[3], "AB\x82\x60", 4);  // half-width, then Ａ
  DeviceModel device;
  device.set_state(s);
  EXPECT_EQ(device.Execute("RVAB01"), "VAB01063");
  EXPECT_EQ(device.Execute("RVAH02"), "VAH02000");
  EXPECT_EQ(device.Execute("RVF"), "VF11711111");
  EXPECT_EQ(device.Execute("RPOS"), "POSCAS");
  EXPECT_EQ(device.Execute("RSPD9"), "SPD90102030805060708");
  EXPECT_EQ(device.Execute("RAM"), "AME");
  EXPECT_EQ(device.Execute("RADT"), "ADT005");
  // A half-width pair has no JIS code: it becomes a space on the device.
  EXPECT_EQ(device.Execute("RCJ04"),
            "CJ04"
            "2121"
            "2341" +
                Repeat("2121", 8));
}

// The device model keeps its own idea of what each setting takes; it must
// agree with the catalogue's ranges: a value beyond either end is brought
// back inside them, and a value inside them is kept.
TEST(DeviceModelTest, LoadedNumbersStayWithinTheCatalogueRanges) {
  for (const SettingsField& field : kSettingsCatalogue) {
    if (field.kind != FieldKind::kNumber || !field.range) continue;
    SCOPED_TRACE(std::string(field.name));
    for (const int beyond :
         {field.range->low - 1, field.range->high + 1, field.range->low - 1000,
          field.range->high + 1000}) {
      DeviceSettings s;
      LoadDefaultSettings(s);
      for (int& number : FieldNumbers(field, s)) number = beyond;
      DeviceModel device;
      device.set_state(s);
      for (const int number : FieldNumbers(field, device.state())) {
        EXPECT_GE(number, field.range->low) << "from " << beyond;
        EXPECT_LE(number, field.range->high) << "from " << beyond;
      }
    }
  }
  const DeviceSettings changed = testing::EverySettingChanged();
  DeviceModel device;
  device.set_state(changed);
  for (const SettingsField& field : kSettingsCatalogue) {
    if (field.kind != FieldKind::kNumber) continue;
    const std::span<const int> kept = FieldNumbers(field, device.state());
    const std::span<const int> given = FieldNumbers(field, changed);
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), given.begin()))
        << field.name;
  }
}

}  // namespace
}  // namespace vqx::sim
