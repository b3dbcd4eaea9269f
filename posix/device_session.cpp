#include "posix/device_session.h"

#include <algorithm>
#include <thread>

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
  bool no_connect() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return no_connect_;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    failures_ = 0;
    first_failure_.clear();
    no_connect_ = false;
  }

 private:
  void Record(std::string_view text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (failures_++ == 0) first_failure_ = text;
    if (text == "No Connect") no_connect_ = true;
  }

  MessageBoxes& target_;
  mutable std::mutex mutex_;
  int failures_ = 0;
  std::string first_failure_;
  bool no_connect_ = false;
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
  int answered = 0;     // lines that were an answer of any kind
  int mode_errors = 0;  // "GN"
  bool version_seen = false;
  std::string last;  // the last answer, without CR LF
  ReplyKind last_kind = ReplyKind::kIgnored;

  void Reset() {
    std::lock_guard<std::mutex> lock(mutex);
    answered = 0;
    mode_errors = 0;
    version_seen = false;
    last.clear();
    last_kind = ReplyKind::kIgnored;
  }
};

DeviceSession::DeviceSession(const SessionOptions& options, MessageBoxes& boxes)
    : boxes_(std::make_unique<RecordingBoxes>(boxes)),
      port_(std::make_unique<PosixSerialPort>(options.port_path)),
      link_(core_.link, core_.config, core_.slave_address),
      sink_(std::make_unique<CountingSink>(link_)),
      dispatcher_(core_.link, core_.config, core_.settings, *boxes_),
      replies_(std::make_unique<Replies>()),
      reply_observer_(options.reply_observer) {
  core_.config.rs_control = options.rs485 ? 1 : 0;
  core_.config.echo = options.echo ? 1 : 0;
  core_.slave_address = std::clamp(options.address, 0, kBroadcastAddress);
  link_.AttachPort(port_.get());
  link_.AttachTap(options.traffic_log);
  dispatcher_.SetTrafficLog(options.traffic_log);
  dispatcher_.SetObserver(
      [this](std::string_view work_copy) { OnReply(work_copy); });
  dispatcher_.SetReadBackRecord(&read_backs_);
  receive_ = std::make_unique<ReceiveThread>(*port_, core_.link, dispatcher_);
}

DeviceSession::~DeviceSession() {
  if (receive_) receive_->Stop();
}

bool DeviceSession::broadcast() const {
  return IsBroadcast(core_.config.rs_control, core_.slave_address);
}

void DeviceSession::OnReply(std::string_view work_copy) {
  if (reply_observer_) reply_observer_(work_copy);
  ReplyKind kind = dispatcher_.last_kind();
  {
    std::lock_guard<std::mutex> lock(replies_->mutex);
    // Every line wakes a reply-paced run; garbage is no answer.
    if (kind == ReplyKind::kIgnored) {
      replies_->changed.notify_all();
      return;
    }
    ++replies_->answered;
    replies_->last = WithoutLineEnd(work_copy);
    replies_->last_kind = kind;
    if (kind == ReplyKind::kModeError) ++replies_->mode_errors;
    if (kind == ReplyKind::kReadBack &&
        work_copy.starts_with(kVersionReadBack.reply)) {
      replies_->version_seen = true;
    }
  }
  replies_->changed.notify_all();
}

void DeviceSession::ResetRun() {
  core_.link.ResetFlags();
  boxes_->Clear();
  replies_->Reset();
  sink_->Reset();
  sends_mark_ = core_.link.sends_awaiting_reply;
  lines_mark_ = core_.link.lines_received;
}

std::optional<std::string> DeviceSession::SurplusLines(
    std::string_view run) const {
  const unsigned sent = core_.link.sends_awaiting_reply - sends_mark_;
  const unsigned received = core_.link.lines_received - lines_mark_;
  if (received <= sent) return std::nullopt;
  return std::string(run) + ": " + std::to_string(received) +
         " lines came back for " + std::to_string(sent) +
         " lines sent; does the line echo what is sent (--echo)?";
}

bool DeviceSession::WaitUntil(Steady::time_point due, bool wake_on_line,
                              unsigned seen) {
  if (!wake_on_line) {
    std::this_thread::sleep_until(due);
    return false;
  }
  std::unique_lock<std::mutex> lock(replies_->mutex);
  return replies_->changed.wait_until(
      lock, due, [&] { return core_.link.lines_received != seen; });
}

