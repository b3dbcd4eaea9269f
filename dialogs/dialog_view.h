// What a settings dialog may do to its window. The dialog objects hold the
// behaviour and touch controls only through this interface; the Win32 host
// implements it with the dialog manager, tests with a recording fake.
//
// Controls are named by their resource ids. Texts are UTF-8.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace vqx {

// SelectedItem's answer when a list shows no selection.
inline constexpr int kNoSelection = -1;

// DrawText's control id for the dialog's own client area.
inline constexpr int kDialogClientArea = 0;

// The density the dialogs' pixel positions are given for: 100 % scaling.
inline constexpr int kDefaultDpi = 96;

// A length of `pixels` at 96 dots per inch, at `dpi`: to the nearest pixel,
// halves away from zero, as the system rounds. A window whose density is
// unknown (0 or less) is taken to be at 96.
constexpr int ScaleForDpi(int pixels, int dpi) {
  if (dpi <= 0) return pixels;
  const long long scaled = static_cast<long long>(pixels) * dpi;
  const long long half = kDefaultDpi / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kDefaultDpi
                                      : -((-scaled + half) / kDefaultDpi));
}

class DialogView {
 public:
  virtual ~DialogView() = default;

  // Drop-down lists and list boxes. Items go in at an explicit index so that
  // a sorted list style never reorders them.
  virtual void InsertItem(int control, int index, std::string_view text) = 0;
  // An index outside the list leaves it showing no selection.
  virtual void SelectItem(int control, int index) = 0;
  // The selected index, or kNoSelection.
  virtual int SelectedItem(int control) = 0;
  virtual int ItemCount(int control) = 0;
  // An index outside the list deletes nothing.
  virtual void DeleteItem(int control, int index) = 0;
  virtual void ClearItems(int control) = 0;
  // Scrolls a list box so that item `index` is in view.
  virtual void ShowItem(int control, int index) = 0;
  // A list box's tab stops, in dialog units from its left edge: where the
  // tab-separated columns of its items begin.
  virtual void SetTabStops(int control, std::span<const int> stops) = 0;

  // Check boxes.
  virtual void SetCheck(int control, bool checked) = 0;
  virtual bool IsChecked(int control) = 0;

  virtual void EnableControl(int control, bool enabled) = 0;

  // Edit and static texts.
  virtual void SetControlText(int control, std::string_view text) = 0;
  virtual std::string ControlText(int control) = 0;
  // The most characters the user may type into an edit control.
  virtual void LimitText(int control, int max_characters) = 0;

  virtual void SetCaption(std::string_view caption) = 0;

  // Draws `text` at (x, y) of a control's client area (or of the dialog's
  // with kDialogClientArea) over what is there, opaque background, outside
  // the control's own painting. The position is in pixels at 96 DPI: the
  // frames and the font grow with the window's density, and so does the
  // place the text goes.
  void DrawText(int control, int x, int y, std::string_view text) {
    const int dpi = Dpi();
    DrawTextAtPixel(control, ScaleForDpi(x, dpi), ScaleForDpi(y, dpi), text);
  }
  // The window's density in dots per inch, asked at every drawing: a window
  // moved to another monitor may have changed it.
  virtual int Dpi() = 0;

  // Dialog timers; starting a running timer restarts it with the new period.
  virtual void StartTimer(int timer_id, int period_ms) = 0;
  virtual void StopTimer(int timer_id) = 0;

  // Progress bars.
  virtual void SetProgressRange(int control, int low, int high) = 0;
  virtual void SetProgressStep(int control, int step) = 0;
  virtual void SetProgressPosition(int control, int position) = 0;
  virtual void StepProgress(int control) = 0;

  // Switches the input method editor on for text entry (titles).
  virtual void OpenInputMethod() = 0;

  // Closes the dialog once the current message is handled.
  virtual void EndDialog(int result) = 0;

 protected:
  // DrawText at (x, y) in the window's own pixels.
  virtual void DrawTextAtPixel(int control, int x, int y,
                               std::string_view text) = 0;
};

}  // namespace vqx
