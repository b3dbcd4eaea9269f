// Arbitrary bytes as a settings file: reading must stay within the record;
// a refused file must leave the record exactly as it was and describe
// itself; whatever a taken file loaded must write as 153 lines and read
// back unchanged.
//
// Each input is tried three ways: as it stands (mostly read by tokens),
// as the first lines of an otherwise whole 153-line file (read by lines),
// and as that file after one blank line (154 lines: read by tokens again).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "files/settings_file.h"
#include "quiet_services.h"

namespace {

using vqx::fuzzing::RawCodec;

std::size_t CountLines(const std::string& text) {
  std::size_t lines = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos;
       at = text.find("\r\n", at + 2)) {
    ++lines;
  }
  return lines;
}

void Check(std::string_view text) {
  // A record unlike anything a file gives: a refused file must leave every
  // byte of it, and a taken one must set every saved field.
  vqx::DeviceSettings before;
  std::memset(&before, 0x5A, sizeof before);
  vqx::DeviceSettings loaded = before;
  const vqx::SettingsFileRead read = vqx::ReadSettingsText(text, loaded);
  if (!read) {
    if (std::memcmp(&loaded, &before, sizeof loaded) != 0) std::abort();
    RawCodec codec;
    if (vqx::DescribeSettingsFileError(*read.error, codec).empty()) {
      std::abort();
    }
    if (read.error->line < 0 || read.error->found.size() > 64) std::abort();
    return;
  }
  if (loaded.dirty != before.dirty) std::abort();

  const std::string written = vqx::WriteSettingsText(loaded);
  if (CountLines(written) != vqx::kSettingsFileLines) std::abort();

  vqx::DeviceSettings reread;
  std::memset(&reread, 0x33, sizeof reread);
  reread.dirty = loaded.dirty;
  if (!vqx::ReadSettingsText(written, reread)) std::abort();
  if (std::memcmp(&reread, &loaded, sizeof loaded) != 0) std::abort();
  if (vqx::WriteSettingsText(reread) != written) std::abort();
}

// The factory file's lines, the input's lines (cut at LF) in place of the
// first of them: 153 lines in all.
std::string OverFactoryLines(std::string_view input) {
  static const std::vector<std::string> factory = [] {
    vqx::DeviceSettings defaults;
    vqx::LoadDefaultSettings(defaults);
    const std::string text = vqx::WriteSettingsText(defaults);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find("\r\n", start);
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }();
  std::vector<std::string> lines = factory;
  std::size_t index = 0;
  while (index < lines.size() && !input.empty()) {
    const std::size_t end = input.find('\n');
    lines[index++] = std::string(input.substr(0, end));
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  Check(input);
  const std::string by_lines = OverFactoryLines(input);
  Check(by_lines);
  Check("\n" + by_lines);
  return 0;
}
