// A recording DialogView for dialog tests: keeps each control's state the
// way the real dialog manager would (list items, selection, enabled, text),
// and logs drawing (where it lands at the window's density), timers and the
// end of the dialog; and the recording services a settings dialog is
// constructed with.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/device_settings.h"
#include "dialogs/dialog.h"
#include "dialogs/dialog_view.h"
#include "tests/support/link_fakes.h"
#include "transport/link_state.h"

namespace vqx::testing {

struct FakeControl {
  std::vector<std::string> items;
  int selection = kNoSelection;
  bool enabled = true;
  std::string text;
  int text_limit = -1;  // -1: never limited
  int progress_low = 0;
  int progress_high = 100;
  int progress_step = 10;
  int progress_position = 0;
  bool checked = false;
  int shown_item = -1;  // the item a list box was last scrolled to
  std::vector<int> tab_stops;
};

struct DrawnText {
  int control;
  int x;
  int y;
  std::string text;
};

struct DrawnBox {
  int control;
  int x;
  int y;
  int width;
  int height;
  BoxStyle style;
  bool operator==(const DrawnBox&) const = default;
};

class FakeDialogView : public DialogView {
 public:
  // --- DialogView ---
  void InsertItem(int control, int index, std::string_view text) override {
    auto& items = controls[control].items;
    if (index < 0 || index > static_cast<int>(items.size())) {
      ++insert_errors;  // the real list refuses such an index
      return;
    }
    items.insert(items.begin() + index, std::string(text));
    // The selection stays on its item, as in the real lists.
    FakeControl& c = controls[control];
    if (c.selection != kNoSelection && c.selection >= index) ++c.selection;
  }
  void SelectItem(int control, int index) override {
    FakeControl& c = controls[control];
    c.selection = (index >= 0 && index < static_cast<int>(c.items.size()))
                      ? index
                      : kNoSelection;
  }
  int SelectedItem(int control) override { return controls[control].selection; }
  int ItemCount(int control) override {
    return static_cast<int>(controls[control].items.size());
  }
  void DeleteItem(int control, int index) override {
    FakeControl& c = controls[control];
    if (index < 0 || index >= static_cast<int>(c.items.size())) return;
    c.items.erase(c.items.begin() + index);
    if (c.selection == index) c.selection = kNoSelection;
    if (c.selection > index) --c.selection;
  }
  void ClearItems(int control) override {
    controls[control].items.clear();
    controls[control].selection = kNoSelection;
  }
  void ShowItem(int control, int index) override {
    controls[control].shown_item = index;
  }
  void SetTabStops(int control, std::span<const int> stops) override {
    controls[control].tab_stops.assign(stops.begin(), stops.end());
  }
  void SetCheck(int control, bool checked) override {
    controls[control].checked = checked;
  }
  bool IsChecked(int control) override { return controls[control].checked; }
  void EnableControl(int control, bool enabled) override {
    controls[control].enabled = enabled;
  }
  void SetControlText(int control, std::string_view text) override {
    controls[control].text = std::string(text);
    if (edit_owner_ != nullptr && edits_.count(control) != 0) {
      edit_owner_->OnCommand(*this, control, ControlNotification::kEditChange);
    }
  }
  std::string ControlText(int control) override {
    return controls[control].text;
  }
  void LimitText(int control, int max_characters) override {
    controls[control].text_limit = max_characters;
  }
  void SetCaption(std::string_view text) override {
    caption = std::string(text);
  }
  int Dpi() override { return dpi; }
  void DrawTextAtPixel(int control, int x, int y,
                       std::string_view text) override {
    drawn.push_back({control, x, y, std::string(text)});
  }
  void DrawBoxAtPixel(int control, int x, int y, int width, int height,
                      BoxStyle style) override {
    boxes.push_back({control, x, y, width, height, style});
  }
  void StartTimer(int timer_id, int period_ms) override {
    timers[timer_id] = period_ms;
  }
  void StopTimer(int timer_id) override { timers.erase(timer_id); }
  void SetProgressRange(int control, int low, int high) override {
    controls[control].progress_low = low;
    controls[control].progress_high = high;
  }
  void SetProgressStep(int control, int step) override {
    controls[control].progress_step = step;
  }
  void SetProgressPosition(int control, int position) override {
    controls[control].progress_position = position;
  }
  void StepProgress(int control) override {
    FakeControl& c = controls[control];
    c.progress_position += c.progress_step;
    if (c.progress_position > c.progress_high) {
      c.progress_position = c.progress_low;  // the bar wraps like the real one
    }
  }
  void OpenInputMethod() override { input_method_open = true; }
  void EndDialog(int result) override {
    ended = true;
    end_result = result;
  }

