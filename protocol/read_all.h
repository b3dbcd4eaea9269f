// Maintenance read-all: asks the device for every setting, one read command
// per 400 ms tick; the replies are stored by the groups' decoders as they
// arrive. And the record of which of those replies came, so that a read-all
// whose replies were partly lost is known for what it is.
#pragma once

#include <array>
#include <bitset>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/read_back.h"
#include "transport/command_sink.h"
#include "transport/link_state.h"
#include "transport/timed_sequence.h"

namespace vqx {

inline constexpr int kReadAllSteps = 79;
inline constexpr int kReadAllPeriodMs = 400;

// The saved fields no step of the read-all asks for, by the settings
// listing's field names: the title positions and the two-pane layout have
// no read command at all, and the DSS mode is taken only from a "DSS" line
// the read-all never asks for. After a read-all they still hold what they
// held before, not the device's values.
inline constexpr std::array<std::string_view, 4> kFieldsReadAllDoesNotRead = {
    "title_pos_x", "title_pos_y", "misc_dss_mode", "layout_2"};

// The read-back line step 1..79 asks for; nullptr for any other step.
const ReadBack* ReadAllReadBack(int step);
// The channel index 0..7 of a per-channel step (titles and adjustments),
// -1 for the others.
int ReadAllChannel(int step);
// The bare read command of step 1..79, ending in "\r\n"; "" for any other
// step.
std::string ReadAllCommand(int step);
// How the reply to step 1..79 starts: the mnemonic, and for a per-channel
// step the channel's two digits ("CJ03", "ADO"); "" for any other step.
std::string ReadAllExpectedReply(int step);
// Which lines answer step 1..79: its own read-back ("VL" answers RVL,
// "VLBC" does not), "GN", an error code or "MENU". Never "GO": that answers
// a set line, not a read.
AnswerRule ReadAllAnswerRule(int step);

// A setting as the dialogs label it, after the settings group's menu name
// ("タイトル ch.03", "アラーム 保持時間"), and in plain English words for
// the command-line tool ("title ch.03", "alarm hold time").
struct SettingName {
  std::string label;
  std::string english;
  bool operator==(const SettingName&) const = default;
};
// The setting step 1..79 reads ("バージョン" for the version); empty names
// for any other step.
SettingName ReadAllSettingName(int step);

// The read-all run: 79 steps, 400 ms apart.
class ReadAllSequence : public TimedSequence {
 public:
  ReadAllSequence(LinkState& link, CommandSink& sink);
};

// Which of the read-all's replies have arrived. The reply dispatch notes
// every read-back line on the receive thread; the read-all's owner clears
// the record when a run starts and asks it when the run is over. Safe to use
// from both threads.
class ReadBackRecord {
 public:
  // Main-timer ticks after a run's last command within which its replies
  // are awaited: as long as the watchdog waits for an answer.
  static constexpr int kVerdictTicks = 27;

  // A run starts: nothing has arrived.
  void Clear();
  // A read-back line (the work copy): marks the step whose expected reply
  // begins it, the longest such beginning winning ("VLSOO" over "VL").
  void Note(std::string_view work_copy);
  // Step 1..79 was refused ("GN"): it is accounted for, as the run that
  // heard the refusal names it itself.
  void NoteRefused(int step);

  bool Complete() const;
  // Steps 1..79 whose reply never came, in order.
  std::vector<int> MissingSteps() const;
  // The groups those steps belong to, each once, in step order.
  std::vector<SettingsGroup> MissingGroups() const;

  // The run has sent its last command; its last replies are on their way.
  void RunFinished();
  // Called on every main-timer tick. Once per finished run, when its last
  // reply (the version) has come or kVerdictTicks ticks have passed: the
  // groups that were not read, empty when every reply came. Nothing at
  // other times.
  std::optional<std::vector<SettingsGroup>> TakeVerdict();

 private:
  std::vector<int> MissingStepsLocked() const;

  mutable std::mutex mutex_;
  std::bitset<kReadAllSteps> seen_;
  bool awaiting_verdict_ = false;
  int ticks_since_finished_ = 0;
};

}  // namespace vqx
