// Whole-file reading and the replace-in-one-step writing that the settings
// files and the program's INI file both use. Paths are UTF-8 text on every
// platform.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vqx {

// A path from UTF-8 text, on every platform.
std::filesystem::path PathFromUtf8(std::string_view utf8_path);

// Replaces the file at `path` with `bytes`: written to a temporary file in
// the same folder, flushed, closed and renamed over the target. On any
// failure the temporary file is removed, the target is untouched and the
// result is false.
//
// A symbolic link is followed (through any chain of links) and the file it
// points to is replaced; the link itself stays. The replaced file keeps its
// permission bits. A target that is write-protected, or that is no regular
// file, is refused: renaming would replace it all the same.
bool WriteFileAtomically(const std::filesystem::path& path,
                         std::string_view bytes);

// True when the file at `path` (links followed) exists and has no write
// permission bit at all: a read-only file on Windows, a file nobody may
// write on POSIX. Such a file is never replaced, whoever asks (root too).
bool IsWriteProtected(const std::filesystem::path& path);

// The whole file, or nothing when it cannot be opened or read, is not a
// regular file, or is larger than `max_bytes`.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path,
                                         std::size_t max_bytes);

// Forces a written file's data to the disk; true on success. The platform
// code installs one (fsync, FlushFileBuffers); without one, a file is
// replaced once the stream has flushed and closed without error.
using FileSyncHook = bool (*)(const std::filesystem::path& path);
void SetFileSyncHook(FileSyncHook hook);

}  // namespace vqx