bool DeviceSession::AwaitAnswers(const Pacing& pacing,
                                 Steady::time_point& next_timer) {
  if (broadcast()) return true;
  const Steady::time_point deadline =
      Steady::now() + pacing.final_reply_timeout;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(replies_->mutex);
      Steady::time_point wake = std::min(deadline, next_timer);
      replies_->changed.wait_until(
          lock, wake, [&] { return replies_->answered >= sink_->sent(); });
      if (replies_->answered >= sink_->sent()) return true;
    }
    Steady::time_point now = Steady::now();
    if (now >= next_timer) {
      RunLinkTimerDuty(core_.link, *boxes_);
      next_timer = NextDue(next_timer, pacing.timer_period, now);
      if (boxes_->no_connect()) return false;
    }
    if (now >= deadline) return false;
  }
}

std::optional<SequenceTick> DeviceSession::RunTicks(
    TimedSequence& sequence, const Pacing& pacing, const ProgressFn& progress,
    int& steps, Steady::time_point& next_timer) {
  const bool reply_paced = pacing.reply_paced;
  const milliseconds tick_period = reply_paced
                                       ? milliseconds(sequence.tick_period_ms())
                                       : pacing.step_period;
  Steady::time_point start = Steady::now();
  Steady::time_point next_tick = start + tick_period;
  next_timer = start + pacing.timer_period;
  unsigned seen = core_.link.lines_received;
  for (;;) {
    // A reply-paced run wakes as soon as a line arrives.
    const bool line_came =
        WaitUntil(std::min(next_tick, next_timer), reply_paced, seen);
    Steady::time_point now = Steady::now();
    if (now >= next_timer) {
      RunLinkTimerDuty(core_.link, *boxes_);
      next_timer = NextDue(next_timer, pacing.timer_period, now);
      if (boxes_->no_connect()) {
        sequence.Abort();
        return std::nullopt;
      }
    }
    if (reply_paced || now >= next_tick) {
      seen = core_.link.lines_received;
      SequenceTick tick = sequence.OnTick();
      // A fixed run finishes with its last step; a reply-paced one when
      // the last line is answered, after its step.
      const bool stepped = tick == SequenceTick::kRunning ||
                           (tick == SequenceTick::kFinished && !reply_paced);
      if (stepped) {
        ++steps;
        if (progress) progress(steps, sequence.percent_text());
      }
      if (tick != SequenceTick::kRunning && tick != SequenceTick::kWaiting) {
        return tick;
      }
      if (line_came) {
        // Due once the guard gap after this line is over.
        next_tick = Steady::now() + milliseconds(kReplyGuardMs);
      } else if (now >= next_tick) {
        next_tick = NextDue(next_tick, tick_period, now);
      }
    }
  }
}

