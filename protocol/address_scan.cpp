#include "protocol/address_scan.h"

#include <algorithm>

#include "protocol/reply_table.h"
#include "transport/timed_sequence.h"

namespace vqx {

namespace {

constexpr std::string_view kVersionCommand = "RVN\r\n";

bool IsAddress(int address) { return address >= 0 && address < kScanAddresses; }

}  // namespace

void VersionReplies::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& version : versions_) version.reset();
}

void VersionReplies::Note(int address, std::string_view version) {
  if (!IsAddress(address)) return;
  std::lock_guard<std::mutex> lock(mutex_);
  versions_[address] = std::string(version);
}

std::optional<std::string> VersionReplies::Find(int address) const {
  if (!IsAddress(address)) return std::nullopt;
  std::lock_guard<std::mutex> lock(mutex_);
  return versions_[address];
}

void VersionReplies::NoteRunAnswer(std::string_view version) {
  if (version.starts_with(kVersionReadBack.reply)) {
    version.remove_prefix(kVersionReadBack.reply.size());
  }
  std::lock_guard<std::mutex> lock(mutex_);
  run_answer_ = std::string(version);
}

std::string VersionReplies::RunAnswer() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return run_answer_;
}

AddressScan::AddressScan(LinkState& link, const LinkConfig& config,
                         ProbeSink& sink, VersionReplies& versions,
                         SteadyClock& clock,
                         std::chrono::milliseconds reply_timeout)
    : link_(link),
      config_(config),
      sink_(sink),
      versions_(versions),
      clock_(clock),
      reply_timeout_(reply_timeout) {}

AddressScan::~AddressScan() { Stop(); }

ScanStart AddressScan::Start() {
  if (!IsRs485(config_.rs_control)) return ScanStart::kNotRs485;
  int idle = 0;
  if (!link_.sequence_step.compare_exchange_strong(idle, 1)) {
    return ScanStart::kBusy;
  }
  link_.address_scan_running = 1;
  versions_.Clear();
  answers_.clear();
  running_ = true;
  waiting_ = false;
  current_ = 0;
  done_ = 0;
  next_due_ = clock_.Now();
  return ScanStart::kStarted;
}

ScanTick AddressScan::OnTick() {
  if (!running_) return ScanTick::kFinished;
  const std::chrono::milliseconds now = clock_.Now();
  if (waiting_) {
    if (std::optional<std::string> version = versions_.Find(current_)) {
      answers_.push_back({current_, std::move(*version)});
      next_due_ = now + std::chrono::milliseconds(kReplyGuardMs);
    } else if (now - sent_at_ >= reply_timeout_) {
      next_due_ = now;
    } else {
      return ScanTick::kRunning;
    }
    waiting_ = false;
    ++current_;
    ++done_;
    TakeLateAnswers(current_);
  }
  if (current_ >= kScanAddresses) {
    Finish();
    return ScanTick::kFinished;
  }
  if (now < next_due_) return ScanTick::kRunning;
  link_.sequence_step = current_ + 1;
  sent_at_ = now;
  waiting_ = true;
  sink_.SendProbe(kVersionCommand, current_);
  return ScanTick::kRunning;
}

void AddressScan::TakeLateAnswers(int end) {
  for (int address = 0; address < end && address < kScanAddresses; ++address) {
    const bool known = std::any_of(
        answers_.begin(), answers_.end(),
        [address](const ScanAnswer& a) { return a.address == address; });
    if (known) continue;
    if (std::optional<std::string> version = versions_.Find(address)) {
      answers_.push_back({address, std::move(*version)});
    }
  }
  std::sort(answers_.begin(), answers_.end(),
            [](const ScanAnswer& a, const ScanAnswer& b) {
              return a.address < b.address;
            });
}

void AddressScan::Finish() {
  // Stopped while waiting: the address asked may have answered meanwhile.
  TakeLateAnswers(waiting_ ? current_ + 1 : current_);
  running_ = false;
  waiting_ = false;
  link_.address_scan_running = 0;
  link_.sequence_step = 0;
}

void AddressScan::Stop() {
  if (running_) Finish();
}

}  // namespace vqx
