// vqx460-bench: how evenly send-all and read-all pace their lines, and how
// soon a reply takes effect, measured against the simulated device over a
// pseudo-terminal.
//
// Pacing is taken where it matters, at the device: the time at which the
// simulator received each complete line. Reply latency runs from the moment
// the simulator wrote a reply's last byte to the moment the tool's dispatch
// observer saw the line, after its read-back handler had stored the values.
//
//   vqx460-bench            both sequences at their real periods (~72 s)
//   vqx460-bench --quick    the same at a tenth of the periods
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

// Timestamps collected from both ends.
struct Recorder {
  std::mutex mutex;
  std::vector<Steady::time_point> lines_received;  // at the device
  std::deque<std::pair<std::string, Steady::time_point>> replies_written;
  std::vector<double> latencies_ms;

  void Clear() {
    std::lock_guard<std::mutex> lock(mutex);
    lines_received.clear();
    replies_written.clear();
    latencies_ms.clear();
  }
  void OnLine(Steady::time_point at) {
    std::lock_guard<std::mutex> lock(mutex);
    lines_received.push_back(at);
  }
  void OnReplyWritten(const std::string& reply, Steady::time_point at) {
    std::lock_guard<std::mutex> lock(mutex);
    replies_written.emplace_back(reply, at);
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
  device_options.on_line = [&](const sim::LineEvent&, Steady::time_point at) {
    recorder.OnLine(at);
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

    Pacing send_pacing = SendAllPacing();
    send_pacing.step_period /= scale;
    SessionResult sent = session.SendAll(Changed(), send_pacing);
    PrintPacing("send-all", kSendAllPeriodMs / scale, sent.ok, recorder);
    std::vector<double> latencies;
    {
      std::lock_guard<std::mutex> lock(recorder.mutex);
      latencies = recorder.latencies_ms;
    }
    recorder.Clear();

    Pacing read_pacing = ReadAllPacing();
    read_pacing.step_period /= scale;
    DeviceSettings read;
    SessionResult got = session.ReadAll(read, read_pacing);
    PrintPacing("read-all", kReadAllPeriodMs / scale, got.ok, recorder);
    {
      std::lock_guard<std::mutex> lock(recorder.mutex);
      latencies.insert(latencies.end(), recorder.latencies_ms.begin(),
                       recorder.latencies_ms.end());
    }
    Stats l = Summarise(latencies);
    std::printf(
        "\nReply last byte -> dispatched and stored (ms): n=%zu mean %.3f "
        "p50 %.3f p99 %.3f max %.3f\n",
        l.count, l.mean, l.p50, l.p99, l.max);
    if (!sent.ok) std::printf("send-all: %s\n", sent.message.c_str());
    if (!got.ok) std::printf("read-all: %s\n", got.message.c_str());
    status = sent.ok && got.ok ? 0 : 1;
  }
  device.Stop();
  device_thread.join();
  return status;
}
