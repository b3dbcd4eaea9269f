#include "posix/tcp_port.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "posix/posix_error.h"

namespace vqx {

namespace {

using SteadyTime = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Bytes held from the negotiation until the first read: the device says
// nothing before it is asked, so more than this is not a device.
constexpr std::size_t kMaxPendingBytes = 4096;

int MillisecondsLeft(SteadyTime::time_point deadline) {
  const auto left =
      std::chrono::ceil<milliseconds>(deadline - SteadyTime::now()).count();
  return static_cast<int>(std::max<long long>(left, 0));
}

std::string Seconds(int ms) {
  return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s"
                        : std::to_string(ms) + " ms";
}

// Sends all of `bytes`; 0, or the errno of the failure (ETIMEDOUT when no
// room came within `timeout_ms`).
int SendAll(int fd, std::string_view bytes, int timeout_ms) {
  const auto deadline = SteadyTime::now() + milliseconds(timeout_ms);
  while (!bytes.empty()) {
    const ssize_t sent =
        send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return errno;
    pollfd fd_wait{fd, POLLOUT, 0};
    const int left = MillisecondsLeft(deadline);
    if (left == 0 || poll(&fd_wait, 1, left) == 0) return ETIMEDOUT;
  }
  return 0;
}

void Drain(int fd) {
  char drained[64];
  while (read(fd, drained, sizeof drained) > 0) {
  }
}

}  // namespace

TcpPort::TcpPort(const PortAddress& address, TcpPortOptions options)
    : address_(address), options_(std::move(options)) {
  if (!address_.is_network()) {
    throw TcpPortError(address_.ToString() + ": not a network address");
  }
  if (pipe2(cancel_pipe_, O_CLOEXEC | O_NONBLOCK) != 0 ||
      pipe2(wake_pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    const int error = errno;
    for (int fd : {cancel_pipe_[0], cancel_pipe_[1]}) {
      if (fd >= 0) close(fd);
    }
    throw TcpPortError(DescribeError("pipe2", error));
  }
  std::vector<std::string> notes;
  try {
    Connection connection = Connect(notes);
    fd_ = connection.fd;
    codec_ = std::move(connection.codec);
    pending_ = std::move(connection.pending);
    connected_ = true;
  } catch (...) {
    for (int fd :
         {cancel_pipe_[0], cancel_pipe_[1], wake_pipe_[0], wake_pipe_[1]}) {
      close(fd);
    }
    throw;
  }
  Tell(notes);
}

TcpPort::~TcpPort() {
  if (fd_ >= 0) close(fd_);
  for (int fd :
       {cancel_pipe_[0], cancel_pipe_[1], wake_pipe_[0], wake_pipe_[1]}) {
    close(fd);
  }
}

TcpPort::Connection TcpPort::Connect(std::vector<std::string>& notes) const {
  const std::string endpoint = address_.Endpoint();
  const auto deadline =
      SteadyTime::now() + milliseconds(options_.connect_timeout_ms);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(address_.port);
  const int resolved =
      getaddrinfo(address_.host.c_str(), service.c_str(), &hints, &found);
  if (resolved != 0) {
    throw TcpPortError("resolve " + endpoint + ": " +
                       (resolved == EAI_SYSTEM ? std::strerror(errno)
                                               : gai_strerror(resolved)));
  }
  int fd = -1;
  int error = 0;
  bool timed_out = false;
  for (addrinfo* candidate = found; candidate != nullptr && fd < 0;
       candidate = candidate->ai_next) {
    fd = socket(candidate->ai_family,
                candidate->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                candidate->ai_protocol);
    if (fd < 0) {
      error = errno;
      continue;
    }
    if (connect(fd, candidate->ai_addr, candidate->ai_addrlen) == 0) break;
    if (errno == EINPROGRESS) {
      pollfd wait{fd, POLLOUT, 0};
      int ready;
      do {
        ready = poll(&wait, 1, MillisecondsLeft(deadline));
      } while (ready < 0 && errno == EINTR);
      socklen_t length = sizeof error;
      if (ready > 0 &&
          getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 &&
          error == 0) {
        break;
      }
      if (ready == 0) timed_out = true;
      if (ready < 0) error = errno;
    } else {
      error = errno;
    }
    close(fd);
    fd = -1;
    if (timed_out) break;
  }
  freeaddrinfo(found);
  if (fd < 0) {
    throw TcpPortError(
        "connect to " + endpoint + ": " +
        (timed_out ? "no answer within " + Seconds(options_.connect_timeout_ms)
                   : std::string(std::strerror(error))));
  }
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);

  Connection connection;
  connection.fd = fd;
  try {
    if (address_.kind == PortKind::kRfc2217) Negotiate(connection, notes);
  } catch (...) {
    close(fd);
    throw;
  }
  notes.insert(notes.begin(), "connected to " + address_.ToString());
  return connection;
}

void TcpPort::Negotiate(Connection& connection,
                        std::vector<std::string>& notes) const {
  const std::string endpoint = address_.Endpoint();
  connection.codec = std::make_unique<TelnetCodec>();
  TelnetCodec& codec = *connection.codec;
  if (int error = SendAll(connection.fd, codec.Start(),
                          kLineSettings.write_timeout_ms)) {
    throw TcpPortError(DescribeError("send to " + endpoint, error));
  }
  const auto deadline =
      SteadyTime::now() + milliseconds(options_.negotiation_timeout_ms);
  while (!codec.negotiation_settled()) {
    pollfd wait{connection.fd, POLLIN, 0};
    const int ready = poll(&wait, 1, MillisecondsLeft(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) throw TcpPortError(DescribeError("poll " + endpoint, errno));
    if (ready == 0) {
      notes.push_back(codec.com_port_option() == ComPortOptionState::kAsked
                          ? "server did not answer COM-PORT-OPTION within " +
                                Seconds(options_.negotiation_timeout_ms) +
                                "; going on without it"
                          : "server did not answer every line setting within " +
                                Seconds(options_.negotiation_timeout_ms) +
                                "; going on");
      break;
    }
    char raw[2048];
    const ssize_t got = recv(connection.fd, raw, sizeof raw, MSG_DONTWAIT);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (got <= 0) {
      throw TcpPortError(
          "connect to " + endpoint + ": " +
          (got == 0 ? std::string("closed by the server while negotiating")
                    : std::string(std::strerror(errno))));
    }
    std::string data, answers;
    codec.Decode(std::string_view(raw, static_cast<std::size_t>(got)), data,
                 answers);
    if (!answers.empty()) {
      if (int error =
              SendAll(connection.fd, answers, kLineSettings.write_timeout_ms)) {
        throw TcpPortError(DescribeError("send to " + endpoint, error));
      }
    }
    connection.pending.append(
        data, 0,
        std::min(data.size(), kMaxPendingBytes - connection.pending.size()));
    for (std::string& note : codec.TakeNotes()) notes.push_back(note);
  }
}

void TcpPort::Tell(const std::vector<std::string>& notes) const {
  if (!options_.on_note) return;
  for (const std::string& note : notes) options_.on_note(note);
}

void TcpPort::Lose(std::string reason, std::vector<std::string>& notes) {
  if (!connected_) return;
  connected_ = false;
  last_error_ = "connection to " + address_.Endpoint() + " lost: " + reason;
  notes.push_back(last_error_);
  // Wakes a reader still waiting on the old connection.
  shutdown(fd_, SHUT_RDWR);
}

bool TcpPort::connected() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connected_;
}

std::string TcpPort::last_error() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return last_error_;
}

