// Cuts the byte stream from the port into reply lines.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string_view>

namespace vqx {

// Accumulates received bytes and hands over each complete line, LF
// included. The device ends every reply with CR LF; a reply may arrive over
// several reads, and several replies may arrive in one read. Each complete
// line is handed over on its own; an unfinished line waits for its LF.
//
// A line holds at most kMaxLineBytes bytes (the terminator of the 600-byte
// buffer the device protocol was sized for takes the last one). Bytes beyond
// that without an LF cannot be a reply: the accumulated text is discarded
// and the next byte begins a new line.
class LineAssembler {
 public:
  static constexpr std::size_t kBufferBytes = 600;
  static constexpr std::size_t kMaxLineBytes = kBufferBytes - 1;

  void Feed(std::string_view bytes,
            const std::function<void(std::string_view line)>& on_line);

  // Bytes of the unfinished line held so far.
  std::size_t pending() const { return length_; }

 private:
  std::array<char, kBufferBytes> buffer_{};
  std::size_t length_ = 0;
};

}  // namespace vqx
