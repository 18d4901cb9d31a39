// TORVEN_2k: labels from the location, instances from the interface path,
// printers told apart by their service.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "usblib/device_info.h"
#include "usblib/fake_platform.h"
#include "usblib/usb_api.h"

namespace gc::usb::test {
namespace {

FakeDevice Device(const std::string& path, const std::string& location,
                  const std::string& service) {
  FakeDevice d;
  d.path = path;
  d.location = location;
  d.service = service;
  return d;
}

TEST(Usb2kEnumeration, PrintersOnlyKeepsDevicesOfTheUsbprintService) {
  FakeUsb fake;
  fake.devices = {
      Device("\\\\?\\usb#vid_04b8&pid_0005#P1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", "Port_#0001",
             "usbprint"),
      Device("\\\\?\\usb#vid_0424&pid_2514#H1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", "Port_#0002",
             "usbhub"),
      Device("\\\\?\\usb#vid_04b8&pid_0007#P2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", "Port_#0003",
             "USBPRINT"),
  };
  UsbDeviceName* list = nullptr;
  int count = 0;
  ASSERT_EQ(nUsbEnumDeviceName(0, 1, 0, &list, &count), kUsbOk);
  ASSERT_EQ(count, 1);
  EXPECT_STREQ(list[0].label, "Port_#0001");
  EXPECT_STREQ(list[0].instance, "P1");
  fake.FreeList(list, count);

  ASSERT_EQ(nUsbEnumDeviceName(0, 0, 0, &list, &count), kUsbOk);
  EXPECT_EQ(count, 3);
  fake.FreeList(list, count);
  EXPECT_EQ(fake.liveAllocations, 0);
  EXPECT_EQ(fake.keysOpen, 0);
  EXPECT_TRUE(fake.keyNameLimits.empty()) << "no registry walk in this variant";
}

TEST(Usb2kEnumeration, DiagnosticsNameEachPropertyRead) {
  FakeUsb fake;
  fake.devices = {Device("\\\\?\\usb#vid_1#A#{x}", "Port_#0001.Hub_#0003", "usbprint")};
  UsbDeviceName* list = nullptr;
  int count = 0;
  ASSERT_EQ(nUsbEnumDeviceName(0, 0, 0, &list, &count), kUsbOk);
  fake.FreeList(list, count);
  EXPECT_EQ(fake.diagnostics,
            "SetupDiGetDeviceRegistryProperty(SPDRP_LOCATION_INFORMATION) Port_#0001.Hub_#0003\n"
            "SetupDiGetDeviceRegistryProperty(SPDRP_SERVICE) usbprint\n");
  EXPECT_EQ(fake.propertiesQueried,
            (std::vector<DWORD>{SPDRP_LOCATION_INFORMATION, SPDRP_SERVICE}));
}

TEST(Usb2kEnumeration, UnreadablePropertiesGiveEmptyTexts) {
  FakeUsb fake;
  FakeDevice d = Device("\\\\?\\usb#vid_1#A#{x}", "L", "usbprint");
  d.propertiesFail = true;
  fake.devices = {d};
  UsbDeviceName* list = nullptr;
  int count = 0;
  ASSERT_EQ(nUsbEnumDeviceName(0, 0, 0, &list, &count), kUsbOk);
  ASSERT_EQ(count, 1);
  EXPECT_STREQ(list[0].label, "");
  EXPECT_STREQ(list[0].instance, "");
  fake.FreeList(list, count);
  ASSERT_EQ(nUsbEnumDeviceName(0, 1, 0, &list, &count), kUsbOk);
  EXPECT_EQ(count, 0);  // no service, so no printer
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(fake.diagnostics, "");

  // Such an entry has no path; it cannot be opened.
  UsbDeviceName empty{const_cast<char*>(""), const_cast<char*>(""), nullptr};
  UsbDeviceHandle* handle = nullptr;
  EXPECT_EQ(nUsbOpenDevice(0, &empty, &handle), kUsbIoFailure);
  EXPECT_TRUE(fake.opens.empty());
}

TEST(Usb2kEnumeration, OverlongPropertiesAndPathsStayInsideTheirBuffers) {
  FakeUsb fake;
  std::string label(255, 'L');
  fake.devices = {Device("\\\\?\\usb#vid_1#" + std::string(200, 'I') + "#{x}", label, "usbprint"),
                  Device("\\\\?\\usb#vid_2#B#{x}", std::string(256, 'M'), "usbprint"),
                  Device("\\\\?\\usb#vid_3#" + std::string(300, 'C') + "#{x}", "long", "usbprint"),
                  Device("\\\\?\\usb#vid_4#D#{x}", "last", "usbprint")};
  UsbDeviceName* list = nullptr;
  int count = 0;
  ASSERT_EQ(nUsbEnumDeviceName(0, 0, 0, &list, &count), kUsbOk);
  ASSERT_EQ(count, 3);  // the 300-character path is passed over
  EXPECT_EQ(list[0].label, label);
  EXPECT_EQ(list[0].instance, std::string(200, 'I'));
  EXPECT_STREQ(list[1].label, "");  // 256 characters do not fit: the query fails
  EXPECT_STREQ(list[2].instance, "D");
  fake.FreeList(list, count);
}

TEST(Usb2kInstance, TakenFromTheInterfacePath) {
  struct Case {
    const char* path;
    const char* instance;
  };
  for (const Case& c : {
           Case{"\\\\?\\usb#vid_04b8&pid_0005#SER123#{a5dcbf10-6530-11d2-901f-00c04fb951ed}",
                "SER123"},
           Case{"\\\\?\\USB#VID_04B8&PID_0005#5&2a1b&0&1#{a5dcbf10}", "5&2a1b&0&1"},
           Case{"\\\\?\\usb#Vid_04b8#S#{g}", "S"},
           Case{"\\\\?\\usb#vId_04b8#S#{g}", ""},  // only vid, VID and Vid
           Case{"\\\\?\\usb#pid_0005#S#{g}", ""},  // no vid piece
           Case{"\\\\?\\usbvid_1#S#{g}", ""},      // vid not at the start of a piece
           Case{"\\\\?\\usb#vid_1#S", ""},         // no "#{"
           Case{"\\\\?\\usb#vid_1", ""},           // the vid piece ends the path
           Case{"\\\\?\\usb#vid_1#{g}", ""},
           Case{"\\\\?\\usb#vid_1#a#b#{g}", "a#b"},
           Case{"\\\\?\\usb#vid_1#a{b#{g}", "a{b"},
           Case{"\\\\?\\usb#vid_1#vid_2#{g}", "vid_2"},  // the first vid piece counts
           Case{"vid_1#S#{g}", "S"},
           Case{"", ""},
       }) {
    char instance[kTextSize];
    std::memset(instance, 'x', sizeof instance);
    InstanceFromInterfacePath(c.path, instance);
    EXPECT_STREQ(instance, c.instance) << c.path;
  }
}

}  // namespace
}  // namespace gc::usb::test
