#include "base/link_state.h"

namespace vqx {

void SentLineEchoes::Note(std::string_view framed_line) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (lines_.size() == kHeld) lines_.pop_front();
  lines_.emplace_back(framed_line);
}

bool SentLineEchoes::Take(std::string_view line) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = lines_.begin(); it != lines_.end(); ++it) {
    if (*it == line) {
      lines_.erase(lines_.begin(), it + 1);
      return true;
    }
  }
  return false;
}

void SentLineEchoes::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.clear();
}

}  // namespace vqx
