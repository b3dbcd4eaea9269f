// vqx460ctl's words for several devices: the address lists it takes, the
// names of the files it writes, and the summary it prints.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "posix/ctl/devices.h"
#include "posix/ctl/summary.h"

namespace vqx {
namespace {

TEST(CtlDevicesTest, AddressLists) {
  struct Case {
    std::string text;
    std::vector<int> addresses;
    bool found;
  };
  for (const Case& c : std::vector<Case>{
           {"05", {5}, false},
           {"5", {5}, false},
           {"01,03,17", {1, 3, 17}, false},
           {"17,01", {17, 1}, false},  // the order given is the order run
           {"08,09", {8, 9}, false},   // decimal, not octal
           {"found", {}, true},
       }) {
    AddressList list;
    std::string error;
    ASSERT_TRUE(ParseAddressList(c.text, list, error)) << c.text << error;
    EXPECT_EQ(list.addresses, c.addresses) << c.text;
    EXPECT_EQ(list.found, c.found) << c.text;
  }
  for (const std::string bad :
       {"", "32", "01,,03", "01,", "1x", "-1", "001", "broadcast",
        "01,broadcast", "01,03,01", "Found", "01 03"}) {
    AddressList list;
    list.addresses = {9};
    std::string error;
    EXPECT_FALSE(ParseAddressList(bad, list, error)) << bad;
    EXPECT_NE(error.find("--address " + bad), std::string::npos) << error;
    EXPECT_EQ(list.addresses, std::vector<int>{9}) << "left alone";
  }
}

TEST(CtlDevicesTest, WhenACommandNamesSeveralDevices) {
  EXPECT_FALSE(NamesSeveralDevices({"/dev/ttyUSB0"}, true, "05"));
  EXPECT_FALSE(NamesSeveralDevices({"/dev/ttyUSB0"}, true, "broadcast"));
  EXPECT_TRUE(NamesSeveralDevices({"/dev/ttyUSB0"}, true, "05,06"));
  EXPECT_TRUE(NamesSeveralDevices({"/dev/ttyUSB0"}, true, "found"));
  EXPECT_TRUE(NamesSeveralDevices({"a", "b"}, false, "00"));
  // Without --rs485 the address means nothing.
  EXPECT_FALSE(NamesSeveralDevices({"/dev/ttyUSB0"}, false, "found"));
}

TEST(CtlDevicesTest, FileNames) {
  struct Case {
    std::string port;
    int address;
    bool several_ports;
    std::string name;
  };
  for (const Case& c : std::vector<Case>{
           {"/dev/ttyUSB0", 17, false, "17.dat"},
           {"/dev/ttyUSB0", 3, true, "ttyUSB0-03.dat"},
           {"/dev/ttyUSB0", -1, true, "ttyUSB0.dat"},
           {"rfc2217://site-a.example:4001", 5, true,
            "site-a.example_4001-05.dat"},
           {"tcp://[fe80::1%eth0]:4001", 5, true, "fe80__1_eth0_4001-05.dat"},
           {"/dev/serial/by-id/usb-FTDI Cable:x", 1, true,
            "usb-FTDI_Cable_x-01.dat"},
       }) {
    EXPECT_EQ(DeviceFileName(c.port, c.address, c.several_ports), c.name)
        << c.port;
  }
}

std::vector<DeviceRow> Rows() {
  return {
      {"/dev/ttyUSB0", "01", true, "read-all: 79 settings groups read", 79, 3.2,
       "site/01.dat"},
      {"rfc2217://10.0.0.5:4001", "17", false,
       "read-all stopped after 1 of 79 commands: no reply from the device", 1,
       8.314, ""},
      {"tcp://10.0.0.6:4001", "", false,
       "scan: no device answered at any address 00..31", 32, 16.0, ""},
  };
}

TEST(CtlDevicesTest, SummaryTable) {
  EXPECT_EQ(FormatSummaryTable(Rows(), false),
            "ADDRESS  RESULT  LINES  TIME\n"
            "01       ok      79     3.20 s   read-all: 79 settings groups "
            "read\n"
            "17       FAILED  1      8.31 s   read-all stopped after 1 of 79 "
            "commands: no reply from the device\n"
            "none     FAILED  32     16.00 s  scan: no device answered at any "
            "address 00..31\n");
  const std::string with_port = FormatSummaryTable(Rows(), true);
  EXPECT_EQ(with_port.substr(0, with_port.find('\n')),
            "PORT                     ADDRESS  RESULT  LINES  TIME");
}

TEST(CtlDevicesTest, SummaryJson) {
  const nlohmann::json summary =
      nlohmann::json::parse(FormatSummaryJson("read-all", Rows()));
  EXPECT_EQ(summary["command"], "read-all");
  EXPECT_EQ(summary["ok"], false);
  ASSERT_EQ(summary["devices"].size(), 3u);
  EXPECT_EQ(summary["devices"][0],
            nlohmann::json::parse(R"({"port": "/dev/ttyUSB0", "address": "01",
              "ok": true, "message": "read-all: 79 settings groups read",
              "lines": 79, "seconds": 3.2, "file": "site/01.dat"})"));
  EXPECT_EQ(summary["devices"][1]["seconds"], 8.314);
  EXPECT_EQ(summary["devices"][1]["file"], nullptr);
  EXPECT_EQ(summary["devices"][2]["address"], nullptr);

  std::vector<DeviceRow> all_ok = {Rows()[0]};
  EXPECT_EQ(nlohmann::json::parse(FormatSummaryJson("send-all", all_ok))["ok"],
            true);
  // Nothing run is no success.
  EXPECT_EQ(nlohmann::json::parse(FormatSummaryJson("send-all", {}))["ok"],
            false);
  // A message holding bytes that are no UTF-8 still makes JSON.
  std::vector<DeviceRow> odd = {Rows()[1]};
  odd[0].message = "reply \xFE*#~";
  EXPECT_NO_THROW(nlohmann::json::parse(FormatSummaryJson("read-all", odd)));
}

}  // namespace
}  // namespace vqx
