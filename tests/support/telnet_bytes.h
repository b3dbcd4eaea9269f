// Bytes as the Telnet tests write them: command and option codes by number
// (`Bytes({255, 253, 44})` is IAC DO COM-PORT-OPTION), and what a server
// that takes the link's line settings answers to them.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

namespace vqx::testing {

inline std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes += static_cast<char>(value);
  return bytes;
}

// A server's answers to the five line settings the client asks for once the
// COM port option is accepted: 9600 baud, 8 data bits, even parity, 1 stop
// bit, no flow control.
inline std::string LineSettingAnswers() {
  std::string answers;
  for (const auto& [code, value] : {std::pair{101, Bytes({0, 0, 0x25, 0x80})},
                                    {102, Bytes({8})},
                                    {103, Bytes({3})},
                                    {104, Bytes({1})},
                                    {105, Bytes({1})}}) {
    answers += Bytes({255, 250, 44, code}) + value + Bytes({255, 240});
  }
  return answers;
}

}  // namespace vqx::testing
