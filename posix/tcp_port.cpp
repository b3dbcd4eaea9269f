#include "posix/tcp_port.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "posix/posix_error.h"

namespace vqx {

namespace {

using SteadyTime = std::chrono::steady_clock;
using std::chrono::milliseconds;
using Status = IoResult::Status;

// Sends all of `bytes`; 0, or the errno of the failure (ETIMEDOUT when no
// room came within `timeout_ms`).
int SendBytes(int fd, std::string_view bytes, int timeout_ms) {
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

IoResult Failure(Status status, int error) {
  return {status, 0, std::strerror(error)};
}

// One connected socket; it closes the socket until the port takes it.
class SocketChannel final : public NetworkChannel {
 public:
  SocketChannel(int fd, std::string endpoint)
      : fd_(fd), endpoint_(std::move(endpoint)) {}
  ~SocketChannel() override {
    if (owned_) close(fd_);
  }

  // The port keeps the socket as it is and closes it itself.
  int Release() {
    owned_ = false;
    return fd_;
  }
  // The port keeps the connection under its number `fd`, closing what that
  // number held before; 0, or the errno of the failure.
  int MoveTo(int fd) {
    if (dup3(fd_, fd, O_CLOEXEC) < 0) return errno;
    close(fd_);
    fd_ = fd;
    owned_ = false;
    return 0;
  }

  IoResult SendAll(std::string_view bytes, int timeout_ms) override {
    const int error = SendBytes(fd_, bytes, timeout_ms);
    if (error == 0) return {};
    return Failure(error == ETIMEDOUT ? Status::kTimedOut : Status::kFailed,
                   error);
  }

  IoResult WaitReadable(SteadyTime::time_point deadline) override {
    for (;;) {
      pollfd wait{fd_, POLLIN, 0};
      const int ready = poll(&wait, 1, MillisecondsLeft(deadline));
      if (ready > 0) return {};
      if (ready == 0) return {Status::kTimedOut};
      if (errno != EINTR) {
        return {Status::kFailed, 0, DescribeError("poll " + endpoint_, errno)};
      }
    }
  }

  IoResult Receive(std::span<char> buffer) override {
    const ssize_t got = recv(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (got > 0) return {Status::kDone, static_cast<std::size_t>(got)};
    if (got == 0) return {Status::kClosed};
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
      return {Status::kWouldBlock};
    }
    return Failure(Status::kFailed, errno);
  }

  void Shutdown() override { shutdown(fd_, SHUT_RDWR); }

 private:
  int fd_;
  bool owned_ = true;
  const std::string endpoint_;
};

void Drain(int fd) {
  char drained[64];
  while (read(fd, drained, sizeof drained) > 0) {
  }
}

}  // namespace

TcpPort::TcpPort(const PortAddress& address, TcpPortOptions options)
    : NetworkPort(address, std::move(options)) {
  if (!address.is_network()) {
    throw TcpPortError(address.ToString() + ": not a network address");
  }
  if (pipe2(cancel_pipe_, O_CLOEXEC | O_NONBLOCK) != 0 ||
      pipe2(wake_pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    const int error = errno;
    for (int fd : {cancel_pipe_[0], cancel_pipe_[1]}) {
      if (fd >= 0) close(fd);
    }
    throw TcpPortError(DescribeError("pipe2", error));
  }
  const auto close_pipes = [this] {
    for (int fd :
         {cancel_pipe_[0], cancel_pipe_[1], wake_pipe_[0], wake_pipe_[1]}) {
      close(fd);
    }
  };
  std::string error;
  try {
    error = session_.ConnectFirst();
  } catch (...) {
    close_pipes();
    throw;
  }
  if (!error.empty()) {
    close_pipes();
    throw TcpPortError(error);
  }
}

TcpPort::~TcpPort() {
  if (fd_ >= 0) close(fd_);
  for (int fd :
       {cancel_pipe_[0], cancel_pipe_[1], wake_pipe_[0], wake_pipe_[1]}) {
    close(fd);
  }
}

std::unique_ptr<NetworkChannel> TcpPort::Connect(std::string& error) {
  const PortAddress& address = session_.address();
  const std::string endpoint = address.Endpoint();
  const auto deadline =
      SteadyTime::now() + milliseconds(session_.options().connect_timeout_ms);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(address.port);
  const int resolved =
      getaddrinfo(address.host.c_str(), service.c_str(), &hints, &found);
  if (resolved != 0) {
    error = "resolve " + endpoint + ": " +
            (resolved == EAI_SYSTEM ? std::strerror(errno)
                                    : gai_strerror(resolved));
    return nullptr;
  }
  int fd = -1;
  int failure = 0;
  bool timed_out = false;
  for (addrinfo* candidate = found; candidate != nullptr && fd < 0;
       candidate = candidate->ai_next) {
    fd = socket(candidate->ai_family,
                candidate->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                candidate->ai_protocol);
    if (fd < 0) {
      failure = errno;
      continue;
    }
    if (connect(fd, candidate->ai_addr, candidate->ai_addrlen) == 0) break;
    if (errno == EINPROGRESS) {
      pollfd wait{fd, POLLOUT, 0};
      int ready;
      do {
        ready = poll(&wait, 1, MillisecondsLeft(deadline));
      } while (ready < 0 && errno == EINTR);
      socklen_t length = sizeof failure;
      if (ready > 0 &&
          getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &length) == 0 &&
          failure == 0) {
        break;
      }
      if (ready == 0) timed_out = true;
      if (ready < 0) failure = errno;
    } else {
      failure = errno;
    }
    close(fd);
    fd = -1;
    if (timed_out) break;
  }
  freeaddrinfo(found);
  if (fd < 0) {
    error = "connect to " + endpoint + ": " +
            (timed_out ? "no answer within " +
                             TimeoutText(session_.options().connect_timeout_ms)
                       : std::string(std::strerror(failure)));
    return nullptr;
  }
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);

  return std::make_unique<SocketChannel>(fd, endpoint);
}

bool TcpPort::Install(NetworkChannel& fresh, std::string& error) {
  auto& socket = static_cast<SocketChannel&>(fresh);
  if (fd_ < 0) {
    fd_ = socket.Release();
    return true;
  }
  // The new connection takes the old one's number, so a reader still
  // polling that number never sees a descriptor of something else.
  if (const int failure = socket.MoveTo(fd_)) {
    error = DescribeError("dup3", failure);
    return false;
  }
  return true;
}

void TcpPort::WakeReader() {
  char byte = 1;
  [[maybe_unused]] ssize_t written = write(wake_pipe_[1], &byte, 1);
}

NetworkPlatform::Wake TcpPort::WaitForReader(bool connected,
                                             std::string& error) {
  pollfd fds[2] = {{connected ? fd_ : wake_pipe_[0], POLLIN, 0},
                   {cancel_pipe_[0], POLLIN, 0}};
  if (poll(fds, 2, -1) < 0) {
    if (errno == EINTR) return Wake::kAgain;
    error = DescribeError("poll", errno);
    return Wake::kFailed;
  }
  if (fds[1].revents != 0) {
    Drain(cancel_pipe_[0]);
    return Wake::kStopped;
  }
  if (!connected) {
    Drain(wake_pipe_[0]);
    return Wake::kAgain;
  }
  return fds[0].revents == 0 ? Wake::kAgain : Wake::kReadable;
}

void TcpPort::CancelRead() {
  char byte = 1;
  [[maybe_unused]] ssize_t written = write(cancel_pipe_[1], &byte, 1);
}

}  // namespace vqx
