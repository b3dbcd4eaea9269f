// The Winsock network port against servers the test runs itself on the
// loopback address: the exchange of lines, a lost connection and the next
// Write that connects again, what a refused connection says, the Telnet
// negotiation with a server that accepts the COM port option, and a cancel
// that ends a waiting read.
#include "win32/tcp_port_win32.h"

#include <gtest/gtest.h>
#include <ws2tcpip.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/support/telnet_bytes.h"

namespace vqx::win32 {
namespace {

using namespace std::chrono_literals;

using testing::Bytes;
using testing::LineSettingAnswers;

// A listening socket on 127.0.0.1, driven by hand.
class Server {
 public:
  Server() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(socket_, 4);
    int length = sizeof address;
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~Server() {
    for (SOCKET client : clients_) closesocket(client);
    StopListening();
    WSACleanup();
  }
  int port() const { return port_; }
  PortAddress Address(PortKind kind) const {
    return PortAddress{kind, "", "127.0.0.1", port_};
  }
  void StopListening() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }
  SOCKET Accept() {
    const SOCKET client = accept(socket_, nullptr, nullptr);
    if (client != INVALID_SOCKET) clients_.push_back(client);
    return client;
  }
  static std::string Receive(SOCKET client, std::size_t count) {
    std::string received;
    while (received.size() < count) {
      char buffer[256];
      const int got = recv(client, buffer,
                           static_cast<int>(std::min<std::size_t>(
                               sizeof buffer, count - received.size())),
                           0);
      if (got <= 0) break;
      received.append(buffer, static_cast<std::size_t>(got));
    }
    return received;
  }
  static void Send(SOCKET client, std::string_view bytes) {
    send(client, bytes.data(), static_cast<int>(bytes.size()), 0);
  }

 private:
  SOCKET socket_ = INVALID_SOCKET;
  int port_ = 0;
  std::vector<SOCKET> clients_;
};

std::string ReadLine(Win32TcpPort& port) {
  std::string received;
  char buffer[64];
  while (received.find('\n') == std::string::npos) {
    const std::size_t got = port.WaitAndRead(buffer);
    if (got == 0) break;
    received.append(buffer, got);
  }
  return received;
}

TEST(Win32TcpPortTest, CarriesLinesAndConnectsAgainAfterALoss) {
  Server server;
  Win32TcpPort port(server.Address(PortKind::kRawTcp));
  ASSERT_TRUE(port.Open()) << port.last_error();
  SOCKET client = server.Accept();
  ASSERT_TRUE(port.Write("RVN\r\n"));
  EXPECT_EQ(Server::Receive(client, 5), "RVN\r\n");
  Server::Send(client, "VN1.00\r\n");
  EXPECT_EQ(ReadLine(port), "VN1.00\r\n");

  shutdown(client, SD_BOTH);
  EXPECT_EQ(ReadLine(port), "");
  EXPECT_FALSE(port.connected());
  EXPECT_EQ(port.last_error(), "connection to 127.0.0.1 port " +
                                   std::to_string(server.port()) +
                                   " lost: closed by the server");

  ASSERT_TRUE(port.Write("AME\r\n")) << port.last_error();
  client = server.Accept();
  EXPECT_EQ(Server::Receive(client, 5), "AME\r\n");
  Server::Send(client, "GO\r\n");
  EXPECT_EQ(ReadLine(port), "GO\r\n");

  shutdown(client, SD_BOTH);
  EXPECT_EQ(ReadLine(port), "");
  server.StopListening();
  EXPECT_FALSE(port.Write("RVN\r\n"));
  const std::string refused =
      "connect to 127.0.0.1 port " + std::to_string(server.port()) + ": ";
  EXPECT_EQ(port.last_error().rfind(refused, 0), 0u) << port.last_error();
  EXPECT_GT(port.last_error().size(), refused.size());
}

TEST(Win32TcpPortTest, Rfc2217ServerTakesTheLineSettings) {
  Server server;
  std::string requests, line;
  std::thread script([&] {
    const SOCKET client = server.Accept();
    requests = Server::Receive(client, 15);
    Server::Send(client, Bytes({255, 253, 44}));
    // WILL COM-PORT-OPTION is answered by the line settings: 5
    // subnegotiations of 10, 7, 7, 7 and 7 bytes.
    Server::Receive(client, 38);
    Server::Send(client, LineSettingAnswers());
    line = Server::Receive(client, 5);
    Server::Send(client,
                 "\xFF\xFF"
                 "VN1.00\r\n");
  });
  Win32TcpPort port(server.Address(PortKind::kRfc2217));
  ASSERT_TRUE(port.Open()) << port.last_error();
  EXPECT_EQ(port.com_port_option(), ComPortOptionState::kAccepted);
  ASSERT_TRUE(port.Write("RVN\r\n"));
  EXPECT_EQ(ReadLine(port), "\xFFVN1.00\r\n");
  script.join();
  EXPECT_EQ(requests.size(), 15u);
  EXPECT_EQ(line, "RVN\r\n");
}

TEST(Win32TcpPortTest, CancelEndsAWaitingRead) {
  Server server;
  Win32TcpPort port(server.Address(PortKind::kRawTcp));
  ASSERT_TRUE(port.Open());
  std::thread canceller([&] {
    std::this_thread::sleep_for(50ms);
    port.CancelRead();
  });
  const auto started = std::chrono::steady_clock::now();
  char buffer[16];
  EXPECT_EQ(port.WaitAndRead(buffer), 0u);
  canceller.join();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
  EXPECT_EQ(port.WaitAndRead(buffer), 0u);
}

}  // namespace
}  // namespace vqx::win32
