// The network ports' shared session against scripted servers without
// sockets: how the Telnet negotiation ends (accepted, refused, a silent
// server, one that hangs up or fails), the device bytes that came during it,
// a lost connection and the one after it, and a reader whose wait spans a
// new connection.
#include "transport/network_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/telnet_bytes.h"

namespace vqx {
namespace {

using Status = IoResult::Status;

using testing::Bytes;
using testing::LineSettingAnswers;

// What the server does with the COM port option.
const std::string kAccept = Bytes({255, 253, 44});  // DO COM-PORT-OPTION
const std::string kRefuse = Bytes({255, 254, 44});  // DONT COM-PORT-OPTION

// One scripted connection: what the server will send (a chunk per
// receive), and what the client sent it. Shared with the test, so it can be
// looked at after the session let the connection go.
struct Wire {
  struct Chunk {
    Status status = Status::kDone;  // kClosed or kFailed end the script
    std::string bytes;
  };
  std::deque<Chunk> incoming;
  std::string sent;
  Status send_status = Status::kDone;  // what SendAll answers
  bool shut = false;
  bool closed = false;

  Wire& Then(std::string bytes) {
    incoming.push_back({Status::kDone, std::move(bytes)});
    return *this;
  }
  Wire& ThenEnd(Status status) {
    incoming.push_back({status, {}});
    return *this;
  }
};

class FakeChannel final : public NetworkChannel {
 public:
  explicit FakeChannel(std::shared_ptr<Wire> wire) : wire_(std::move(wire)) {}
  ~FakeChannel() override { wire_->closed = true; }

  IoResult SendAll(std::string_view bytes, int) override {
    if (wire_->send_status != Status::kDone) {
      return {wire_->send_status, 0,
              wire_->send_status == Status::kTimedOut ? "Connection timed out"
                                                      : "Broken pipe"};
    }
    wire_->sent += bytes;
    return {};
  }
  // A server with nothing more to say stays silent until the deadline.
  IoResult WaitReadable(std::chrono::steady_clock::time_point) override {
    return wire_->incoming.empty() ? Status::kTimedOut : Status::kDone;
  }
  IoResult Receive(std::span<char> buffer) override {
    if (wire_->incoming.empty()) return Status::kWouldBlock;
    Wire::Chunk& chunk = wire_->incoming.front();
    if (chunk.status == Status::kFailed) {
      return {Status::kFailed, 0, "Connection reset by peer"};
    }
    if (chunk.status == Status::kClosed) return Status::kClosed;
    const std::size_t count = std::min(buffer.size(), chunk.bytes.size());
    std::copy_n(chunk.bytes.begin(), count, buffer.begin());
    chunk.bytes.erase(0, count);
    if (chunk.bytes.empty()) wire_->incoming.pop_front();
    return {Status::kDone, count};
  }
  void Shutdown() override { wire_->shut = true; }

  const std::shared_ptr<Wire>& wire() const { return wire_; }

 private:
  std::shared_ptr<Wire> wire_;
};

// Hands out the scripted connections in turn; refuses once they run out.
// A reader's wait ends at once: readable while the current connection has
// something to say, else stopped (no other thread will ever wake it).
class FakePlatform final : public NetworkPlatform {
 public:
  std::shared_ptr<Wire> Serve() {
    servers.push_back(std::make_shared<Wire>());
    return servers.back();
  }

  std::unique_ptr<NetworkChannel> Connect(std::string& error) override {
    if (servers.empty()) {
      error = "connect to 127.0.0.1 port 4001: Connection refused";
      return nullptr;
    }
    auto channel = std::make_unique<FakeChannel>(servers.front());
    servers.pop_front();
    return channel;
  }
  bool Install(NetworkChannel& fresh, std::string&) override {
    current = static_cast<FakeChannel&>(fresh).wire();
    return true;
  }
  void WakeReader() override { ++wakes; }
  Wake WaitForReader(bool connected, std::string&) override {
    if (during_wait) std::exchange(during_wait, nullptr)();
    if (connected && current && !current->incoming.empty()) {
      return Wake::kReadable;
    }
    return Wake::kStopped;
  }

