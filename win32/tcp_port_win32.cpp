#include "win32/tcp_port_win32.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <string>

#include "win32/text.h"

namespace vqx::win32 {

namespace {

// Bytes held from the negotiation until the first read: the device says
// nothing before it is asked, so more than this is not a device.
constexpr std::size_t kMaxPendingBytes = 4096;

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

std::string Seconds(int ms) {
  return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s"
                        : std::to_string(ms) + " ms";
}

int MillisecondsLeft(ULONGLONG deadline) {
  const ULONGLONG now = GetTickCount64();
  return now >= deadline ? 0 : static_cast<int>(deadline - now);
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
int SendAll(SOCKET socket, std::string_view bytes, int timeout_ms) {
  const ULONGLONG deadline =
      GetTickCount64() + static_cast<ULONGLONG>(timeout_ms);
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

}  // namespace

Win32TcpPort::Win32TcpPort(const PortAddress& address, TcpPortOptions options)
    : address_(address),
      options_(std::move(options)),
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

Win32TcpPort::Connection Win32TcpPort::Connect(std::vector<std::string>& notes,
                                               std::string& error) const {
  const std::string endpoint = address_.Endpoint();
  Connection connection;
  if (!winsock_ready_ || socket_event_ == WSA_INVALID_EVENT ||
      stop_event_ == nullptr || wake_event_ == nullptr) {
    error = "connect to " + endpoint + ": Winsock did not start";
    return connection;
  }
  if (!address_.is_network()) {
    error = address_.ToString() + ": not a network address";
    return connection;
  }
  const ULONGLONG deadline =
      GetTickCount64() + static_cast<ULONGLONG>(options_.connect_timeout_ms);
  ADDRINFOW hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  ADDRINFOW* found = nullptr;
  const std::wstring host = Widen(address_.host);
  const std::wstring service = std::to_wstring(address_.port);
  const int resolved =
      GetAddrInfoW(host.c_str(), service.c_str(), &hints, &found);
  if (resolved != 0) {
    error = "resolve " + endpoint + ": " + SystemText(resolved);
    return connection;
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
    error =
        "connect to " + endpoint + ": " +
        (timed_out ? "no answer within " + Seconds(options_.connect_timeout_ms)
                   : SystemText(failure));
    return connection;
  }
  const BOOL no_delay = TRUE;
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY,
             reinterpret_cast<const char*>(&no_delay), sizeof no_delay);
  connection.socket = socket;
  if (address_.kind == PortKind::kRfc2217 &&
      !Negotiate(connection, notes, error)) {
    closesocket(connection.socket);
    connection.socket = INVALID_SOCKET;
    return connection;
  }
  notes.insert(notes.begin(), "connected to " + address_.ToString());
  return connection;
}

bool Win32TcpPort::Negotiate(Connection& connection,
                             std::vector<std::string>& notes,
                             std::string& error) const {
  const std::string endpoint = address_.Endpoint();
  connection.codec = std::make_unique<TelnetCodec>();
  TelnetCodec& codec = *connection.codec;
  if (int failure = SendAll(connection.socket, codec.Start(),
                            kLineSettings.write_timeout_ms)) {
    error = "send to " + endpoint + ": " + SystemText(failure);
    return false;
  }
  const ULONGLONG deadline =
      GetTickCount64() +
      static_cast<ULONGLONG>(options_.negotiation_timeout_ms);
  while (!codec.negotiation_settled()) {
    const int ready =
        WaitFor(connection.socket, false, MillisecondsLeft(deadline));
    if (ready == SOCKET_ERROR) {
      error = "connect to " + endpoint + ": " + SystemText(WSAGetLastError());
      return false;
    }
    if (ready == 0) {
      notes.push_back(codec.com_port_option() == ComPortOptionState::kAsked
                          ? "server did not answer COM-PORT-OPTION within " +
                                Seconds(options_.negotiation_timeout_ms) +
                                "; going on without it"
                          : "server did not answer every line setting within " +
                                Seconds(options_.negotiation_timeout_ms) +
                                "; going on");
      return true;
    }
    char raw[2048];
    const int got = recv(connection.socket, raw, sizeof raw, 0);
    if (got == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) continue;
    if (got <= 0) {
      error = "connect to " + endpoint + ": " +
              (got == 0 ? std::string("closed by the server while negotiating")
                        : SystemText(WSAGetLastError()));
      return false;
    }
    std::string data, answers;
    codec.Decode(std::string_view(raw, static_cast<std::size_t>(got)), data,
                 answers);
    if (!answers.empty()) {
      if (int failure = SendAll(connection.socket, answers,
                                kLineSettings.write_timeout_ms)) {
        error = "send to " + endpoint + ": " + SystemText(failure);
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

void Win32TcpPort::Tell(const std::vector<std::string>& notes) const {
  if (!options_.on_note) return;
  for (const std::string& note : notes) options_.on_note(note);
}

void Win32TcpPort::Lose(const std::string& reason,
                        std::vector<std::string>& notes) {
  if (!connected_) return;
  connected_ = false;
  last_error_ = "connection to " + address_.Endpoint() + " lost: " + reason;
  notes.push_back(last_error_);
  shutdown(socket_, SD_BOTH);
  // Wakes a reader still waiting on the old connection.
  WSASetEvent(socket_event_);
}

bool Win32TcpPort::connected() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connected_;
}

std::string Win32TcpPort::last_error() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return last_error_;
}

std::optional<ComPortOptionState> Win32TcpPort::com_port_option() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!codec_) return std::nullopt;
  return codec_->com_port_option();
}

bool Win32TcpPort::Open() {
  std::lock_guard<std::mutex> connecting(connect_mutex_);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (connected_) return true;
  }
  std::vector<std::string> notes;
  std::string error;
  Connection connection = Connect(notes, error);
  if (connection.socket == INVALID_SOCKET) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      last_error_ = error;
    }
    notes.push_back(error);
    Tell(notes);
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // The reader waits on the events, never on the socket itself, and uses
    // the socket only under the lock: the old one can go at once.
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = connection.socket;
    WSAResetEvent(socket_event_);
    WSAEventSelect(socket_, socket_event_, FD_READ | FD_CLOSE);
    codec_ = std::move(connection.codec);
    pending_ = std::move(connection.pending);
    connected_ = true;
    ++generation_;
  }
  SetEvent(wake_event_);
  Tell(notes);
  return true;
}

