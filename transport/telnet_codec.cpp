#include "transport/telnet_codec.h"

#include <utility>

namespace vqx {

namespace {

using namespace telnet;

// Notes given at most once per connection.
enum OnceNote : std::uint32_t {
  kNoteLineState = 1u << 0,
  kNoteModemState = 1u << 1,
  kNoteSignature = 1u << 2,
  kNoteSuspend = 1u << 3,
  kNoteClientCode = 1u << 4,
  kNoteOtherCode = 1u << 5,
  kNoteOtherOption = 1u << 6,
  kNoteOverflow = 1u << 7,
  kNoteBroken = 1u << 8,
  kNoteMalformed = 1u << 9,
};

// One bit per line setting asked for.
enum Answered : std::uint32_t {
  kAnsweredBaud = 1u << 0,
  kAnsweredDataSize = 1u << 1,
  kAnsweredParity = 1u << 2,
  kAnsweredStopSize = 1u << 3,
  kAnsweredControl = 1u << 4,
  kAnsweredAll = (1u << 5) - 1,
  kAnswersReported = 1u << 5,
};

bool Wanted(unsigned char option) {
  return option == kBinary || option == kSuppressGoAhead ||
         option == kComPortOption;
}

std::string OptionName(unsigned char option) {
  switch (option) {
    case kBinary:
      return "BINARY";
    case kEcho:
      return "ECHO";
    case kSuppressGoAhead:
      return "SUPPRESS-GO-AHEAD";
    case 5:
      return "STATUS";
    case 24:
      return "TERMINAL-TYPE";
    case 31:
      return "NAWS";
    case 32:
      return "TERMINAL-SPEED";
    case 33:
      return "TOGGLE-FLOW-CONTROL";
    case 34:
      return "LINEMODE";
    case 39:
      return "NEW-ENVIRON";
    case kComPortOption:
      return "COM-PORT-OPTION";
    default:
      return "option " + std::to_string(option);
  }
}

unsigned char ParityCode(char parity) {
  switch (parity) {
    case 'O':
      return kParityOdd;
    case 'E':
      return kParityEven;
    case 'M':
      return 4;
    case 'S':
      return 5;
    default:
      return kParityNone;
  }
}

std::string ParityName(unsigned char code) {
  switch (code) {
    case kParityNone:
      return "no parity";
    case kParityOdd:
      return "odd parity";
    case kParityEven:
      return "even parity";
    case 4:
      return "mark parity";
    case 5:
      return "space parity";
    default:
      return "parity " + std::to_string(code);
  }
}

std::string StopName(unsigned char code) {
  switch (code) {
    case 1:
      return "1 stop bit";
    case 2:
      return "2 stop bits";
    case 3:
      return "1.5 stop bits";
    default:
      return "stop size " + std::to_string(code);
  }
}

std::string ControlName(unsigned char code) {
  switch (code) {
    case kControlNoFlowControl:
      return "no flow control";
    case 2:
      return "XON/XOFF flow control";
    case 3:
      return "hardware flow control";
    default:
      return "flow control " + std::to_string(code);
  }
}

std::string DescribeLine(std::uint32_t baud, unsigned char data_size,
                         unsigned char parity, unsigned char stop_size,
                         unsigned char control) {
  return std::to_string(baud) + " baud, " + std::to_string(data_size) +
         " data bits, " + ParityName(parity) + ", " + StopName(stop_size) +
         ", " + ControlName(control);
}

// The server's text shown in a note: printable ASCII, the rest as '?'.
std::string Printable(std::string_view text) {
  std::string shown;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    shown += byte >= 0x20 && byte < 0x7F ? c : '?';
  }
  return shown;
}

void AppendSubnegotiation(std::string& out, unsigned char code,
                          std::string_view value) {
  out += static_cast<char>(kIac);
  out += static_cast<char>(kSb);
  out += static_cast<char>(kComPortOption);
  out += static_cast<char>(code);
  for (char c : value) {
    out += c;
    if (static_cast<unsigned char>(c) == kIac) out += c;
  }
  out += static_cast<char>(kIac);
  out += static_cast<char>(kSe);
}

}  // namespace

TelnetCodec::TelnetCodec(const LineSettings& line) : line_(line) {}

