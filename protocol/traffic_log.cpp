#include "protocol/traffic_log.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "base/file_io.h"
#include "protocol/replies.h"

namespace vqx {

namespace {

std::string Timestamp(const LocalTime& t) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year,
                t.month, t.day, t.hour, t.minute, t.second, t.millisecond);
  return text;
}

}  // namespace

std::string VisibleLine(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() + 8);
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\r') {
      text += "<CR>";
    } else if (byte == '\n') {
      text += "<LF>";
    } else if (byte < 0x20 || byte > 0x7E) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "<%02X>", byte);
      text += escaped;
    } else {
      text += c;
    }
  }
  return text;
}

std::string FormatTrafficEntry(const TrafficEntry& entry) {
  return Timestamp(entry.time) + "\t" +
         (entry.direction == TrafficDirection::kSent ? "TX" : "RX") + "\t" +
         entry.address + "\t" + entry.text + "\t" + entry.meaning;
}

bool SaveTrafficLog(std::string_view utf8_path,
                    const std::vector<TrafficEntry>& entries) {
  std::string text;
  for (const TrafficEntry& entry : entries) {
    text += FormatTrafficEntry(entry);
    text += "\r\n";
  }
  return WriteFileAtomically(PathFromUtf8(utf8_path), text);
}

TrafficLog::TrafficLog(Clock& clock, TextCodec& codec, TrafficMeanings meanings)
    : clock_(clock), codec_(codec), meanings_(meanings) {}

void TrafficLog::OnLineSent(std::string_view framed_line, bool addressed) {
  if (paused()) return;
  TrafficEntry entry;
  entry.direction = TrafficDirection::kSent;
  if (addressed) {
    entry.address = VisibleLine(framed_line.substr(0, 2));
    framed_line.remove_prefix(std::min<std::size_t>(2, framed_line.size()));
  }
  entry.text = VisibleLine(framed_line);
  Record(std::move(entry));
}

void TrafficLog::OnLineReceived(std::string_view line, bool addressed,
                                bool echo) {
  if (paused()) return;
  TrafficEntry entry;
  entry.direction = TrafficDirection::kReceived;
  entry.echo = echo;
  if (addressed) {
    entry.address = VisibleLine(line.substr(0, 2));
  }
  entry.text = VisibleLine(
      line.substr(std::min<std::size_t>(addressed ? 2 : 0, line.size())));
  const bool words = meanings_ == TrafficMeanings::kWords;
  if (echo) {
    entry.meaning = words ? "送信した行のエコー" : "echo of the line sent";
  } else {
    // The meaning of what the dispatch sees: the line cut at a NUL byte.
    ReplyMeaning meaning =
        ExplainReply(ReplyWorkCopy(line, addressed ? 1 : 0), codec_);
    entry.meaning = std::move(words ? meaning.words : meaning.summary);
  }
  Record(std::move(entry));
}

void TrafficLog::Record(TrafficEntry entry) {
  std::lock_guard<std::mutex> recording(record_mutex_);
  // Stamped in turn, so that the times rise with the sequence numbers.
  entry.time = clock_.Now();
  std::function<void(const TrafficEntry&)> listener;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (paused_) return;
    entry.sequence = next_sequence_++;
    if (entries_.size() == kCapacity) entries_.pop_front();
    entries_.push_back(entry);
    listener = listener_;
  }
  if (listener) listener(entry);
}

void TrafficLog::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.clear();
}

void TrafficLog::SetPaused(bool paused) {
  std::lock_guard<std::mutex> lock(mutex_);
  paused_ = paused;
}

bool TrafficLog::paused() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return paused_;
}

std::size_t TrafficLog::size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_.size();
}

std::uint64_t TrafficLog::newest_sequence() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return next_sequence_ - 1;
}

std::uint64_t TrafficLog::oldest_sequence() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_.empty() ? next_sequence_ : entries_.front().sequence;
}

std::vector<TrafficEntry> TrafficLog::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {entries_.begin(), entries_.end()};
}

std::vector<TrafficEntry> TrafficLog::EntriesAfter(
    std::uint64_t sequence) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<TrafficEntry> newer;
  // Sequence numbers rise along the deque with no gaps.
  if (entries_.empty() || sequence >= entries_.back().sequence) return newer;
  std::size_t first = 0;
  if (sequence >= entries_.front().sequence) {
    first = static_cast<std::size_t>(sequence - entries_.front().sequence + 1);
  }
  newer.assign(entries_.begin() + static_cast<std::ptrdiff_t>(first),
               entries_.end());
  return newer;
}

void TrafficLog::SetListener(
    std::function<void(const TrafficEntry&)> listener) {
  std::lock_guard<std::mutex> lock(mutex_);
  listener_ = std::move(listener);
}

}  // namespace vqx
