// The title dialog: the eight channel titles, typed in Japanese and kept as
// Shift_JIS, a preview of all eight drawn into a frame, one title or all
// eight sent in the plain or the "N" form, and the title display of the
// single and the split screens.
#pragma once

#include <string>
#include <string_view>

#include "dialogs/dialog.h"
#include "dialogs/ids/title_ids.h"
#include "dialogs/sequence_run.h"
#include "protocol/title.h"

namespace vqx {

// A title as typed (UTF-8) in the Shift_JIS bytes it is kept as: at most
// 20 bytes, cut before a character that would not fit. A character that
// Shift_JIS cannot hold becomes a user-defined character (0xF040), which the
// device cannot show either, so the title fails the JIS check rather than
// going out as a different title.
struct TypedTitle {
  std::string bytes;            // Shift_JIS
  std::size_t kept_text_bytes;  // how much of the UTF-8 text they hold
};
TypedTitle TitleFromText(TextCodec& codec, std::string_view utf8);

// What StoreTitleFromEdit keeps: the typed bytes padded with full-width
// blanks to 20 bytes, or to 19 when their number is odd.
std::string PaddedTitle(std::string_view typed);

// Line `channel` of the preview: " ch.01 = " and the title.
std::string TitlePreviewLabel(int channel);

class TitleDialog : public Dialog {
 public:
  static constexpr int kTemplateId = IDD_TITLE;
  static constexpr std::string_view kHeading = "タイトル ";

  static constexpr int kPreviewFrame = IDC_TITLE_PREVIEW;
  static constexpr int kChannelList = IDC_TITLE_CHANNEL;
  static constexpr int kTitleEdit = IDC_TITLE_TEXT;
  static constexpr int kSingleScreenList = IDC_TITLE_SINGLE_SCREEN;
  static constexpr int kSplitScreenList = IDC_TITLE_SPLIT_SCREEN;
  static constexpr int kTitleSet = IDC_TITLE_SET;
  static constexpr int kTitleSetAll = IDC_TITLE_SET_ALL;
  static constexpr int kSingleScreenSet = IDC_TITLE_SINGLE_SCREEN_SET;
  static constexpr int kSplitScreenSet = IDC_TITLE_SPLIT_SCREEN_SET;
  static constexpr int kProgress = IDC_TITLE_PROGRESS;
  static constexpr int kPercent = IDC_TITLE_PERCENT;
  static constexpr int kTitleSetN = IDC_TITLE_SET_N;
  static constexpr int kTitleSetAllN = IDC_TITLE_SET_ALL_N;

  // One timer draws the preview and paces the set-all; a drawing tick
  // during a run leaves its timer going.
  static constexpr int kTimer = 10;
  static constexpr int kFirstDrawDelayMs = 500;
  static constexpr int kRepaintDrawDelayMs = 20;
  // The preview lines, in pixels of the frame.
  static constexpr int kPreviewTop = 8;
  static constexpr int kPreviewLineHeight = 18;
  // Blanks drawn first over each line, so a shorter title leaves nothing
  // of a longer one behind.
  static constexpr int kPreviewErase = 30;

  explicit TitleDialog(DialogServices& services);

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;
  void OnTimer(DialogView& view, int timer_id) override;
  void OnPaint(DialogView& view) override;

 private:
  // The channel edited: selected_channel when it is one of the eight, else
  // channel 1.
  int EffectiveChannel() const;
  // Puts the edited channel's title into the edit box, as stored.
  void ShowTitle(DialogView& view);
  // The edit box into the title of the edited channel. `by_user` raises
  // `dirty`, and only when the stored bytes change.
  void StoreTitleFromEdit(DialogView& view, bool by_user);
  void DrawPreview(DialogView& view);
  void SendOne(TitleVariant variant);
  void StartSetAll(DialogView& view, TitleVariant variant);

  DialogServices& services_;
  TitleSetAllSequence set_all_;
  SequenceRun run_;
  // The dialog itself is putting a title into the edit box: the change that
  // causes is no edit of the user's.
  bool filling_edit_ = false;
};

}  // namespace vqx