std::string TelnetCodec::Start() {
  std::string requests;
  const auto ask = [&](unsigned char verb, unsigned char option) {
    Side& side = verb == kWill ? ours_[option] : theirs_[option];
    side.state = Q::kWantYes;
    ++side.answers;
    requests += static_cast<char>(kIac);
    requests += static_cast<char>(verb);
    requests += static_cast<char>(option);
  };
  ask(kWill, kBinary);
  ask(kDo, kBinary);
  ask(kWill, kSuppressGoAhead);
  ask(kDo, kSuppressGoAhead);
  ask(kWill, kComPortOption);
  return requests;
}

bool TelnetCodec::line_settings_answered() const {
  return (answered_ & kAnsweredAll) == kAnsweredAll;
}

bool TelnetCodec::negotiation_settled() const {
  return com_port_ == ComPortOptionState::kRefused ||
         (com_port_ == ComPortOptionState::kAccepted &&
          line_settings_answered());
}

bool TelnetCodec::binary_to_server() const {
  return ours_[kBinary].state == Q::kYes;
}

bool TelnetCodec::binary_from_server() const {
  return theirs_[kBinary].state == Q::kYes;
}

std::vector<std::string> TelnetCodec::TakeNotes() {
  return std::exchange(notes_, {});
}

void TelnetCodec::Note(std::string text) {
  if (notes_given_ > kMaxNotes) return;
  if (++notes_given_ > kMaxNotes) {
    text = "further notes about the Telnet server dropped";
  }
  notes_.push_back(std::move(text));
}

void TelnetCodec::NoteOnce(std::uint32_t& flags, std::uint32_t bit,
                           std::string text) {
  if (flags & bit) return;
  flags |= bit;
  Note(std::move(text));
}

void TelnetCodec::Decode(std::string_view received, std::string& data,
                         std::string& answers) {
  for (char c : received) {
    const auto byte = static_cast<unsigned char>(c);
    switch (parse_) {
      case Parse::kData:
        if (byte == kIac) {
          parse_ = Parse::kCommand;
          break;
        }
        // Without binary transfer a CR alone comes as CR NUL.
        if (cr_received_ && byte == 0) {
          cr_received_ = false;
          break;
        }
        cr_received_ = byte == '\r' && !binary_from_server();
        data += c;
        break;
      case Parse::kCommand:
        cr_received_ = false;
        if (byte == kIac) {
          data += c;
          parse_ = Parse::kData;
        } else if (byte >= kWill && byte <= kDont) {
          verb_ = byte;
          parse_ = Parse::kOption;
        } else if (byte == kSb) {
          sub_.clear();
          sub_overflow_ = false;
          parse_ = Parse::kSubOption;
        } else {
          // NOP, data mark, go-ahead, a stray SE and the like carry nothing
          // for a serial line.
          parse_ = Parse::kData;
        }
        break;
      case Parse::kOption:
        parse_ = Parse::kData;
        Negotiate(verb_, byte, answers);
        break;
      case Parse::kSubOption:
        if (byte == kIac) {
          parse_ = Parse::kSubIac;
        } else if (sub_.size() < kMaxSubnegotiationBytes) {
          sub_ += c;
        } else {
          sub_overflow_ = true;
        }
        break;
      case Parse::kSubIac:
        if (byte == kIac) {
          parse_ = Parse::kSubOption;
          if (sub_.size() < kMaxSubnegotiationBytes) {
            sub_ += c;
          } else {
            sub_overflow_ = true;
          }
        } else if (byte == kSe) {
          parse_ = Parse::kData;
          if (sub_overflow_) {
            NoteOnce(noted_, kNoteOverflow,
                     "server's subnegotiation of over " +
                         std::to_string(kMaxSubnegotiationBytes) +
                         " bytes dropped");
          } else {
            Subnegotiation();
          }
        } else {
          // IAC and a command inside a subnegotiation: the server broke it
          // off. Drop it and take the command as a command.
          NoteOnce(noted_, kNoteBroken,
                   "server's subnegotiation broken off without IAC SE; "
                   "dropped");
          if (byte >= kWill && byte <= kDont) {
            verb_ = byte;
            parse_ = Parse::kOption;
          } else if (byte == kSb) {
            sub_.clear();
            sub_overflow_ = false;
            parse_ = Parse::kSubOption;
          } else {
            parse_ = Parse::kData;
          }
        }
        break;
    }
  }
}

