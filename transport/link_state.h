// The link flags shared by the user-interface thread and the receive
// thread, and the link's configuration; the connection (protocol/) holds
// one of each.
//
// Every flag is an atomic: each has one writer per direction (see the
// comments), and plain loads and stores are all the protocol needs. The
// memory of lines whose echo may still come back and the steps of a run
// awaiting their answers are the exceptions: short lists under their own
// locks.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vqx {

// The lines sent whose echo has not come back yet, for line adapters that
// echo every byte they transmit. The sending thread notes each framed line
// with the time it was written; the receive thread takes a received line
// that is the echo of the oldest one. Echoes come back in the order the
// lines went out and within a short time, so only the oldest line may match,
// and only within its echo window; whoever receives a line that is no echo
// forgets every noted line (their echoes are not coming: the adapter does
// not echo, or they were lost). Only the newest kHeld lines are kept.
class SentLineEchoes {
 public:
  static constexpr std::size_t kHeld = 8;
  // What an adapter adds to a line's time on the wire before its echo is
  // read: the latency timer of a USB serial adapter (16 ms by default),
  // the receive thread's wake-up, a busy computer's scheduling and the
  // coarse tick of the Windows steady clock (up to 16 ms). The same margin
  // the address scan allows a device.
  static constexpr std::chrono::milliseconds kAdapterLatency{100};

  // How long after it was written a line's echo may come back: its bytes'
  // time on the wire at 9600 baud (11 bits a character: start, 8 data,
  // parity, stop), rounded up, plus kAdapterLatency. 106 ms for "RVN"
  // with CR LF, 153 ms for a title line, 787 ms for the longest line.
  static std::chrono::milliseconds EchoWindow(std::size_t line_bytes);

  // `framed_line`: the bytes written, address and CR LF included; `now`:
  // the steady clock when it is written.
  void Note(std::string_view framed_line, std::chrono::milliseconds now);
  // True when `line` (as received, LF included) is the echo of the oldest
  // noted line and arrives within that line's echo window; the line is then
  // forgotten. Otherwise nothing changes.
  bool Take(std::string_view line, std::chrono::milliseconds now);
  void Clear();

 private:
  struct Noted {
    std::string line;
    std::chrono::milliseconds until;
  };
  std::mutex mutex_;
  std::deque<Noted> lines_;
};

// What a received line is, for whoever awaits the answer to a line sent.
enum class AnswerKind {
  kAcknowledged,  // "GO"
  kRefused,       // "GN"
  kFailed,        // "E0".."E3", "MENU"
  kReadBack,      // a read-back line the dispatch table knows
  kNone,          // anything else
};

// Which received lines answer a line sent. "GN", the error codes and
// "MENU" answer any line. A line byte for byte equal to the line sent never
// answers it (it is its echo), and on RS-485 only a line that starts with
// the address the line went to does.
struct AnswerRule {
  // "GO" answers it: a set line.
  bool acknowledged = false;
  // Any read-back answers it: a line typed by hand.
  bool any_read_back = false;
  // A read-back with this mnemonic (the dispatch table's, so "VL" is not
  // "VLBC") whose text, address removed, starts with `read_back_start`
  // ("CJ03") answers it: a read command.
  std::string read_back_mnemonic;
  std::string read_back_start;
};

// A received line as the reply dispatch classified it.
struct ReceivedAnswer {
  std::string_view line;       // as received: address, CR LF
  std::string_view work_copy;  // the address removed
  AnswerKind kind = AnswerKind::kNone;
  std::string_view mnemonic;  // of a read-back
};

// A step of a run the device answered with "GN".
struct Refusal {
  int step = 0;
  std::string line;  // as written: address and CR LF included
  bool operator==(const Refusal&) const = default;
};

// The steps of a run whose answers are awaited, and the judge of which
// received line answers which of them. The run declares each step's rule
// before the step sends; the link arms the declaration with the line it
// writes (before writing it, as the answer may be back before the write
// returns); the receive thread offers every line it dispatches and learns
// whether it answered a step. Each answer is counted in `answers()`, which
// only grows, so a run that waits for an answer keeps the count it saw
// before sending and watches for a change.
//
// A line answers the newest awaited step it can answer. At the reply pace
// a run awaits one step at a time. At the fixed pace lines go out without
// waiting, so several steps may be awaited: an answer that comes after the
// next line went out is still taken by its own step when only that step can
// take it (a read-back), and a "GO" or "GN" is taken by the step last sent.
// A "GN" at the fixed pace that answers no awaited step is still charged
// to the step last sent, so no refusal goes unnoticed.
//
// After a run ends its awaited steps may still be answered (late answers
// and refusals still count for it) until the next run begins, or a line is
// sent outside any run. Every member is thread-safe.
class AwaitedAnswers {
 public:
  // At most this many steps are awaited at once; the oldest is given up.
  static constexpr std::size_t kHeld = 8;

  // ---- The run's side (the sending thread)
  // A run begins: nothing is awaited, no refusal is known. `fixed_pace`:
  // lines go out without waiting for answers.
  void BeginRun(bool fixed_pace);
  // Step `step` is about to send its line, which `rule` says how to
  // answer. A step that sends nothing leaves the declaration unused; the
  // next one replaces it.
  void Declare(int step, AnswerRule rule);
  // The run is over. What it still awaits may be answered later.
  void EndRun();

