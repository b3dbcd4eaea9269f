#include "transport/telnet_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/telnet_bytes.h"

namespace vqx {
namespace {

using namespace telnet;

using testing::Bytes;

std::string Cmd(int verb, int option) { return Bytes({kIac, verb, option}); }

// IAC SB COM-PORT-OPTION code value... IAC SE, as the server sends it.
std::string ComPort(int code, std::initializer_list<int> value) {
  return Bytes({kIac, kSb, kComPortOption, code}) + Bytes(value) +
         Bytes({kIac, kSe});
}

const std::string kLineSettingsRequest =
    ComPort(kSetBaudRate, {0x00, 0x00, 0x25, 0x80}) +
    ComPort(kSetDataSize, {8}) + ComPort(kSetParity, {kParityEven}) +
    ComPort(kSetStopSize, {1}) + ComPort(kSetControl, {kControlNoFlowControl});

const std::string kServerSettingsAnswer =
    ComPort(101, {0x00, 0x00, 0x25, 0x80}) + ComPort(102, {8}) +
    ComPort(103, {3}) + ComPort(104, {1}) + ComPort(105, {1});

class TelnetCodecTest : public ::testing::Test {
 protected:
  TelnetCodecTest() { start = codec.Start(); }
  // Decodes `received`; returns the device data, keeps the answers.
  std::string Decode(std::string_view received) {
    std::string data;
    answers.clear();
    codec.Decode(received, data, answers);
    return data;
  }
  std::string Encode(std::string_view data) {
    std::string out;
    codec.Encode(data, out);
    return out;
  }
  bool NotesContain(std::string_view text) {
    for (const std::string& note : codec.TakeNotes()) {
      if (note.find(text) != std::string::npos) return true;
    }
    return false;
  }

