// Platform services for the fuzz targets: nothing is shown, time stands
// still unless a target moves it, and text passes as its bytes (the code
// under test must cope with any of them).
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "base/platform.h"

namespace vqx::fuzzing {

class SilentBoxes : public MessageBoxes {
 public:
  void ShowSuccessBox(std::string_view) override {}
  void ShowErrorBox(std::string_view) override {}
  void ShowWarningBox(std::string_view) override {}
  bool AskYesNo(std::string_view, std::string_view) override { return false; }
};

class StillClock : public Clock {
 public:
  LocalTime Now() override { return {}; }
};

// Stands still until a target moves `now`.
class HandClock : public SteadyClock {
 public:
  std::chrono::milliseconds Now() override { return now; }
  std::chrono::milliseconds now{0};
};

class RawCodec : public TextCodec {
 public:
  std::string ShiftJisToUtf8(std::string_view sjis) override {
    return std::string(sjis);
  }
  std::string Utf8ToShiftJis(std::string_view utf8) override {
    return std::string(utf8);
  }
};

}  // namespace vqx::fuzzing