  // --- Driving a dialog as the user would ---

  // Picks `index` in a list and delivers the selection-change notification.
  void Choose(Dialog& dialog, int control, int index) {
    SelectItem(control, index);
    dialog.OnCommand(*this, control, ControlNotification::kSelectionChange);
  }
  // From now on `edits` tell `dialog` of every change of their text, also
  // of one the dialog makes itself, as Win32 edit controls do (EN_CHANGE
  // arrives before SetDlgItemText returns).
  void ReportEditChanges(Dialog& dialog, std::set<int> edits) {
    edit_owner_ = &dialog;
    edits_ = std::move(edits);
  }

  // Types into an edit control (the whole new text) and notifies the change
  // once.
  void Type(Dialog& dialog, int control, std::string_view text) {
    controls[control].text = std::string(text);
    dialog.OnCommand(*this, control, ControlNotification::kEditChange);
  }
  void Click(Dialog& dialog, int control) {
    dialog.OnCommand(*this, control, ControlNotification::kClicked);
  }
  // Clicks a check box: it changes state, then tells the dialog.
  void Toggle(Dialog& dialog, int control) {
    controls[control].checked = !controls[control].checked;
    Click(dialog, control);
  }

  // The item texts of a list, and the text of its selection ("" for none).
  const std::vector<std::string>& Items(int control) {
    return controls[control].items;
  }
  std::string SelectedText(int control) {
    const FakeControl& c = controls[control];
    return c.selection == kNoSelection ? std::string() : c.items[c.selection];
  }
  bool Enabled(int control) { return controls[control].enabled; }

  std::map<int, FakeControl> controls;
  std::string caption;  // "" until SetCaption: the template's caption stays
  std::vector<DrawnText> drawn;  // in the window's pixels, at `dpi`
  std::vector<DrawnBox> boxes;   // the same
  int dpi = kDefaultDpi;         // the window's density
  std::map<int, int> timers;     // running timer id -> period
  bool input_method_open = false;
  bool ended = false;
  int end_result = -1;
  int insert_errors = 0;

 private:
  Dialog* edit_owner_ = nullptr;
  std::set<int> edits_;
};

// Runs a dialog to the end of its initialisation and records each dialog
// that was opened.
class FakeDialogRunner : public DialogRunner {
 public:
  int RunModal(Dialog& dialog) override {
    opened.push_back(dialog.template_id());
    FakeDialogView view;
    dialog.OnInit(view);
    if (on_open) on_open(dialog, view);
    return kDialogClosed;
  }
  void ShowModeless(std::unique_ptr<Dialog> dialog) override {
    for (const auto& open : modeless) {
      if (open->template_id() == dialog->template_id()) {
        ++brought_to_front;
        return;
      }
    }
    opened.push_back(dialog->template_id());
    modeless_views.emplace_back(std::make_unique<FakeDialogView>());
    dialog->OnInit(*modeless_views.back());
    modeless.push_back(std::move(dialog));
  }
  std::vector<int> opened;
  // Optional: act on the open dialog before it returns.
  std::function<void(Dialog&, FakeDialogView&)> on_open;
  // The modeless dialogs shown, still open, and their views.
  std::vector<std::unique_ptr<Dialog>> modeless;
  std::vector<std::unique_ptr<FakeDialogView>> modeless_views;
  int brought_to_front = 0;
};

// Everything a settings dialog is constructed with, recording. The link
// flags, configuration and slave address stand where the connection holds
// them in the program.
struct FakeDialogServices {
  SettingsStore settings;
  LinkState state;
  LinkConfig config;
  std::atomic<int> slave_address{0};
  DialogSelections selections;
  RecordingSink sink;
  RecordingBoxes boxes;
  PassThroughCodec codec;
  FixedClock clock;
  ReadBackRecord read_backs;
  ManualSteadyClock steady_clock;
  VersionReplies versions;
  TrafficLog traffic_log{clock, codec};
  MemoryProfile profile;
  ScriptedChooser chooser;
  DialogServices services = Using(sink, codec);

  // The same services with another sending side or text codec.
  DialogServices Using(CommandSink& other_sink, TextCodec& other_codec) {
    return {settings,
            selections,
            {other_sink, sink, state, config, slave_address, read_backs,
             versions, traffic_log},
            {boxes, other_codec, clock, steady_clock, profile, chooser}};
  }

  // What File > New does to the record and the link flags.
  void LoadDefaults() {
    settings.Update([](DeviceSettings& s) { LoadDefaultSettings(s); });
    state.ResetFlags();
  }
};

}  // namespace vqx::testing
