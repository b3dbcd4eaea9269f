#include "win32/serial_port_list.h"

#include <windows.h>
// setupapi.h needs what windows.h declares.
#include <setupapi.h>

#include <cwchar>
#include <map>
#include <string>

#include "win32/text.h"

namespace vqx::win32 {
namespace {

// The device manager's class of COM and LPT ports.
constexpr GUID kPortsClass = {0x4D36E978,
                              0xE325,
                              0x11CE,
                              {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// n for "COMn" (1..256), 0 for anything else.
int ComNumber(std::wstring_view name) {
  if (name.size() < 4 || name.size() > 6) return 0;
  if (_wcsnicmp(name.data(), L"COM", 3) != 0) return 0;
  int number = 0;
  for (wchar_t c : name.substr(3)) {
    if (c < L'0' || c > L'9') return 0;
    number = number * 10 + (c - L'0');
  }
  return number >= 1 && number <= 256 ? number : 0;
}

// Every "COMn" among the system's DOS device names.
void AddDosDevices(std::map<int, std::string>& ports) {
  std::wstring names(65536, L'\0');
  const DWORD length =
      QueryDosDeviceW(nullptr, names.data(), static_cast<DWORD>(names.size()));
  if (length == 0) return;
  for (const wchar_t* name = names.c_str(); *name != L'\0';
       name += std::wcslen(name) + 1) {
    if (int number = ComNumber(name)) ports.emplace(number, std::string());
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
    const int number = ComNumber(port_name);
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
