#include "posix/device_session.h"

#include <algorithm>
#include <cerrno>
#include <thread>

#include "posix/posix_error.h"
#include "protocol/read_all.h"
#include "protocol/reply_table.h"
#include "protocol/send_all.h"

namespace vqx {

namespace {

using Steady = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A run falling behind by less than this keeps its grid of due times, so
// the pace does not drift; a later one starts a new grid, so no interval is
// ever shorter than the period by more than this.
constexpr milliseconds kLateTolerance{2};

Steady::time_point NextDue(Steady::time_point due, milliseconds period,
                           Steady::time_point ran_at) {
  Steady::time_point next = due + period;
  if (next < ran_at + period - kLateTolerance) next = ran_at + period;
  return next;
}

std::string WithoutLineEnd(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return std::string(text);
}

}  // namespace

Pacing SendAllPacing() {
  Pacing pacing;
  pacing.step_period = milliseconds(kSendAllPeriodMs);
  return pacing;
}

Pacing ReadAllPacing() {
  Pacing pacing;
  pacing.step_period = milliseconds(kReadAllPeriodMs);
  return pacing;
}

// Forwards every box and remembers the failures among them.
class DeviceSession::RecordingBoxes : public MessageBoxes {
 public:
  explicit RecordingBoxes(MessageBoxes& target) : target_(target) {}

  void ShowSuccessBox(std::string_view text) override {
    target_.ShowSuccessBox(text);
  }
  void ShowErrorBox(std::string_view text) override {
    Record(text);
    target_.ShowErrorBox(text);
  }
  void ShowWarningBox(std::string_view text) override {
    Record(text);
    target_.ShowWarningBox(text);
  }
  bool AskYesNo(std::string_view text, std::string_view caption) override {
    return target_.AskYesNo(text, caption);
  }

  int failures() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_;
  }
  std::string first_failure() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return first_failure_;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    failures_ = 0;
    first_failure_.clear();
  }

 private:
  void Record(std::string_view text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (failures_++ == 0) first_failure_ = text;
  }

  MessageBoxes& target_;
  mutable std::mutex mutex_;
  int failures_ = 0;
  std::string first_failure_;
};

// Counts the lines that actually go to the port.
class DeviceSession::CountingSink : public CommandSink {
 public:
  explicit CountingSink(Link& link) : link_(link) {}
  void SendCommand(std::string_view bare_command) override {
    ++sent_;
    link_.SendCommand(bare_command);
  }
  int sent() const { return sent_; }
  void Reset() { sent_ = 0; }

 private:
  Link& link_;
  std::atomic<int> sent_{0};
};

// What the receive thread saw during the current run.
struct DeviceSession::Replies {
  std::mutex mutex;
  std::condition_variable changed;
  // Lines that answered nothing a run or a command awaited, and the
  // read-back lines among them (they may have changed a setting).
  int strays = 0;
  int stray_read_backs = 0;
  std::string last;  // the last answer's work copy
  ReplyKind last_kind = ReplyKind::kIgnored;

  void Reset() {
    std::lock_guard<std::mutex> lock(mutex);
    strays = 0;
    stray_read_backs = 0;
    last.clear();
    last_kind = ReplyKind::kIgnored;
  }
};

DeviceSession::DeviceSession(const SessionOptions& options, MessageBoxes& boxes)
    : boxes_(std::make_unique<RecordingBoxes>(boxes)),
      port_(OpenPort(options.port_path, options.on_note)),
      connection_(settings_, *boxes_, steady_clock_),
      sink_(std::make_unique<CountingSink>(connection_.link())),
      replies_(std::make_unique<Replies>()),
      reply_observer_(options.reply_observer) {
  connection_.config().rs_control = options.rs485 ? 1 : 0;
  connection_.config().echo = options.echo ? 1 : 0;
  connection_.slave_address() =
      std::clamp(options.address, 0, kBroadcastAddress);
  connection_.SetTrafficLog(options.traffic_log);
  connection_.dispatcher().SetObserver(
      [this](std::string_view work_copy) { OnReply(work_copy); });
  connection_.Attach(port_.get());
  if (!connection_.Start()) {
    throw PosixError("start the receive thread", EAGAIN);
  }
}

DeviceSession::~DeviceSession() { connection_.Stop(); }

bool DeviceSession::broadcast() const {
  return IsBroadcast(connection_.config().rs_control,
                     connection_.slave_address());
}

