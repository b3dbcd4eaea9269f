// An in-process model of the VQX-460 as seen from its serial line: it takes
// the bytes the device receives and produces the bytes it answers with.
//
// The model is the test oracle for the settings tool, so it parses every
// command and formats every read-back line on its own, from the device's
// point of view, and shares nothing with the tool's builders or handlers
// except the settings record used as storage and the JIS/Shift_JIS mapping.
//
// Fault injection (error replies, silence, split, coalesced and noisy
// replies) lives here too; the timing of replies (delays, the pause between
// the halves of a split reply) is the job of whoever writes to the line
// (`PtyDevice`).
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/device_settings.h"

namespace vqx::sim {

// The bytes written before a reply by the noise fault. They hold no LF (nor
// CR, XON or XOFF), so the receiver takes them as the start of the reply line,
// which then matches nothing and is ignored: the reply is effectively lost.
inline constexpr std::string_view kNoiseBytes = "\xFE*#~";
// Noise with 0xFF in it, alone and twice in a row: the bytes a Telnet server
// doubles on the way out and its client must undouble.
inline constexpr std::string_view kNoiseBytesWithFF = "\xFF*\xFF\xFF#";

// What to answer instead of the real reply.
enum class Fault { kE0, kE1, kE2, kE3, kMenu, kGn, kSilent };

// "E0".."E3", "MENU", "GN", "SILENT" (upper case); nothing for other text.
std::optional<Fault> ParseFault(std::string_view text);

struct DeviceOptions {
  bool rs485 = false;
  int address = 0;  // own RS-485 address, 0..31
  // Replaces the reply to the Nth command line (1-based, counting every
  // non-empty line addressed to this device or broadcast).
  std::map<int, Fault> nth_reply;
  bool silent = false;    // never answer (commands are not applied either)
  bool split = false;     // every reply goes out in two writes
  bool coalesce = false;  // a reply is held and goes out with the next one
  bool noise = false;     // garbage without LF goes out before every reply
  // The garbage of the noise fault: kNoiseBytes, or kNoiseBytesWithFF to
  // carry the byte a Telnet server must double.
  std::string_view noise_bytes = kNoiseBytes;
};

// The device clock. year is two digits (00..99 = 2000..2099).
struct DeviceClock {
  int year = 0;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  bool operator==(const DeviceClock&) const = default;
};

// The bytes to put on the line for one event, in order. Each element of
// `writes` is one write to the port; `replies` names the reply lines (without
// CR LF) that these writes carry, for the log.
struct Transmission {
  std::vector<std::string> writes;
  std::vector<std::string> replies;
  bool empty() const { return writes.empty(); }
};

// One received line and what it caused.
struct LineEvent {
  std::string line;  // as received, without CR LF
  std::string note;  // why nothing was answered, when that is worth saying
  Transmission out;
  // False when the line was for another RS-485 address.
  bool addressed = true;
};

// The version the device reports to "RVN".
inline constexpr std::string_view kVersionReply = "VN1.00";

class DeviceModel {
 public:
  using SteadyNow = std::function<std::chrono::steady_clock::time_point()>;

  explicit DeviceModel(DeviceOptions options = {}, SteadyNow now = {});

  // Feeds received bytes; returns one event per complete line (ending in
  // LF). Partial lines are kept for the next call; a line longer than
  // kMaxLineBytes without LF is dropped.
  std::vector<LineEvent> Receive(std::string_view bytes);

  // Runs one bare command (no address, no CR LF) and returns the reply
  // without CR LF: "GO", a read-back line, or "E3" for anything malformed.
  // No faults apply.
  std::string Execute(std::string_view command);

  // Forgets the unfinished line received so far, as a fresh connection to
  // the line starts from nothing; settings and held replies stay.
  void DropPartialLine() { pending_.clear(); }

  // The reply held back by the coalesce fault, sent on its own.
  Transmission FlushHeld();
  bool has_held_reply() const { return !held_.empty(); }

  // The settings as the device holds them. set_state brings every field into
  // the range the device can hold (titles to ten JIS characters, hold time
  // to three digits, lists to their ranges).
  const DeviceSettings& state() const { return state_; }
  void set_state(const DeviceSettings& settings);

  // State outside the settings record.
  int button_lock() const { return button_lock_; }  // 0 off, 1 on
  // Screen shown: 0..7 channels, 8..12 splits (4A 4B 6A 6B 9), 13 automatic.
  int screen() const { return screen_; }
  DeviceClock clock() const;
  void set_clock(const DeviceClock& clock);
  int commands_seen() const { return commands_seen_; }

  const DeviceOptions& options() const { return options_; }

  static constexpr std::size_t kMaxLineBytes = 1024;

 private:
  LineEvent HandleLine(std::string line);
  Transmission Send(std::string reply);
  std::optional<std::string> Read(std::string_view command) const;
  bool Apply(std::string_view command);
  bool ApplyAlarm(std::string_view c);
  bool ApplyVideoLoss(std::string_view c);
  bool ApplyClock(std::string_view c);
  bool ApplySequence(std::string_view c);
  bool ApplyFormatAndAgc(std::string_view c);
  bool ApplyTitle(std::string_view c);
  bool ApplyScreen(std::string_view c);
  bool ApplyLayout(std::string_view c);
  bool ApplyOther(std::string_view c);
  bool ApplyAdjustment(std::string_view c);
  std::string TitleLine(int channel) const;

  DeviceOptions options_;
  SteadyNow now_;
  DeviceSettings state_{};
  int button_lock_ = 0;
  int screen_ = 0;
  DeviceClock clock_base_{};
  std::chrono::steady_clock::time_point clock_set_at_{};
  int commands_seen_ = 0;
  std::string pending_;  // received bytes of the unfinished line
  std::string held_;     // reply bytes held by the coalesce fault
  std::vector<std::string> held_replies_;
};

}  // namespace vqx::sim
