#include "dialogs/video_adjustment_dialog.h"

#include "dialogs/conventions.h"
#include "protocol/send_all.h"

namespace vqx {
namespace {

// The row of each adjustment in the table, top to bottom.
struct Row {
  Adjustment adjustment;
  std::string_view label;
};
constexpr Row kAdjustmentRows[] = {
    {Adjustment::kBrightness, "Brightness"},
    {Adjustment::kContrast, "Contrast"},
    {Adjustment::kHue, "Hue"},
    {Adjustment::kSharpness, "Sharpness"},
    {Adjustment::kSaturation, "Saturation"},
};

// The entry of `channel` in the adjustment's array (const or not).
template <class Record>
auto& Field(Record& s, Adjustment adjustment, int channel) {
  switch (adjustment) {
    case Adjustment::kBrightness:
      return s.adjust_brightness[channel];
    case Adjustment::kContrast:
      return s.adjust_contrast[channel];
    case Adjustment::kSharpness:
      return s.adjust_sharpness[channel];
    case Adjustment::kHue:
      return s.adjust_hue[channel];
    case Adjustment::kSaturation:
      break;
  }
  return s.adjust_saturation[channel];
}

}  // namespace

VideoAdjustmentDialog::VideoAdjustmentDialog(DialogServices& services)
    : services_(services),
      set_all_(services.device.state, services.settings, services.device.sink),
      run_(services, set_all_, {.progress = kProgress, .timer = kSetAllTimer},
           [](int step) {
             return AdjustmentSettingName(AdjustmentOfStep(step),
                                          ChannelOfStep(step));
           }) {}

int VideoAdjustmentDialog::EffectiveChannel() const {
  const int channel = services_.selections.selected_channel;
  return channel >= 0 && channel < kChannelCount ? channel : 0;
}

void VideoAdjustmentDialog::ShowChannelValues(DialogView& view) {
  const DeviceSettings settings = services_.settings.Snapshot();
  for (const AdjustmentControls& controls : kAdjustments) {
    // A stored value outside the list shows no selection there.
    view.SelectItem(controls.list,
                    Field(settings, controls.adjustment, EffectiveChannel()));
  }
}

void VideoAdjustmentDialog::OnInit(DialogView& view) {
  for (int channel = 0; channel < kChannelCount; ++channel) {
    // Two blanks behind the channel here.
    view.InsertItem(kChannelList, channel, ChannelItemText(channel) + " ");
  }
  FillSlaveAddressCombo(view);
  for (Adjustment adjustment :
       {Adjustment::kSharpness, Adjustment::kBrightness, Adjustment::kContrast,
        Adjustment::kSaturation, Adjustment::kHue}) {
    for (const AdjustmentControls& controls : kAdjustments) {
      if (controls.adjustment != adjustment) continue;
      for (int i = 0; i < AdjustmentItemCount(adjustment); ++i) {
        view.InsertItem(controls.list, i, AdjustmentItemText(adjustment, i));
      }
    }
  }
  ApplySlaveAddressRule(view, services_.device.config,
                        services_.device.slave_address.load());
  ShowChannelValues(view);
  view.SelectItem(kChannelList, EffectiveChannel());
  ApplyDialogCaption(view, services_.device.config, kHeading);
  services_.selections.redraw_pending = 1;
  view.StartTimer(kDrawTimer, kFirstDrawDelayMs);
  run_.Init(view);
}

void VideoAdjustmentDialog::DrawTable(DialogView& view) {
  const DeviceSettings settings = services_.settings.Snapshot();
  for (int channel = 0; channel < kChannelCount; ++channel) {
    std::string header = ChannelItemText(channel);
    header.pop_back();  // "ch.01", no blank
    view.DrawText(kTableFrame, kFirstColumnX + kColumnWidth * channel, kHeaderY,
                  header);
  }
  int y = kFirstRowY;
  for (const Row& row : kAdjustmentRows) {
    view.DrawText(kTableFrame, kRowLabelX, y, row.label);
    for (int channel = 0; channel < kChannelCount; ++channel) {
      view.DrawText(kTableFrame, kFirstColumnX + kColumnWidth * channel, y,
                    AdjustmentCellText(
                        row.adjustment,
                        AdjustmentIndex(settings, row.adjustment, channel)));
    }
    y += kRowHeight;
  }
}

void VideoAdjustmentDialog::OnCommand(DialogView& view, int control,
                                      ControlNotification notification) {
  if (HandleSlaveAddressChange(view, control, notification,
                               services_.device.slave_address)) {
    return;
  }
  const bool clicked = notification == ControlNotification::kClicked;
  if (control == kIdOk || control == kIdClose) {
    // The dialog stays until the run has ended.
    if (!set_all_.running()) {
      HandleClose(view, control, notification, CloseIds::kOkAndClose);
    }
    return;
  }
  if (control == kChannelList) {
    if (const std::optional<int> channel =
            ChosenIndex(view, control, notification)) {
      services_.selections.selected_channel = *channel;
      DrawTable(view);
      ShowChannelValues(view);
    }
    return;
  }
  if (control == kSetAll) {
    if (clicked) run_.Start(view);
    return;
  }
  for (const AdjustmentControls& controls : kAdjustments) {
    if (control == controls.list) {
      const int channel = EffectiveChannel();
      if (StoreChoiceIn(view, control, notification, services_.settings,
                        [&](DeviceSettings& s) -> int& {
                          return Field(s, controls.adjustment, channel);
                        })) {
        DrawTable(view);
      }
      return;
    }
    if (control == controls.set) {
      if (clicked) {
        SendAdjustment(services_.device.sink, services_.settings.Snapshot(),
                       controls.adjustment, EffectiveChannel());
      }
      return;
    }
  }
}

void VideoAdjustmentDialog::OnTimer(DialogView& view, int timer_id) {
  if (timer_id == kSetAllTimer) {
    run_.Tick(view);
    return;
  }
  if (timer_id == kDrawTimer && services_.selections.redraw_pending == 1) {
    DrawTable(view);
    services_.selections.redraw_pending = 0;
    view.StopTimer(kDrawTimer);
  }
}

void VideoAdjustmentDialog::OnPaint(DialogView& view) {
  services_.selections.redraw_pending = 1;
  view.StartTimer(kDrawTimer, kRepaintDrawDelayMs);
}

}  // namespace vqx