void DeviceSession::OnReply(std::string_view work_copy) {
  if (reply_observer_) reply_observer_(work_copy);
  // The dispatch judged whether this line answered what was awaited, by the
  // rule the run declared for its step: an echo, another device's reply or
  // a read-back of another setting is no answer.
  const ReplyKind kind = connection_.dispatcher().last_kind();
  {
    std::lock_guard<std::mutex> lock(replies_->mutex);
    if (connection_.dispatcher().last_answered()) {
      replies_->last = work_copy;
      replies_->last_kind = kind;
    } else {
      ++replies_->strays;
      if (kind == ReplyKind::kReadBack) ++replies_->stray_read_backs;
    }
  }
  replies_->changed.notify_all();
}

void DeviceSession::ResetRun() {
  connection_.state().ResetFlags();
  boxes_->Clear();
  replies_->Reset();
  sink_->Reset();
  sends_mark_ = connection_.state().sends_awaiting_reply;
  answers_mark_ = connection_.state().answers.answers();
  timeouts_mark_ = connection_.state().reply_timeouts;
}

unsigned DeviceSession::Answered() const {
  return connection_.state().answers.answers() - answers_mark_;
}

unsigned DeviceSession::AwaitingAnswers() const {
  return connection_.state().sends_awaiting_reply - sends_mark_;
}

std::string DeviceSession::PortNote() const {
  const std::string trouble = PortTrouble(*port_);
  return trouble.empty() ? std::string() : " (" + trouble + ")";
}

std::string DeviceSession::StrayNote() const {
  int strays = 0;
  {
    std::lock_guard<std::mutex> lock(replies_->mutex);
    strays = replies_->strays;
  }
  if (strays == 0) return {};
  return " (" + std::to_string(strays) +
         " more line(s) came back that answered nothing: does the line echo "
         "what is sent (--echo)?)";
}

std::string DeviceSession::RefusalsMessage(
    std::string_view run, const std::function<SettingName(int)>& name) const {
  const std::vector<Refusal> refusals = connection_.state().answers.refusals();
  if (refusals.empty()) return {};
  std::string lines;
  for (const Refusal& refusal : refusals) {
    std::string_view line = refusal.line;
    // The address the line went to is the session's; the command is what
    // tells the lines apart.
    if (IsRs485(connection_.config().rs_control) && line.size() >= 2) {
      line.remove_prefix(2);
    }
    lines += (lines.empty() ? "" : ", ") + WithoutLineEnd(line) + " (" +
             name(refusal.step).english + ")";
  }
  return std::string(run) + ": the device refused " +
         std::to_string(refusals.size()) +
         " line(s) with GN (Mode Error): " + lines;
}

DeviceSession::Woke DeviceSession::Wait(Steady::time_point due,
                                        const std::function<bool()>& until,
                                        TimerDuty* duty) {
  for (;;) {
    const Steady::time_point wake =
        duty != nullptr ? std::min(due, duty->next) : due;
    if (until) {
      std::unique_lock<std::mutex> lock(replies_->mutex);
      if (replies_->changed.wait_until(lock, wake, until)) return Woke::kUntil;
    } else {
      std::this_thread::sleep_until(wake);
    }
    const Steady::time_point now = Steady::now();
    if (duty != nullptr && now >= duty->next) {
      RunLinkTimerDuty(connection_.state(), *boxes_);
      duty->next = NextDue(duty->next, duty->period, now);
      // The watchdog gave up on the device ("No Connect").
      if (connection_.state().reply_timeouts != timeouts_mark_)
        return Woke::kSilent;
    }
    if (now >= due) return Woke::kDue;
  }
}

bool DeviceSession::AwaitAnswers(const Pacing& pacing, TimerDuty& duty) {
  if (broadcast()) return true;
  const auto all_answered = [&] { return Answered() >= AwaitingAnswers(); };
  switch (
      Wait(Steady::now() + pacing.final_reply_timeout, all_answered, &duty)) {
    case Woke::kUntil:
      return true;
    case Woke::kSilent:
      return false;
    case Woke::kDue:
      break;
  }
  return all_answered();
}

