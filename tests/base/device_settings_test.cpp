#include "base/device_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/core.h"

namespace vqx {
namespace {

std::vector<int> Elements(const int* first, int count) {
  return std::vector<int>(first, first + count);
}

TEST(DeviceSettingsDefaults, EveryFieldHasItsFactoryValue) {
  DeviceSettings s;
  std::memset(&s, 0x5A, sizeof s);  // stale contents must not survive
  LoadDefaultSettings(s);

  EXPECT_EQ(s.alarm_mode, 0);
  EXPECT_EQ(s.alarm_polarity, 0);
  EXPECT_EQ(std::string(s.alarm_hold_time), "030");
  EXPECT_EQ(s.alarm_return, 1);
  EXPECT_EQ(s.alarm_display, 1);
  EXPECT_EQ(Elements(s.vloss_detect, 8), std::vector<int>(8, 1));
  EXPECT_EQ(s.vloss_display, 1);
  EXPECT_EQ(s.vloss_signal_output, 0);
  EXPECT_EQ(s.vloss_background, 0);
  EXPECT_EQ(s.clock_display, 1);
  EXPECT_EQ(s.clock_display_range, 0);
  EXPECT_EQ(s.title_single_screen, 1);
  EXPECT_EQ(s.title_split_screen, 1);
  EXPECT_EQ(s.misc_osd_size_single, 1);
  EXPECT_EQ(s.misc_osd_size_split, 0);
  EXPECT_EQ(s.seq_mode, 2);
  EXPECT_EQ(Elements(s.title_pos_x, 8), std::vector<int>(8, 11));
  EXPECT_EQ(Elements(s.title_pos_y, 8), std::vector<int>(8, 13));
  EXPECT_EQ(Elements(s.seq_dwell, 13), std::vector<int>(13, 3));
  EXPECT_EQ(Elements(s.adjust_brightness, 8), std::vector<int>(8, 64));
  EXPECT_EQ(Elements(s.adjust_contrast, 8), std::vector<int>(8, 64));
  EXPECT_EQ(Elements(s.adjust_sharpness, 8), std::vector<int>(8, 0));
  EXPECT_EQ(Elements(s.adjust_hue, 8), std::vector<int>(8, 0));
  EXPECT_EQ(Elements(s.adjust_saturation, 8), std::vector<int>(8, 80));
  EXPECT_EQ(s.misc_connector_input, 0);
  EXPECT_EQ(s.misc_border_line, 0);
  EXPECT_EQ(s.misc_power_on_screen, 12);
  EXPECT_EQ(s.misc_dss_mode, 0);
  EXPECT_EQ(Elements(s.format_video, 8), std::vector<int>(8, 0));
  EXPECT_EQ(s.misc_osd_offset_h, 8);
  EXPECT_EQ(s.misc_osd_offset_v, 8);
  for (int ch = 0; ch < 8; ++ch) {
    // "　　　ＣＨ０n　　　" in Shift_JIS, NUL-filled to the buffer's end.
    std::string expected = "\x81\x40\x81\x40\x81\x40\x82\x62\x82\x67\x82\x4F";
    expected += '\x82';
    expected += static_cast<char>(0x50 + ch);
    expected += "\x81\x40\x81\x40\x81\x40";
    expected.resize(kTitleBufferBytes, '\0');
    EXPECT_EQ(std::string(s.title_text[ch], kTitleBufferBytes), expected)
        << "channel " << ch + 1;
  }
  EXPECT_EQ(Elements(s.layout_2, 2), (std::vector<int>{0, 1}));
  EXPECT_EQ(Elements(s.layout_4a, 4), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Elements(s.layout_4b, 4), (std::vector<int>{4, 5, 6, 7}));
  EXPECT_EQ(Elements(s.layout_6a, 6), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(Elements(s.layout_6b, 6), (std::vector<int>{0, 1, 2, 3, 6, 7}));
  EXPECT_EQ(Elements(s.layout_9, 8),
            (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(s.misc_ntsc_aspect, 0);
  EXPECT_EQ(Elements(s.agc_enable, 8), std::vector<int>(8, 1));
  EXPECT_EQ(s.dirty, 0);
  EXPECT_EQ(s.alarm_hold_time[3], '\0');
}

TEST(DeviceSettingsDefaults, NewStoreStartsAtDefaults) {
  SettingsStore store;
  DeviceSettings expected;
  LoadDefaultSettings(expected);
  const DeviceSettings actual = store.Snapshot();
  EXPECT_EQ(std::memcmp(&actual, &expected, sizeof expected), 0);
}

TEST(DeviceSettingsDefaults, LoadDefaultsKeepsSlaveAddressPathAndLocks) {
  Core core;
  core.slave_address = 5;
  core.current_file_path = "/tmp/a.dat";
  core.link.sequence_step = 4;
  core.settings.Update([](DeviceSettings& s) {
    s.dirty = 1;
    s.format_video[2] = 5;
  });
  LoadDefaults(core);
  EXPECT_EQ(core.slave_address, 5);
  EXPECT_EQ(core.current_file_path, "/tmp/a.dat");
  EXPECT_EQ(core.link.sequence_step, 0);
  const DeviceSettings s = core.settings.Snapshot();
  EXPECT_EQ(s.dirty, 0);
  EXPECT_EQ(s.format_video[2], 0);
}

}  // namespace
}  // namespace vqx
