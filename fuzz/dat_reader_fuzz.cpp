// Arbitrary bytes as a settings file: reading must stay within the record,
// and whatever it loaded must write and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "files/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  vqx::DeviceSettings loaded;
  vqx::LoadDefaultSettings(loaded);
  vqx::ReadSettingsText(text, loaded);

  const std::string written = vqx::WriteSettingsText(loaded);
  std::size_t lines = 0;
  for (std::size_t at = written.find("\r\n"); at != std::string::npos;
       at = written.find("\r\n", at + 2)) {
    ++lines;
  }
  if (lines != vqx::kSettingsFileLines) std::abort();

  // Start from a record unlike the defaults: every field must come from
  // the file.
  vqx::DeviceSettings reread;
  std::memset(&reread, 0x33, sizeof reread);
  reread.dirty = loaded.dirty;
  vqx::ReadSettingsText(written, reread);
  if (std::memcmp(&reread, &loaded, sizeof loaded) != 0) std::abort();
  if (vqx::WriteSettingsText(reread) != written) std::abort();
  return 0;
}
