// Process-wide link flags shared by the user-interface thread and the
// receive thread, the program's link configuration, and the slave address.
//
// Every flag is an atomic: each has one writer per direction (see the
// comments), and plain loads and stores are all the protocol needs.
#pragma once

#include <atomic>

namespace vqx {

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
  std::atomic<int> com_port{0};       // 0..8 = COM1..COM9
  std::atomic<int> rs_control{0};     // 0 RS-232C, non-zero RS-485
  std::atomic<int> select_number{0};  // -1 keeps template captions
};

// RS-485 wiring: any non-zero rs_control. Framing, reply stripping and the
// dialogs' slave-address lists all take it so, so a hand-edited value never
// puts an address on the line that the user cannot see or change.
constexpr bool IsRs485(int rs_control) { return rs_control != 0; }

// Index chosen in the slave-address lists: 0..31 = "00".."31", 32 and above
// = broadcast "FF". 0 when the program starts; never saved.
inline constexpr int kBroadcastAddress = 32;

}  // namespace vqx
