// vqx460-bench: how long send-all and read-all take at the fixed pace and
// paced by the replies, next to the time their bytes need on the wire; how
// evenly the fixed pace spaces its lines; and how soon a reply takes effect.
// Measured against the simulated device over a pseudo-terminal, which holds
// each reply back as long as its command and itself take on a 9600 baud
// 8E1 line (11 bits a character).
//
// Pacing is taken where it matters, at the device: the time at which the
// simulator received each complete line. Wire time counts every byte of
// every line and reply (CR LF and RS-485 address included). Reply latency
// runs from the moment the simulator wrote a reply's last byte to the moment
// the tool's dispatch observer saw the line, after its read-back handler had
// stored the values.
//
//   vqx460-bench            the fixed pace at its real periods (~80 s)
//   vqx460-bench --quick    the fixed pace at a tenth of its periods
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "posix/device_session.h"
#include "posix/platform_posix.h"
#include "posix/sim/device_model.h"
#include "posix/sim/pty_device.h"
#include "protocol/read_all.h"
#include "protocol/send_all.h"

namespace {

using namespace vqx;
using Steady = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr int kBaud = 9600;
constexpr double kBitsPerCharacter = 11;  // start, 8 data, parity, stop

// Timestamps and byte counts collected from both ends.
struct Recorder {
  std::mutex mutex;
  std::vector<Steady::time_point> lines_received;  // at the device
  std::deque<std::pair<std::string, Steady::time_point>> replies_written;
  std::vector<double> latencies_ms;
  std::size_t wire_bytes = 0;  // both directions, line ends included

  void Clear() {
    std::lock_guard<std::mutex> lock(mutex);
    lines_received.clear();
    replies_written.clear();
    latencies_ms.clear();
    wire_bytes = 0;
  }
  void OnLine(const std::string& line, Steady::time_point at) {
    std::lock_guard<std::mutex> lock(mutex);
    lines_received.push_back(at);
    wire_bytes += line.size() + 2;
  }
  void OnReplyWritten(const std::string& reply, Steady::time_point at) {
    std::lock_guard<std::mutex> lock(mutex);
    replies_written.emplace_back(reply, at);
    wire_bytes += reply.size() + 2;
  }
  // The tool saw `work_copy`: pair it with the oldest reply of that text.
  void OnReplySeen(std::string_view work_copy) {
    Steady::time_point now = Steady::now();
    std::string text(work_copy);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
      text.pop_back();
    }
    std::lock_guard<std::mutex> lock(mutex);
    while (!replies_written.empty()) {
      auto [reply, at] = replies_written.front();
      replies_written.pop_front();
      if (reply == text) {
        latencies_ms.push_back(Millis(now - at).count());
        return;
      }
    }
  }
};

struct Stats {
  std::size_t count = 0;
  double mean = 0, min = 0, max = 0, p50 = 0, p99 = 0, deviation = 0;
};

Stats Summarise(std::vector<double> values) {
  Stats stats;
  if (values.empty()) return stats;
  std::sort(values.begin(), values.end());
  stats.count = values.size();
  stats.mean = std::accumulate(values.begin(), values.end(), 0.0) /
               static_cast<double>(values.size());
  stats.min = values.front();
  stats.max = values.back();
  stats.p50 = values[values.size() / 2];
  stats.p99 = values[std::min(values.size() - 1, values.size() * 99 / 100)];
  double squares = 0;
  for (double v : values) squares += (v - stats.mean) * (v - stats.mean);
  stats.deviation = std::sqrt(squares / static_cast<double>(values.size()));
  return stats;
}

void PrintPacing(const char* name, int period_ms, bool ok, Recorder& recorder) {
  std::vector<double> intervals;
  {
    std::lock_guard<std::mutex> lock(recorder.mutex);
    for (std::size_t i = 1; i < recorder.lines_received.size(); ++i) {
      intervals.push_back(
          Millis(recorder.lines_received[i] - recorder.lines_received[i - 1])
              .count());
    }
  }
  Stats s = Summarise(intervals);
  std::printf(
      "%-9s %5zu %7d %10.3f %10.3f %10.3f %10.3f %8.3f  %s\n", name,
      s.count + 1, period_ms, s.mean, s.min, s.max,
      std::max(std::abs(s.max - period_ms), std::abs(s.min - period_ms)),
      s.deviation, ok ? "ok" : "FAILED");
}

struct RunTime {
  const char* sequence;
  const char* pace;
  std::size_t lines = 0;
  std::size_t bytes = 0;
  double run_s = 0;
  bool ok = false;
};

