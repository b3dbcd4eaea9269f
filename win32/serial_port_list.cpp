#include "win32/serial_port_list.h"

#include <windows.h>
// setupapi.h needs what windows.h declares.
#include <setupapi.h>

#include <map>
#include <string>
#include <vector>

#include "app/port_names.h"
#include "win32/text.h"

namespace vqx::win32 {
namespace {

// The device manager's class of COM and LPT ports.
constexpr GUID kPortsClass = {0x4D36E978,
                              0xE325,
                              0x11CE,
                              {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// Every "COMn" among the system's DOS device names.
void AddDosDevices(std::map<int, std::string>& ports) {
  const std::vector<std::wstring> names =
      QueryDeviceNames([](wchar_t* buffer, std::size_t size) {
        const DWORD stored =
            QueryDosDeviceW(nullptr, buffer, static_cast<DWORD>(size));
        if (stored != 0) return DeviceNameQuery{stored, false};
        const DWORD error = GetLastError();
        // Older systems report a list that does not fit as "more data".
        return DeviceNameQuery{
            0, error == ERROR_INSUFFICIENT_BUFFER || error == ERROR_MORE_DATA};
      });
  for (const std::wstring& name : names) {
    if (int number = ComPortNumber(name)) ports.emplace(number, std::string());
  }
}

// The ports the device manager lists, with their friendly names ("USB
// Serial Port (COM3)" gives "USB Serial Port").
void AddDeviceManagerPorts(std::map<int, std::string>& ports) {
  HDEVINFO set =
      SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
    HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0,
                                    DIREG_DEV, KEY_QUERY_VALUE);
    if (key == INVALID_HANDLE_VALUE) continue;
    wchar_t port_name[32] = {};
    DWORD size = sizeof port_name - sizeof(wchar_t);
    DWORD type = 0;
    const LONG read =
        RegQueryValueExW(key, L"PortName", nullptr, &type,
                         reinterpret_cast<BYTE*>(port_name), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS || type != REG_SZ) continue;
    const int number = ComPortNumber(port_name);
    if (number == 0) continue;
    wchar_t friendly[256] = {};
    std::wstring description;
    if (SetupDiGetDeviceRegistryPropertyW(
            set, &device, SPDRP_FRIENDLYNAME, nullptr,
            reinterpret_cast<BYTE*>(friendly),
            sizeof friendly - sizeof(wchar_t), nullptr)) {
      description = friendly;
      const std::wstring suffix = L" (" + std::wstring(port_name) + L")";
      if (description.size() > suffix.size() &&
          description.compare(description.size() - suffix.size(), suffix.size(),
                              suffix) == 0) {
        description.resize(description.size() - suffix.size());
      }
    }
    ports[number] = Narrow(description);
  }
  SetupDiDestroyDeviceInfoList(set);
}

}  // namespace

std::vector<SerialPortInfo> Win32SerialPortList::PresentPorts() {
  std::map<int, std::string> ports;
  AddDosDevices(ports);
  AddDeviceManagerPorts(ports);
  std::vector<SerialPortInfo> list;
  for (const auto& [number, description] : ports) {
    list.push_back({number, description});
  }
  return list;
}

}  // namespace vqx::win32
