// The network port against the simulated device on a raw TCP line and
// against scripted servers on the loopback address: the exchange of lines,
// what each failure to connect says, a lost connection and the next Write
// that connects again, cancelling a read, and the Telnet negotiation over a
// real socket with a server that refuses or stays silent.
#include "posix/tcp_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "base/device_settings.h"
#include "posix/platform_posix.h"
#include "protocol/connection.h"
#include "protocol/reply_dispatch.h"
#include "tests/posix/network_support.h"
#include "tests/support/telnet_bytes.h"

extern char** environ;

namespace vqx {
namespace {

using namespace std::chrono_literals;
using testing::Address;
using testing::Bytes;
using testing::CancelAfter;
using testing::FreePort;
using testing::ReadLine;
using testing::RunningDevice;
using testing::ScriptedServer;
using Clock = std::chrono::steady_clock;

TEST(TcpPortTest, RawLineCarriesLinesToTheConnectionThroughTheReceiveThread) {
  RunningDevice device(RunningDevice::Line::kTcp);
  const auto started = Clock::now();
  TcpPort port(device.tcp_address());
  EXPECT_LT(Clock::now() - started, 200ms);
  EXPECT_TRUE(port.connected());
  EXPECT_EQ(port.com_port_option(), std::nullopt);
  ASSERT_TRUE(port.Write("AME\r\n"));
  ASSERT_EQ(ReadLine(port), "GO\r\n");
  EXPECT_EQ(device.alarm_mode(), 1);

  SettingsStore settings;
  ConsoleMessageBoxes boxes;
  PosixSteadyClock steady_clock;
  Connection connection(settings, boxes, steady_clock);
  connection.Attach(&port);
  ASSERT_TRUE(connection.Start());
  ASSERT_TRUE(port.Write("RAM\r\n"));
  const auto deadline = Clock::now() + 3s;
  while (connection.state().lines_received == 0 && Clock::now() < deadline) {
    std::this_thread::sleep_for(5ms);
  }
  connection.Stop();
  EXPECT_EQ(connection.state().lines_received, 1u);
  EXPECT_EQ(settings.Snapshot().alarm_mode, 1);
}

TEST(TcpPortTest, FailuresToConnectNameHostPortAndReason) {
  const int closed_port = FreePort();
  try {
    TcpPort port(Address(PortKind::kRawTcp, closed_port));
    ADD_FAILURE() << "connected to a closed port";
  } catch (const TcpPortError& error) {
    EXPECT_EQ(std::string(error.what()), "connect to 127.0.0.1 port " +
                                             std::to_string(closed_port) +
                                             ": Connection refused");
  }

  try {
    TcpPort port(Address(PortKind::kRfc2217, 4001, "no-such-host.invalid"));
    ADD_FAILURE() << "resolved a name under .invalid";
  } catch (const TcpPortError& error) {
    EXPECT_EQ(std::string(error.what())
                  .rfind("resolve no-such-host.invalid port 4001: ", 0),
              0u)
        << error.what();
  }

  // A server whose queue of connections is full lets the next one wait
  // without an answer.
  ScriptedServer full(0);
  TcpPortOptions short_wait;
  short_wait.connect_timeout_ms = 300;
  std::vector<std::unique_ptr<TcpPort>> queued;
  std::string timed_out;
  const auto started = Clock::now();
  for (int i = 0; i < 8 && timed_out.empty(); ++i) {
    try {
      queued.push_back(std::make_unique<TcpPort>(
          Address(PortKind::kRawTcp, full.port()), short_wait));
    } catch (const TcpPortError& error) {
      timed_out = error.what();
    }
  }
  EXPECT_EQ(timed_out, "connect to 127.0.0.1 port " +
                           std::to_string(full.port()) +
                           ": no answer within 300 ms");
  EXPECT_LT(Clock::now() - started, 3s);
}

TEST(TcpPortTest, LostConnectionIsReportedAndTheNextWriteConnectsAgain) {
  ScriptedServer server;
  std::vector<std::string> notes;
  std::mutex notes_mutex;
  TcpPortOptions options;
  options.on_note = [&](const std::string& note) {
    std::lock_guard<std::mutex> lock(notes_mutex);
    notes.push_back(note);
  };
  TcpPort port(Address(PortKind::kRawTcp, server.port()), options);
  int client = server.Accept();
  ASSERT_GE(client, 0);
  ASSERT_TRUE(port.Write("RVN\r\n"));
  EXPECT_EQ(ScriptedServer::Receive(client, 5), "RVN\r\n");
  ScriptedServer::Send(client, "VN1.00\r\n");
  EXPECT_EQ(ReadLine(port), "VN1.00\r\n");

  // The server goes away in the middle of the next exchange.
  ASSERT_TRUE(port.Write("RAM\r\n"));
  ScriptedServer::Send(client, "AM");
  shutdown(client, SHUT_RDWR);
  EXPECT_EQ(ReadLine(port), "AM");
  EXPECT_FALSE(port.connected());
  const std::string lost = "connection to 127.0.0.1 port " +
                           std::to_string(server.port()) +
                           " lost: closed by the server";
  EXPECT_EQ(port.last_error(), lost);

  // Until a new connection, a read waits without spinning, for a cancel.
  {
    const auto started = Clock::now();
    CancelAfter cancel(port, 100);
    char buffer[16];
    EXPECT_EQ(port.WaitAndRead(buffer), 0u);
    EXPECT_GE(Clock::now() - started, 90ms);
  }

  // The next Write connects again and sends.
  ASSERT_TRUE(port.Write("RVN\r\n"));
  EXPECT_TRUE(port.connected());
  client = server.Accept();
  ASSERT_GE(client, 0);
  EXPECT_EQ(ScriptedServer::Receive(client, 5), "RVN\r\n");
  ScriptedServer::Send(client, "VN1.00\r\n");
  EXPECT_EQ(ReadLine(port), "VN1.00\r\n");

  // With nobody listening, the Write fails and says why.
  shutdown(client, SHUT_RDWR);
  EXPECT_EQ(ReadLine(port), "");
  server.StopListening();
  EXPECT_FALSE(port.Write("RVN\r\n"));
  EXPECT_EQ(port.last_error(), "connect to 127.0.0.1 port " +
                                   std::to_string(server.port()) +
                                   ": Connection refused");
  std::lock_guard<std::mutex> lock(notes_mutex);
  EXPECT_EQ(std::count(notes.begin(), notes.end(), lost), 2);
  EXPECT_EQ(std::count(notes.begin(), notes.end(),
                       "connected to tcp://127.0.0.1:" +
                           std::to_string(server.port())),
            2);
}

TEST(TcpPortTest, CancelWakesAPendingRead) {
  RunningDevice device(RunningDevice::Line::kTcp);
  TcpPort port(device.tcp_address());
  std::atomic<bool> returned{false};
  std::thread reader([&] {
    char buffer[16];
    EXPECT_EQ(port.WaitAndRead(buffer), 0u);
    returned = true;
  });
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(returned);
  const auto cancelled = Clock::now();
  port.CancelRead();
  reader.join();
  EXPECT_LT(Clock::now() - cancelled, 500ms);
}

TEST(TcpPortTest, TelnetServerThatRefusesTheComPortStillCarriesLines) {
  ScriptedServer server;
  std::thread script([&] {
    const int client = server.Accept();
    // The client's requests, then a server that wants none of them.
    ScriptedServer::Receive(client, 15);
    ScriptedServer::Send(client, Bytes({255, 254, 44, 255, 254, 0, 255, 252, 0,
                                        255, 254, 3, 255, 252, 3}));
    const std::string line = ScriptedServer::Receive(client, 5);
    // No binary transfer: a CR alone would travel as CR NUL, CR LF stays.
    ScriptedServer::Send(client, line == "RVN\r\n" ? "\xFF\xFF"
                                                     "VN1.00\r\n"
                                                   : "wrong line\r\n");
  });
  std::vector<std::string> notes;
  TcpPortOptions options;
  options.on_note = [&](const std::string& note) { notes.push_back(note); };
  const auto started = Clock::now();
  TcpPort port(Address(PortKind::kRfc2217, server.port()), options);
  EXPECT_LT(Clock::now() - started, 200ms);
  EXPECT_EQ(port.com_port_option(), ComPortOptionState::kRefused);
  ASSERT_TRUE(port.Write("RVN\r\n"));
  EXPECT_EQ(ReadLine(port), "\xFFVN1.00\r\n");
  script.join();
  EXPECT_NE(
      std::find_if(notes.begin(), notes.end(),
                   [](const std::string& note) {
                     return note.starts_with("server refused COM-PORT-OPTION");
                   }),
      notes.end());
}

TEST(TcpPortTest, SilentTelnetServerIsUsedAfterTheNegotiationTimeOut) {
  RunningDevice device(RunningDevice::Line::kTcp);
  std::vector<std::string> notes;
  TcpPortOptions options;
  options.negotiation_timeout_ms = 200;
  options.on_note = [&](const std::string& note) { notes.push_back(note); };
  PortAddress address = device.tcp_address();
  address.kind = PortKind::kRfc2217;
  const auto started = Clock::now();
  TcpPort port(address, options);
  EXPECT_GE(Clock::now() - started, 190ms);
  EXPECT_EQ(port.com_port_option(), ComPortOptionState::kAsked);
  ASSERT_FALSE(notes.empty());
  EXPECT_EQ(notes.back(),
            "server did not answer COM-PORT-OPTION within 200 ms; going on "
            "without it");
  // The device took the requests for the start of a line: the line they
  // begin is refused, the next one answered as usual.
  ASSERT_TRUE(port.Write("\r\nRVN\r\n"));
  std::string received;
  while (received.find("VN1.00") == std::string::npos) {
    const std::string more = ReadLine(port);
    if (more.empty()) break;
    received += more;
  }
  EXPECT_EQ(received, "E3\r\nVN1.00\r\n");
}

TEST(TcpPortTest, SimulatorListensForOneClientAtATime) {
  int output[2];
  ASSERT_EQ(pipe(output), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&actions, output[0]);
  const char* argv[] = {VQX_SIM_PROGRAM, "--listen", "tcp://127.0.0.1:0",
                        "--noise-ff", nullptr};
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr,
                        const_cast<char**>(argv), environ),
            0);
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  std::string first_line;
  char c;
  while (read(output[0], &c, 1) == 1 && c != '\n') first_line += c;
  close(output[0]);

  PortAddress address;
  std::string error;
  ASSERT_TRUE(ParsePortAddress(first_line, address, error)) << first_line;
  EXPECT_EQ(address.host, "127.0.0.1");
  {
    TcpPort port(address);
    ASSERT_TRUE(port.Write("RVN\r\n"));
    EXPECT_EQ(ReadLine(port),
              std::string(sim::kNoiseBytesWithFF) + "VN1.00\r\n");
    // A second client is sent away at once.
    TcpPort second(address);
    EXPECT_EQ(ReadLine(second), "");
    EXPECT_FALSE(second.connected());
  }
  // Once the first has gone, the next is served; by name, the addresses
  // the simulator does not listen on (::1, say) are passed over.
  address.host = "localhost";
  TcpPort next(address);
  ASSERT_TRUE(next.Write("RVN\r\n"));
  EXPECT_EQ(ReadLine(next), std::string(sim::kNoiseBytesWithFF) + "VN1.00\r\n");

  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace vqx
