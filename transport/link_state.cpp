#include "transport/link_state.h"

#include <algorithm>
#include <utility>

namespace vqx {

namespace {

// Bits a character takes on the line: start, 8 data, even parity, stop.
constexpr std::size_t kBitsPerCharacter = 11;
constexpr std::size_t kBaud = 9600;

}  // namespace

std::chrono::milliseconds SentLineEchoes::EchoWindow(std::size_t line_bytes) {
  const std::size_t bits = line_bytes * kBitsPerCharacter;
  const std::size_t wire_ms = (bits * 1000 + kBaud - 1) / kBaud;
  return std::chrono::milliseconds(wire_ms) + kAdapterLatency;
}

void SentLineEchoes::Note(std::string_view framed_line,
                          std::chrono::milliseconds now) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (lines_.size() == kHeld) lines_.pop_front();
  lines_.push_back(
      {std::string(framed_line), now + EchoWindow(framed_line.size())});
}

bool SentLineEchoes::Take(std::string_view line,
                          std::chrono::milliseconds now) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (lines_.empty() || lines_.front().line != line ||
      now > lines_.front().until) {
    return false;
  }
  lines_.pop_front();
  return true;
}

void SentLineEchoes::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.clear();
}

void AwaitedAnswers::BeginRun(bool fixed_pace) {
  std::lock_guard<std::mutex> lock(mutex_);
  run_ = true;
  fixed_pace_ = fixed_pace;
  declared_ = false;
  awaited_.clear();
  last_sent_.reset();
  answered_.clear();
  refusals_.clear();
}

void AwaitedAnswers::Declare(int step, AnswerRule rule) {
  std::lock_guard<std::mutex> lock(mutex_);
  declared_ = true;
  declaration_ = {step, std::move(rule), {}, {}};
}

void AwaitedAnswers::EndRun() {
  std::lock_guard<std::mutex> lock(mutex_);
  run_ = false;
  declared_ = false;
}

void AwaitedAnswers::NoteSent(std::string_view framed_line, bool addressed) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!declared_) {
    // A button pressed beside a run leaves the run's steps alone; a line
    // sent after it is over ends what the run still awaited.
    if (!run_) {
      awaited_.clear();
      last_sent_.reset();
    }
    return;
  }
  declared_ = false;
  declaration_.line = std::string(framed_line);
  declaration_.address =
      addressed ? std::string(framed_line.substr(0, 2)) : std::string();
  if (awaited_.size() == kHeld) awaited_.pop_front();
  awaited_.push_back(declaration_);
  last_sent_ = declaration_;
}

void AwaitedAnswers::Forget() {
  std::lock_guard<std::mutex> lock(mutex_);
  declared_ = false;
  awaited_.clear();
  last_sent_.reset();
}

bool AwaitedAnswers::Answers(const Awaited& awaited,
                             const ReceivedAnswer& received) {
  // The line sent coming back is its echo, whatever it looks like.
  if (received.line == awaited.line) return false;
  // On RS-485 only the device the line went to answers it.
  if (!received.line.starts_with(awaited.address)) return false;
  const AnswerRule& rule = awaited.rule;
  switch (received.kind) {
    case AnswerKind::kAcknowledged:
      return rule.acknowledged;
    case AnswerKind::kRefused:
    case AnswerKind::kFailed:
      return true;
    case AnswerKind::kReadBack:
      if (rule.any_read_back) return true;
      return !rule.read_back_mnemonic.empty() &&
             received.mnemonic == rule.read_back_mnemonic &&
             received.work_copy.starts_with(rule.read_back_start);
    case AnswerKind::kNone:
      break;
  }
  return false;
}

void AwaitedAnswers::Refuse(const Awaited& awaited) {
  const bool known = std::any_of(
      refusals_.begin(), refusals_.end(),
      [&](const Refusal& refusal) { return refusal.step == awaited.step; });
  if (!known) refusals_.push_back({awaited.step, awaited.line});
}

bool AwaitedAnswers::Offer(const ReceivedAnswer& received) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = awaited_.rbegin(); it != awaited_.rend(); ++it) {
    if (!Answers(*it, received)) continue;
    if (received.kind == AnswerKind::kRefused) Refuse(*it);
    answered_.push_back(it->step);
    awaited_.erase(std::next(it).base());
    ++answers_;
    return true;
  }
  if (received.kind == AnswerKind::kRefused && run_ && fixed_pace_ &&
      last_sent_ && received.line.starts_with(last_sent_->address)) {
    Refuse(*last_sent_);
  }
  return false;
}

std::size_t AwaitedAnswers::awaited() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return awaited_.size();
}

bool AwaitedAnswers::Answered(int step) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::find(answered_.begin(), answered_.end(), step) != answered_.end();
}

std::vector<Refusal> AwaitedAnswers::refusals() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return refusals_;
}

}  // namespace vqx
