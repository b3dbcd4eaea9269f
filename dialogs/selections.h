// What the dialogs remember between openings for the whole run of the
// program: the channel or screen last chosen, the auto switching entry and
// its common dwell, the deferred drawing of a preview, the front button lock
// and the video format dialog's common choice; and the main window's count
// of hidden-access requests, which every dialog that opens restarts. They
// start as the program starts and are never saved. User-interface thread
// only.
#pragma once

namespace vqx {

struct DialogSelections {
  // Back to these by File > New.
  int selected_channel = 0;     // 0..7 channels; 8..13 split screens, automatic
  int seq_selected_entry = 0;   // 0..12
  int seq_common_dwell = 3;     // initial selection of the common dwell list
  int redraw_pending = 0;       // deferred drawing of a dialog's preview
  int hidden_access_count = 0;  // context-menu requests in the corner
  // Kept by File > New.
  int misc_button_lock = 0;  // 0 off, 1 on; never saved or read back
  int format_common = 0;     // last choice of the video format common list

  // File > New: every choice above the button lock back to its start.
  void ResetForNew() {
    const DialogSelections kept{.misc_button_lock = misc_button_lock,
                                .format_common = format_common};
    *this = kept;
  }
};

}  // namespace vqx
