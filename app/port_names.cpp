#include "app/port_names.h"

#include <algorithm>

namespace vqx {

std::vector<std::wstring> QueryDeviceNames(const DeviceNameCall& query,
                                           std::size_t first,
                                           std::size_t limit) {
  std::size_t size = std::clamp<std::size_t>(first, 1, limit);
  for (;;) {
    std::wstring buffer(size, L'\0');
    const DeviceNameQuery result = query(buffer.data(), buffer.size());
    if (result.stored > 0) {
      buffer.resize(std::min(result.stored, buffer.size()));
      std::vector<std::wstring> names;
      std::size_t at = 0;
      while (at < buffer.size()) {
        const std::size_t end = std::min(buffer.find(L'\0', at), buffer.size());
        if (end == at) break;  // the empty name that ends the list
        names.emplace_back(buffer, at, end - at);
        at = end + 1;
      }
      return names;
    }
    if (!result.too_small || size >= limit) return {};
    size = std::min(size * 2, limit);
  }
}

int ComPortNumber(std::wstring_view name) {
  if (name.size() < 4 || name.size() > 6) return 0;
  const auto upper = [](wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
  };
  if (upper(name[0]) != L'C' || upper(name[1]) != L'O' ||
      upper(name[2]) != L'M') {
    return 0;
  }
  const std::wstring_view digits = name.substr(3);
  if (digits.front() == L'0') return 0;
  int number = 0;
  for (wchar_t c : digits) {
    if (c < L'0' || c > L'9') return 0;
    number = number * 10 + (c - L'0');
  }
  return number <= 256 ? number : 0;
}

}  // namespace vqx
