// Arbitrary bytes from the serial line through line assembly and reply
// dispatch, in both wiring modes, with the traffic log describing every line
// and, in RS-485 mode, echo tolerance on. Nothing may crash, read out of
// bounds, leave a settings value outside the record or put anything but
// printable ASCII in a logged line's text.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/device_settings.h"
#include "base/platform.h"
#include "protocol/reply_dispatch.h"
#include "protocol/traffic_log.h"
#include "quiet_services.h"
#include "transport/line_assembler.h"
#include "transport/link_state.h"

namespace {

using vqx::fuzzing::HandClock;
using vqx::fuzzing::RawCodec;
using vqx::fuzzing::SilentBoxes;
using vqx::fuzzing::StillClock;

void Run(std::string_view bytes, int rs_control) {
  vqx::LinkState state;
  vqx::LinkConfig config;
  config.rs_control = rs_control;
  config.echo = rs_control;
  vqx::SettingsStore settings;
  settings.Update([](vqx::DeviceSettings& s) { vqx::LoadDefaultSettings(s); });
  SilentBoxes boxes;
  StillClock clock;
  RawCodec codec;
  vqx::TrafficLog log(clock, codec);
  HandClock steady_clock;
  vqx::ReplyDispatcher dispatcher(state, config, settings, boxes, steady_clock);
  dispatcher.SetTrafficLog(&log);
  // The input's first line is also taken for a line sent, so that its echo
  // is skipped.
  state.echoes.Note(bytes.substr(0, bytes.find('\n') + 1), steady_clock.Now());
  vqx::LineAssembler assembler;
  // Feed in two reads so lines split across reads are exercised too.
  const std::size_t split = bytes.empty() ? 0 : bytes[0] % (bytes.size() + 1);
  const auto dispatch = [&](std::string_view line) {
    dispatcher.DispatchReply(line);
  };
  assembler.Feed(bytes.substr(0, split), dispatch);
  assembler.Feed(bytes.substr(split), dispatch);
  // A whole input handed over as one line, as a tool might.
  dispatcher.DispatchReply(bytes);

  const vqx::DeviceSettings s = settings.Snapshot();
  for (int channel = 0; channel < vqx::kChannelCount; ++channel) {
    if (s.adjust_brightness[channel] < 0 ||
        s.adjust_brightness[channel] > 127 || s.format_video[channel] < 0 ||
        s.format_video[channel] > 6 ||
        s.title_text[channel][vqx::kTitleBytes] != '\0') {
      __builtin_trap();
    }
  }
  for (int pane : s.layout_9) {
    if (pane < 0 || pane > 7) __builtin_trap();
  }
  for (const vqx::TrafficEntry& entry : log.Snapshot()) {
    for (char c : entry.text + entry.address) {
      if (c < 0x20 || c > 0x7E) __builtin_trap();
    }
  }
  if (s.misc_power_on_screen < 0 || s.misc_power_on_screen > 13 ||
      s.clock_display_range < 0 || s.clock_display_range > 7 ||
      s.alarm_hold_time[3] != '\0' || s.dirty != 0) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Run(bytes, 0);
  Run(bytes, 1);
  return 0;
}
