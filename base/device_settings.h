// The settings record that mirrors the VQX-460, its defaults and its store.
//
// Depends on nothing but the standard library. The record is shared between
// the user-interface thread and the receive thread; `SettingsStore` is the
// only way either thread reaches it, so no field is ever read and written
// unsynchronised.
#pragma once

#include <cstddef>
#include <mutex>

namespace vqx {

inline constexpr int kChannelCount = 8;
inline constexpr int kSequenceEntryCount = 13;

// Screens, as the screen and power-on lists number them: 0..7 the channels,
// then the split layouts and automatic switching.
inline constexpr int kScreenSplit4A = 8;
inline constexpr int kScreenSplit4B = 9;
inline constexpr int kScreenSplit6A = 10;
inline constexpr int kScreenSplit6B = 11;
inline constexpr int kScreenSplit9 = 12;
inline constexpr int kScreenAutomatic = 13;
inline constexpr int kScreenCount = 14;
// A title holds at most 20 bytes of double-byte Shift_JIS text; the buffer
// keeps room for a terminator after that.
inline constexpr std::size_t kTitleBytes = 20;
inline constexpr std::size_t kTitleBufferBytes = 22;
// Up to three decimal digits plus the terminator.
inline constexpr std::size_t kHoldTimeBufferBytes = 4;

// Numeric fields are list indexes exactly as the dialogs show them; text
// fields hold NUL-terminated Shift_JIS bytes. Every saved field has its entry
// in the settings catalogue (settings_catalogue.h), which gives its place in
// the settings file, its default, its range and the words that show it.
struct DeviceSettings {
  int alarm_mode;                              // 0 Internal, 1 External
  int alarm_polarity;                          // 0 Make, 1 Break
  char alarm_hold_time[kHoldTimeBufferBytes];  // seconds as typed, "030"
  int alarm_return;                            // 0 OFF, 1 ON
  int alarm_display;                           // 0 OFF, 1 ON
  int vloss_detect[kChannelCount];             // per channel 0 OFF, 1 ON
  int vloss_display;                           // 0 OFF, 1 ON
  int vloss_signal_output;                     // 0 OFF, 1 ON
  int vloss_background;                        // 0 black, 1 blue
  int clock_display;                           // 0 OFF, 1 ON
  int clock_display_range;                     // 0..7
  int title_single_screen;                     // 0 OFF, 1 ON
  int title_split_screen;                      // 0 OFF, 1 ON
  int misc_osd_size_single;                    // 0 SMALL, 1 LARGE
  int misc_osd_size_split;                     // 0 SMALL, 1 LARGE
  int seq_mode;                                // 0 single, 1 split, 2 mix
  int title_pos_x[kChannelCount];  // filed only; no command uses them
  int title_pos_y[kChannelCount];
  int seq_dwell[kSequenceEntryCount];    // seconds 0..99
  int adjust_brightness[kChannelCount];  // list index 0..127 (shown index-64)
  int adjust_contrast[kChannelCount];    // 0..127
  int adjust_sharpness[kChannelCount];   // 0..31
  int adjust_hue[kChannelCount];         // 0..255
  int adjust_saturation[kChannelCount];  // 0..127
  int misc_connector_input;              // 0 ALARM, 1 REMOTE
  int misc_border_line;                  // 0 black, 1 gray, 2 white, 3 OFF
  int misc_power_on_screen;              // screen index 0..13
  int misc_dss_mode;                     // as last reported by the device
  int format_video[kChannelCount];       // 0..6
  int misc_osd_offset_h;                 // 0..15
  int misc_osd_offset_v;                 // 0..15
  char title_text[kChannelCount][kTitleBufferBytes];
  int layout_2[2];  // filed only
  int layout_4a[4];
  int layout_4b[4];
  int layout_6a[6];
  int layout_6b[6];
  int layout_9[8];
  int misc_ntsc_aspect;  // 0 4:3, 1 FULL
  int agc_enable[kChannelCount];

  // Not saved: 1 while a change made in a dialog has not been saved yet.
  int dirty;
};

// Puts every saved field to the device's factory defaults (from the settings
// catalogue), clears every other byte and lowers `dirty`.
void LoadDefaultSettings(DeviceSettings& settings);

// The one shared instance of the record. Every access takes the lock for the
// length of one short, non-blocking operation; nothing that waits (a message
// box, a port write) ever runs under it.
class SettingsStore {
 public:
  SettingsStore();

  // A consistent copy, for readers that build commands or draw.
  DeviceSettings Snapshot() const;

  // Runs `change` on the record under the lock and returns what it returns.
  template <class Change>
  auto Update(Change&& change) {
    std::lock_guard<std::mutex> lock(mutex_);
    return change(settings_);
  }

  void Replace(const DeviceSettings& settings);

 private:
  mutable std::mutex mutex_;
  DeviceSettings settings_{};
};

}  // namespace vqx
