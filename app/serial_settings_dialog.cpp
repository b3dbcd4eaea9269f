#include "app/serial_settings_dialog.h"

#include <algorithm>
#include <array>

#include "dialogs/conventions.h"
#include "transport/link_config.h"

namespace vqx {
namespace {

constexpr std::array<std::string_view, SerialSettingsDialog::kListedPorts>
    kPortItems = {"COM 1", "COM 2", "COM 3", "COM 4", "COM 5", "COM 6"};
constexpr std::array<std::string_view, 2> kLineItems = {"RS-232C", "RS-485"};
constexpr std::array<std::string_view, 2> kProtocolItems = {"RFC 2217", "TCP"};
// The longest name a host may have.
constexpr int kHostCharacters = 253;

bool IsPortValue(int com_port) {
  return com_port >= 0 && com_port <= kHighestComPort;
}

}  // namespace

void SerialSettingsDialog::OnInit(DialogView& view) {
  present_ = ports_.PresentPorts();
  FillList(view, kPortList, kPortItems);
  item_ports_.clear();
  for (int i = 0; i < kListedPorts; ++i) item_ports_.push_back(i);

  // Further ports, and the configured one even when it is not there.
  const int configured = config_.com_port.load();
  std::vector<int> further;
  for (const SerialPortInfo& port : present_) {
    if (port.number > kListedPorts && port.number - 1 <= kHighestComPort) {
      further.push_back(port.number - 1);
    }
  }
  if (IsPortValue(configured) && configured >= kListedPorts &&
      std::find(further.begin(), further.end(), configured) == further.end()) {
    further.push_back(configured);
  }
  std::sort(further.begin(), further.end());
  for (int com_port : further) {
    std::string item = "COM" + std::to_string(com_port + 1);
    const auto found = std::find_if(present_.begin(), present_.end(),
                                    [&](const SerialPortInfo& port) {
                                      return port.number == com_port + 1;
                                    });
    if (found == present_.end()) {
      item += " ";
      item += kAbsentPortMark;
    } else if (!found->description.empty()) {
      item += " " + found->description;
    }
    view.InsertItem(kPortList, static_cast<int>(item_ports_.size()), item);
    item_ports_.push_back(com_port);
  }

  FillList(view, kLineList, kLineItems);
  const auto shown =
      std::find(item_ports_.begin(), item_ports_.end(), configured);
  Preselect(view, kPortList,
            shown == item_ports_.end()
                ? kNoSelection
                : static_cast<int>(shown - item_ports_.begin()));
  Preselect(view, kLineList, config_.rs_control.load());
  view.SetCheck(kEchoBox, config_.echo.load() != 0);
  ShowDescription(view, configured);

  network_ = ReadNetworkChoice(profile_);
  FillList(view, kProtocolList, kProtocolItems);
  view.SelectItem(kProtocolList, network_.kind == PortKind::kRawTcp ? 1 : 0);
  view.LimitText(kHostEdit, kHostCharacters);
  view.LimitText(kNetPortEdit, 5);
  // Shown as stored; the change notifications these raise write nothing,
  // since nothing differs from what the file holds.
  view.SetControlText(kHostEdit, network_.host);
  view.SetControlText(kNetPortEdit,
                      network_.port > 0 ? std::to_string(network_.port) : "");
  view.SetCheck(kNetworkBox, network_.chosen);
  EnableNetwork(view);
  selections_.hidden_access_count = 0;
}

void SerialSettingsDialog::EnableNetwork(DialogView& view) {
  for (int control : {kHostEdit, kNetPortEdit, kProtocolList}) {
    view.EnableControl(control, network_.chosen);
  }
}

void SerialSettingsDialog::ShowDescription(DialogView& view, int com_port) {
  std::string text;
  if (IsPortValue(com_port)) {
    const auto found = std::find_if(present_.begin(), present_.end(),
                                    [&](const SerialPortInfo& port) {
                                      return port.number == com_port + 1;
                                    });
    text = found == present_.end() ? std::string(kAbsentPortMark)
                                   : found->description;
  }
  view.SetControlText(kPortDescription, text);
}

void SerialSettingsDialog::OnCommand(DialogView& view, int control,
                                     ControlNotification notification) {
  switch (control) {
    case kPortList:
      if (std::optional<int> index = ChosenIndex(view, control, notification)) {
        if (*index >= static_cast<int>(item_ports_.size())) return;
        const int com_port = item_ports_[*index];
        // The open port stays; the new one is opened at the next start.
        config_.com_port = com_port;
        WriteComPort(profile_, com_port);
        ShowDescription(view, com_port);
      }
      return;
    case kLineList:
      if (std::optional<int> index = ChosenIndex(view, control, notification)) {
        // Live at once: the next command and reply use the new framing.
        config_.rs_control = *index;
        WriteRsControl(profile_, *index);
      }
      return;
    case kEchoBox:
      if (notification == ControlNotification::kClicked) {
        const bool echo = view.IsChecked(kEchoBox);
        // Lines noted under the other setting say nothing about this one.
        if (echo != (config_.echo.load() != 0)) state_.echoes.Clear();
        WriteEcho(profile_, config_, echo);
      }
      return;
    case kNetworkBox:
      if (notification == ControlNotification::kClicked) {
        // Used from the next start, as a newly chosen COM port is.
        network_.chosen = view.IsChecked(kNetworkBox);
        WriteNetworkChosen(profile_, network_.chosen, network_.kind);
        EnableNetwork(view);
      }
      return;
    case kProtocolList:
      if (std::optional<int> index = ChosenIndex(view, control, notification)) {
        network_.kind = *index == 1 ? PortKind::kRawTcp : PortKind::kRfc2217;
        WriteNetworkChosen(profile_, network_.chosen, network_.kind);
      }
      return;
    case kHostEdit:
      if (notification == ControlNotification::kEditChange) {
        const std::string host = view.ControlText(kHostEdit);
        if (host != network_.host) {
          network_.host = host;
          WriteNetworkHost(profile_, host);
        }
      }
      return;
    case kNetPortEdit:
      // Only a port 1..65535 is kept; anything else leaves the last one.
      if (notification == ControlNotification::kEditChange) {
        const std::optional<int> port =
            ParseNetworkPort(view.ControlText(kNetPortEdit));
        if (port && *port != network_.port) {
          network_.port = *port;
          WriteNetworkPort(profile_, *port);
        }
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
