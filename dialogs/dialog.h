// The behaviour of one modal dialog, independent of the window system. The
// host (Win32 dialog procedure, or a test) creates the window from the
// template and forwards its events here.
#pragma once

#include <atomic>
#include <memory>

#include "base/device_settings.h"
#include "base/platform.h"
#include "dialogs/dialog_view.h"
#include "dialogs/selections.h"
#include "protocol/address_scan.h"
#include "protocol/connection.h"
#include "protocol/read_all.h"
#include "protocol/traffic_log.h"
#include "transport/command_sink.h"
#include "transport/link_state.h"

namespace vqx {

// Command ids shared by every dialog: the Enter key and OK buttons send 1,
// the "Close" button, the Escape key and the close box send 2.
inline constexpr int kIdOk = 1;
inline constexpr int kIdClose = 2;

// Every way of closing a dialog ends it with this result; openers ignore it.
inline constexpr int kDialogClosed = 2;

// What happened to the control named in OnCommand.
enum class ControlNotification {
  kClicked,          // a push button (also Enter and Escape)
  kSelectionChange,  // the user picked an item of a drop-down list
  kEditChange,       // the text of an edit control changed
  kOther,            // anything else; dialogs ignore it
};

class Dialog {
 public:
  virtual ~Dialog() = default;

  // Resource id of the dialog template.
  virtual int template_id() const = 0;

  // The window and its controls exist; fill and preselect them.
  virtual void OnInit(DialogView& view) = 0;

  virtual void OnCommand(DialogView& view, int control,
                         ControlNotification notification) = 0;

  virtual void OnTimer(DialogView& /*view*/, int /*timer_id*/) {}

  // The dialog has painted itself (the host lets the window manager paint
  // first); dialogs that draw into their controls redraw from here.
  virtual void OnPaint(DialogView& /*view*/) {}

  // The close box. The dialog manager already turns Escape into the Close
  // command; the close box means the same.
  virtual void OnClose(DialogView& view) {
    OnCommand(view, kIdClose, ControlNotification::kClicked);
  }
};

// The device as the dialogs reach it: the link to send through (and to
// probe single addresses with), the link flags and configuration, the slave
// address chosen, the record of the read-back lines that arrived and of the
// versions by address, and the traffic log. In the program all of it is the
// connection's (`DeviceSideOf`); a test puts recording stand-ins in.
struct DeviceSide {
  CommandSink& sink;
  ProbeSink& probes;
  LinkState& state;
  LinkConfig& config;
  std::atomic<int>& slave_address;  // 0..31, kBroadcastAddress for "FF"
  ReadBackRecord& read_backs;
  VersionReplies& versions;
  TrafficLog& traffic_log;
};

// The device side of `connection`; `traffic_log` is the log its tap feeds
// (`Connection::SetTrafficLog`).
inline DeviceSide DeviceSideOf(Connection& connection,
                               TrafficLog& traffic_log) {
  return {connection.link(),
          connection.link(),
          connection.state(),
          connection.config(),
          connection.slave_address(),
          connection.read_backs(),
          connection.version_replies(),
          traffic_log};
}

// What the dialogs work with: the settings record, what they remember
// between openings, the device and the platform.
struct DialogServices {
  SettingsStore& settings;
  DialogSelections& selections;
  DeviceSide device;
  PlatformServices platform;
};

// Opens dialogs over the main window.
class DialogRunner {
 public:
  virtual ~DialogRunner() = default;
  // Returns when the dialog has ended, with its result.
  virtual int RunModal(Dialog& dialog) = 0;
  // Shows a window that stays beside the main window (the traffic log) and
  // returns at once; the runner keeps the object until the window closes.
  // When one of the same template is open, that one comes to the front and
  // `dialog` is dropped.
  virtual void ShowModeless(std::unique_ptr<Dialog> dialog) = 0;
};

}  // namespace vqx