std::optional<SequenceTick> DeviceSession::RunTicks(TimedSequence& sequence,
                                                    const Pacing& pacing,
                                                    const ProgressFn& progress,
                                                    int& steps,
                                                    TimerDuty& duty) {
  const bool reply_paced = pacing.reply_paced;
  const milliseconds tick_period = reply_paced
                                       ? milliseconds(sequence.tick_period_ms())
                                       : pacing.step_period;
  Steady::time_point start = Steady::now();
  Steady::time_point next_tick = start + tick_period;
  duty = {start + pacing.timer_period, pacing.timer_period};
  unsigned seen = connection_.state().answers.answers();
  // A reply-paced run wakes as soon as its step is answered.
  const std::function<bool()> answered =
      reply_paced ? std::function<bool()>([&] {
        return connection_.state().answers.answers() != seen;
      })
                  : std::function<bool()>();
  for (;;) {
    const Woke woke = Wait(next_tick, answered, &duty);
    if (woke == Woke::kSilent) {
      sequence.Abort();
      return std::nullopt;
    }
    const bool answer_came = woke == Woke::kUntil;
    const Steady::time_point now = Steady::now();
    seen = connection_.state().answers.answers();
    const int before = sequence.bar_position();
    SequenceTick tick = sequence.OnTick();
    // A step ran when the bar moved; a finished fixed run has cleared it
    // after its last step, a finished reply-paced one after the answer
    // to its last step (which was counted when it went out).
    const bool stepped = tick == SequenceTick::kRunning
                             ? sequence.bar_position() != before
                             : tick == SequenceTick::kFinished &&
                                   before < sequence.plan().steps &&
                                   !reply_paced;
    if (stepped) {
      ++steps;
      if (progress) progress(steps, sequence.percent_text());
    }
    if (!KeepsTicking(tick)) return tick;
    if (answer_came) {
      // Due once the guard gap after this answer is over.
      next_tick = Steady::now() + milliseconds(kReplyGuardMs);
    } else if (now >= next_tick) {
      next_tick = NextDue(next_tick, tick_period, now);
    }
  }
}

SessionResult DeviceSession::SendAll(const DeviceSettings& settings,
                                     const Pacing& pacing,
                                     const ProgressFn& progress) {
  ResetRun();
  settings_.Replace(settings);
  SendAllSequence sequence(connection_.state(), settings_, *sink_, *boxes_);
  if (pacing.reply_paced) sequence.PaceByReplies(steady_clock_);
  SessionResult result;
  if (!sequence.Start()) {
    result.message = "send-all: another sequence is running";
    return result;
  }
  TimerDuty duty;
  auto tick = RunTicks(sequence, pacing, progress, result.steps, duty);
  const std::string total = std::to_string(kSendAllSteps);
  if (!tick) {
    result.message = "send-all stopped after " + std::to_string(result.steps) +
                     " of " + total + " lines: no reply from the device" +
                     PortNote();
    return result;
  }
  if (*tick == SequenceTick::kStoppedOnError) {
    result.message = "send-all stopped after " + std::to_string(result.steps) +
                     " of " + total + " lines: " + boxes_->first_failure();
    return result;
  }
  const bool answered = AwaitAnswers(pacing, duty);
  const std::string refused = RefusalsMessage("send-all", SendAllSettingName);
  if (!refused.empty()) {
    result.message = refused;
  } else if (boxes_->failures() > 0) {
    result.message =
        "send-all finished with an error: " + boxes_->first_failure();
  } else if (!answered) {
    result.message = "send-all: the device answered " +
                     std::to_string(Answered()) + " of " +
                     std::to_string(AwaitingAnswers()) + " lines" + StrayNote();
  } else {
    result.ok = true;
    result.message =
        "send-all: " + std::to_string(sink_->sent()) + " lines sent" +
        (broadcast() ? " (broadcast, no replies)" : " and acknowledged") +
        StrayNote();
  }
  return result;
}

SessionResult DeviceSession::ReadAll(DeviceSettings& result_settings,
                                     const Pacing& pacing,
                                     const ProgressFn& progress) {
  SessionResult result;
  if (broadcast()) {
    result.message =
        "read-all needs the address of one device: a broadcast gets no reply";
    return result;
  }
  ResetRun();
  DeviceSettings defaults;
  LoadDefaultSettings(defaults);
  settings_.Replace(defaults);
  connection_.read_backs().Clear();
  ReadAllSequence sequence(connection_.state(), *sink_);
  if (pacing.reply_paced) sequence.PaceByReplies(steady_clock_);
  if (!sequence.Start()) {
    result.message = "read-all: another sequence is running";
    return result;
  }
  TimerDuty duty;
  auto tick = RunTicks(sequence, pacing, progress, result.steps, duty);
  const std::string total = std::to_string(kReadAllSteps);
  if (!tick) {
    result.message = "read-all stopped after " + std::to_string(result.steps) +
                     " of " + total + " commands: no reply from the device" +
                     PortNote();
    return result;
  }
  if (*tick == SequenceTick::kStoppedOnError) {
    result.message = "read-all stopped after " + std::to_string(result.steps) +
                     " of " + total + " commands: " + boxes_->first_failure();
    return result;
  }
  // The answers still on their way, up to the version asked last.
  AwaitAnswers(pacing, duty);
  const std::string refused = RefusalsMessage("read-all", ReadAllSettingName);
  if (!refused.empty()) {
    result.message = refused;
    return result;
  }
  if (boxes_->failures() > 0) {
    result.message = "read-all failed: " + boxes_->first_failure();
    return result;
  }
  int stray_read_backs = 0;
  {
    std::lock_guard<std::mutex> lock(replies_->mutex);
    stray_read_backs = replies_->stray_read_backs;
  }
  if (stray_read_backs > 0) {
    // Such a line was stored like any read-back: what was read may be
    // mixed with settings nobody asked for.
    result.message = "read-all: " + std::to_string(stray_read_backs) +
                     " read-back line(s) came that no read asked for; "
                     "nothing is written";
    return result;
  }
  // Every read must have been answered by its own read-back line; a lost
  // reply would otherwise leave a default value in the file unnoticed.
  std::string missing;
  for (int step : connection_.read_backs().MissingSteps()) {
    missing +=
        (missing.empty() ? "" : ", ") + WithoutLineEnd(ReadAllCommand(step));
  }
  if (!missing.empty()) {
    std::string groups;
    for (SettingsGroup group : connection_.read_backs().MissingGroups()) {
      groups += (groups.empty() ? "" : ", ") +
                std::string(SettingsGroupEnglishName(group));
    }
    result.message =
        "read-all: no read-back reply to " + missing + " (" + groups + ")";
    return result;
  }
  result_settings = settings_.Snapshot();
  result_settings.dirty = 0;
  result.ok = true;
  result.message = "read-all: " + total + " settings groups read" + StrayNote();
  return result;
}

