// The VQX-460 settings tool for Windows: process entry and start-up.
#include <windows.h>

#include <memory>

#include "app/main_window.h"
#include "app/network_choice.h"
#include "base/file_io.h"
#include "base/ini_file.h"
#include "dialogs/sequence_run.h"
#include "files/settings_file.h"
#include "protocol/connection.h"
#include "transport/link_config.h"
#include "transport/writer_thread_port.h"
#include "win32/dialog_host.h"
#include "win32/main_window_win32.h"
#include "win32/message_boxes.h"
#include "win32/platform_services.h"
#include "win32/serial_port_list.h"
#include "win32/serial_port_win32.h"
#include "win32/tcp_port_win32.h"
#include "win32/text.h"

namespace vqx::win32 {
namespace {

constexpr wchar_t kMutexName[] = L"VQX-460 TCP_X_Mutex";
constexpr wchar_t kSecondStartText[] = L"２重に起動はできません";
// How long the exit waits for the receive thread before the process ends
// anyway (it may be showing a box).
constexpr DWORD kReceiveThreadExitWaitMs = 2000;

// Everything the program keeps for its whole run. It is never destroyed:
// the receive thread may still be inside a box when the process ends.
struct Program {
  explicit Program(HINSTANCE instance)
      : locations(CurrentUserProfileLocations()),
        profile(locations.user_file, locations.legacy_file),
        connection(settings, boxes, steady_clock),
        traffic_log(clock, codec),
        dialog_runner(instance),
        platform{boxes, codec, clock, steady_clock, profile, chooser},
        dialog_services{settings, selections,
                        DeviceSideOf(connection, traffic_log), platform},
        behaviour({settings, dialog_services.device, platform, dialog_runner,
                   view, opener},
                  {dialog_services, ports}) {
    // Every line both ways, for the traffic log window.
    connection.SetTrafficLog(&traffic_log);
  }

  // Starts at the factory defaults, as File > New leaves it.
  SettingsStore settings;
  DialogSelections selections;
  Win32MessageBoxes boxes;
  Win32TextCodec codec;
  Win32Clock clock;
  Win32SteadyClock steady_clock;
  Win32FileChooser chooser;
  Win32DocumentOpener opener;
  ProfileLocations locations;
  IniFileProfileStore profile;
  Win32SerialPort port;
  // Instead of the COM port when the network is chosen: the server, and
  // its writes on a thread of their own so connecting never holds up the
  // window.
  std::unique_ptr<Win32TcpPort> network_port;
  std::unique_ptr<WriterThreadPort> network_writer;
  Win32SerialPortList ports;
  Connection connection;
  TrafficLog traffic_log;
  Win32DialogRunner dialog_runner;
  PlatformServices platform;
  DialogServices dialog_services;
  Win32MainWindowView view;
  MainWindow behaviour;
  MainWindowContext window_context;
};

// Ends the receive thread before the port closes with the process: Exit
// (or the end of the session) cleared receive_running; waking the thread's
// wait lets it see that.
void StopReception(Program& program) {
  program.connection.Stop(std::chrono::milliseconds(kReceiveThreadExitWaitMs));
}

// The port chosen in the serial settings dialog: the COM port, opened now
// (its failures show their boxes), or the serial server on the network,
// connected in the background; a failure to connect, now or when a lost
// connection is made again for a later command, shows a box naming the
// server, and the command it carried ends in the watchdog's "No Connect"
// as on a silent device.
SerialPort* OpenChosenPort(Program& program) {
  const NetworkChoice network = ReadNetworkChoice(program.profile);
  if (!network.chosen) {
    program.port.Open(program.connection.config().com_port, program.boxes);
    return &program.port;
  }
  const std::optional<PortAddress> address = network.Address();
  if (!address) {
    program.boxes.ShowErrorBox(NetworkAddressInvalidText());
    return nullptr;
  }
  program.network_port = std::make_unique<Win32TcpPort>(*address);
  Win32TcpPort* tcp = program.network_port.get();
  const auto report = [&program, tcp] {
    program.boxes.ShowErrorBox(
        NetworkConnectFailedText(tcp->address(), tcp->last_error()));
  };
  program.network_writer = std::make_unique<WriterThreadPort>(*tcp, report);
  program.network_writer->Post([tcp, report] {
    if (!tcp->Open()) report();
  });
  program.behaviour.SetConnectionPlace(address->ToString());
  return program.network_writer.get();
}

int Run(HINSTANCE instance) {
  // One copy at a time: a second start leaves the first untouched.
  if (HANDLE existing = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kMutexName)) {
    CloseHandle(existing);
    MessageBoxW(nullptr, kSecondStartText, L"VQX-460", MB_OK);
    return 0;
  }
  // Held until the process ends.
  CreateMutexW(nullptr, FALSE, kMutexName);

  if (!RegisterMainWindowClass(instance)) return 0;

  SetFileSyncHook(&FlushFileToDisk);
  auto* program = new Program(instance);
  ReadLinkConfig(program->profile, program->connection.config());
  ReadFastChoice(program->profile, program->connection.config());

  MainWindowContext& context = program->window_context;
  context.behaviour = &program->behaviour;
  context.link_state = &program->connection.state();
  // The system ends the process as soon as WM_ENDSESSION returns, without
  // the message loop running again; the program ends here instead, as Exit
  // ends it, with exit code 0.
  context.on_session_end = [program] {
    StopReception(*program);
    ExitProcess(0);
  };
  HWND window = CreateMainWindow(instance, context);
  if (window == nullptr) return 0;
  program->view.Attach(window, context.status_bar);
  program->dialog_runner.set_owner(window);
  program->chooser.set_owner(window);

  if (SerialPort* port = OpenChosenPort(*program)) {
    program->connection.Attach(port);
  }
  if (program->connection.port() != nullptr && !program->connection.Start()) {
    program->boxes.ShowWarningBox("error creating read thread");
  }

  MSG message;
  int exit_code = 0;
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      exit_code = static_cast<int>(message.wParam);
      break;
    }
    if (got == -1) break;
    if (program->dialog_runner.HandleDialogMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }

  StopReception(*program);
  return exit_code;
}

}  // namespace
}  // namespace vqx::win32

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/,
                    PWSTR /*command_line*/, int /*show*/) {
  return vqx::win32::Run(instance);
}