  // ---- The link (the sending thread)
  // A line that awaits a reply is about to be written (`addressed`: RS-485,
  // its first two characters are the address). It arms the step declared,
  // if any; a line sent while no run goes on ends what an earlier run still
  // awaited.
  void NoteSent(std::string_view framed_line, bool addressed);
  // A probe (the address scan) is about to be written: no run's step
  // awaits anything any more.
  void Forget();

  // ---- The receive thread
  // True when `received` answers an awaited step, which then awaits no
  // more; a "GN" is also noted as that step's refusal.
  bool Offer(const ReceivedAnswer& received);

  // ---- Any thread
  unsigned answers() const { return answers_.load(); }
  // Steps awaiting their answer now.
  std::size_t awaited() const;
  // Step `step` of the run (the last one begun) has had its answer.
  bool Answered(int step) const;
  // The run's steps refused with "GN", each once, in the order refused.
  std::vector<Refusal> refusals() const;

 private:
  struct Awaited {
    int step = 0;
    AnswerRule rule;
    std::string line;
    std::string address;  // "" on RS-232C
  };
  static bool Answers(const Awaited& awaited, const ReceivedAnswer& received);
  void Refuse(const Awaited& awaited);

  mutable std::mutex mutex_;
  bool run_ = false;
  bool fixed_pace_ = false;
  bool declared_ = false;
  Awaited declaration_;
  std::deque<Awaited> awaited_;  // oldest first
  std::optional<Awaited> last_sent_;
  std::vector<int> answered_;
  std::vector<Refusal> refusals_;
  std::atomic<unsigned> answers_{0};
};

struct LinkState {
  // 1 from a send until a reply line arrives or the watchdog gives up.
  // Set by SendCommand (UI thread), cleared by dispatch and by the watchdog.
  std::atomic<int> reply_awaited{0};
  // Main-timer ticks spent waiting for a reply (UI thread counts, receive
  // thread clears).
  std::atomic<int> reply_wait_ticks{0};
  // A "Success" box is due at the next timer tick (receive thread sets, UI
  // thread clears).
  std::atomic<int> success_pending{0};
  // The last reply was an error or menu notice (receive thread sets,
  // sequences read and clear).
  std::atomic<int> reply_error{0};
  // Next step of the running multi-command sequence, 0 when none runs.
  std::atomic<int> sequence_step{0};
  // The receive loop runs while this is 1.
  std::atomic<int> receive_running{0};
  // 1 while an address scan runs (the scan sets and clears it on the
  // user-interface thread).
  std::atomic<int> address_scan_running{0};

  // Counters that let whoever waits for a reply watch for it rather than
  // wait a fixed time. They only grow (and may wrap): a waiter keeps the
  // value it saw before sending and watches for a change.
  //
  // Lines written that await a reply: every send but a broadcast (the
  // sending thread counts).
  std::atomic<unsigned> sends_awaiting_reply{0};
  // Complete lines received, echoes excepted (the receive thread counts,
  // after the line's effect on the flags and the record is in place).
  std::atomic<unsigned> lines_received{0};
  // Times the watchdog gave up waiting and reported "No Connect" (the
  // user-interface thread counts).
  std::atomic<unsigned> reply_timeouts{0};

  // The steps of a run awaiting their answers, and which line answered.
  AwaitedAnswers answers;

  // Lines whose echo may still come back, when echo tolerance is on.
  SentLineEchoes echoes;

  // Clears the flags that a reset to defaults clears (not receive_running).
  void ResetFlags() {
    reply_awaited = 0;
    reply_wait_ticks = 0;
    success_pending = 0;
    reply_error = 0;
    sequence_step = 0;
  }
};

// The program's own configuration, kept in its INI file. rs_control is live:
// the serial settings dialog changes it while the receive thread reads it.
struct LinkConfig {
  std::atomic<int> com_port{0};       // n - 1 for COMn (0..255)
  std::atomic<int> rs_control{0};     // 0 RS-232C, non-zero RS-485
  std::atomic<int> select_number{0};  // -1 keeps template captions
  // Non-zero: the line adapter echoes every byte sent, and a received line
  // equal to a line just sent is its echo, not a reply (`kEchoKey`).
  std::atomic<int> echo{0};
  // Non-zero: read-all and send-all go on as soon as each line is answered
  // (the "高速" box, `kFastKey` of dialogs/), instead of one line per tick.
  std::atomic<int> fast{0};
};

// RS-485 wiring: any non-zero rs_control. Framing, reply stripping and the
// dialogs' slave-address lists all take it so, so a hand-edited value never
// puts an address on the line that the user cannot see or change.
constexpr bool IsRs485(int rs_control) { return rs_control != 0; }

// Index chosen in the slave-address lists: 0..31 = "00".."31", 32 and above
// = broadcast "FF". 0 when the program starts; never saved.
inline constexpr int kBroadcastAddress = 32;

}  // namespace vqx
