#include "win32/tcp_port_win32.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "win32/text.h"

namespace vqx::win32 {

namespace {

using Status = IoResult::Status;

// Winsock for the whole process, started once and left to the process exit.
bool StartWinsock() {
  static const bool ready = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
}

// The system's text of a Winsock error, with its number.
std::string SystemText(int code) {
  wchar_t text[512] = {};
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(code), 0, text,
                     static_cast<DWORD>(std::size(text)), nullptr);
  std::wstring_view shown(text, length);
  while (!shown.empty() && (shown.back() == L'\r' || shown.back() == L'\n' ||
                            shown.back() == L' ')) {
    shown.remove_suffix(1);
  }
  const std::string number = "error " + std::to_string(code);
  return shown.empty() ? number : Narrow(shown) + " (" + number + ")";
}

// Waits until `socket` can be read (`write` false) or written, or has
// failed; 1 when ready, 0 after `ms`, SOCKET_ERROR on a failed wait.
int WaitFor(SOCKET socket, bool write, int ms) {
  fd_set ready;
  fd_set failed;
  FD_ZERO(&ready);
  FD_ZERO(&failed);
  FD_SET(socket, &ready);
  FD_SET(socket, &failed);
  timeval wait{ms / 1000, (ms % 1000) * 1000};
  return select(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed,
                &wait);
}

// Sends all of `bytes`; 0, or the Winsock error of the failure
// (WSAETIMEDOUT when no room came within `timeout_ms`).
int SendBytes(SOCKET socket, std::string_view bytes, int timeout_ms) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!bytes.empty()) {
    const int chunk =
        static_cast<int>(std::min<std::size_t>(bytes.size(), 65536));
    const int sent = send(socket, bytes.data(), chunk, 0);
    if (sent > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    const int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK) return error;
    const int left = MillisecondsLeft(deadline);
    if (left == 0 || WaitFor(socket, true, left) <= 0) return WSAETIMEDOUT;
  }
  return 0;
}

// One connected socket; it closes the socket until the port takes it.
class SocketChannel final : public NetworkChannel {
 public:
  SocketChannel(SOCKET socket, std::string endpoint)
      : socket_(socket), endpoint_(std::move(endpoint)) {}
  ~SocketChannel() override {
    if (owned_) closesocket(socket_);
  }

  // The port keeps the socket and closes it itself; the socket's FD_READ
  // and FD_CLOSE set `event`, which Shutdown sets too.
  SOCKET Release(HANDLE event) {
    owned_ = false;
    event_ = event;
    return socket_;
  }

  IoResult SendAll(std::string_view bytes, int timeout_ms) override {
    const int error = SendBytes(socket_, bytes, timeout_ms);
    if (error == 0) return {};
    return {error == WSAETIMEDOUT ? Status::kTimedOut : Status::kFailed, 0,
            SystemText(error)};
  }

  IoResult WaitReadable(
      std::chrono::steady_clock::time_point deadline) override {
    const int ready = WaitFor(socket_, false, MillisecondsLeft(deadline));
    if (ready == SOCKET_ERROR) {
      return {Status::kFailed, 0,
              "connect to " + endpoint_ + ": " + SystemText(WSAGetLastError())};
    }
    return ready == 0 ? Status::kTimedOut : Status::kDone;
  }

  IoResult Receive(std::span<char> buffer) override {
    if (event_ != nullptr) {
      // Takes the events that woke the reader, so that the next wait is
      // for what comes after this.
      WSANETWORKEVENTS happened{};
      WSAEnumNetworkEvents(socket_, event_, &happened);
    }
    const int got =
        recv(socket_, buffer.data(), static_cast<int>(buffer.size()), 0);
    if (got > 0) return {Status::kDone, static_cast<std::size_t>(got)};
    if (got == 0) return Status::kClosed;
    const int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK) return Status::kWouldBlock;
    return {Status::kFailed, 0, SystemText(error)};
  }

  void Shutdown() override {
    shutdown(socket_, SD_BOTH);
    // Wakes a reader still waiting on the old connection.
    if (event_ != nullptr) WSASetEvent(event_);
  }

 private:
  SOCKET socket_;
  bool owned_ = true;
  HANDLE event_ = nullptr;
  const std::string endpoint_;
};

}  // namespace

Win32TcpPort::Win32TcpPort(const PortAddress& address, TcpPortOptions options)
    : NetworkPort(address, std::move(options)),
      winsock_ready_(StartWinsock()),
      socket_event_(WSACreateEvent()),
      stop_event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      wake_event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

