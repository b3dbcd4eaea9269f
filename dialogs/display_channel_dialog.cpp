#include "dialogs/display_channel_dialog.h"

#include "dialogs/conventions.h"

namespace vqx {

void DisplayChannelDialog::OnInit(DialogView& view) {
  Core& core = services_.core;
  const DeviceSettings settings = core.settings.Snapshot();
  FillSlaveAddressCombo(view);
  for (const LayoutControls& layout : kLayouts) {
    for (int pane = 0; pane < layout.pane_count; ++pane) {
      for (int channel = 0; channel < kChannelCount; ++channel) {
        view.InsertItem(layout.panes[pane], channel, ChannelItemText(channel));
      }
    }
  }
  FillList(view, kScreenList, ScreenItems());
  ApplySlaveAddressRule(view, core.config, core.slave_address.load());
  Preselect(view, kScreenList, services_.selections.selected_channel);
  for (const LayoutControls& layout : kLayouts) {
    const std::span<const int> entries = LayoutEntries(settings, layout.layout);
    for (int pane = 0; pane < layout.pane_count; ++pane) {
      Preselect(view, layout.panes[pane], entries[pane]);
    }
  }
  ApplyDialogCaption(view, core.config, kHeading);
}

bool DisplayChannelDialog::HandleLayout(DialogView& view, int control,
                                        ControlNotification notification) {
  Core& core = services_.core;
  const bool clicked = notification == ControlNotification::kClicked;
  for (const LayoutControls& layout : kLayouts) {
    for (int pane = 0; pane < layout.pane_count; ++pane) {
      if (control != layout.panes[pane]) continue;
      // Stored at once; two panes showing one channel are refused only
      // when a set button is pressed.
      StoreChoiceIn(view, control, notification, core.settings,
                    [&](DeviceSettings& s) -> int& {
                      return LayoutEntries(s, layout.layout)[pane];
                    });
      return true;
    }
    if (control == layout.set || control == layout.set_n) {
      if (clicked) {
        CheckAndSendLayoutPlacement(
            services_.sink, core.settings.Snapshot(), services_.boxes,
            layout.layout,
            control == layout.set ? LayoutForm::kPlain : LayoutForm::kN);
      }
      return true;
    }
  }
  return false;
}

void DisplayChannelDialog::OnCommand(DialogView& view, int control,
                                     ControlNotification notification) {
  Core& core = services_.core;
  if (HandleSlaveAddressChange(view, control, notification,
                               core.slave_address) ||
      HandleClose(view, control, notification, CloseIds::kOkAndClose) ||
      HandleLayout(view, control, notification)) {
    return;
  }
  if (control == kScreenList) {
    if (const std::optional<int> screen =
            ChosenIndex(view, control, notification)) {
      services_.selections.selected_channel = *screen;
    }
    return;
  }
  if (control == kScreenSet && notification == ControlNotification::kClicked) {
    SendScreenSelection(services_.sink, services_.selections.selected_channel);
  }
}

}  // namespace vqx