bool Win32TcpPort::Write(std::string_view bytes) {
  if (!connected() && !Open()) return false;
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
    const int error = SendAll(socket_, bytes, kLineSettings.write_timeout_ms);
    if (error == 0) {
      ok = true;
    } else if (error == WSAETIMEDOUT) {
      last_error_ = "send to " + address_.Endpoint() + ": no room within " +
                    Seconds(kLineSettings.write_timeout_ms);
    } else {
      Lose(SystemText(error), notes);
    }
  }
  Tell(notes);
  return ok;
}

std::size_t Win32TcpPort::WaitAndRead(std::span<char> buffer) {
  if (buffer.empty() || stop_event_ == nullptr) return 0;
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
    const HANDLE events[2] = {connected ? socket_event_ : wake_event_,
                              stop_event_};
    const DWORD woke = WaitForMultipleObjects(2, events, FALSE, INFINITE);
    if (woke != WAIT_OBJECT_0) return 0;  // stopped, or the wait failed
    if (!connected) continue;

    std::vector<std::string> notes;
    std::size_t count = 0;
    bool lost = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (generation != generation_) continue;  // connected again meanwhile
      if (!connected_) return 0;  // the connection read from was lost
      WSANETWORKEVENTS happened{};
      WSAEnumNetworkEvents(socket_, socket_event_, &happened);
      // Telnet only ever shrinks what it carries, so the device bytes of
      // this many received bytes fit the buffer.
      char raw[2048];
      const int wanted = static_cast<int>(std::min(buffer.size(), sizeof raw));
      char* target = codec_ ? raw : buffer.data();
      const int got = recv(socket_, target, wanted, 0);
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
              SendAll(socket_, answers, kLineSettings.write_timeout_ms);
          if (error != 0 && error != WSAETIMEDOUT) {
            Lose(SystemText(error), notes);
          }
        }
      } else if (got == 0) {
        Lose("closed by the server", notes);
      } else if (WSAGetLastError() != WSAEWOULDBLOCK) {
        Lose(SystemText(WSAGetLastError()), notes);
      }
      lost = !connected_;
    }
    Tell(notes);
    if (count > 0) return count;
    if (lost) return 0;
  }
}

void Win32TcpPort::CancelRead() {
  if (stop_event_ != nullptr) SetEvent(stop_event_);
}

}  // namespace vqx::win32
