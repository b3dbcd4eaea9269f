#include "app/port_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vqx {
namespace {

// The system's list as QueryDosDevice gives it: each name with its NUL, one
// NUL more at the end; a buffer too small for all of it fails.
struct FakeDeviceList {
  std::wstring list;
  bool fails = false;
  std::vector<std::size_t> asked = {};

  DeviceNameQuery operator()(wchar_t* buffer, std::size_t size) {
    asked.push_back(size);
    if (fails) return {0, false};
    if (size < list.size()) return {0, true};
    std::copy(list.begin(), list.end(), buffer);
    return {list.size(), false};
  }
};

std::wstring ListOf(const std::vector<std::wstring>& names) {
  std::wstring list;
  for (const std::wstring& name : names) list += name + L'\0';
  return list + L'\0';
}

TEST(QueryDeviceNamesTest, GrowsTheBufferUntilTheListFits) {
  // Many volumes and virtual devices before the ports.
  std::vector<std::wstring> names;
  for (int i = 0; i < 3000; ++i)
    names.push_back(L"Volume" + std::to_wstring(i));
  names.insert(names.end(), {L"COM1", L"COM12"});
  FakeDeviceList system{ListOf(names)};  // about 30,000 characters

  struct Case {
    std::size_t first;
    std::size_t limit;
    std::vector<std::size_t> asked;
    bool found;
  };
  const Case cases[] = {
      {65536, 1 << 20, {65536}, true},
      {4096, 1 << 20, {4096, 8192, 16384, 32768}, true},
      // A limit that is no power-of-two multiple is still asked for.
      {4096, 20000, {4096, 8192, 16384, 20000}, false},
      {20000, 1 << 20, {20000, 40000}, true},
      {0, 4, {1, 2, 4}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first);
    system.asked.clear();
    const std::vector<std::wstring> found =
        QueryDeviceNames(std::ref(system), c.first, c.limit);
    EXPECT_EQ(system.asked, c.asked);
    EXPECT_EQ(found, c.found ? names : std::vector<std::wstring>{});
  }
}

TEST(QueryDeviceNamesTest, OtherFailuresAndOddListsGiveWhatCanBeTrusted) {
  FakeDeviceList failing{ListOf({L"COM1"}), true};
  EXPECT_TRUE(QueryDeviceNames(std::ref(failing)).empty());
  EXPECT_EQ(failing.asked.size(), 1u);  // not asked again

  // A count that runs past the buffer, or a list without its final NUL.
  const auto stores = [](std::wstring list, std::size_t count) {
    return [list, count](wchar_t* buffer, std::size_t size) {
      std::copy_n(list.begin(), std::min(list.size(), size), buffer);
      return DeviceNameQuery{count, false};
    };
  };
  EXPECT_EQ(QueryDeviceNames(stores(L"COM1", 4), 8),
            std::vector<std::wstring>{L"COM1"});
  EXPECT_EQ(QueryDeviceNames(stores(ListOf({L"A", L"B"}), 99), 5),
            (std::vector<std::wstring>{L"A", L"B"}));
  EXPECT_TRUE(QueryDeviceNames(stores(std::wstring(1, L'\0'), 1)).empty());
}

TEST(ComPortNumberTest, OnlyComPortNames) {
  const std::pair<const wchar_t*, int> cases[] = {
      {L"COM1", 1},  {L"com7", 7},    {L"Com256", 256}, {L"COM10", 10},
      {L"COM0", 0},  {L"COM01", 0},   {L"COM257", 0},   {L"COM", 0},
      {L"COM1a", 0}, {L"COM1000", 0}, {L"LPT1", 0},     {L"CON", 0},
      {L"XCOM1", 0}, {L"", 0},
  };
  for (const auto& [name, number] : cases) {
    EXPECT_EQ(ComPortNumber(name), number) << ::testing::PrintToString(name);
  }
}

}  // namespace
}  // namespace vqx
