#include "transport/network_session.h"

#include <algorithm>
#include <utility>

namespace vqx {

using Status = IoResult::Status;

std::string TimeoutText(int ms) {
  return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s"
                        : std::to_string(ms) + " ms";
}

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
  return static_cast<int>(std::max<long long>(left, 0));
}

NetworkSession::NetworkSession(const PortAddress& address,
                               TcpPortOptions options,
                               NetworkPlatform& platform)
    : address_(address), options_(std::move(options)), platform_(platform) {}

NetworkSession::Connection NetworkSession::Connect(
    std::vector<std::string>& notes, std::string& error) {
  Connection connection;
  connection.channel = platform_.Connect(error);
  if (!connection.channel) return connection;
  if (address_.kind == PortKind::kRfc2217 &&
      !Negotiate(connection, notes, error)) {
    connection.channel.reset();
    return connection;
  }
  notes.insert(notes.begin(), "connected to " + address_.ToString());
  return connection;
}

bool NetworkSession::Negotiate(Connection& connection,
                               std::vector<std::string>& notes,
                               std::string& error) const {
  const std::string endpoint = address_.Endpoint();
  NetworkChannel& channel = *connection.channel;
  connection.codec = std::make_unique<TelnetCodec>();
  TelnetCodec& codec = *connection.codec;
  IoResult sent =
      channel.SendAll(codec.Start(), kLineSettings.write_timeout_ms);
  if (sent.status != Status::kDone) {
    error = "send to " + endpoint + ": " + sent.error;
    return false;
  }
  const auto deadline =
      std::chrono::steady_clock::now() +
      std::chrono::milliseconds(options_.negotiation_timeout_ms);
  while (!codec.negotiation_settled()) {
    const IoResult ready = channel.WaitReadable(deadline);
    if (ready.status == Status::kTimedOut) {
      const std::string within = TimeoutText(options_.negotiation_timeout_ms);
      notes.push_back(codec.com_port_option() == ComPortOptionState::kAsked
                          ? "server did not answer COM-PORT-OPTION within " +
                                within + "; going on without it"
                          : "server did not answer every line setting within " +
                                within + "; going on");
      return true;
    }
    if (ready.status != Status::kDone) {
      error = ready.error;
      return false;
    }
    char raw[2048];
    const IoResult got = channel.Receive(raw);
    if (got.status == Status::kWouldBlock) continue;
    if (got.status != Status::kDone) {
      error = "connect to " + endpoint + ": " +
              (got.status == Status::kClosed
                   ? std::string("closed by the server while negotiating")
                   : got.error);
      return false;
    }
    std::string data, answers;
    codec.Decode(std::string_view(raw, got.count), data, answers);
    if (!answers.empty()) {
      sent = channel.SendAll(answers, kLineSettings.write_timeout_ms);
      if (sent.status != Status::kDone) {
        error = "send to " + endpoint + ": " + sent.error;
        return false;
      }
    }
    connection.pending.append(
        data, 0,
        std::min(data.size(), kMaxPendingBytes - connection.pending.size()));
    for (std::string& note : codec.TakeNotes()) notes.push_back(note);
  }
  return true;
}

bool NetworkSession::Install(Connection& connection) {
  std::lock_guard<std::mutex> lock(mutex_);
  // The old connection goes first, as the platform may reuse what it held.
  channel_.reset();
  std::string error;
  if (!platform_.Install(*connection.channel, error)) {
    last_error_ = error;
    return false;
  }
  channel_ = std::move(connection.channel);
  codec_ = std::move(connection.codec);
  pending_ = std::move(connection.pending);
  connected_ = true;
  ++generation_;
  return true;
}

std::string NetworkSession::ConnectFirst() {
  std::lock_guard<std::mutex> connecting(connect_mutex_);
  std::vector<std::string> notes;
  std::string error;
  Connection connection = Connect(notes, error);
  if (!connection.channel) return error;
  if (!Install(connection)) return last_error();
  Tell(notes);
  return {};
}

