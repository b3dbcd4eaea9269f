// Process-wide link flags shared by the user-interface thread and the
// receive thread, the program's link configuration, and the slave address.
//
// Every flag is an atomic: each has one writer per direction (see the
// comments), and plain loads and stores are all the protocol needs. The
// memory of lines whose echo may still come back is the one exception: a
// short list under its own lock.
#pragma once

#include <atomic>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

namespace vqx {

// The lines sent whose echo has not come back yet, for line adapters that
// echo every byte they transmit. The sending thread notes each framed line;
// the receive thread takes a received line that equals one of them. Echoes
// come back in the order the lines went out, so taking one also forgets
// every older line (its echo was lost). Only the newest kHeld lines are
// kept: an adapter that does not echo leaves nothing behind but those.
class SentLineEchoes {
 public:
  static constexpr std::size_t kHeld = 8;

  // `framed_line`: the bytes written, address and CR LF included.
  void Note(std::string_view framed_line);
  // True when `line` (as received, LF included) is the echo of a noted line.
  bool Take(std::string_view line);
  void Clear();

 private:
  std::mutex mutex_;
  std::deque<std::string> lines_;
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
  // 1 while an address scan runs: its version replies raise no "Success"
  // box (the scan sets and clears it on the user-interface thread).
  std::atomic<int> address_scan_running{0};

  // Counters that let a run wait for each reply rather than a fixed tick.
  // They only grow (and may wrap): a waiter keeps the value it saw before
  // sending and watches for a change.
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
  // "GO" replies received, in or out of a sequence (the receive thread
  // counts, before `lines_received`).
  std::atomic<unsigned> success_replies{0};

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
  // equal to a line just sent is its echo, not a reply (INI key "echo").
  std::atomic<int> echo{0};
  // Non-zero: read-all and send-all go on as soon as each line is answered
  // (INI key "fast"), instead of one line per tick.
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
