// The traffic log: every line sent to and received from the device, with
// its local time to the millisecond, its direction, its RS-485 address, its
// text with control characters made visible and, beside a reply, what the
// reply means ("Success", "Command Error", the settings a read-back set:
// "アラーム / モード: External").
//
// The link feeds the lines it sends (it sees the log as a `SentLineTap`),
// the reply dispatch the lines it receives; both only when a log is
// attached. The log keeps the last kCapacity entries.
//
// Threads: lines are recorded on the user-interface thread (sent) and the
// receive thread (received); a window reads the log from its own timer.
// Every member is safe to call from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/platform.h"
#include "transport/link.h"

namespace vqx {

enum class TrafficDirection { kSent, kReceived };

// The words of the meaning column: the program's ("送信した行のエコー",
// "アラーム / モード: External"), or the field names of the settings
// listing ("echo of the line sent", "alarm_mode = 1 (External)") that
// vqx460ctl's log file has always held for the scripts that read it. The
// device's own reply texts ("Success", "Command Error") read the same in
// both.
enum class TrafficMeanings { kWords, kFieldNames };

struct TrafficEntry {
  // 1, 2, 3 ... in the order recorded; never given twice, not even after
  // Clear.
  std::uint64_t sequence = 0;
  LocalTime time;
  TrafficDirection direction = TrafficDirection::kSent;
  // A received line that was the echo of a line sent (echo tolerance on).
  bool echo = false;
  // RS-485: the line's two address characters ("05", "FF"), made visible;
  // "" on RS-232C.
  std::string address;
  // The line without its address, made visible ("RVN<CR><LF>").
  std::string text;
  // Received lines: what the line means (ReplyMeaning::words, or its
  // summary by field names); "" for lines sent.
  std::string meaning;
};

// The bytes as text: printable ASCII as it is, CR and LF as "<CR>" and
// "<LF>", every other byte as two hexadecimal digits in brackets ("<00>",
// "<FE>"). The result is plain ASCII, whatever the line held.
std::string VisibleLine(std::string_view bytes);

// One entry as one line of UTF-8 text without line end; columns separated
// by tabs: "2024-01-05 09:05:03.123", "TX" or "RX", the address, the text,
// the meaning.
std::string FormatTrafficEntry(const TrafficEntry& entry);

// Writes the entries as UTF-8 text, one line each ending in CR LF, replacing
// the file in one step. False when the file could not be written.
bool SaveTrafficLog(std::string_view utf8_path,
                    const std::vector<TrafficEntry>& entries);

class TrafficLog : public SentLineTap {
 public:
  static constexpr std::size_t kCapacity = 10000;

  // `clock` gives each entry its time; `codec` shows titles of read-backs.
  // Both must be safe to call from any thread and outlive the log.
  TrafficLog(Clock& clock, TextCodec& codec,
             TrafficMeanings meanings = TrafficMeanings::kWords);

  // ---- Recording (the link and the reply dispatch) ----
  void OnLineSent(std::string_view framed_line, bool addressed) override;
  // `line` as received (LF included); `echo`: it was the echo of a line
  // sent, and was not dispatched.
  void OnLineReceived(std::string_view line, bool addressed, bool echo);

  // ---- Reading and control (a window) ----
  // Forgets every entry; sequence numbers go on from where they were.
  void Clear();
  // While paused, lines are not recorded (nor passed to the listener).
  void SetPaused(bool paused);
  bool paused() const;

  std::size_t size() const;
  // The sequence number of the newest entry recorded, 0 before the first.
  // A window polls it: a change means new entries.
  std::uint64_t newest_sequence() const;
  // The sequence number of the oldest entry held; newest_sequence() + 1
  // when the log is empty. Rows of a window below it were dropped (the
  // log is full) or cleared.
  std::uint64_t oldest_sequence() const;
  // Every entry held, oldest first.
  std::vector<TrafficEntry> Snapshot() const;
  // The entries held whose sequence number is above `sequence`, oldest
  // first.
  std::vector<TrafficEntry> EntriesAfter(std::uint64_t sequence) const;

  // Called with every entry as it is recorded, in sequence order, on the
  // thread that records it (so it must be quick and thread-safe); it may
  // read the log but not record into it. Set it before lines flow.
  void SetListener(std::function<void(const TrafficEntry&)> listener);

 private:
  void Record(TrafficEntry entry);

  Clock& clock_;
  TextCodec& codec_;
  const TrafficMeanings meanings_;
  // Held while an entry is recorded and passed to the listener, so that
  // the listener sees entries in sequence order.
  std::mutex record_mutex_;
  mutable std::mutex mutex_;  // the entries and the counters
  std::deque<TrafficEntry> entries_;
  std::uint64_t next_sequence_ = 1;
  bool paused_ = false;
  std::function<void(const TrafficEntry&)> listener_;
};

}  // namespace vqx
