#include "transport/line_assembler.h"

namespace vqx {

void LineAssembler::Feed(
    std::string_view bytes,
    const std::function<void(std::string_view line)>& on_line) {
  for (char byte : bytes) {
    if (length_ == kMaxLineBytes) {
      // Too long for any reply and still no LF: drop it and start over.
      length_ = 0;
    }
    buffer_[length_++] = byte;
    if (byte == '\n') {
      const std::size_t line_length = length_;
      length_ = 0;
      on_line(std::string_view(buffer_.data(), line_length));
    }
  }
}

}  // namespace vqx
