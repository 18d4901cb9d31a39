// TORVEN_98: labels from the description, instances from the registry walk
// under HKLM\Enum\USB, every USB device counted as a printer.
#include <gtest/gtest.h>

#include <string>

#include "usblib/device_info.h"
#include "usblib/fake_platform.h"
#include "usblib/usb_api.h"

namespace gc::usb::test {
namespace {

const std::string kPath =
    "\\\\?\\usb#vid_04b8&pid_0005#ser001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

FakeDevice Device(const std::string& path, const std::string& description,
                  const std::string& service = "usbhub") {
  FakeDevice d;
  d.path = path;
  d.description = description;
  d.service = service;
  return d;
}

TEST(Usb98Enumeration, EveryUsbDevicePassesAndTheLabelDropsFourCharacters) {
  FakeUsb fake;
  fake.devices = {Device(kPath, "USB Printing Support"), Device(kPath, "ABCD"), Device(kPath, "AB"),
                  Device(kPath, "")};
  UsbDeviceName* list = nullptr;
  int count = 0;
  ASSERT_EQ(nUsbEnumDeviceName(0, 1, 0, &list, &count), kUsbOk);
  ASSERT_EQ(count, 4);
  EXPECT_STREQ(list[0].label, "Printing Support");
  EXPECT_STREQ(list[1].label, "");
  EXPECT_STREQ(list[2].label, "");
  EXPECT_STREQ(list[3].label, "");
  fake.FreeList(list, count);
  EXPECT_EQ(fake.liveAllocations, 0);
  for (DWORD p : fake.propertiesQueried) EXPECT_EQ(p, static_cast<DWORD>(SPDRP_DEVICEDESC));
  EXPECT_EQ(fake.diagnostics.find("SetupDiGetDeviceRegistryProperty(SPDRP_LOCATION_INFORMATION) "
                                  "USB Printing Support\n"),
            0u);
  EXPECT_EQ(fake.diagnostics.find("SPDRP_SERVICE"), std::string::npos);
}

TEST(Usb98Registry, FirstInstanceWhoseSymbolicNameMatchesGivesTheInstance) {
  FakeUsb fake;
  fake.devices = {Device(kPath, "USB Printer")};
  fake.AddKey("Enum\\USB\\VID_0424&PID_2514\\NOVALUE");
  fake.AddSymbolicName("Enum\\USB\\VID_0424&PID_2514\\OTHER",
                       "\\DosDevices\\usb#vid_0424&pid_2514#other#{a5dcbf10-6530-11d2-901f-"
                       "00c04fb951ed}");
  // Case ignored, and the last four characters are not compared.
  fake.AddSymbolicName("Enum\\USB\\VID_04B8&PID_0005\\MATCH",
                       "\\DosDevices\\USB#VID_04B8&PID_0005#SER001#{A5DCBF10-6530-11D2-901F-"
                       "00C04FB9XXXX");
  fake.AddSymbolicName("Enum\\USB\\VID_04B8&PID_0005\\LATER", "\\DosDevices\\" + kPath.substr(4));
  UsbDeviceName* list = nullptr;
  int count = 0;
  ASSERT_EQ(nUsbEnumDeviceName(0, 0, 0, &list, &count), kUsbOk);
  ASSERT_EQ(count, 1);
  EXPECT_STREQ(list[0].label, "Printer");
  EXPECT_STREQ(list[0].instance, "MATCH");
  fake.FreeList(list, count);
  EXPECT_NE(fake.diagnostics.find("system message 2\r\n"), std::string::npos)
      << "the missing value is reported: " << fake.diagnostics;
  EXPECT_EQ(fake.keysOpen, 0);
  for (DWORD limit : fake.keyNameLimits) EXPECT_EQ(limit, 1025u);

  UsbDeviceName name{const_cast<char*>("Printer"), const_cast<char*>("MATCH"), nullptr};
  UsbDeviceHandle* handle = nullptr;
  ASSERT_EQ(nUsbOpenDevice(0, &name, &handle), kUsbOk);
  EXPECT_EQ(fake.opens.at(0), kPath + "\\PIPE01");
  nUsbCloseDevice(handle);
  EXPECT_EQ(fake.keysOpen, 0);
}

TEST(Usb98Registry, NoEnumerationKeyGivesAnEmptyInstance) {
  FakeUsb fake;
  fake.devices = {Device(kPath, "USB Printer")};
  UsbDeviceName* list = nullptr;
  int count = 0;
  ASSERT_EQ(nUsbEnumDeviceName(0, 0, 0, &list, &count), kUsbOk);
  ASSERT_EQ(count, 1);
  EXPECT_STREQ(list[0].instance, "");
  fake.FreeList(list, count);
}

TEST(Usb98Registry, SymbolicNameMatchesFromItsThirteenthCharacter) {
  const std::string tail = kPath.substr(4);
  struct Case {
    std::string value;
    bool matches;
  };
  for (const Case& c : {
           Case{"\\DosDevices\\" + tail, true},
           Case{"123456789012" + tail, true},  // the first twelve are not looked at
           Case{"\\DosDevices\\" + tail.substr(0, tail.size() - 4) + "!!!!", true},
           Case{"\\DosDevices\\x" + tail.substr(1), false},
           Case{"\\DosDevices\\" + tail.substr(0, 10) + "Z" + tail.substr(11), false},
           Case{"\\DosDevices\\" + tail + "longer", false},  // compared beyond the path
           Case{"\\DosDevices\\usb#", false},                // nothing left to compare
           Case{"\\DosDevices\\usb#v", true},                // one character: "u"
           Case{"short", false},
           Case{"", false},
       }) {
    EXPECT_EQ(SymbolicNameMatches(c.value.c_str(), kPath.c_str()), c.matches) << c.value;
  }
  EXPECT_FALSE(SymbolicNameMatches(("\\DosDevices\\" + tail).c_str(), "\\\\?"));
}

TEST(Usb98Registry, OverlongValueIsReportedAndPassedOver) {
  FakeUsb fake;
  fake.devices = {Device(kPath, "USB Printer")};
  fake.AddSymbolicName("Enum\\USB\\V\\LONG",
                       "\\DosDevices\\" + kPath.substr(4) + std::string(300, 'x'));
  fake.AddSymbolicName("Enum\\USB\\V\\GOOD", "\\DosDevices\\" + kPath.substr(4));
  UsbDeviceName* list = nullptr;
  int count = 0;
  ASSERT_EQ(nUsbEnumDeviceName(0, 0, 0, &list, &count), kUsbOk);
  ASSERT_EQ(count, 1);
  EXPECT_STREQ(list[0].instance, "GOOD");
  EXPECT_NE(fake.diagnostics.find("system message 234\r\n"), std::string::npos);
  fake.FreeList(list, count);
}

}  // namespace
}  // namespace gc::usb::test