void TelnetCodec::Encode(std::string_view data, std::string& out) const {
  const bool binary = binary_to_server();
  for (std::size_t i = 0; i < data.size(); ++i) {
    const char c = data[i];
    out += c;
    if (static_cast<unsigned char>(c) == kIac) {
      out += c;
    } else if (c == '\r' && !binary &&
               (i + 1 == data.size() || data[i + 1] != '\n')) {
      out += '\0';
    }
  }
}

bool TelnetCodec::Answer(Side& side, unsigned char verb, unsigned char option,
                         std::string& answers) {
  if (side.answers >= kMaxAnswersPerOption) {
    if (!side.flood_noted) {
      side.flood_noted = true;
      Note("server keeps renegotiating " + OptionName(option) +
           "; no longer answered");
    }
    return false;
  }
  ++side.answers;
  answers += static_cast<char>(kIac);
  answers += static_cast<char>(verb);
  answers += static_cast<char>(option);
  return true;
}

void TelnetCodec::Negotiate(unsigned char verb, unsigned char option,
                            std::string& answers) {
  const bool ours = verb == kDo || verb == kDont;
  Side& side = ours ? ours_[option] : theirs_[option];
  const unsigned char yes = ours ? kWill : kDo;
  const unsigned char no = ours ? kWont : kDont;
  if (verb == kWill || verb == kDo) {
    switch (side.state) {
      case Q::kNo:
        if (Wanted(option)) {
          if (Answer(side, yes, option, answers)) {
            side.state = Q::kYes;
            side.refused = false;
            Enabled(ours, option, answers);
          }
        } else if (!side.refused) {
          side.refused = true;
          if (Answer(side, no, option, answers)) {
            Note("refused " + OptionName(option) +
                 (ours ? ", which the server asked this side to do"
                       : ", which the server offered"));
          }
        }
        break;
      case Q::kYes:
        break;  // already on: answering again would start a loop
      case Q::kWantNo:
        side.state = Q::kNo;
        break;
      case Q::kWantYes:
        side.state = Q::kYes;
        Enabled(ours, option, answers);
        break;
    }
    return;
  }
  switch (side.state) {
    case Q::kNo:
      break;
    case Q::kYes:
      side.state = Q::kNo;
      side.refused = false;
      Answer(side, no, option, answers);
      Disabled(ours, option, false);
      break;
    case Q::kWantNo:
      side.state = Q::kNo;
      break;
    case Q::kWantYes:
      side.state = Q::kNo;
      Disabled(ours, option, true);
      break;
  }
}

void TelnetCodec::Enabled(bool ours, unsigned char option,
                          std::string& answers) {
  if (!ours || option != kComPortOption) return;
  com_port_ = ComPortOptionState::kAccepted;
  answered_ = 0;
  AppendLineSettings(answers);
  Note("server accepted COM-PORT-OPTION; asking for " +
       DescribeLine(static_cast<std::uint32_t>(line_.baud_rate),
                    static_cast<unsigned char>(line_.data_bits),
                    ParityCode(line_.parity),
                    static_cast<unsigned char>(line_.stop_bits),
                    kControlNoFlowControl));
}

void TelnetCodec::Disabled(bool ours, unsigned char option, bool refused) {
  if (ours && option == kComPortOption) {
    com_port_ = ComPortOptionState::kRefused;
    Note(refused ? "server refused COM-PORT-OPTION: plain Telnet, the serial "
                   "port keeps the server's own settings"
                 : "server withdrew COM-PORT-OPTION: plain Telnet from here "
                   "on");
  } else if (option == kBinary) {
    Note(std::string("server ") + (refused ? "refused" : "ended") +
         " binary transfer " +
         (ours ? "towards it: a CR alone goes as CR NUL"
               : "from it: CR NUL is taken for CR"));
  }
}

