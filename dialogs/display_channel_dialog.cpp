#include "dialogs/display_channel_dialog.h"

#include <algorithm>

#include "base/settings_catalogue.h"
#include "base/settings_report.h"
#include "dialogs/conventions.h"

namespace vqx {
namespace {

const SettingsField& TitleField() {
  for (const SettingsField& field : kSettingsCatalogue) {
    if (field.kind == FieldKind::kTitle) return field;
  }
  return kSettingsCatalogue.front();
}

// As much of `text` as fits `width` pixels of the dialog's font at 96 DPI:
// half-width characters take 6 pixels, all others 12. Cut at a character.
std::string FitToWidth(std::string_view text, int width) {
  int used = 0;
  std::size_t end = 0;
  while (end < text.size()) {
    const auto byte = static_cast<unsigned char>(text[end]);
    const std::size_t length = byte >= 0xF0   ? 4
                               : byte >= 0xE0 ? 3
                               : byte >= 0xC0 ? 2
                                              : 1;
    // Half-width katakana (U+FF61..U+FF9F) are as narrow as ASCII.
    const bool narrow =
        length == 1 || (length == 3 && byte == 0xEF &&
                        ((static_cast<unsigned char>(text[end + 1]) == 0xBD &&
                          static_cast<unsigned char>(text[end + 2]) >= 0xA1) ||
                         static_cast<unsigned char>(text[end + 1]) == 0xBE));
    const int advance = narrow ? 6 : 12;
    if (used + advance > width || end + length > text.size()) break;
    used += advance;
    end += length;
  }
  return std::string(text.substr(0, end));
}

// The placement groups and the pictures name the layouts in one order.
constexpr bool SameLayoutOrder() {
  for (std::size_t i = 0; i < DisplayChannelDialog::kLayouts.size(); ++i) {
    if (static_cast<int>(DisplayChannelDialog::kLayouts[i].layout) !=
        static_cast<int>(kSplitLayouts[i])) {
      return false;
    }
  }
  return true;
}
static_assert(SameLayoutOrder());

}  // namespace

void DisplayChannelDialog::OnInit(DialogView& view) {
  const DeviceSettings settings = services_.settings.Snapshot();
  FillSlaveAddressCombo(view);
  for (const LayoutControls& layout : kLayouts) {
    for (int pane = 0; pane < layout.pane_count; ++pane) {
      for (int channel = 0; channel < kChannelCount; ++channel) {
        view.InsertItem(layout.panes[pane], channel, ChannelItemText(channel));
      }
    }
  }
  FillList(view, kScreenList, ScreenItems());
  ApplySlaveAddressRule(view, services_.device.config,
                        services_.device.slave_address.load());
  Preselect(view, kScreenList, services_.selections.selected_channel);
  for (const LayoutControls& layout : kLayouts) {
    const std::span<const int> entries = LayoutEntries(settings, layout.layout);
    for (int pane = 0; pane < layout.pane_count; ++pane) {
      Preselect(view, layout.panes[pane], entries[pane]);
    }
  }
  ApplyDialogCaption(view, services_.device.config, kHeading);
  // The layout on the device's screen, when it is one; else the first.
  shown_layout_ = SplitLayoutOfScreen(services_.selections.selected_channel)
                      .value_or(SplitLayout::k4A);
  view.StartTimer(kPictureTimer, kFirstDrawDelayMs);
}

void DisplayChannelDialog::Show(DialogView& view, SplitLayout layout) {
  shown_layout_ = layout;
  DrawPicture(view);
}

void DisplayChannelDialog::DrawPicture(DialogView& view) {
  constexpr int kUnitX = kScreenWidth / kScreenGrid;
  constexpr int kUnitY = kScreenHeight / kScreenGrid;
  const DeviceSettings settings = services_.settings.Snapshot();
  const SplitLayoutShape& shape = ShapeOf(shown_layout_);
  const std::span<const int> channels =
      SplitLayoutChannels(settings, shown_layout_);
  const std::vector<bool> repeated = RepeatedPanes(channels);
  // Blanks behind the name cover a longer one drawn before.
  view.DrawText(kPicture, kCaptionX, kCaptionY,
                std::string(SplitLayoutName(shown_layout_)) + " ch.配置　　　");
  view.DrawBox(kPicture, kScreenX, kScreenY, kScreenWidth, kScreenHeight,
               BoxStyle::kScreen);
  auto box_of = [&](const PaneRect& pane, BoxStyle style) {
    view.DrawBox(kPicture, kScreenX + pane.x * kUnitX,
                 kScreenY + pane.y * kUnitY, pane.width * kUnitX,
                 pane.height * kUnitY, style);
  };
  for (std::size_t i = 0; i < shape.panes.size(); ++i) {
    box_of(shape.panes[i],
           repeated[i] ? BoxStyle::kRepeatedPane : BoxStyle::kPane);
  }
  for (const PaneRect& pane : shape.unplaced) {
    box_of(pane, BoxStyle::kUnplacedPane);
  }
  for (std::size_t i = 0; i < shape.panes.size(); ++i) {
    const PaneRect& pane = shape.panes[i];
    const int x = kScreenX + pane.x * kUnitX + kPaneTextInset;
    const int y = kScreenY + pane.y * kUnitY + kPaneTextInset;
    const int room = pane.width * kUnitX - 2 * kPaneTextInset;
    const int channel = channels[i];
    const bool known = channel >= 0 && channel < kChannelCount;
    std::string channel_text =
        known ? ChannelItemText(channel) : std::to_string(channel + 1) + "?";
    while (channel_text.ends_with(' ')) channel_text.pop_back();
    if (repeated[i]) channel_text = std::string(kRepeatMark) + channel_text;
    view.DrawText(kPicture, x, y, FitToWidth(channel_text, room));
    if (!known) continue;
    const std::string title = SettingValueInWords(
        {&TitleField(), channel}, settings, services_.platform.codec);
    view.DrawText(kPicture, x, y + kLineHeight, FitToWidth(title, room));
  }
  const bool any_repeated =
      std::find(repeated.begin(), repeated.end(), true) != repeated.end();
  // Blanks of the note's width when no pane repeats, to clear it.
  view.DrawText(kPicture, kScreenX, kNoteY,
                any_repeated ? std::string(kRepeatNote)
                             : std::string(kRepeatNote.size() / 3 * 2, ' '));
}

void DisplayChannelDialog::OnTimer(DialogView& view, int timer_id) {
  if (timer_id != kPictureTimer) return;
  view.StopTimer(kPictureTimer);
  DrawPicture(view);
}

void DisplayChannelDialog::OnPaint(DialogView& view) {
  view.StartTimer(kPictureTimer, kRepaintDrawDelayMs);
}

bool DisplayChannelDialog::HandleLayout(DialogView& view, int control,
                                        ControlNotification notification) {
  const bool clicked = notification == ControlNotification::kClicked;
  for (std::size_t index = 0; index < kLayouts.size(); ++index) {
    const LayoutControls& layout = kLayouts[index];
    const SplitLayout drawn = kSplitLayouts[index];
    for (int pane = 0; pane < layout.pane_count; ++pane) {
      if (control != layout.panes[pane]) continue;
      // Stored at once; two panes showing one channel are refused only
      // when a set button is pressed.
      StoreChoiceIn(view, control, notification, services_.settings,
                    [&](DeviceSettings& s) -> int& {
                      return LayoutEntries(s, layout.layout)[pane];
                    });
      if (notification == ControlNotification::kSelectionChange) {
        Show(view, drawn);
      }
      return true;
    }
    if (control == layout.set || control == layout.set_n) {
      if (clicked) Show(view, drawn);
      if (clicked) {
        CheckAndSendLayoutPlacement(
            services_.device.sink, services_.settings.Snapshot(),
            services_.platform.boxes, layout.layout,
            control == layout.set ? LayoutForm::kPlain : LayoutForm::kN);
      }
      return true;
    }
  }
  return false;
}

void DisplayChannelDialog::OnCommand(DialogView& view, int control,
                                     ControlNotification notification) {
  if (HandleSlaveAddressChange(view, control, notification,
                               services_.device.slave_address) ||
      HandleClose(view, control, notification, CloseIds::kOkAndClose) ||
      HandleLayout(view, control, notification)) {
    return;
  }
  if (control == kScreenList) {
    if (const std::optional<int> screen =
            ChosenIndex(view, control, notification)) {
      services_.selections.selected_channel = *screen;
      if (const std::optional<SplitLayout> layout =
              SplitLayoutOfScreen(*screen)) {
        Show(view, *layout);
      }
    }
    return;
  }
  if (control == kScreenSet && notification == ControlNotification::kClicked) {
    SendScreenSelection(services_.device.sink,
                        services_.selections.selected_channel);
  }
}

}  // namespace vqx