  std::deque<std::shared_ptr<Wire>> servers;
  std::shared_ptr<Wire> current;
  int wakes = 0;
  std::function<void()> during_wait;  // once, inside the next wait
};

PortAddress Address(PortKind kind) {
  return PortAddress{kind, "", "127.0.0.1", 4001};
}

struct Fixture {
  explicit Fixture(PortKind kind, int negotiation_timeout_ms = 1000)
      : session(Address(kind), Options(negotiation_timeout_ms), platform) {}

  TcpPortOptions Options(int negotiation_timeout_ms) {
    TcpPortOptions options;
    options.negotiation_timeout_ms = negotiation_timeout_ms;
    options.on_note = [this](const std::string& note) {
      notes.push_back(note);
    };
    return options;
  }
  std::string Read() {
    char buffer[8192];
    return std::string(buffer, session.WaitAndRead(buffer));
  }
  bool Noted(const std::string& prefix) const {
    return std::any_of(notes.begin(), notes.end(), [&](const std::string& n) {
      return n.starts_with(prefix);
    });
  }

  std::vector<std::string> notes;
  FakePlatform platform;
  NetworkSession session;
};

TEST(NetworkSessionTest, NegotiationEndsAsTheServerAnswers) {
  struct Case {
    const char* name;
    std::vector<std::string> server;  // chunks, after the client's requests
    int timeout_ms;
    ComPortOptionState option;
    std::string note;  // one of the notes starts with this
  };
  const Case cases[] = {
      {"accepts and answers every setting",
       {kAccept, LineSettingAnswers()},
       1000,
       ComPortOptionState::kAccepted,
       "server accepted COM-PORT-OPTION"},
      {"answers in one chunk",
       {kAccept + LineSettingAnswers()},
       1000,
       ComPortOptionState::kAccepted,
       "server accepted COM-PORT-OPTION"},
      {"refuses",
       {kRefuse},
       1000,
       ComPortOptionState::kRefused,
       "server refused COM-PORT-OPTION: plain Telnet"},
      {"stays silent",
       {},
       1000,
       ComPortOptionState::kAsked,
       "server did not answer COM-PORT-OPTION within 1 s; going on without "
       "it"},
      {"stays silent, short time-out",
       {},
       250,
       ComPortOptionState::kAsked,
       "server did not answer COM-PORT-OPTION within 250 ms; going on "
       "without it"},
      {"accepts, answers no setting",
       {kAccept},
       1500,
       ComPortOptionState::kAccepted,
       "server did not answer every line setting within 1500 ms; going on"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f(PortKind::kRfc2217, c.timeout_ms);
    auto wire = f.platform.Serve();
    for (const std::string& chunk : c.server) wire->Then(chunk);
    EXPECT_EQ(f.session.ConnectFirst(), "");
    EXPECT_TRUE(f.session.connected());
    EXPECT_EQ(f.session.com_port_option(), c.option);
    ASSERT_FALSE(f.notes.empty());
    EXPECT_EQ(f.notes.front(), "connected to rfc2217://127.0.0.1:4001");
    EXPECT_TRUE(f.Noted(c.note)) << ::testing::PrintToString(f.notes);
    // The requests went out first; an accepting server was sent the line
    // settings it was then asked for.
    const std::string requests = TelnetCodec().Start();
    EXPECT_EQ(wire->sent.substr(0, requests.size()), requests);
    EXPECT_EQ(wire->sent.size() > requests.size(),
              c.option == ComPortOptionState::kAccepted)
        << wire->sent.size();
    EXPECT_EQ(f.platform.wakes, 0);
  }
}

TEST(NetworkSessionTest, FailedNegotiationNamesTheServerAndKeepsNothing) {
  struct Case {
    const char* name;
    std::string first;  // before the end
    Status end;         // how the server ends it
    Status send;        // what sending answers
    std::string error;
  };
  const Case cases[] = {
      {"hangs up at once", "", Status::kClosed, Status::kDone,
       "connect to 127.0.0.1 port 4001: closed by the server while "
       "negotiating"},
      {"hangs up after accepting", kAccept, Status::kClosed, Status::kDone,
       "connect to 127.0.0.1 port 4001: closed by the server while "
       "negotiating"},
      {"resets", "", Status::kFailed, Status::kDone,
       "connect to 127.0.0.1 port 4001: Connection reset by peer"},
      {"takes nothing", "", Status::kClosed, Status::kFailed,
       "send to 127.0.0.1 port 4001: Broken pipe"},
      {"has no room", "", Status::kClosed, Status::kTimedOut,
       "send to 127.0.0.1 port 4001: Connection timed out"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f(PortKind::kRfc2217);
    auto wire = f.platform.Serve();
    if (!c.first.empty()) wire->Then(c.first);
    wire->ThenEnd(c.end);
    wire->send_status = c.send;
    EXPECT_EQ(f.session.ConnectFirst(), c.error);
    EXPECT_FALSE(f.session.connected());
    EXPECT_TRUE(wire->closed);
    // The port that connects first reports the failure itself.
    EXPECT_TRUE(f.notes.empty());
    EXPECT_EQ(f.session.last_error(), "");

    // Connecting again keeps and tells the reason.
    EXPECT_FALSE(f.session.Reconnect());
    EXPECT_EQ(f.session.last_error(),
              "connect to 127.0.0.1 port 4001: Connection refused");
    EXPECT_EQ(f.notes, std::vector<std::string>{f.session.last_error()});
  }
}

TEST(NetworkSessionTest, DeviceBytesOfTheNegotiationComeFirstUpToTheCap) {
  // The refusal ends the negotiation; what came with it is read first.
  Fixture f(PortKind::kRfc2217);
  f.platform.Serve()->Then(kRefuse + "early").Then("later");
  ASSERT_EQ(f.session.ConnectFirst(), "");
  EXPECT_EQ(f.Read(), "early");
  EXPECT_EQ(f.Read(), "later");

  // A server that sends more than a device would while still negotiating:
  // only the cap is kept, in order.
  Fixture g(PortKind::kRfc2217);
  g.platform.Serve()
      ->Then(std::string(3000, 'c'))
      .Then(std::string(3000, 'd'))
      .Then(kRefuse);
  ASSERT_EQ(g.session.ConnectFirst(), "");
  EXPECT_EQ(g.Read(),
            std::string(3000, 'c') +
                std::string(NetworkSession::kMaxPendingBytes - 3000, 'd'));
  EXPECT_EQ(g.Read(), "");
}

TEST(NetworkSessionTest, RawLineCarriesBytesAsTheyAre) {
  Fixture f(PortKind::kRawTcp);
  auto wire = f.platform.Serve();
  wire->Then("\xFF\xFFVN1.00\r\n");
  ASSERT_EQ(f.session.ConnectFirst(), "");
  EXPECT_EQ(f.session.com_port_option(), std::nullopt);
  EXPECT_EQ(f.notes,
            std::vector<std::string>{"connected to tcp://127.0.0.1:4001"});
  EXPECT_TRUE(f.session.Write("\xFF\r"));
  EXPECT_EQ(wire->sent, "\xFF\r");
  EXPECT_EQ(f.Read(), "\xFF\xFFVN1.00\r\n");

  // Telnet doubles 0xFF both ways and answers what comes with the data.
  Fixture t(PortKind::kRfc2217);
  auto telnet = t.platform.Serve();
  telnet->Then(kRefuse);
  ASSERT_EQ(t.session.ConnectFirst(), "");
  telnet->sent.clear();
  EXPECT_TRUE(t.session.Write("\xFF"));
  EXPECT_EQ(telnet->sent, "\xFF\xFF");
  telnet->sent.clear();
  telnet->Then("\xFF\xFFVN" + Bytes({255, 253, 1}));  // DO ECHO
  EXPECT_EQ(t.Read(), "\xFFVN");
  EXPECT_EQ(telnet->sent, Bytes({255, 252, 1}));  // WONT ECHO
}

TEST(NetworkSessionTest, LostConnectionIsToldOnceAndTheNextWriteConnects) {
  Fixture f(PortKind::kRawTcp);
  auto first = f.platform.Serve();
  first->Then("AM").ThenEnd(Status::kClosed);
  ASSERT_EQ(f.session.ConnectFirst(), "");
  f.notes.clear();

  EXPECT_EQ(f.Read(), "AM");
  EXPECT_EQ(f.Read(), "");
  const std::string lost =
      "connection to 127.0.0.1 port 4001 lost: closed by the server";
  EXPECT_FALSE(f.session.connected());
  EXPECT_EQ(f.session.last_error(), lost);
  EXPECT_EQ(f.notes, std::vector<std::string>{lost});
  EXPECT_TRUE(first->shut);
  EXPECT_EQ(f.Read(), "");  // waits for a new connection (here: stopped)
  EXPECT_EQ(f.notes.size(), 1u);

  // The next write connects, wakes the reader and sends.
  auto second = f.platform.Serve();
  EXPECT_TRUE(f.session.Write("RVN\r\n"));
  EXPECT_EQ(second->sent, "RVN\r\n");
  EXPECT_EQ(f.platform.wakes, 1);
  EXPECT_EQ(f.notes.back(), "connected to tcp://127.0.0.1:4001");

  // A write without room keeps the connection; one that fails loses it.
  second->send_status = Status::kTimedOut;
  EXPECT_FALSE(f.session.Write("RVN\r\n"));
  EXPECT_TRUE(f.session.connected());
  EXPECT_EQ(f.session.last_error(),
            "send to 127.0.0.1 port 4001: no room within 1 s");
  second->send_status = Status::kFailed;
  EXPECT_FALSE(f.session.Write("RVN\r\n"));
  EXPECT_FALSE(f.session.connected());
  EXPECT_EQ(f.notes.back(),
            "connection to 127.0.0.1 port 4001 lost: Broken pipe");
  EXPECT_TRUE(second->shut);

  // With nobody listening, the write fails and says why.
  EXPECT_FALSE(f.session.Write("RVN\r\n"));
  EXPECT_EQ(f.session.last_error(),
            "connect to 127.0.0.1 port 4001: Connection refused");
  EXPECT_EQ(f.notes.back(), f.session.last_error());
  EXPECT_EQ(std::count(f.notes.begin(), f.notes.end(),
                       "connected to tcp://127.0.0.1:4001"),
            1);
}

// A reader that waited on the old connection while a new one was made
// hands out what came during the new one's negotiation before anything the
// new connection carries after it.
TEST(NetworkSessionTest, ReaderWhoseWaitSpansANewConnectionStartsOver) {
  Fixture f(PortKind::kRfc2217);
  auto first = f.platform.Serve();
  first->Then(kRefuse);
  ASSERT_EQ(f.session.ConnectFirst(), "");
  auto second = f.platform.Serve();
  second->Then(kRefuse + "P").Then("Q");
  f.platform.during_wait = [&] {
    first->send_status = Status::kFailed;
    EXPECT_FALSE(f.session.Write("RVN\r\n"));
    EXPECT_TRUE(f.session.Reconnect());
  };
  EXPECT_EQ(f.Read(), "P");
  EXPECT_EQ(f.Read(), "Q");
  EXPECT_TRUE(first->closed);
  EXPECT_FALSE(second->closed);
}

}  // namespace
}  // namespace vqx