SessionResult DeviceSession::SendLine(std::string_view command,
                                      std::chrono::milliseconds timeout,
                                      LineReply& reply) {
  ResetRun();
  reply = {};
  SessionResult result;
  // Whatever the device answers a line typed by hand: an acknowledgement,
  // an error code or any read-back, from the device the line went to.
  AnswerRule rule;
  rule.acknowledged = true;
  rule.any_read_back = true;
  connection_.state().answers.BeginRun(false);
  connection_.state().answers.Declare(1, rule);
  sink_->SendCommand(std::string(command) + "\r\n");
  connection_.state().answers.EndRun();
  result.steps = 1;
  if (broadcast()) {
    result.ok = true;
    result.message = "sent to every device (broadcast); no reply is expected";
    return result;
  }
  // The answer is counted by the dispatch before the observer keeps its
  // text: wait for the text, which the predicate reads under the lock.
  if (Wait(Steady::now() + timeout, [&] { return !replies_->last.empty(); }) !=
      Woke::kUntil) {
    result.message = "no reply from the device within " +
                     std::to_string(timeout.count()) + " ms";
    return result;
  }
  std::lock_guard<std::mutex> lock(replies_->mutex);
  reply.work_copy = replies_->last;
  reply.text = WithoutLineEnd(reply.work_copy);
  result.ok = replies_->last_kind == ReplyKind::kSuccess ||
              replies_->last_kind == ReplyKind::kReadBack;
  return result;
}

SessionResult DeviceSession::Scan(std::chrono::milliseconds timeout,
                                  std::vector<ScanAnswer>& answers,
                                  const ProgressFn& progress) {
  ResetRun();
  answers.clear();
  SessionResult result;
  AddressScan scan(connection_.state(), connection_.config(),
                   connection_.link(), connection_.version_replies(),
                   steady_clock_, timeout);
  switch (scan.Start()) {
    case ScanStart::kStarted:
      break;
    case ScanStart::kBusy:
      result.message = "scan: another sequence is running";
      return result;
    case ScanStart::kNotRs485:
      result.message = "scan: only an RS-485 line has addresses";
      return result;
  }
  const milliseconds period(scan.tick_period_ms());
  Steady::time_point next_tick = Steady::now();
  int shown = -1;
  unsigned seen = connection_.state().lines_received;
  for (;;) {
    // An answer wakes the scan at once.
    Wait(next_tick, [&] { return connection_.state().lines_received != seen; });
    Steady::time_point now = Steady::now();
    seen = connection_.state().lines_received;
    const ScanTick tick = scan.OnTick();
    if (progress && scan.addresses_done() != shown) {
      shown = scan.addresses_done();
      progress(shown, SequencePercent(shown, kScanAddresses));
    }
    if (tick == ScanTick::kFinished) break;
    if (now >= next_tick) next_tick = NextDue(next_tick, period, now);
  }
  answers = scan.answers();
  result.steps = scan.addresses_done();
  result.ok = !answers.empty();
  result.message =
      answers.empty()
          ? "scan: no device answered at any address 00..31"
          : "scan: " + std::to_string(answers.size()) + " device(s) answered";
  return result;
}

}  // namespace vqx