  TelnetCodec codec;
  std::string start;
  std::string answers;
};

TEST_F(TelnetCodecTest, AcceptingServerGetsTheLineSettingsOnceAndConfirms) {
  EXPECT_EQ(start, Cmd(kWill, kBinary) + Cmd(kDo, kBinary) +
                       Cmd(kWill, kSuppressGoAhead) +
                       Cmd(kDo, kSuppressGoAhead) + Cmd(kWill, kComPortOption));
  EXPECT_EQ(codec.com_port_option(), ComPortOptionState::kAsked);
  // The server's agreements, its own offer of ECHO (refused) and a repeated
  // DO, which must not be answered again.
  EXPECT_EQ(Decode(Cmd(kDo, kBinary) + Cmd(kWill, kBinary) + Cmd(kWill, kEcho) +
                   Cmd(kDo, kSuppressGoAhead) + Cmd(kWill, kSuppressGoAhead) +
                   Cmd(kDo, kComPortOption) + Cmd(kDo, kComPortOption) +
                   Cmd(kWill, kBinary)),
            "");
  EXPECT_EQ(answers, Cmd(kDont, kEcho) + kLineSettingsRequest);
  EXPECT_EQ(codec.com_port_option(), ComPortOptionState::kAccepted);
  EXPECT_TRUE(codec.binary_to_server());
  EXPECT_TRUE(codec.binary_from_server());
  EXPECT_FALSE(codec.negotiation_settled());
  codec.TakeNotes();

  // The answers arrive one byte at a time, around device data.
  std::string data;
  const std::string stream = "V" + kServerSettingsAnswer + "N\r\n";
  for (char c : stream) data += Decode(std::string_view(&c, 1));
  EXPECT_EQ(data, "VN\r\n");
  EXPECT_TRUE(codec.line_settings_answered());
  EXPECT_TRUE(codec.negotiation_settled());
  EXPECT_TRUE(NotesContain(
      "server set its serial port to 9600 baud, 8 data bits, even parity, 1 "
      "stop bit, no flow control"));
}

TEST_F(TelnetCodecTest, AnswerThatDiffersFromTheRequestIsReported) {
  Decode(Cmd(kDo, kComPortOption));
  // 0x000100FF: the last byte arrives doubled.
  Decode(ComPort(101, {0x00, 0x01, 0x00, 0xFF, 0xFF}) + ComPort(102, {7}) +
         ComPort(103, {1}) + ComPort(104, {2}) + ComPort(105, {3}));
  EXPECT_TRUE(codec.negotiation_settled());
  EXPECT_TRUE(NotesContain(
      "server runs its serial port at 65791 baud, 7 data bits, no parity, 2 "
      "stop bits, hardware flow control (asked for 9600 baud"));
}

TEST_F(TelnetCodecTest, LineSettingsDoubleAnIacInTheirValues) {
  LineSettings line;
  line.baud_rate = 0xFF00;
  TelnetCodec other(line);
  other.Start();
  std::string data, out;
  other.Decode(Cmd(kDo, kComPortOption), data, out);
  EXPECT_EQ(out.substr(0, 10), Bytes({kIac, kSb, kComPortOption, kSetBaudRate,
                                      0, 0, 0xFF, 0xFF, 0, kIac}));
}

TEST_F(TelnetCodecTest, RefusingServerLeavesPlainTelnet) {
  EXPECT_EQ(Decode(Cmd(kDont, kComPortOption) + Cmd(kDont, kBinary) +
                   Cmd(kWont, kBinary) + Cmd(kDont, kSuppressGoAhead) +
                   Cmd(kWont, kSuppressGoAhead)),
            "");
  // A refusal of a request needs no answer.
  EXPECT_EQ(answers, "");
  EXPECT_EQ(codec.com_port_option(), ComPortOptionState::kRefused);
  EXPECT_TRUE(codec.negotiation_settled());
  EXPECT_TRUE(NotesContain("server refused COM-PORT-OPTION: plain Telnet"));

  // Without binary transfer a CR alone travels as CR NUL, both ways; CR LF
  // stays as it is.
  EXPECT_EQ(Encode("RVN\r\n"), "RVN\r\n");
  EXPECT_EQ(Encode("A\rB\r"), std::string("A\r\0B\r\0", 6));
  EXPECT_EQ(Decode(std::string("X\r\0Y\r", 5)), "X\rY\r");
  EXPECT_EQ(Decode(std::string("\0Z\r\n", 4)), "Z\r\n");

  // Asked again later, the server may still agree.
  Decode(Cmd(kDo, kComPortOption));
  EXPECT_EQ(answers, Cmd(kWill, kComPortOption) + kLineSettingsRequest);
  EXPECT_EQ(codec.com_port_option(), ComPortOptionState::kAccepted);
}

TEST_F(TelnetCodecTest, ServerThatWithdrawsAnOptionIsAcknowledgedOnce) {
  Decode(Cmd(kDo, kComPortOption) + Cmd(kDo, kBinary));
  Decode(Cmd(kDont, kComPortOption) + Cmd(kDont, kComPortOption) +
         Cmd(kDont, kBinary));
  EXPECT_EQ(answers, Cmd(kWont, kComPortOption) + Cmd(kWont, kBinary));
  EXPECT_EQ(codec.com_port_option(), ComPortOptionState::kRefused);
  EXPECT_FALSE(codec.binary_to_server());
  EXPECT_TRUE(NotesContain("withdrew COM-PORT-OPTION"));
}

TEST_F(TelnetCodecTest, UnknownOptionsAreRefusedOnce) {
  Decode(Cmd(kDo, 24) + Cmd(kWill, 31) + Cmd(kDo, 24) + Cmd(kWill, 31) +
         Cmd(kDo, kEcho));
  EXPECT_EQ(answers, Cmd(kWont, 24) + Cmd(kDont, 31) + Cmd(kWont, kEcho));
  Decode(Cmd(kDo, 24));
  EXPECT_EQ(answers, "");
  // Turning off what is off needs no answer either.
  Decode(Cmd(kDont, 24) + Cmd(kWont, 200));
  EXPECT_EQ(answers, "");
}

TEST_F(TelnetCodecTest, IacInDataIsDoubledAndUndoubled) {
  EXPECT_EQ(Encode("\xFF*\xFF\xFF#\r\n"), "\xFF\xFF*\xFF\xFF\xFF\xFF#\r\n");
  EXPECT_EQ(Decode("\xFF\xFF*\xFF\xFF\xFF\xFF#"), "\xFF*\xFF\xFF#");
  // Split between reads, every way.
  EXPECT_EQ(Decode("A\xFF"), "A");
  EXPECT_EQ(Decode("\xFF"
                   "B\xFF"),
            "\xFF"
            "B");
  EXPECT_EQ(Decode(Bytes({kDo})), "");
  EXPECT_EQ(Decode(Bytes({kBinary}) + "C"), "C");
  EXPECT_EQ(answers, "");  // DO BINARY was asked for: no answer
  EXPECT_TRUE(codec.binary_to_server());
  // Commands without meaning for a serial line vanish from the data.
  EXPECT_EQ(Decode("G" + Bytes({kIac, 241, kIac, 249, kIac, kSe}) + "O"), "GO");
}

TEST_F(TelnetCodecTest, NotificationsAndOtherSubnegotiationsAreIgnored) {
  Decode(Cmd(kDo, kComPortOption));
  EXPECT_EQ(Decode("G" + ComPort(106, {0x60}) + ComPort(107, {0xFF, 0xFF}) +
                   ComPort(108, {}) + ComPort(100, {'s', 'e', 'r', 0x07}) +
                   Bytes({kIac, kSb, 24, 1, kIac, kSe}) + "O\r\n"),
            "GO\r\n");
  EXPECT_EQ(answers, "");
  EXPECT_TRUE(NotesContain("server signature: ser?"));
  // Answers of the wrong length do not count as answers.
  Decode(ComPort(101, {0x25, 0x80}) + ComPort(102, {}) + ComPort(103, {3}) +
         ComPort(104, {1}) + ComPort(105, {1}));
  EXPECT_FALSE(codec.line_settings_answered());
  EXPECT_TRUE(NotesContain("answer to SET-BAUDRATE has 2 bytes"));
}

TEST_F(TelnetCodecTest, HostileStreamsStayBounded) {
  // An endless subnegotiation swallows the bytes, then ends properly.
  const std::string endless =
      Bytes({kIac, kSb, kComPortOption, 100}) + std::string(1 << 20, 'x');
  EXPECT_EQ(Decode(endless), "");
  EXPECT_EQ(Decode(Bytes({kIac, kSe}) + "GO\r\n"), "GO\r\n");
  EXPECT_TRUE(NotesContain("subnegotiation of over 64 bytes dropped"));

  // A subnegotiation broken off by a command: the command still counts.
  EXPECT_EQ(Decode(Bytes({kIac, kSb, kComPortOption, 101, 0}) +
                   Cmd(kWill, kEcho) + "A"),
            "A");
  EXPECT_EQ(answers, Cmd(kDont, kEcho));

  // A flood of requests for an unknown option: one refusal.
  std::string flood;
  for (int i = 0; i < 10000; ++i) flood += Cmd(kWill, 99);
  Decode(flood);
  EXPECT_EQ(answers, Cmd(kDont, 99));

  // An option turned on and off for ever: answered a bounded number of times.
  std::string toggles;
  for (int i = 0; i < 10000; ++i) {
    toggles += Cmd(kDo, kComPortOption) + Cmd(kDont, kComPortOption);
  }
  Decode(toggles);
  EXPECT_LE(answers.size(),
            static_cast<std::size_t>(TelnetCodec::kMaxAnswersPerOption) *
                (3 + kLineSettingsRequest.size()));
  EXPECT_TRUE(NotesContain("keeps renegotiating COM-PORT-OPTION"));

  // Every option refused both ways: the notes stay bounded.
  std::string all;
  for (int option = 100; option < 256; ++option) {
    all += Cmd(kWill, option) + Cmd(kDo, option);
  }
  Decode(all);
  Decode(all);
  EXPECT_EQ(answers, "");
  EXPECT_LE(codec.TakeNotes().size(), TelnetCodec::kMaxNotes + 1);
}

}  // namespace
}  // namespace vqx