Win32TcpPort::~Win32TcpPort() {
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
  if (socket_event_ != WSA_INVALID_EVENT) WSACloseEvent(socket_event_);
  for (HANDLE event : {stop_event_, wake_event_}) {
    if (event != nullptr) CloseHandle(event);
  }
}

std::unique_ptr<NetworkChannel> Win32TcpPort::Connect(std::string& error) {
  const PortAddress& address = session_.address();
  const std::string endpoint = address.Endpoint();
  if (!winsock_ready_ || socket_event_ == WSA_INVALID_EVENT ||
      stop_event_ == nullptr || wake_event_ == nullptr) {
    error = "connect to " + endpoint + ": Winsock did not start";
    return nullptr;
  }
  if (!address.is_network()) {
    error = address.ToString() + ": not a network address";
    return nullptr;
  }
  const auto deadline =
      std::chrono::steady_clock::now() +
      std::chrono::milliseconds(session_.options().connect_timeout_ms);
  ADDRINFOW hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  ADDRINFOW* found = nullptr;
  const std::wstring host = Widen(address.host);
  const std::wstring service = std::to_wstring(address.port);
  const int resolved =
      GetAddrInfoW(host.c_str(), service.c_str(), &hints, &found);
  if (resolved != 0) {
    error = "resolve " + endpoint + ": " + SystemText(resolved);
    return nullptr;
  }
  SOCKET socket = INVALID_SOCKET;
  int failure = 0;
  bool timed_out = false;
  for (ADDRINFOW* candidate = found;
       candidate != nullptr && socket == INVALID_SOCKET;
       candidate = candidate->ai_next) {
    socket = WSASocketW(candidate->ai_family, candidate->ai_socktype,
                        candidate->ai_protocol, nullptr, 0,
                        WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (socket == INVALID_SOCKET) {
      failure = WSAGetLastError();
      continue;
    }
    u_long non_blocking = 1;
    ioctlsocket(socket, FIONBIO, &non_blocking);
    bool connected = false;
    if (::connect(socket, candidate->ai_addr,
                  static_cast<int>(candidate->ai_addrlen)) == 0) {
      connected = true;
    } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
      fd_set writable;
      fd_set failed;
      FD_ZERO(&writable);
      FD_ZERO(&failed);
      FD_SET(socket, &writable);
      FD_SET(socket, &failed);
      const int left = MillisecondsLeft(deadline);
      timeval wait{left / 1000, (left % 1000) * 1000};
      const int ready = select(0, nullptr, &writable, &failed, &wait);
      if (ready == 0) {
        timed_out = true;
      } else if (ready == SOCKET_ERROR) {
        failure = WSAGetLastError();
      } else if (FD_ISSET(socket, &failed)) {
        int code = 0;
        int length = sizeof code;
        getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&code),
                   &length);
        failure = code != 0 ? code : WSAECONNREFUSED;
      } else {
        connected = true;
      }
    } else {
      failure = WSAGetLastError();
    }
    if (connected) break;
    closesocket(socket);
    socket = INVALID_SOCKET;
    if (timed_out) break;
  }
  FreeAddrInfoW(found);
  if (socket == INVALID_SOCKET) {
    error = "connect to " + endpoint + ": " +
            (timed_out ? "no answer within " +
                             TimeoutText(session_.options().connect_timeout_ms)
                       : SystemText(failure));
    return nullptr;
  }
  const BOOL no_delay = TRUE;
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY,
             reinterpret_cast<const char*>(&no_delay), sizeof no_delay);
  return std::make_unique<SocketChannel>(socket, endpoint);
}

bool Win32TcpPort::Install(NetworkChannel& fresh, std::string& /*error*/) {
  // The reader waits on the events, never on the socket itself, and uses
  // the socket only under the lock: the old one can go at once.
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
  socket_ = static_cast<SocketChannel&>(fresh).Release(socket_event_);
  WSAResetEvent(socket_event_);
  WSAEventSelect(socket_, socket_event_, FD_READ | FD_CLOSE);
  return true;
}

void Win32TcpPort::WakeReader() { SetEvent(wake_event_); }

NetworkPlatform::Wake Win32TcpPort::WaitForReader(bool connected,
                                                  std::string& /*error*/) {
  if (stop_event_ == nullptr) return Wake::kStopped;
  const HANDLE events[2] = {connected ? socket_event_ : wake_event_,
                            stop_event_};
  const DWORD woke = WaitForMultipleObjects(2, events, FALSE, INFINITE);
  // Anything else is the stop event, or a wait that failed.
  return woke == WAIT_OBJECT_0 ? Wake::kReadable : Wake::kStopped;
}

void Win32TcpPort::CancelRead() {
  if (stop_event_ != nullptr) SetEvent(stop_event_);
}

}  // namespace vqx::win32
