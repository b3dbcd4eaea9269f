// Recording fakes of the platform services, shared by every unit test
// program. Each fake keeps what the code under test did to it (boxes shown,
// profile writes, file dialogs) and answers from a script the test sets up
// beforehand. The fakes of the link are in link_fakes.h.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/platform.h"

namespace vqx::testing {

// One box as the user saw it.
struct Box {
  std::string kind;  // "success", "error", "warning", "question"
  std::string text;
  std::string caption = {};  // questions only; the others have fixed ones
  bool operator==(const Box&) const = default;
};

// The warning a title with a character outside JIS levels 1 and 2 raises.
inline const Box kJisWarning{"warning",
                             "ＪＩＳ第１水準,第２水準以外の字が選択されてます"};

inline void PrintTo(const Box& box, std::ostream* out) {
  *out << "{" << box.kind << ": \"" << box.text << "\"";
  if (!box.caption.empty()) *out << " caption \"" << box.caption << "\"";
  *out << "}";
}

// Records every box and question in `shown`. Questions take their answers
// from `answers` in turn; a question nobody scripted an answer for fails the
// test and is answered No.
//
// The receive thread shows boxes too: `Take()` may be called while another
// thread shows boxes, reading `shown` directly only while none does.
class RecordingBoxes : public MessageBoxes {
 public:
  void ShowSuccessBox(std::string_view text) override {
    Add({"success", std::string(text)});
  }
  void ShowErrorBox(std::string_view text) override {
    Add({"error", std::string(text)});
  }
  void ShowWarningBox(std::string_view text) override {
    Add({"warning", std::string(text)});
  }
  bool AskYesNo(std::string_view text, std::string_view caption) override {
    bool answer = false;
    bool scripted = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!answers.empty()) {
        scripted = true;
        answer = answers.front();
        answers.pop_front();
      }
    }
    if (!scripted) ADD_FAILURE() << "unexpected question \"" << text << "\"";
    Add({"question", std::string(text), std::string(caption)});
    return answer;
  }

  // Everything shown so far, leaving the record empty.
  std::vector<Box> Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(shown, {});
  }

  std::vector<Box> shown;
  std::deque<bool> answers;
  // Runs while a box is open, as a timer tick may during a modal box.
  std::function<void()> while_open;

 private:
  void Add(Box box) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      shown.push_back(std::move(box));
    }
    if (while_open) while_open();
  }
  std::mutex mutex_;
};

// The INI file in memory: a missing key gives the fallback. Every write is
// logged as "[section] key=value". With `writable` false a write reports
// failure but the value is kept all the same.
class MemoryProfile : public ProfileStore {
 public:
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view fallback) override {
    auto found = values.find({std::string(section), std::string(key)});
    return found == values.end() ? std::string(fallback) : found->second;
  }
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override {
    writes.push_back("[" + std::string(section) + "] " + std::string(key) +
                     "=" + std::string(value));
    values[{std::string(section), std::string(key)}] = std::string(value);
    return writable;
  }

  std::map<std::pair<std::string, std::string>, std::string> values;
  std::vector<std::string> writes;
  bool writable = true;
};

// A clock standing still at `now` until the test moves it.
class FixedClock : public Clock {
 public:
  LocalTime Now() override { return now; }
  LocalTime now;
};

// A steady clock that moves only when the test moves it. Safe to read from
// any thread.
class ManualSteadyClock : public SteadyClock {
 public:
  std::chrono::milliseconds Now() override { return now_.load(); }
  void Advance(std::chrono::milliseconds by) { now_ = now_.load() + by; }

 private:
  std::atomic<std::chrono::milliseconds> now_{std::chrono::milliseconds(0)};
};

// Texts pass unchanged: enough where every text is ASCII.
class PassThroughCodec : public TextCodec {
 public:
  std::string ShiftJisToUtf8(std::string_view sjis) override {
    return std::string(sjis);
  }
  std::string Utf8ToShiftJis(std::string_view utf8) override {
    return std::string(utf8);
  }
};