bool NetworkSession::Reconnect() {
  std::lock_guard<std::mutex> connecting(connect_mutex_);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (connected_) return true;
  }
  std::vector<std::string> notes;
  std::string error;
  Connection connection = Connect(notes, error);
  if (!connection.channel) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      last_error_ = error;
    }
    notes.push_back(error);
    Tell(notes);
    return false;
  }
  if (!Install(connection)) return false;
  platform_.WakeReader();
  Tell(notes);
  return true;
}

void NetworkSession::Tell(const std::vector<std::string>& notes) const {
  if (!options_.on_note) return;
  for (const std::string& note : notes) options_.on_note(note);
}

void NetworkSession::Lose(const std::string& reason,
                          std::vector<std::string>& notes) {
  if (!connected_) return;
  connected_ = false;
  last_error_ = "connection to " + address_.Endpoint() + " lost: " + reason;
  notes.push_back(last_error_);
  channel_->Shutdown();
}

bool NetworkSession::connected() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connected_;
}

std::string NetworkSession::last_error() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return last_error_;
}

std::optional<ComPortOptionState> NetworkSession::com_port_option() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!codec_) return std::nullopt;
  return codec_->com_port_option();
}

bool NetworkSession::Write(std::string_view bytes) {
  if (!connected() && !Reconnect()) return false;
  std::vector<std::string> notes;
  bool ok = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!connected_) return false;
    std::string encoded;
    if (codec_) {
      codec_->Encode(bytes, encoded);
      bytes = encoded;
    }
    const IoResult sent =
        channel_->SendAll(bytes, kLineSettings.write_timeout_ms);
    if (sent.status == Status::kDone) {
      ok = true;
    } else if (sent.status == Status::kTimedOut) {
      last_error_ = "send to " + address_.Endpoint() + ": no room within " +
                    TimeoutText(kLineSettings.write_timeout_ms);
    } else {
      Lose(sent.error, notes);
    }
  }
  Tell(notes);
  return ok;
}

std::size_t NetworkSession::WaitAndRead(std::span<char> buffer) {
  if (buffer.empty()) return 0;
  for (;;) {
    bool connected;
    std::uint64_t generation;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!pending_.empty()) {
        const std::size_t count = std::min(buffer.size(), pending_.size());
        std::copy_n(pending_.begin(), count, buffer.begin());
        pending_.erase(0, count);
        return count;
      }
      connected = connected_;
      generation = generation_;
    }
    std::string error;
    switch (platform_.WaitForReader(connected, error)) {
      case NetworkPlatform::Wake::kReadable:
        break;
      case NetworkPlatform::Wake::kAgain:
        continue;
      case NetworkPlatform::Wake::kStopped:
        return 0;
      case NetworkPlatform::Wake::kFailed: {
        std::lock_guard<std::mutex> lock(mutex_);
        last_error_ = error;
        return 0;
      }
    }
    if (!connected) continue;

    std::vector<std::string> notes;
    std::size_t count = 0;
    bool lost = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (generation != generation_) continue;  // connected again meanwhile
      if (!connected_) return 0;  // the connection read from was lost
      // Telnet only ever shrinks what it carries, so the device bytes of
      // this many received bytes fit the buffer.
      char raw[2048];
      const std::size_t wanted = std::min(buffer.size(), sizeof raw);
      const IoResult got = channel_->Receive(
          codec_ ? std::span<char>(raw, wanted) : buffer.first(wanted));
      if (got.status == Status::kDone && !codec_) {
        count = got.count;
      } else if (got.status == Status::kDone) {
        std::string data, answers;
        codec_->Decode(std::string_view(raw, got.count), data, answers);
        notes = codec_->TakeNotes();
        std::copy(data.begin(), data.end(), buffer.begin());
        count = data.size();
        if (!answers.empty()) {
          const IoResult sent =
              channel_->SendAll(answers, kLineSettings.write_timeout_ms);
          if (sent.status != Status::kDone &&
              sent.status != Status::kTimedOut) {
            Lose(sent.error, notes);
          }
        }
      } else if (got.status == Status::kClosed) {
        Lose("closed by the server", notes);
      } else if (got.status != Status::kWouldBlock) {
        Lose(got.error, notes);
      }
      lost = !connected_;
    }
    Tell(notes);
    if (count > 0) return count;
    if (lost) return 0;
  }
}

}  // namespace vqx
