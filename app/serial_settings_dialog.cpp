#include "app/serial_settings_dialog.h"

#include <array>

#include "app/link_config.h"
#include "dialogs/conventions.h"

namespace vqx {
namespace {

constexpr std::array<std::string_view, SerialSettingsDialog::kListedPorts>
    kPortItems = {"COM 1", "COM 2", "COM 3", "COM 4", "COM 5", "COM 6"};
constexpr std::array<std::string_view, 2> kLineItems = {"RS-232C", "RS-485"};

}  // namespace

void SerialSettingsDialog::OnInit(DialogView& view) {
  FillList(view, kPortList, kPortItems);
  FillList(view, kLineList, kLineItems);
  Preselect(view, kPortList, core_.config.com_port.load());
  Preselect(view, kLineList, core_.config.rs_control.load());
  core_.working.hidden_access_count = 0;
}

void SerialSettingsDialog::OnCommand(DialogView& view, int control,
                                     ControlNotification notification) {
  switch (control) {
    case kPortList:
      if (std::optional<int> index = ChosenIndex(view, control, notification)) {
        // The open port stays; the new one is opened at the next start.
        core_.config.com_port = *index;
        WriteComPort(profile_, *index);
      }
      return;
    case kLineList:
      if (std::optional<int> index = ChosenIndex(view, control, notification)) {
        // Live at once: the next command and reply use the new framing.
        core_.config.rs_control = *index;
        WriteRsControl(profile_, *index);
      }
      return;
    case kIdOk:
    case kIdClose:
      if (notification == ControlNotification::kClicked) {
        view.EndDialog(kDialogClosed);
      }
      return;
    default:
      return;
  }
}

}  // namespace vqx