void PrintRunTimes(const std::vector<RunTime>& runs) {
  std::printf(
      "\nWhole runs on an emulated %d baud 8E1 line (%g bits a character)\n",
      kBaud, kBitsPerCharacter);
  std::printf("%-9s %-12s %5s %6s %8s %8s %9s\n", "sequence", "pace", "lines",
              "bytes", "wire s", "run s", "run/wire");
  for (const RunTime& run : runs) {
    const double wire_s =
        static_cast<double>(run.bytes) * kBitsPerCharacter / kBaud;
    std::printf("%-9s %-12s %5zu %6zu %8.2f %8.2f %9.2f  %s\n", run.sequence,
                run.pace, run.lines, run.bytes, wire_s, run.run_s,
                wire_s > 0 ? run.run_s / wire_s : 0.0,
                run.ok ? "ok" : "FAILED");
  }
}

DeviceSettings Changed() {
  DeviceSettings s;
  LoadDefaultSettings(s);
  for (int ch = 0; ch < kChannelCount; ++ch) {
    s.adjust_brightness[ch] = 10 * ch;
    s.adjust_hue[ch] = 200 + ch;
    s.format_video[ch] = ch % 7;
  }
  s.alarm_mode = 1;
  s.seq_mode = 0;
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  if (argc > 1 && !quick) {
    std::fprintf(stderr, "usage: vqx460-bench [--quick]\n");
    return 2;
  }
  const int scale = quick ? 10 : 1;

  Recorder recorder;
  sim::PtyDeviceOptions device_options;
  device_options.baud = kBaud;
  device_options.on_line = [&](const sim::LineEvent& event,
                               Steady::time_point at) {
    recorder.OnLine(event.line, at);
  };
  device_options.on_reply = [&](const std::string& reply,
                                Steady::time_point at) {
    recorder.OnReplyWritten(reply, at);
  };
  sim::DeviceModel model;
  model.set_state(Changed());
  sim::PtyDevice device(std::move(model), device_options);
  std::thread device_thread([&] { device.Run(); });

  ConsoleMessageBoxes boxes;
  SessionOptions session_options;
  session_options.port_path = device.slave_path();
  session_options.reply_observer = [&](std::string_view work_copy) {
    recorder.OnReplySeen(work_copy);
  };
  int status = 0;
  {
    DeviceSession session(session_options, boxes);
    std::printf("Pacing at the device over %s%s (intervals in ms)\n",
                device.slave_path().c_str(),
                quick ? ", periods scaled down tenfold" : "");
    std::printf("%-9s %5s %7s %10s %10s %10s %10s %8s\n", "sequence", "lines",
                "period", "mean", "min", "worst", "max dev", "stddev");

    std::vector<RunTime> runs;
    std::vector<double> latencies;
    std::vector<std::string> failures;
    // Runs one sequence at one pace; returns what it took.
    auto run = [&](const char* name, bool reply_paced, Pacing pacing,
                   int period_ms) {
      recorder.Clear();
      pacing.reply_paced = reply_paced;
      const Steady::time_point start = Steady::now();
      SessionResult result;
      if (std::strcmp(name, "send-all") == 0) {
        result = session.SendAll(Changed(), pacing);
      } else {
        DeviceSettings read;
        result = session.ReadAll(read, pacing);
      }
      RunTime time{name, reply_paced ? "reply-paced" : "fixed"};
      time.run_s = std::chrono::duration<double>(Steady::now() - start).count();
      time.ok = result.ok;
      if (!reply_paced) PrintPacing(name, period_ms, result.ok, recorder);
      {
        std::lock_guard<std::mutex> lock(recorder.mutex);
        time.lines = recorder.lines_received.size();
        time.bytes = recorder.wire_bytes;
        latencies.insert(latencies.end(), recorder.latencies_ms.begin(),
                         recorder.latencies_ms.end());
      }
      if (!result.ok) failures.push_back(result.message);
      runs.push_back(time);
    };

    Pacing send_pacing = SendAllPacing();
    send_pacing.step_period /= scale;
    Pacing read_pacing = ReadAllPacing();
    read_pacing.step_period /= scale;
    run("send-all", false, send_pacing, kSendAllPeriodMs / scale);
    run("read-all", false, read_pacing, kReadAllPeriodMs / scale);
    run("send-all", true, send_pacing, 0);
    run("read-all", true, read_pacing, 0);
    // Side by side.
    std::swap(runs[1], runs[2]);
    PrintRunTimes(runs);

    Stats l = Summarise(latencies);
    std::printf(
        "\nReply last byte -> dispatched and stored (ms): n=%zu mean %.3f "
        "p50 %.3f p99 %.3f max %.3f\n",
        l.count, l.mean, l.p50, l.p99, l.max);
    for (const std::string& failure : failures) {
      std::printf("%s\n", failure.c_str());
    }
    status = failures.empty() ? 0 : 1;
  }
  device.Stop();
  device_thread.join();
  return status;
}