void TelnetCodec::AppendLineSettings(std::string& answers) const {
  const auto baud = static_cast<std::uint32_t>(line_.baud_rate);
  const char baud_bytes[4] = {
      static_cast<char>(baud >> 24), static_cast<char>(baud >> 16),
      static_cast<char>(baud >> 8), static_cast<char>(baud)};
  AppendSubnegotiation(answers, kSetBaudRate,
                       std::string_view(baud_bytes, sizeof baud_bytes));
  const char data_size = static_cast<char>(line_.data_bits);
  AppendSubnegotiation(answers, kSetDataSize, std::string_view(&data_size, 1));
  const char parity = static_cast<char>(ParityCode(line_.parity));
  AppendSubnegotiation(answers, kSetParity, std::string_view(&parity, 1));
  const char stop_size = static_cast<char>(line_.stop_bits);
  AppendSubnegotiation(answers, kSetStopSize, std::string_view(&stop_size, 1));
  // No flow control on the server's serial side: an RS-485 converter behind
  // a device server wires no CTS (hardware flow control would hold every
  // byte back), the device sends no XON/XOFF, and the network connection
  // paces the bytes itself.
  const char control = static_cast<char>(kControlNoFlowControl);
  AppendSubnegotiation(answers, kSetControl, std::string_view(&control, 1));
}

void TelnetCodec::Subnegotiation() {
  if (sub_.empty()) return;
  const auto option = static_cast<unsigned char>(sub_[0]);
  if (option != kComPortOption || sub_.size() < 2) {
    NoteOnce(noted_, kNoteOtherOption,
             "subnegotiation of " + OptionName(option) + " ignored");
    return;
  }
  ComPortAnswer(static_cast<unsigned char>(sub_[1]),
                std::string_view(sub_).substr(2));
}

void TelnetCodec::ComPortAnswer(unsigned char code, std::string_view value) {
  if (code < kServerCodeOffset) {
    NoteOnce(noted_, kNoteClientCode,
             "COM port command " + std::to_string(code) +
                 " from the server ignored");
    return;
  }
  const unsigned char command = code - kServerCodeOffset;
  const auto malformed = [&](const char* name) {
    NoteOnce(noted_, kNoteMalformed,
             std::string("server's answer to ") + name + " has " +
                 std::to_string(value.size()) + " bytes; ignored");
  };
  const auto byte = [&] { return static_cast<unsigned char>(value[0]); };
  switch (command) {
    case kSignature:
      if (!value.empty()) {
        NoteOnce(noted_, kNoteSignature,
                 "server signature: " + Printable(value));
      }
      return;
    case kSetBaudRate:
      if (value.size() != 4) return malformed("SET-BAUDRATE");
      baud_answer_ = 0;
      for (char c : value) {
        baud_answer_ = (baud_answer_ << 8) | static_cast<unsigned char>(c);
      }
      answered_ |= kAnsweredBaud;
      break;
    case kSetDataSize:
      if (value.size() != 1) return malformed("SET-DATASIZE");
      data_size_answer_ = byte();
      answered_ |= kAnsweredDataSize;
      break;
    case kSetParity:
      if (value.size() != 1) return malformed("SET-PARITY");
      parity_answer_ = byte();
      answered_ |= kAnsweredParity;
      break;
    case kSetStopSize:
      if (value.size() != 1) return malformed("SET-STOPSIZE");
      stop_size_answer_ = byte();
      answered_ |= kAnsweredStopSize;
      break;
    case kSetControl:
      if (value.size() != 1) return malformed("SET-CONTROL");
      control_answer_ = byte();
      answered_ |= kAnsweredControl;
      break;
    case kNotifyLineState:
      NoteOnce(noted_, kNoteLineState, "line state notifications ignored");
      return;
    case kNotifyModemState:
      NoteOnce(noted_, kNoteModemState, "modem state notifications ignored");
      return;
    case kFlowControlSuspend:
    case kFlowControlResume:
      // A command line is a few bytes; the network connection paces them.
      NoteOnce(noted_, kNoteSuspend,
               "server's flow control suspend/resume ignored");
      return;
    default:
      NoteOnce(noted_, kNoteOtherCode,
               "COM port answer " + std::to_string(code) + " ignored");
      return;
  }
  // Once all five are in, say once what the serial port runs with.
  if (answered_ != kAnsweredAll) return;
  answered_ |= kAnswersReported;
  const std::string asked = DescribeLine(
      static_cast<std::uint32_t>(line_.baud_rate),
      static_cast<unsigned char>(line_.data_bits), ParityCode(line_.parity),
      static_cast<unsigned char>(line_.stop_bits), kControlNoFlowControl);
  const std::string reported =
      DescribeLine(baud_answer_, data_size_answer_, parity_answer_,
                   stop_size_answer_, control_answer_);
  if (reported == asked) {
    Note("server set its serial port to " + reported);
  } else {
    Note("server runs its serial port at " + reported + " (asked for " + asked +
         ")");
  }
}

}  // namespace vqx
