#include "app/port_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vqx {
namespace {

TEST(QueryDeviceNamesTest, GrowsTheBufferUntilTheListFitsUpToTheLimit) {
  // Many volumes before the ports: about 31,900 characters, each name with
  // its NUL and one more at the end, as QueryDosDevice lists them.
  std::vector<std::wstring> names;
  for (int i = 0; i < 3000; ++i) names.push_back(L"Vol" + std::to_wstring(i));
  names.insert(names.end(), {L"COM1", L"COM12"});
  std::wstring list;
  for (const std::wstring& name : names) list += name + L'\0';
  list += L'\0';
  std::vector<std::size_t> asked;
  bool other_failure = false;
  const auto system = [&](wchar_t* buffer, std::size_t size) {
    asked.push_back(size);
    if (other_failure) return DeviceNameQuery{0, false};
    if (size < list.size()) return DeviceNameQuery{0, true};
    std::copy(list.begin(), list.end(), buffer);
    return DeviceNameQuery{list.size(), false};
  };
  struct Case {
    std::size_t first, limit;
    std::vector<std::size_t> asked;
    bool found;
  };
  const Case cases[] = {
      {4096, 1 << 20, {4096, 8192, 16384, 32768}, true},
      {4096, 20000, {4096, 8192, 16384, 20000}, false},
      {0, 2, {1, 2}, false},
  };
  for (const Case& c : cases) {
    asked.clear();
    EXPECT_EQ(QueryDeviceNames(system, c.first, c.limit),
              c.found ? names : std::vector<std::wstring>{});
    EXPECT_EQ(asked, c.asked);
  }
  other_failure = true;
  asked.clear();
  EXPECT_TRUE(QueryDeviceNames(system).empty());
  EXPECT_EQ(asked.size(), 1u);  // only a buffer too small is asked again
}

TEST(ComPortNumberTest, OnlyComPortNames) {
  const std::pair<const wchar_t*, int> cases[] = {
      {L"COM1", 1},  {L"com7", 7},   {L"Com256", 256}, {L"COM0", 0},
      {L"COM01", 0}, {L"COM257", 0}, {L"COM1a", 0},    {L"LPT1", 0}};
  for (const auto& [name, number] : cases) {
    EXPECT_EQ(ComPortNumber(name), number) << ::testing::PrintToString(name);
  }
}

}  // namespace
}  // namespace vqx
