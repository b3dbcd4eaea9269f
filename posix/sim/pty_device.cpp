#include "posix/sim/pty_device.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <thread>

#include "posix/posix_error.h"

namespace vqx::sim {

namespace {

using std::chrono::milliseconds;

std::string WithoutLineEnd(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return std::string(text);
}

}  // namespace

std::string LogTimestamp() {
  auto now = std::chrono::system_clock::now();
  std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  auto millis =
      std::chrono::duration_cast<milliseconds>(now.time_since_epoch()).count() %
      1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour,
                local.tm_min, local.tm_sec, static_cast<int>(millis));
  return text;
}

std::string Printable(std::string_view bytes) {
  std::string text;
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7E) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      text += escaped;
    } else {
      text += c;
    }
  }
  return text;
}

PtyDevice::PtyDevice(DeviceModel model, PtyDeviceOptions options)
    : PtyDevice(
          [&] {
            std::vector<DeviceModel> models;
            models.push_back(std::move(model));
            return models;
          }(),
          std::move(options)) {}

PtyDevice::PtyDevice(std::vector<DeviceModel> models, PtyDeviceOptions options)
    : pty_(std::make_unique<PseudoTerminal>()),
      models_(std::move(models)),
      options_(std::move(options)) {
  if (models_.empty()) {
    throw std::invalid_argument("PtyDevice: no device on the line");
  }
  if (pipe2(stop_pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw PosixError("pipe2", errno);
  }
  // Without inotify the line settings simply stay as the last peer left them.
  peer_watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (peer_watch_ >= 0 &&
      inotify_add_watch(peer_watch_, pty_->slave_path().c_str(),
                        IN_OPEN | IN_CLOSE) < 0) {
    close(peer_watch_);
    peer_watch_ = -1;
  }
}

namespace {

// A listening socket on `address`; its actual port goes to `port`.
int Listen(const PortAddress& address, int& port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(address.port);
  const int resolved =
      getaddrinfo(address.host.c_str(), service.c_str(), &hints, &found);
  if (resolved != 0) {
    throw std::runtime_error("--listen " + address.ToString() + ": " +
                             gai_strerror(resolved));
  }
  int error = 0;
  int fd = -1;
  for (addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
    fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                a->ai_protocol);
    if (fd < 0) {
      error = errno;
      continue;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd, a->ai_addr, a->ai_addrlen) != 0 || listen(fd, 4) != 0) {
      error = errno;
      close(fd);
      fd = -1;
    }
  }
  freeaddrinfo(found);
  if (fd < 0) throw PosixError("listen on " + address.ToString(), error);
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
  port = ntohs(bound.ss_family == AF_INET6
                   ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                   : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  return fd;
}

}  // namespace

