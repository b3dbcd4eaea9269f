// The serial settings dialog: which COM port the program opens at its next
// start, whether the line is RS-232C or RS-485, and whether the line
// adapter echoes what is sent (both live at once). Each is written to the
// INI file the moment it is picked.
//
// The port list holds "COM 1".."COM 6" as always, then every further port
// the system has (a USB adapter is often COM10 or higher), with what the
// system calls it; a configured port the system does not have is shown
// marked absent, never replaced by another. com_port is n - 1 for COMn
// whatever item shows it, so INI files of any age keep their meaning.
//
// Below, the network: a box that makes the program reach the device through
// a serial device server instead of the COM port, with the server's host,
// port and protocol (RFC 2217 or raw TCP). Each is written to the INI file
// as it changes (`NetworkChoice`); the controls are greyed while the box is
// off, and nothing about the network is written until the user touches it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/ids/serial_settings_ids.h"
#include "app/network_choice.h"
#include "base/platform.h"
#include "dialogs/dialog.h"
#include "transport/link_state.h"

namespace vqx {

// com_port values the program opens: COM1..COM256.
inline constexpr int kHighestComPort = 255;

// "（見つかりません）" follows a configured port the system does not have.
inline constexpr std::string_view kAbsentPortMark = "（見つかりません）";

class SerialSettingsDialog : public Dialog {
 public:
  static constexpr int kTemplateId = IDD_SERIAL_SETTINGS;
  static constexpr int kPortList = IDC_SERIAL_PORT;
  static constexpr int kLineList = IDC_SERIAL_LINE;
  // What the system calls the chosen port, under the list.
  static constexpr int kPortDescription = IDC_SERIAL_PORT_DESCRIPTION;
  // Echo tolerance: the line adapter sends every line back; such an echo is
  // no reply.
  static constexpr int kEchoBox = IDC_SERIAL_ECHO;
  static constexpr int kNetworkBox = IDC_SERIAL_NET_USE;
  static constexpr int kHostEdit = IDC_SERIAL_NET_HOST;
  static constexpr int kNetPortEdit = IDC_SERIAL_NET_PORT;
  // "RFC 2217", "TCP".
  static constexpr int kProtocolList = IDC_SERIAL_NET_KIND;
  // The first items, always there: "COM 1".."COM 6".
  static constexpr int kListedPorts = 6;

  // `state`: the noted echoes are forgotten when the echo box changes.
  SerialSettingsDialog(LinkState& state, LinkConfig& config,
                       DialogSelections& selections, ProfileStore& profile,
                       SerialPortList& ports)
      : state_(state),
        config_(config),
        selections_(selections),
        profile_(profile),
        ports_(ports) {}

  int template_id() const override { return kTemplateId; }
  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control,
                 ControlNotification notification) override;

 private:
  void ShowDescription(DialogView& view, int com_port);
  void EnableNetwork(DialogView& view);

  LinkState& state_;
  LinkConfig& config_;
  DialogSelections& selections_;
  ProfileStore& profile_;
  SerialPortList& ports_;
  // The com_port value of each item of the port list.
  std::vector<int> item_ports_;
  std::vector<SerialPortInfo> present_;
  // What the INI file holds, kept current as the user changes it.
  NetworkChoice network_;
};

}  // namespace vqx
