#include "base/device_settings.h"

#include <cstring>
#include <string>

#include "base/shift_jis.h"

namespace vqx {

namespace {

template <std::size_t N>
void Fill(int (&field)[N], int value) {
  for (int& element : field) element = value;
}

// The factory titles: three full-width blanks, "ＣＨ０" and the channel's
// full-width digit, three full-width blanks (20 Shift_JIS bytes). Padding
// with full-width blanks keeps them one token in the settings file.
void SetDefaultTitle(char (&title)[kTitleBufferBytes], int channel_index) {
  std::string text;
  for (int i = 0; i < 3; ++i) text += kFullWidthBlank;
  text += "\x82\x62\x82\x67\x82\x4F";  // "ＣＨ０"
  text += "\x82";
  text += static_cast<char>(0x50 + channel_index);  // "１".."８"
  for (int i = 0; i < 3; ++i) text += kFullWidthBlank;
  std::memset(title, 0, sizeof title);
  std::memcpy(title, text.data(), text.size());
}

}  // namespace

void LoadDefaultSettings(DeviceSettings& s) {
  s = {};
  s.alarm_mode = 0;
  s.alarm_polarity = 0;
  std::memcpy(s.alarm_hold_time, "030", 4);
  s.alarm_return = 1;
  s.alarm_display = 1;
  Fill(s.vloss_detect, 1);
  s.vloss_display = 1;
  s.vloss_signal_output = 0;
  s.vloss_background = 0;
  s.clock_display = 1;
  s.clock_display_range = 0;
  s.title_single_screen = 1;
  s.title_split_screen = 1;
  s.misc_osd_size_single = 1;
  s.misc_osd_size_split = 0;
  s.seq_mode = 2;
  Fill(s.title_pos_x, 11);
  Fill(s.title_pos_y, 13);
  Fill(s.seq_dwell, 3);
  Fill(s.adjust_brightness, 64);
  Fill(s.adjust_contrast, 64);
  Fill(s.adjust_sharpness, 0);
  Fill(s.adjust_hue, 0);
  Fill(s.adjust_saturation, 80);
  s.misc_connector_input = 0;
  s.misc_border_line = 0;
  s.misc_power_on_screen = 12;
  s.misc_dss_mode = 0;
  Fill(s.format_video, 0);
  s.misc_osd_offset_h = 8;
  s.misc_osd_offset_v = 8;
  for (int ch = 0; ch < kChannelCount; ++ch)
    SetDefaultTitle(s.title_text[ch], ch);
  for (int i = 0; i < 2; ++i) s.layout_2[i] = i;
  for (int i = 0; i < 4; ++i) s.layout_4a[i] = i;
  for (int i = 0; i < 4; ++i) s.layout_4b[i] = 4 + i;
  for (int i = 0; i < 6; ++i) s.layout_6a[i] = i;
  static constexpr int kLayout6b[6] = {0, 1, 2, 3, 6, 7};
  for (int i = 0; i < 6; ++i) s.layout_6b[i] = kLayout6b[i];
  for (int i = 0; i < 8; ++i) s.layout_9[i] = i;
  s.misc_ntsc_aspect = 0;
  Fill(s.agc_enable, 1);
  s.dirty = 0;
}

SettingsStore::SettingsStore() { LoadDefaultSettings(settings_); }

DeviceSettings SettingsStore::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return settings_;
}

void SettingsStore::Replace(const DeviceSettings& settings) {
  std::lock_guard<std::mutex> lock(mutex_);
  settings_ = settings;
}

}  // namespace vqx