SessionResult DeviceSession::SendAll(const DeviceSettings& settings,
                                     const Pacing& pacing,
                                     const ProgressFn& progress) {
  ResetRun();
  core_.settings.Replace(settings);
  SendAllSequence sequence(core_.link, core_.settings, *sink_, *boxes_);
  if (pacing.reply_paced) sequence.PaceByReplies(steady_clock_);
  SessionResult result;
  if (!sequence.Start()) {
    result.message = "send-all: another sequence is running";
    return result;
  }
  Steady::time_point next_timer;
  auto tick = RunTicks(sequence, pacing, progress, result.steps, next_timer);
  const std::string total = std::to_string(kSendAllSteps);
  if (!tick) {
    result.message = "send-all stopped after " + std::to_string(result.steps) +
                     " of " + total + " lines: no reply from the device";
    return result;
  }
  if (*tick == SequenceTick::kStoppedOnError) {
    result.message = "send-all stopped after " + std::to_string(result.steps) +
                     " of " + total + " lines: " + boxes_->first_failure();
    return result;
  }
  bool answered = AwaitAnswers(pacing, next_timer);
  int mode_errors = 0;
  int answers = 0;
  {
    std::lock_guard<std::mutex> lock(replies_->mutex);
    mode_errors = replies_->mode_errors;
    answers = replies_->answered;
  }
  if (boxes_->failures() > 0) {
    result.message =
        "send-all finished with an error: " + boxes_->first_failure();
  } else if (auto surplus = SurplusLines("send-all")) {
    result.message = *surplus;
  } else if (!answered) {
    result.message = "send-all: the device answered " +
                     std::to_string(answers) + " of " +
                     std::to_string(sink_->sent()) + " lines";
  } else if (mode_errors > 0) {
    result.message = "send-all: the device refused " +
                     std::to_string(mode_errors) +
                     " line(s) with GN (Mode Error)";
  } else {
    result.ok = true;
    result.message =
        "send-all: " + std::to_string(sink_->sent()) + " lines sent" +
        (broadcast() ? " (broadcast, no replies)" : " and acknowledged");
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
  core_.settings.Replace(defaults);
  read_backs_.Clear();
  ReadAllSequence sequence(core_.link, *sink_);
  if (pacing.reply_paced) sequence.PaceByReplies(steady_clock_);
  if (!sequence.Start()) {
    result.message = "read-all: another sequence is running";
    return result;
  }
  Steady::time_point next_timer;
  auto tick = RunTicks(sequence, pacing, progress, result.steps, next_timer);
  const std::string total = std::to_string(kReadAllSteps);
  if (!tick) {
    result.message = "read-all stopped after " + std::to_string(result.steps) +
                     " of " + total + " commands: no reply from the device";
    return result;
  }
  if (*tick == SequenceTick::kStoppedOnError) {
    result.message = "read-all stopped after " + std::to_string(result.steps) +
                     " of " + total + " commands: " + boxes_->first_failure();
    return result;
  }
  // The version is the last reply asked for; wait for it.
  bool version_seen = false;
  {
    const Steady::time_point deadline =
        Steady::now() + pacing.final_reply_timeout;
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(replies_->mutex);
        replies_->changed.wait_until(lock, std::min(deadline, next_timer),
                                     [&] { return replies_->version_seen; });
        if (replies_->version_seen) {
          version_seen = true;
          break;
        }
      }
      Steady::time_point now = Steady::now();
      if (now >= next_timer) {
        RunLinkTimerDuty(core_.link, *boxes_);
        next_timer = NextDue(next_timer, pacing.timer_period, now);
        if (boxes_->no_connect()) break;
      }
      if (now >= deadline) break;
    }
  }
  if (boxes_->failures() > 0) {
    result.message = "read-all failed: " + boxes_->first_failure();
    return result;
  }
  if (!version_seen) {
    result.message = "read-all: the device did not report its version (VN)";
    return result;
  }
  if (auto surplus = SurplusLines("read-all")) {
    result.message = *surplus;
    return result;
  }
  // Every read must have been answered by its own read-back line; a lost
  // reply would otherwise leave a default value in the file unnoticed.
  std::string missing;
  for (int step : read_backs_.MissingSteps()) {
    missing +=
        (missing.empty() ? "" : ", ") + WithoutLineEnd(ReadAllCommand(step));
  }
  if (!missing.empty()) {
    std::string groups;
    for (SettingsGroup group : read_backs_.MissingGroups()) {
      groups += (groups.empty() ? "" : ", ") +
                std::string(SettingsGroupEnglishName(group));
    }
    result.message =
        "read-all: no read-back reply to " + missing + " (" + groups + ")";
    return result;
  }
  result_settings = core_.settings.Snapshot();
  result_settings.dirty = 0;
  result.ok = true;
  result.message = "read-all: " + total + " settings groups read";
  return result;
}

SessionResult DeviceSession::SendLine(std::string_view command,
                                      std::chrono::milliseconds timeout,
                                      std::string& reply) {
  ResetRun();
  reply.clear();
  SessionResult result;
  sink_->SendCommand(std::string(command) + "\r\n");
  result.steps = 1;
  if (broadcast()) {
    result.ok = true;
    result.message = "sent to every device (broadcast); no reply is expected";
    return result;
  }
  std::unique_lock<std::mutex> lock(replies_->mutex);
  if (!replies_->changed.wait_for(lock, timeout,
                                  [&] { return replies_->answered > 0; })) {
    result.message = "no reply from the device within " +
                     std::to_string(timeout.count()) + " ms";
    return result;
  }
  reply = replies_->last;
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
  AddressScan scan(core_.link, core_.config, link_,
                   dispatcher_.version_replies(), steady_clock_, timeout);
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
  unsigned seen = core_.link.lines_received;
  for (;;) {
    // An answer wakes the scan at once.
    WaitUntil(next_tick, true, seen);
    Steady::time_point now = Steady::now();
    seen = core_.link.lines_received;
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
