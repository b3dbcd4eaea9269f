#include "protocol/traffic_log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "base/file_io.h"
#include "protocol/read_back.h"
#include "protocol/replies.h"
#include "protocol/reply_table.h"

namespace vqx {

namespace {

// A record whose every byte is `fill`, as a starting point for a decoder.
DeviceSettings Filled(unsigned char fill) {
  DeviceSettings settings;
  std::memset(&settings, fill, sizeof settings);
  return settings;
}

// The settings a read-back line sets. It is decoded onto two records that
// differ in every byte, so that each value the decoder writes differs from
// the starting value in at least one of them; the value is shown from the
// all-zero record where it shows there (its texts are terminated), from the
// other otherwise.
std::string ReadBackMeaning(const ReplyHandlerEntry& entry,
                            std::string_view work_copy, TextCodec& codec) {
  const DeviceSettings zero = Filled(0x00);
  const DeviceSettings ones = Filled(0xFF);
  DeviceSettings zero_decoded = zero;
  DeviceSettings ones_decoded = ones;
  entry.handler(zero_decoded, work_copy);
  entry.handler(ones_decoded, work_copy);
  const std::vector<ReportLine> zero_before = DescribeSettings(zero, codec);
  const std::vector<ReportLine> zero_after =
      DescribeSettings(zero_decoded, codec);
  const std::vector<ReportLine> ones_before = DescribeSettings(ones, codec);
  const std::vector<ReportLine> ones_after =
      DescribeSettings(ones_decoded, codec);
  std::string meaning;
  for (std::size_t i = 0; i < zero_after.size(); ++i) {
    const ReportLine* set = nullptr;
    if (zero_after[i].value != zero_before[i].value) {
      set = &zero_after[i];
    } else if (ones_after[i].value != ones_before[i].value) {
      set = &ones_after[i];
    }
    if (set == nullptr) continue;
    if (!meaning.empty()) meaning += "; ";
    meaning += FormatReportLine(*set);
  }
  if (meaning.empty()) return "read-back that sets nothing (garbled), ignored";
  return meaning;
}

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

std::string ReplyMeaning(std::string_view work_copy, TextCodec& codec) {
  const ReplyClass reply = ClassifyReply(work_copy);
  switch (reply.kind) {
    case ReplyKind::kSuccess:
      return "Success";
    case ReplyKind::kMenu:
    case ReplyKind::kModeError:
    case ReplyKind::kDeviceError:
      return std::string(reply.box_text);
    case ReplyKind::kReadBack:
      if (reply.read_back->handler == kVersionReadBack.decode) {
        return DescribeReply(ReplyPayload(work_copy));
      }
      return ReadBackMeaning(*reply.read_back, work_copy, codec);
    case ReplyKind::kIgnored:
      break;
  }
  return "not a reply, ignored";
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

TrafficLog::TrafficLog(Clock& clock, TextCodec& codec)
    : clock_(clock), codec_(codec) {}

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
  if (echo) {
    entry.meaning = "echo of the line sent";
  } else {
    // The meaning of what the dispatch sees: the line cut at a NUL byte.
    entry.meaning =
        ReplyMeaning(ReplyWorkCopy(line, addressed ? 1 : 0), codec_);
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
