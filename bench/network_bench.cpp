// vqx460-net-bench: what a serial device server costs. In one run, a
// read-all paced by the replies straight through the simulator's
// pseudo-terminal and the same read-all through ser2net on the loopback
// address (RFC 2217 and raw TCP) bridging that pseudo-terminal, with
// ser2net's settings as installed and with its character delay off, each a
// few times, alternating; and the time a connection to ser2net takes, connect
// and Telnet negotiation together. The simulator holds each reply as long
// as a 9600 baud line would, so the runs take what they would on the device.
//
//   vqx460-net-bench [--runs N]     (default 3 runs of each)
//
// Needs ser2net (Debian package ser2net, version 4) in /usr/sbin or
// /usr/bin. Exit status 1 when a run fails or a target is missed: the
// network runs within 1.2 times the pseudo-terminal's, a connection within
// 200 ms.
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "posix/device_session.h"
#include "posix/open_port.h"
#include "posix/platform_posix.h"
#include "posix/sim/device_model.h"
#include "posix/sim/pty_device.h"
#include "tests/posix/ser2net_support.h"

namespace {

using namespace vqx;
using namespace vqx::testing;
using Steady = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr double kRatioTarget = 1.2;
constexpr double kConnectTargetMs = 200;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 3;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: vqx460-net-bench [--runs N]\n");
      return 2;
    }
  }
  const std::string program = FindSer2net();
  if (program.empty()) {
    std::fprintf(stderr, "vqx460-net-bench: ser2net is not installed\n");
    return 1;
  }
  std::signal(SIGPIPE, SIG_IGN);

  sim::PtyDeviceOptions device_options;
  device_options.baud = 9600;
  sim::PtyDevice device(sim::DeviceModel(), device_options);
  std::thread device_thread([&] { device.Run(); });

  const fs::path dir =
      fs::temp_directory_path() / ("vqx-net-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  // ser2net as installed, and with its character delay off (by default it
  // holds what the serial side received for a few character times, hoping
  // for more, before sending it on).
  const int rfc2217_port = FreePort();
  const int raw_port = FreePort();
  const int rfc2217_nodelay_port = FreePort();
  const int raw_nodelay_port = FreePort();
  const auto accepter = [](const char* kind, int port) {
    return std::string(kind) + "tcp,127.0.0.1," + std::to_string(port);
  };
  WriteSer2netConfig(
      dir / "ser2net.yaml",
      {{"rfc2217", accepter("telnet(rfc2217),", rfc2217_port),
        device.slave_path()},
       {"raw", accepter("", raw_port), device.slave_path()},
       {"rfc2217-nodelay", accepter("telnet(rfc2217),", rfc2217_nodelay_port),
        device.slave_path(), false},
       {"raw-nodelay", accepter("", raw_nodelay_port), device.slave_path(),
        false}});
  Ser2net server(program, dir / "ser2net.yaml", dir / "ser2net.log");
  if (!server.started() ||
      !WaitListening(
          {rfc2217_port, raw_port, rfc2217_nodelay_port, raw_nodelay_port},
          std::chrono::seconds(5))) {
    std::fprintf(stderr, "vqx460-net-bench: ser2net did not start, see %s\n",
                 (dir / "ser2net.log").c_str());
    device.Stop();
    device_thread.join();
    return 1;
  }

  const std::string rfc2217 =
      "rfc2217://127.0.0.1:" + std::to_string(rfc2217_port);
  const std::string raw = "tcp://127.0.0.1:" + std::to_string(raw_port);
  int status = 0;

  // Connect and negotiate.
  std::vector<double> connect_ms;
  for (int i = 0; i < 5 * runs; ++i) {
    const auto start = Steady::now();
    try {
      OpenPort(rfc2217);
    } catch (const std::exception& error) {
      std::printf("connect failed: %s\n", error.what());
      status = 1;
      break;
    }
    connect_ms.push_back(
        std::chrono::duration<double, std::milli>(Steady::now() - start)
            .count());
    // ser2net lets the device go a moment after the client.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }

  // Read-all paced by the replies, alternating the ways to the device.
  struct Way {
    const char* name;
    std::string port;
    std::vector<double> seconds;
  };
  const auto at = [](int port) { return "127.0.0.1:" + std::to_string(port); };
  std::vector<Way> ways = {
      {"pseudo-terminal", device.slave_path(), {}},
      {"ser2net rfc2217", rfc2217, {}},
      {"ser2net raw tcp", raw, {}},
      {"  chardelay off, rfc2217", "rfc2217://" + at(rfc2217_nodelay_port), {}},
      {"  chardelay off, raw tcp", "tcp://" + at(raw_nodelay_port), {}}};
  for (int run = 0; run < runs; ++run) {
    for (Way& way : ways) {
      ConsoleMessageBoxes boxes;
      SessionOptions options;
      options.port_path = way.port;
      Pacing pacing = ReadAllPacing();
      pacing.reply_paced = true;
      try {
        DeviceSession session(options, boxes);
        DeviceSettings read;
        const auto start = Steady::now();
        const SessionResult result = session.ReadAll(read, pacing);
        way.seconds.push_back(
            std::chrono::duration<double>(Steady::now() - start).count());
        if (!result.ok) {
          std::printf("%s: %s\n", way.name, result.message.c_str());
          status = 1;
        }
      } catch (const std::exception& error) {
        std::printf("%s: %s\n", way.name, error.what());
        status = 1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }

  std::printf(
      "Read-all paced by the replies, 9600 baud line (%d runs each, "
      "median; min..max)\n",
      runs);
  const double direct = Median(ways[0].seconds);
  for (const Way& way : ways) {
    const double median = Median(way.seconds);
    const auto [low, high] =
        std::minmax_element(way.seconds.begin(), way.seconds.end());
    const double ratio = direct > 0 ? median / direct : 0;
    std::printf("  %-26s %6.3f s  (%.3f..%.3f)  ratio %.3f%s\n", way.name,
                median, way.seconds.empty() ? 0 : *low,
                way.seconds.empty() ? 0 : *high, ratio,
                ratio > kRatioTarget ? "  ABOVE 1.2" : "");
    if (ratio > kRatioTarget) status = 1;
  }
  if (!connect_ms.empty()) {
    const auto [low, high] =
        std::minmax_element(connect_ms.begin(), connect_ms.end());
    const double median = Median(connect_ms);
    std::printf(
        "Connect and negotiate (rfc2217, %zu times): median %.2f ms, min "
        "%.2f, max %.2f%s\n",
        connect_ms.size(), median, *low, *high,
        *high >= kConnectTargetMs ? "  NOT UNDER 200 ms" : "");
    if (*high >= kConnectTargetMs) status = 1;
  }

  server.Stop(SIGTERM);
  device.Stop();
  device_thread.join();
  fs::remove_all(dir);
  return status;
}
