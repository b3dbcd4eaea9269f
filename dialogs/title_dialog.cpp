#include "dialogs/title_dialog.h"

#include <algorithm>
#include <cstring>

#include "base/encoding.h"
#include "base/shift_jis.h"
#include "dialogs/conventions.h"
#include "protocol/send_all.h"

namespace vqx {
namespace {

// Shift_JIS's first user-defined character: no JIS X 0208 code.
constexpr std::string_view kNoJisCharacter = "\xF0\x40";

// The length of the UTF-8 sequence that `lead` begins (1 for a stray byte).
std::size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

TypedTitle TitleFromText(TextCodec& codec, std::string_view utf8) {
  std::string bytes;
  std::size_t at = 0;
  while (at < utf8.size()) {
    const std::size_t length = std::min(
        Utf8Length(static_cast<unsigned char>(utf8[at])), utf8.size() - at);
    const std::string_view character = utf8.substr(at, length);
    std::string sjis = codec.Utf8ToShiftJis(character);
    // The codec stands "?" in for what it cannot convert.
    if (sjis.empty() || (sjis == "?" && character != "?")) {
      sjis = kNoJisCharacter;
    }
    if (bytes.size() + sjis.size() > kTitleBytes) break;
    bytes += sjis;
    at += length;
  }
  return {bytes, at};
}

std::string PaddedTitle(std::string_view typed) {
  std::string title(CutShiftJis(typed, kTitleBytes));
  const std::size_t target =
      title.size() % 2 == 0 ? kTitleBytes : kTitleBytes - 1;
  while (title.size() < target) title += kFullWidthBlank;
  return title;
}

std::string TitlePreviewLabel(int channel) {
  std::string label = " ch.01 = ";
  EncodeDecimal2(channel + 1, &label[4]);
  return label;
}

TitleDialog::TitleDialog(DialogServices& services)
    : services_(services),
      set_all_(services.device.state, services.settings, services.device.sink,
               services.platform.boxes),
      run_(services, set_all_,
           {.progress = kProgress, .percent = kPercent, .timer = kTimer},
           [](int step) { return TitleSettingName(step - 1); }) {}

int TitleDialog::EffectiveChannel() const {
  const int channel = services_.selections.selected_channel;
  return channel >= 0 && channel < kChannelCount ? channel : 0;
}

void TitleDialog::ShowTitle(DialogView& view) {
  const DeviceSettings settings = services_.settings.Snapshot();
  FillEdit(view, kTitleEdit,
           services_.platform.codec.ShiftJisToUtf8(
               BufferText(settings.title_text[EffectiveChannel()])),
           filling_edit_);
  // The window reports this change itself; a view that does not is told
  // here, with the same effect.
  StoreTitleFromEdit(view, false);
}

void TitleDialog::StoreTitleFromEdit(DialogView& view, bool by_user) {
  const std::string typed = view.ControlText(kTitleEdit);
  const TypedTitle kept = TitleFromText(services_.platform.codec, typed);
  const std::string title = PaddedTitle(kept.bytes);
  const int channel = EffectiveChannel();
  const auto store = [&](DeviceSettings& s) {
    char(&slot)[kTitleBufferBytes] = s.title_text[channel];
    std::memset(slot, 0, sizeof slot);
    std::memcpy(slot, title.data(), title.size());
  };
  if (by_user) {
    StoreUserChange(services_.settings, store);
  } else {
    services_.settings.Update(store);
  }
  // The edit box counts characters; the title holds 20 bytes. A longer
  // text was cut at a character boundary, and the box shows what is kept.
  if (kept.kept_text_bytes < typed.size()) {
    FillEdit(view, kTitleEdit,
             std::string_view(typed).substr(0, kept.kept_text_bytes),
             filling_edit_);
  }
}

void TitleDialog::DrawPreview(DialogView& view) {
  const DeviceSettings settings = services_.settings.Snapshot();
  const std::string blanks(kPreviewErase, ' ');
  for (int channel = 0; channel < kChannelCount; ++channel) {
    const int y = kPreviewTop + kPreviewLineHeight * channel;
    view.DrawText(kPreviewFrame, 0, y, blanks);
    view.DrawText(kPreviewFrame, 0, y,
                  TitlePreviewLabel(channel) +
                      services_.platform.codec.ShiftJisToUtf8(
                          BufferText(settings.title_text[channel])));
  }
}

void TitleDialog::OnInit(DialogView& view) {
  const DeviceSettings settings = services_.settings.Snapshot();
  FillSlaveAddressCombo(view);
  for (int channel = 0; channel < kChannelCount; ++channel) {
    // Two blanks behind the channel here.
    view.InsertItem(kChannelList, channel, ChannelItemText(channel) + " ");
  }
  FillOffOnList(view, kSingleScreenList);
  FillOffOnList(view, kSplitScreenList);
  ApplySlaveAddressRule(view, services_.device.config,
                        services_.device.slave_address.load());
  view.SelectItem(kChannelList, EffectiveChannel());
  view.LimitText(kTitleEdit, static_cast<int>(kTitleBytes));
  ShowTitle(view);
  Preselect(view, kSingleScreenList, settings.title_single_screen);
  Preselect(view, kSplitScreenList, settings.title_split_screen);
  DrawPreview(view);
  ApplyDialogCaption(view, services_.device.config, kHeading);
  view.OpenInputMethod();
  run_.Init(view);
  services_.selections.redraw_pending = 1;
  view.StartTimer(kTimer, kFirstDrawDelayMs);
}

void TitleDialog::SendOne(TitleVariant variant) {
  // Not while a run sends titles.
  if (services_.device.state.sequence_step != 0) return;
  PrepareAndSendTitle(services_.device.sink, services_.settings.Snapshot(),
                      services_.platform.boxes, EffectiveChannel(), variant);
}

void TitleDialog::StartSetAll(DialogView& view, TitleVariant variant) {
  run_.Start(view, [&] { return set_all_.Start(variant); });
}

void TitleDialog::OnCommand(DialogView& view, int control,
                            ControlNotification notification) {
  if (HandleSlaveAddressChange(view, control, notification,
                               services_.device.slave_address)) {
    return;
  }
  const bool clicked = notification == ControlNotification::kClicked;
  switch (control) {
    case kIdClose:
      // Not while a run goes on; the edit box is stored once more, without
      // counting as a change.
      if (clicked && !set_all_.running()) {
        StoreTitleFromEdit(view, false);
        view.EndDialog(kDialogClosed);
      }
      return;
    case kTitleEdit:
      if (notification == ControlNotification::kEditChange) {
        StoreTitleFromEdit(view, !filling_edit_);
        DrawPreview(view);
      }
      return;
    case kChannelList:
      if (const std::optional<int> channel =
              ChosenIndex(view, control, notification)) {
        services_.selections.selected_channel = *channel;
        view.SelectItem(kChannelList, *channel);
        DrawPreview(view);
        ShowTitle(view);
      }
      return;
    case kSingleScreenList:
      StoreChoice(view, control, notification, services_.settings,
                  &DeviceSettings::title_single_screen);
      return;
    case kSplitScreenList:
      StoreChoice(view, control, notification, services_.settings,
                  &DeviceSettings::title_split_screen);
      return;
    case kTitleSet:
      if (clicked) SendOne(TitleVariant::kPlain);
      return;
    case kTitleSetN:
      if (clicked) SendOne(TitleVariant::kN);
      return;
    case kTitleSetAll:
      if (clicked) StartSetAll(view, TitleVariant::kPlain);
      return;
    case kTitleSetAllN:
      if (clicked) StartSetAll(view, TitleVariant::kN);
      return;
    case kSingleScreenSet:
      if (clicked) {
        SendTitleDisplaySingle(services_.device.sink,
                               services_.settings.Snapshot());
      }
      return;
    case kSplitScreenSet:
      if (clicked) {
        SendTitleDisplaySplit(services_.device.sink,
                              services_.settings.Snapshot());
      }
      return;
    default:
      // Enter (id 1) does nothing here.
      return;
  }
}

void TitleDialog::OnTimer(DialogView& view, int timer_id) {
  if (timer_id != kTimer) return;
  if (services_.selections.redraw_pending == 1) {
    DrawPreview(view);
    services_.selections.redraw_pending = 0;
    // A running set-all keeps its pace and goes on at the next tick.
    if (!set_all_.running()) view.StopTimer(kTimer);
    return;
  }
  if (set_all_.running()) run_.Tick(view);
}

void TitleDialog::OnPaint(DialogView& view) {
  services_.selections.redraw_pending = 1;
  if (!set_all_.running()) view.StartTimer(kTimer, kRepaintDrawDelayMs);
}

}  // namespace vqx
