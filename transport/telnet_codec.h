// The client side of a Telnet connection to a serial device server that
// offers the COM port control option (option 44): the bytes of the device
// pass through, Telnet's own commands are taken out and answered, and the
// server is asked to run its serial port with the link's line settings. No
// I/O here; the network ports feed it what they receive and send what it
// gives them.
//
// The server is not trusted. A subnegotiation is held to
// kMaxSubnegotiationBytes (the rest is dropped until it ends), a request for
// an option is answered at most once per change of that option's state (and
// an option the server keeps turning on and off is no longer answered after
// kMaxAnswersPerOption answers), so whatever the server sends, the answers
// never outgrow what it sent and nothing grows without bound.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "transport/serial_port.h"

namespace vqx {

namespace telnet {

inline constexpr unsigned char kIac = 255;
inline constexpr unsigned char kDont = 254;
inline constexpr unsigned char kDo = 253;
inline constexpr unsigned char kWont = 252;
inline constexpr unsigned char kWill = 251;
inline constexpr unsigned char kSb = 250;
inline constexpr unsigned char kSe = 240;

inline constexpr unsigned char kBinary = 0;
inline constexpr unsigned char kEcho = 1;
inline constexpr unsigned char kSuppressGoAhead = 3;
inline constexpr unsigned char kComPortOption = 44;

// Commands of the COM port option from client to server; the server's answer
// to a command carries its code plus kServerCodeOffset.
inline constexpr unsigned char kSignature = 0;
inline constexpr unsigned char kSetBaudRate = 1;
inline constexpr unsigned char kSetDataSize = 2;
inline constexpr unsigned char kSetParity = 3;
inline constexpr unsigned char kSetStopSize = 4;
inline constexpr unsigned char kSetControl = 5;
inline constexpr unsigned char kNotifyLineState = 6;
inline constexpr unsigned char kNotifyModemState = 7;
inline constexpr unsigned char kFlowControlSuspend = 8;
inline constexpr unsigned char kFlowControlResume = 9;
inline constexpr unsigned char kServerCodeOffset = 100;

// Values of SET-PARITY and SET-CONTROL.
inline constexpr unsigned char kParityNone = 1;
inline constexpr unsigned char kParityOdd = 2;
inline constexpr unsigned char kParityEven = 3;
inline constexpr unsigned char kControlNoFlowControl = 1;

}  // namespace telnet

enum class ComPortOptionState {
  kAsked,     // requested, no answer yet
  kAccepted,  // the server takes line settings
  kRefused,   // plain Telnet: the serial port keeps the server's settings
};

class TelnetCodec {
 public:
  // The COM port option's answers are a few bytes, a signature text a few
  // dozen.
  static constexpr std::size_t kMaxSubnegotiationBytes = 64;
  static constexpr int kMaxAnswersPerOption = 16;
  // Notes kept over a connection; one more says that the rest were dropped.
  static constexpr std::size_t kMaxNotes = 100;

  // `line` gives the baud rate, data bits, parity and stop bits asked for.
  explicit TelnetCodec(const LineSettings& line = kLineSettings);

  // The requests a client opens the connection with: BINARY and
  // SUPPRESS-GO-AHEAD both ways, and WILL COM-PORT-OPTION.
  std::string Start();

  // Takes bytes received from the server: the device's bytes are appended to
  // `data`, what the server is owed in return to `answers` (ready to send,
  // the line settings included once the server accepts the COM port
  // option). A command split across calls is completed by the next call.
  void Decode(std::string_view received, std::string& data,
              std::string& answers);

  // Appends the device bytes `data` to `out` as they go to the server: every
  // 0xFF doubled, and while the server has not agreed to binary transfer a CR
  // that no LF follows (within `data`) sent as CR NUL.
  void Encode(std::string_view data, std::string& out) const;

  ComPortOptionState com_port_option() const { return com_port_; }
  // True once the server answered every line setting asked for.
  bool line_settings_answered() const;
  // Nothing left to wait for: the option was refused, or accepted and every
  // line setting answered.
  bool negotiation_settled() const;
  // Whether each direction runs in binary transfer.
  bool binary_to_server() const;
  bool binary_from_server() const;

  // What happened worth telling the user or the traffic log, oldest first
  // ("server refused COM-PORT-OPTION: plain Telnet, ..."); taken notes are
  // removed.
  std::vector<std::string> TakeNotes();

 private:
  enum class Parse : std::uint8_t {
    kData,
    kCommand,    // after IAC
    kOption,     // after IAC WILL/WONT/DO/DONT
    kSubOption,  // inside IAC SB ... (option byte and parameters)
    kSubIac,     // IAC inside a subnegotiation
  };
  // One side of one option, as RFC 1143 keeps it (without the queue: this
  // client never changes its mind about an option).
  enum class Q : std::uint8_t { kNo, kYes, kWantNo, kWantYes };
  struct Side {
    Q state = Q::kNo;
    bool refused = false;  // a refusal was sent since the last change
    bool flood_noted = false;
    std::uint8_t answers = 0;
  };

  void Negotiate(unsigned char verb, unsigned char option,
                 std::string& answers);
  bool Answer(Side& side, unsigned char verb, unsigned char option,
              std::string& answers);
  void Enabled(bool ours, unsigned char option, std::string& answers);
  void Disabled(bool ours, unsigned char option, bool refused);
  void AppendLineSettings(std::string& answers) const;
  void Subnegotiation();
  void ComPortAnswer(unsigned char code, std::string_view value);
  void NoteOnce(std::uint32_t& flags, std::uint32_t bit, std::string text);
  void Note(std::string text);

  LineSettings line_;
  Parse parse_ = Parse::kData;
  unsigned char verb_ = 0;
  bool cr_received_ = false;  // the last data byte was CR (non-binary)
  std::string sub_;
  bool sub_overflow_ = false;
  std::array<Side, 256> ours_{};    // what we do (DO/DONT from the server)
  std::array<Side, 256> theirs_{};  // what the server does (WILL/WONT)
  ComPortOptionState com_port_ = ComPortOptionState::kAsked;
  // Answers to the line settings, one bit per SET command, and what they
  // reported.
  std::uint32_t answered_ = 0;
  std::uint32_t baud_answer_ = 0;
  unsigned char data_size_answer_ = 0;
  unsigned char parity_answer_ = 0;
  unsigned char stop_size_answer_ = 0;
  unsigned char control_answer_ = 0;
  std::uint32_t noted_ = 0;  // kinds of notes given once per connection
  std::vector<std::string> notes_;
  std::size_t notes_given_ = 0;
};

}  // namespace vqx
