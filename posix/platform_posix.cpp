#include "posix/platform_posix.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "base/file_io.h"
#include "files/settings_file.h"
#include "posix/posix_error.h"

namespace vqx {

namespace {

// Bytes of the UTF-8 character starting at `text` (1 for a stray byte).
std::size_t Utf8CharacterLength(const char* text, std::size_t left) {
  auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = lead >= 0xF0 && lead <= 0xF7   ? 4
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xC0 && lead <= 0xDF ? 2
                                                      : 1;
  std::size_t taken = 1;
  while (taken < length && taken < left &&
         (static_cast<unsigned char>(text[taken]) & 0xC0) == 0x80) {
    ++taken;
  }
  return taken;
}

// Converts all of `input`; a character that does not convert (a whole UTF-8
// character, or one byte of Shift_JIS) is replaced by `replacement`.
std::string Convert(iconv_t converter, std::string_view input,
                    std::string_view replacement, bool input_is_utf8) {
  std::string output;
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(input.data());
  size_t in_left = input.size();
  char buffer[256];
  while (in_left > 0) {
    char* out = buffer;
    size_t out_left = sizeof buffer;
    size_t result = iconv(converter, &in, &in_left, &out, &out_left);
    output.append(buffer, static_cast<size_t>(out - buffer));
    if (result != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: one byte cannot start a character here.
    output += replacement;
    std::size_t skip = input_is_utf8 ? Utf8CharacterLength(in, in_left) : 1;
    in += skip;
    in_left -= skip;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  char* out = buffer;
  size_t out_left = sizeof buffer;
  iconv(converter, nullptr, nullptr, &out, &out_left);
  output.append(buffer, static_cast<size_t>(out - buffer));
  return output;
}

bool SyncFile(const std::filesystem::path& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = fsync(fd) == 0;
  close(fd);
  return synced;
}

}  // namespace

LocalTime PosixClock::Now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  LocalTime time;
  time.year = local.tm_year + 1900;
  time.month = local.tm_mon + 1;
  time.day = local.tm_mday;
  time.weekday = local.tm_wday;
  time.hour = local.tm_hour;
  time.minute = local.tm_min;
  time.second = local.tm_sec > 59 ? 59 : local.tm_sec;
  time.millisecond = static_cast<int>(now.tv_nsec / 1'000'000);
  return time;
}

std::chrono::milliseconds PosixSteadyClock::Now() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

IconvTextCodec::IconvTextCodec() {
  to_utf8_ = iconv_open("UTF-8", "CP932");
  if (to_utf8_ == reinterpret_cast<iconv_t>(-1)) {
    throw PosixError("iconv_open CP932 to UTF-8", errno);
  }
  to_sjis_ = iconv_open("CP932", "UTF-8");
  if (to_sjis_ == reinterpret_cast<iconv_t>(-1)) {
    int error = errno;
    iconv_close(to_utf8_);
    throw PosixError("iconv_open UTF-8 to CP932", error);
  }
}

IconvTextCodec::~IconvTextCodec() {
  iconv_close(to_utf8_);
  iconv_close(to_sjis_);
}

std::string IconvTextCodec::ShiftJisToUtf8(std::string_view sjis) {
  std::lock_guard<std::mutex> lock(mutex_);
  return Convert(to_utf8_, sjis, "\xEF\xBF\xBD", false);
}

std::string IconvTextCodec::Utf8ToShiftJis(std::string_view utf8) {
  std::lock_guard<std::mutex> lock(mutex_);
  return Convert(to_sjis_, utf8, "?", true);
}

void ConsoleMessageBoxes::Add(Shown::Kind kind, std::string_view text) {
  std::lock_guard<std::mutex> lock(mutex_);
  shown_.push_back({kind, std::string(text)});
}

void ConsoleMessageBoxes::ShowSuccessBox(std::string_view text) {
  Add(Shown::kSuccess, text);
  if (print_success_) {
    std::printf("%.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(stdout);
  }
}

void ConsoleMessageBoxes::ShowErrorBox(std::string_view text) {
  Add(Shown::kError, text);
  std::fprintf(stderr, "Error: %.*s\n", static_cast<int>(text.size()),
               text.data());
}

void ConsoleMessageBoxes::ShowWarningBox(std::string_view text) {
  Add(Shown::kWarning, text);
  std::fprintf(stderr, "Error: %.*s\n", static_cast<int>(text.size()),
               text.data());
}

bool ConsoleMessageBoxes::AskYesNo(std::string_view, std::string_view) {
  return false;
}

std::vector<ConsoleMessageBoxes::Shown> ConsoleMessageBoxes::shown() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return shown_;
}

int ConsoleMessageBoxes::failures() const {
  std::lock_guard<std::mutex> lock(mutex_);
  int count = 0;
  for (const Shown& box : shown_) count += box.kind != Shown::kSuccess;
  return count;
}

void ConsoleMessageBoxes::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  shown_.clear();
}

void InstallPosixFileSync() { SetFileSyncHook(&SyncFile); }

}  // namespace vqx
