#include "base/file_io.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

namespace vqx {

namespace fs = std::filesystem;

namespace {

// More links in a row than this is a loop.
constexpr int kMaxLinksFollowed = 40;

std::atomic<FileSyncHook> file_sync_hook{nullptr};

fs::path TemporaryPathBeside(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  static const unsigned seed = std::random_device{}();
  fs::path temporary = target;
  for (;;) {
    const unsigned number = seed + counter.fetch_add(1) * 2654435761u;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", number);
    temporary.replace_filename(target.filename().native() +
                               fs::path(suffix).native());
    std::error_code error;
    // On an error the name is tried anyway; opening it then fails.
    if (!fs::exists(temporary, error) || error) return temporary;
  }
}

// The file a path finally names: each symbolic link on the way replaced by
// what it points to (relative to the link's folder). Nothing for a loop or a
// link that cannot be read. A link to a missing file gives that file's path,
// so writing through it creates the file the link names.
std::optional<fs::path> FollowLinks(fs::path path) {
  for (int followed = 0; followed <= kMaxLinksFollowed; ++followed) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (error || !fs::is_symlink(status)) return path;
    const fs::path target = fs::read_symlink(path, error);
    if (error) return std::nullopt;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return std::nullopt;
}

bool HasWriteBit(fs::perms perms) {
  constexpr fs::perms kWrite =
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  return (perms & kWrite) != fs::perms::none;
}

}  // namespace

bool IsWriteProtected(const fs::path& requested) {
  const std::optional<fs::path> path = FollowLinks(requested);
  if (!path) return false;
  std::error_code error;
  const fs::file_status status = fs::status(*path, error);
  return !error && fs::exists(status) && !HasWriteBit(status.permissions());
}

fs::path PathFromUtf8(std::string_view utf8_path) {
  std::u8string text;
  text.reserve(utf8_path.size());
  for (char c : utf8_path) text.push_back(static_cast<char8_t>(c));
  return fs::path(text);
}

void SetFileSyncHook(FileSyncHook hook) { file_sync_hook = hook; }

bool WriteFileAtomically(const fs::path& requested, std::string_view bytes) {
  // Renaming over a symbolic link would replace the link with a plain file
  // and leave the file it points to as it was.
  const std::optional<fs::path> resolved = FollowLinks(requested);
  if (!resolved) return false;
  const fs::path& path = *resolved;
  std::error_code error;
  const fs::file_status old_status = fs::status(path, error);
  const bool replacing = !error && fs::exists(old_status);
  if (replacing && (!fs::is_regular_file(old_status) ||
                    !HasWriteBit(old_status.permissions()))) {
    return false;
  }
  const fs::path temporary = TemporaryPathBeside(path);
  auto give_up = [&temporary] {
    std::error_code ignored;
    // Windows removes no read-only file, and the temporary file may have
    // been given the target's bits already.
    fs::permissions(temporary, fs::perms::owner_write, fs::perm_options::add,
                    ignored);
    fs::remove(temporary, ignored);
    return false;
  };
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return give_up();
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) return give_up();
    out.close();
    if (out.fail()) return give_up();
  }
  // The standard library cannot force data to the disk; the platform code
  // installs a hook that does (fsync, FlushFileBuffers).
  if (FileSyncHook hook = file_sync_hook.load(); hook && !hook(temporary)) {
    return give_up();
  }
  // A replaced file keeps its permissions.
  if (replacing) fs::permissions(temporary, old_status.permissions(), error);
  fs::rename(temporary, path, error);
  if (error) return give_up();
  return true;
}

std::optional<std::string> ReadWholeFile(const fs::path& path,
                                         std::size_t max_bytes) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes;
  char chunk[8192];
  while (in) {
    in.read(chunk, sizeof chunk);
    const auto count = static_cast<std::size_t>(in.gcount());
    if (bytes.size() + count > max_bytes) return std::nullopt;
    bytes.append(chunk, count);
  }
  if (in.bad()) return std::nullopt;
  return bytes;
}

}  // namespace vqx