PtyDevice::PtyDevice(std::vector<DeviceModel> models, PtyDeviceOptions options,
                     const PortAddress& listen)
    : models_(std::move(models)), options_(std::move(options)) {
  if (models_.empty()) {
    throw std::invalid_argument("PtyDevice: no device on the line");
  }
  if (listen.kind != PortKind::kRawTcp) {
    throw std::invalid_argument("--listen " + listen.ToString() +
                                ": expected tcp://HOST:PORT");
  }
  PortAddress listened = listen;
  listen_fd_ = Listen(listen, listened.port);
  listen_name_ = listened.ToString();
  if (pipe2(stop_pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    const int error = errno;
    close(listen_fd_);
    throw PosixError("pipe2", error);
  }
}

PtyDevice::~PtyDevice() {
  close(stop_pipe_[0]);
  close(stop_pipe_[1]);
  if (peer_watch_ >= 0) close(peer_watch_);
  if (client_fd_ >= 0) close(client_fd_);
  if (listen_fd_ >= 0) close(listen_fd_);
}

const std::string& PtyDevice::slave_path() const {
  static const std::string kNone;
  return pty_ ? pty_->slave_path() : kNone;
}

std::string PtyDevice::line_name() const {
  return pty_ ? pty_->slave_path() : listen_name_;
}

int PtyDevice::line_fd() const { return pty_ ? pty_->master_fd() : client_fd_; }

void PtyDevice::AcceptClient() {
  sockaddr_storage peer{};
  socklen_t length = sizeof peer;
  const int fd = accept4(listen_fd_, reinterpret_cast<sockaddr*>(&peer),
                         &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd < 0) return;  // gone again before it was taken
  if (client_fd_ >= 0) {
    close(fd);
    Log("--", "second client refused: one client at a time");
    return;
  }
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  char host[NI_MAXHOST] = "?";
  char service[NI_MAXSERV] = "?";
  getnameinfo(reinterpret_cast<sockaddr*>(&peer), length, host, sizeof host,
              service, sizeof service, NI_NUMERICHOST | NI_NUMERICSERV);
  client_fd_ = fd;
  Log("--", std::string("client connected from ") + host + " port " + service);
}

void PtyDevice::DropClient(std::string_view why) {
  if (client_fd_ < 0) return;
  close(client_fd_);
  client_fd_ = -1;
  queue_.clear();
  {
    std::lock_guard<std::mutex> lock(model_mutex_);
    for (DeviceModel& model : models_) model.DropPartialLine();
  }
  Log("--", "client disconnected: " + std::string(why));
}

void PtyDevice::WatchPeers() {
  alignas(inotify_event) char buffer[4096];
  int opened = 0;
  int closed = 0;
  for (;;) {
    ssize_t got = read(peer_watch_, buffer, sizeof buffer);
    if (got <= 0) break;
    for (char* p = buffer; p < buffer + got;) {
      auto* event = reinterpret_cast<inotify_event*>(p);
      if (event->mask & IN_OPEN) ++opened;
      if (event->mask & IN_CLOSE) ++closed;
      p += sizeof(inotify_event) + event->len;
    }
  }
  if (opened == 0 && closed == 0) return;
  int before = peers_open_;
  peers_open_ = std::max(0, peers_open_ + opened - closed);
  if (before == 0 && peers_open_ > 0) Log("--", "peer opened the line");
  if (peers_open_ == 0 && closed > 0) {
    pty_->ResetSlave();
    Log("--", "peer closed the line; line settings reset");
  }
}

void PtyDevice::Stop() {
  char byte = 1;
  // A full pipe already holds a stop request.
  [[maybe_unused]] ssize_t written = write(stop_pipe_[1], &byte, 1);
}

void PtyDevice::Log(std::string_view tag, std::string_view text) {
  std::string line =
      LogTimestamp() + " " + std::string(tag) + " " + Printable(text) + "\n";
  if (options_.log != nullptr) {
    std::fputs(line.c_str(), options_.log);
    std::fflush(options_.log);
  }
  if (options_.log_to_stderr) {
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
  }
}

int PtyDevice::PollTimeoutMs(SteadyTime now) const {
  SteadyTime next = SteadyTime::max();
  if (!queue_.empty()) next = queue_.front().due;
  if (held_deadline_set_) next = std::min(next, held_deadline_);
  if (next == SteadyTime::max()) return -1;
  if (next <= now) return 0;
  // Round up so that the loop never wakes just before the deadline.
  auto wait = std::chrono::ceil<milliseconds>(next - now).count();
  return static_cast<int>(std::min<long long>(wait, 60'000));
}

void PtyDevice::Run(int control_fd, const std::function<bool()>& on_control) {
  for (;;) {
    // Descriptors of -1 (no client yet, no listener, no inotify) are left
    // out by poll().
    pollfd fds[5] = {{line_fd(), POLLIN, 0},
                     {stop_pipe_[0], POLLIN, 0},
                     {peer_watch_, POLLIN, 0},
                     {listen_fd_, POLLIN, 0},
                     {control_fd, POLLIN, 0}};
    int count = control_fd >= 0 ? 5 : 4;
    int ready =
        poll(fds, count, PollTimeoutMs(std::chrono::steady_clock::now()));
    if (ready < 0) {
      if (errno == EINTR) continue;
      throw PosixError("poll", errno);
    }
    if (fds[1].revents != 0) return;
    if (count == 5 && fds[4].revents != 0) {
      if (!on_control || !on_control()) return;
    }
    if (fds[2].revents != 0) WatchPeers();
    if (!pty_ && fds[0].revents != 0) {
      ReadMaster();
    } else if (fds[0].revents & POLLIN) {
      ReadMaster();
    } else if (fds[0].revents & (POLLHUP | POLLERR)) {
      // No peer has the slave open. The pair keeps a slave descriptor of its
      // own, so this is rare and short; wait instead of spinning.
      std::this_thread::sleep_for(milliseconds(50));
    }
    // After the client's own bytes: a client that closes and connects again
    // at once is seen to leave before it arrives.
    if (fds[3].revents != 0) AcceptClient();
    SteadyTime now = std::chrono::steady_clock::now();
    {
      std::lock_guard<std::mutex> lock(model_mutex_);
      const bool held =
          std::any_of(models_.begin(), models_.end(),
                      [](const DeviceModel& m) { return m.has_held_reply(); });
      if (!held) {
        held_deadline_set_ = false;
      } else if (held_deadline_set_ && now >= held_deadline_) {
        held_deadline_set_ = false;
        for (DeviceModel& model : models_) Schedule(model.FlushHeld(), now, 0);
      }
    }
    WriteDue(now);
  }
}

void PtyDevice::ReadMaster() {
  char buffer[4096];
  ssize_t got = read(line_fd(), buffer, sizeof buffer);
  if (!pty_ && got <= 0) {
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
    DropClient(got == 0 ? "closed by the client" : std::strerror(errno));
    return;
  }
  if (got < 0) {
    if (errno == EAGAIN || errno == EINTR) return;
    if (errno == EIO) {
      // The slave side is being closed and reopened.
      std::this_thread::sleep_for(milliseconds(50));
      return;
    }
    throw PosixError("read " + pty_->slave_path() + " master", errno);
  }
  SteadyTime now = std::chrono::steady_clock::now();
  const std::string_view bytes(buffer, static_cast<size_t>(got));
  // The adapter sends the bytes back as it transmits them.
  if (options_.echo) WriteAll(std::string(bytes));
  std::lock_guard<std::mutex> lock(model_mutex_);
  // Every device takes the same bytes, so each has the same lines.
  std::vector<std::vector<LineEvent>> events;
  for (DeviceModel& model : models_) events.push_back(model.Receive(bytes));
  for (std::size_t i = 0; i < events.front().size(); ++i) {
    LineEvent* first = &events.front()[i];
    Log("RX", first->line);
    std::vector<std::string> notes;
    LineEvent* observed = nullptr;
    for (std::vector<LineEvent>& device_events : events) {
      LineEvent& event = device_events[i];
      if (!event.addressed) continue;
      if (observed == nullptr) observed = &event;
      if (!event.note.empty() &&
          std::find(notes.begin(), notes.end(), event.note) == notes.end()) {
        notes.push_back(event.note);
      }
    }
    // A line no device on the line was addressed by is noted once.
    if (observed == nullptr && !first->note.empty()) {
      notes.push_back(first->note);
    }
    for (const std::string& note : notes) Log("--", note);
    if (options_.on_line) options_.on_line(observed ? *observed : *first, now);
    for (std::vector<LineEvent>& device_events : events) {
      LineEvent& event = device_events[i];
      if (event.addressed) {
        Schedule(std::move(event.out), now, event.line.size() + 2);
      }
    }
  }
  const bool held =
      std::any_of(models_.begin(), models_.end(),
                  [](const DeviceModel& m) { return m.has_held_reply(); });
  if (held && !held_deadline_set_) {
    held_deadline_set_ = true;
    held_deadline_ = now + milliseconds(options_.held_reply_timeout_ms);
  }
}

std::chrono::microseconds PtyDevice::LineTime(std::size_t bytes) const {
  if (options_.baud <= 0) return std::chrono::microseconds(0);
  return std::chrono::microseconds(static_cast<long long>(bytes) * 11 *
                                   1'000'000 / options_.baud);
}

void PtyDevice::Schedule(Transmission out, SteadyTime now,
                         std::size_t line_bytes) {
  if (out.empty()) return;
  // On an emulated line the reply starts once the command is in and the
  // line is free, and is complete once its own bytes are through.
  std::size_t reply_bytes = 0;
  for (const std::string& write : out.writes) reply_bytes += write.size();
  SteadyTime due = std::max(
      now + milliseconds(options_.delay_ms) + LineTime(line_bytes), last_due_);
  due += LineTime(reply_bytes);
  for (std::size_t i = 0; i < out.writes.size(); ++i) {
    if (i > 0) due += milliseconds(options_.write_pause_ms);
    PendingWrite write{due, std::move(out.writes[i]), {}};
    if (i + 1 == out.writes.size()) write.replies = std::move(out.replies);
    queue_.push_back(std::move(write));
    last_due_ = due;
  }
}

void PtyDevice::WriteDue(SteadyTime now) {
  while (!queue_.empty() && queue_.front().due <= now) {
    PendingWrite write = std::move(queue_.front());
    queue_.pop_front();
    // The observer hears of a reply before its bytes go out, so that the
    // receiver cannot see the reply before the observer does.
    SteadyTime writing = std::chrono::steady_clock::now();
    for (const std::string& reply : write.replies) {
      if (options_.on_reply) options_.on_reply(reply, writing);
    }
    WriteAll(write.bytes);
    for (const std::string& reply : write.replies) {
      Log("TX", WithoutLineEnd(reply));
    }
    if (write.replies.empty()) Log("--", "sent part " + write.bytes);
  }
}

void PtyDevice::WriteAll(const std::string& bytes) {
  const int fd = line_fd();
  if (fd < 0) {
    Log("--", "no client, " + std::to_string(bytes.size()) + " bytes dropped");
    return;
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    // A client that went away must not end the program with SIGPIPE.
    ssize_t put =
        pty_ ? write(fd, bytes.data() + done, bytes.size() - done)
             : send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (put > 0) {
      done += static_cast<std::size_t>(put);
      continue;
    }
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && errno == EAGAIN) {
      // Nobody reads the slave and its input queue is full: wait a little,
      // then drop the rest rather than stall the device.
      pollfd out{fd, POLLOUT, 0};
      if (poll(&out, 1, 200) > 0 && (out.revents & POLLOUT)) continue;
    }
    Log("--", "line blocked, " + std::to_string(bytes.size() - done) +
                  " bytes dropped");
    return;
  }
}

}  // namespace vqx::sim
