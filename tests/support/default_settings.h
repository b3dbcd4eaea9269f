// The factory settings as a value, for tests that compare against them, and
// a channel title set from its Shift_JIS bytes.
#pragma once

#include <cstring>
#include <string_view>

#include "base/device_settings.h"

namespace vqx::testing {

inline DeviceSettings Defaults() {
  DeviceSettings settings;
  LoadDefaultSettings(settings);
  return settings;
}

// The title of `channel` becomes `bytes`, the rest of its buffer zeros.
inline void SetTitle(DeviceSettings& settings, int channel,
                     std::string_view bytes) {
  std::memset(settings.title_text[channel], 0, kTitleBufferBytes);
  std::memcpy(settings.title_text[channel], bytes.data(), bytes.size());
}

}  // namespace vqx::testing