std::optional<ComPortOptionState> TcpPort::com_port_option() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!codec_) return std::nullopt;
  return codec_->com_port_option();
}

bool TcpPort::Reconnect() {
  std::lock_guard<std::mutex> connecting(connect_mutex_);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (connected_) return true;
  }
  std::vector<std::string> notes;
  Connection connection;
  try {
    connection = Connect(notes);
  } catch (const TcpPortError& error) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      last_error_ = error.what();
    }
    notes.push_back(error.what());
    Tell(notes);
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // The new connection takes the old one's number, so a reader still
    // polling that number never sees a descriptor of something else.
    if (dup3(connection.fd, fd_, O_CLOEXEC) < 0) {
      const int error = errno;
      close(connection.fd);
      last_error_ = DescribeError("dup3", error);
      return false;
    }
    close(connection.fd);
    codec_ = std::move(connection.codec);
    pending_ = std::move(connection.pending);
    connected_ = true;
    ++generation_;
  }
  char byte = 1;
  [[maybe_unused]] ssize_t written = write(wake_pipe_[1], &byte, 1);
  Tell(notes);
  return true;
}

bool TcpPort::Write(std::string_view bytes) {
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
    const int error = SendAll(fd_, bytes, kLineSettings.write_timeout_ms);
    if (error == 0) {
      ok = true;
    } else if (error == ETIMEDOUT) {
      last_error_ = "send to " + address_.Endpoint() + ": no room within " +
                    Seconds(kLineSettings.write_timeout_ms);
    } else {
      Lose(std::strerror(error), notes);
    }
  }
  Tell(notes);
  return ok;
}

std::size_t TcpPort::WaitAndRead(std::span<char> buffer) {
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
    pollfd fds[2] = {{connected ? fd_ : wake_pipe_[0], POLLIN, 0},
                     {cancel_pipe_[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      std::lock_guard<std::mutex> lock(mutex_);
      last_error_ = DescribeError("poll", errno);
      return 0;
    }
    if (fds[1].revents != 0) {
      Drain(cancel_pipe_[0]);
      return 0;
    }
    if (!connected) {
      Drain(wake_pipe_[0]);
      continue;
    }
    if (fds[0].revents == 0) continue;

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
      char* target = codec_ ? raw : buffer.data();
      const ssize_t got = recv(fd_, target, wanted, MSG_DONTWAIT);
      if (got > 0 && !codec_) {
        count = static_cast<std::size_t>(got);
      } else if (got > 0) {
        std::string data, answers;
        codec_->Decode(std::string_view(raw, static_cast<std::size_t>(got)),
                       data, answers);
        notes = codec_->TakeNotes();
        std::copy(data.begin(), data.end(), buffer.begin());
        count = data.size();
        if (!answers.empty()) {
          const int error =
              SendAll(fd_, answers, kLineSettings.write_timeout_ms);
          if (error != 0 && error != ETIMEDOUT) {
            Lose(std::strerror(error), notes);
          }
        }
      } else if (got == 0) {
        Lose("closed by the server", notes);
      } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        Lose(std::strerror(errno), notes);
      }
      lost = !connected_;
    }
    Tell(notes);
    if (count > 0) return count;
    if (lost) return 0;
  }
}

void TcpPort::CancelRead() {
  char byte = 1;
  [[maybe_unused]] ssize_t written = write(cancel_pipe_[1], &byte, 1);
}

}  // namespace vqx