// UTF-8 <-> Shift_JIS for ASCII and a few dozen Japanese characters, the
// ones the tests type: full-width letters and digits, the full-width blank,
// a few kana and kanji. Anything else does not convert, as a real code
// page treats what it cannot hold: "?" towards Shift_JIS, U+FFFD back.
class SmallJapaneseCodec : public TextCodec {
 public:
  SmallJapaneseCodec() {
    auto add = [this](std::string utf8, std::string sjis) {
      to_sjis_[utf8] = sjis;
      to_utf8_[sjis] = utf8;
    };
    add("　", "\x81\x40");
    const char* letters[] = {"Ａ", "Ｂ", "Ｃ", "Ｄ", "Ｅ", "Ｆ",
                             "Ｇ", "Ｈ", "Ｉ", "Ｊ", "Ｋ"};
    for (int i = 0; i < 11; ++i) {
      add(letters[i], std::string("\x82") + static_cast<char>(0x60 + i));
    }
    const char* digits[] = {"０", "１", "２", "３", "４",
                            "５", "６", "７", "８", "９"};
    for (int i = 0; i < 10; ++i) {
      add(digits[i], std::string("\x82") + static_cast<char>(0x4F + i));
    }
    add("日", "\x93\xFA");
    add("本", "\x96\x7B");
    add("玄", "\x8C\xBA");
    add("関", "\x8A\xD6");
    add("カ", "\x83\x4A");
    add("メ", "\x83\x81");
    add("ラ", "\x83\x89");
    add("\xEE\x80\x80", "\xF0\x40");  // the first user-defined character
  }

  std::string ShiftJisToUtf8(std::string_view sjis) override {
    std::string utf8;
    for (std::size_t i = 0; i < sjis.size();) {
      const auto byte = static_cast<unsigned char>(sjis[i]);
      if (byte < 0x80) {
        utf8 += sjis[i++];
        continue;
      }
      const std::string pair(sjis.substr(i, 2));
      auto found = to_utf8_.find(pair);
      utf8 += found != to_utf8_.end() ? found->second : "\xEF\xBF\xBD";
      i += 2;
    }
    return utf8;
  }

  std::string Utf8ToShiftJis(std::string_view utf8) override {
    std::string sjis;
    for (std::size_t i = 0; i < utf8.size();) {
      const auto byte = static_cast<unsigned char>(utf8[i]);
      const std::size_t length = byte >= 0xF0   ? 4
                                 : byte >= 0xE0 ? 3
                                 : byte >= 0xC0 ? 2
                                                : 1;
      const std::string character(utf8.substr(i, length));
      i += length;
      if (length == 1) {
        sjis += character;
        continue;
      }
      auto found = to_sjis_.find(character);
      sjis += found != to_sjis_.end() ? found->second : "?";
    }
    return sjis;
  }

 private:
  std::map<std::string, std::string> to_sjis_;
  std::map<std::string, std::string> to_utf8_;
};

// Opens nothing: records each path it was asked to open and answers
// `opens`.
class RecordingOpener : public DocumentOpener {
 public:
  bool Open(std::string_view utf8_path) override {
    opened.emplace_back(utf8_path);
    return opens;
  }
  std::vector<std::string> opened;
  bool opens = true;
};

// The serial ports the system has, as the test sets them.
class ListedPorts : public SerialPortList {
 public:
  std::vector<SerialPortInfo> PresentPorts() override { return ports; }
  std::vector<SerialPortInfo> ports;
};

// The file dialog: records each mode it was opened in and returns the
// scripted `paths` in turn (nullopt: the user cancelled). A dialog nobody
// scripted fails the test and counts as cancelled.
class ScriptedChooser : public FileChooser {
 public:
  std::optional<std::string> Choose(FileChooserMode mode) override {
    modes.push_back(mode);
    if (paths.empty()) {
      ADD_FAILURE() << "unexpected file dialog";
      return std::nullopt;
    }
    std::optional<std::string> path = std::move(paths.front());
    paths.pop_front();
    return path;
  }
  std::vector<FileChooserMode> modes;
  std::deque<std::optional<std::string>> paths;
};

}  // namespace vqx::testing
