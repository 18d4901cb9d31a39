// Behaviour shared by both variants, against a played USB printer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "os/threads.h"
#include "usblib/fake_platform.h"
#include "usblib/usb_api.h"
#include "usblib/variant.h"

namespace gc::usb::test {
namespace {

constexpr char kClassId[] = "{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

// A printer that both variants list as {label, instance}: the label is the
// location (NT) or the description after four characters (9x); the instance
// is a path piece (NT) or a registry key with a matching SymbolicName (9x).
FakeDevice& AddPrinter(FakeUsb& fake, const std::string& label, const std::string& instance,
                       const std::string& ids = "vid_04b8&pid_0005") {
  FakeDevice device;
  device.path = "\\\\?\\usb#" + ids + "#" + instance + "#" + kClassId;
  device.location = label;
  device.description = "USB " + label;
  device.service = "usbprint";
  fake.AddSymbolicName("Enum\\USB\\" + ids + "\\" + instance,
                       "\\DosDevices\\" + device.path.substr(4));
  fake.devices.push_back(device);
  return fake.devices.back();
}

UsbDeviceHandle* Open(FakeUsb& fake, const char* label, const char* instance) {
  UsbDeviceName name{const_cast<char*>(label), const_cast<char*>(instance), nullptr};
  UsbDeviceHandle* handle = nullptr;
  EXPECT_EQ(nUsbOpenDevice(0, &name, &handle), kUsbOk);
  EXPECT_NE(handle, nullptr);
  fake.writes.clear();
  fake.requests.clear();
  return handle;
}

std::vector<BYTE> Pattern(std::size_t size) {
  std::vector<BYTE> data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<BYTE>(i * 7 + 3);
  return data;
}

class UsbLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    AddPrinter(fake, "Port_#0001.Hub_#0002", "SER001");
    AddPrinter(fake, "Port_#0002.Hub_#0002", "SER002");
  }
  void TearDown() override {
    for (UsbDeviceHandle* h : handles) nUsbCloseDevice(h);
  }
  UsbDeviceHandle* OpenSecond() {
    handles.push_back(Open(fake, "Port_#0002.Hub_#0002", "SER002"));
    return handles.back();
  }
  FakeUsb fake;
  std::vector<UsbDeviceHandle*> handles;
};

TEST_F(UsbLibrary, EnumerationListsPresentInterfacesOfTheUsbDeviceClass) {
  UsbDeviceName* list = nullptr;
  int count = -1;
  ASSERT_EQ(nUsbEnumDeviceName(0, 0, 12345, &list, &count), kUsbOk);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(list[0].label, "Port_#0001.Hub_#0002");
  EXPECT_STREQ(list[0].instance, "SER001");
  EXPECT_EQ(list[0].reserved, nullptr);
  EXPECT_STREQ(list[1].label, "Port_#0002.Hub_#0002");
  EXPECT_STREQ(list[1].instance, "SER002");
  EXPECT_EQ(list[1].reserved, nullptr);

  const GUID usbDevice = {
      0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
  ASSERT_NE(fake.classGuid, nullptr);
  EXPECT_TRUE(IsEqualGUID(*fake.classGuid, usbDevice));
  EXPECT_EQ(fake.classFlags, static_cast<DWORD>(DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  EXPECT_EQ(fake.setsDestroyed, 1);
  fake.FreeList(list, count);
  EXPECT_EQ(fake.liveAllocations, 0);
}

TEST_F(UsbLibrary, EnumerationSkipsFailedIndexesAndStopsAtAnUnreadableDetail) {
  fake.devices[0].enumFails = true;
  AddPrinter(fake, "third", "SER003").detailFails = true;
  AddPrinter(fake, "fourth", "SER004");
  UsbDeviceName* list = nullptr;
  int count = 0;
  ASSERT_EQ(nUsbEnumDeviceName(2, 1, 0, &list, &count), kUsbOk);
  ASSERT_EQ(count, 1);  // index 0 skipped, index 2 ends the walk with what was found
  EXPECT_STREQ(list[0].instance, "SER002");
  EXPECT_EQ(fake.setsDestroyed, 1);
  fake.FreeList(list, count);
}

TEST_F(UsbLibrary, EnumerationRejectsBadArgumentsBeforeTouchingAnything) {
  UsbDeviceName sentinel{};
  UsbDeviceName* list = &sentinel;
  int count = 77;
  struct Case {
    int scope, printersOnly;
    UsbDeviceName** list;
    int* count;
  };
  for (const Case& c :
       {Case{3, 0, &list, &count}, Case{-1, 0, &list, &count}, Case{0, 2, &list, &count},
        Case{0, -1, &list, &count}, Case{0, 0, nullptr, &count}, Case{0, 0, &list, nullptr}}) {
    EXPECT_EQ(nUsbEnumDeviceName(c.scope, c.printersOnly, 0, c.list, c.count), kUsbBadArgument);
  }
  EXPECT_EQ(list, &sentinel);
  EXPECT_EQ(count, 77);
  EXPECT_EQ(fake.setsOpened, 0);
}

TEST_F(UsbLibrary, EnumerationOutOfMemoryReleasesEverything) {
  AddPrinter(fake, "third", "SER003");
  int failures = 0;
  for (int at = 0;; ++at) {
    fake.failAllocation = at;
    fake.allocations = 0;
    fake.setsOpened = fake.setsDestroyed = 0;
    UsbDeviceName* list = reinterpret_cast<UsbDeviceName*>(1);
    int count = -1;
    int rc = nUsbEnumDeviceName(0, 0, 0, &list, &count);
    EXPECT_EQ(fake.setsDestroyed, fake.setsOpened) << "allocation " << at;
    if (rc == kUsbOk) {
      EXPECT_EQ(count, 3);
      fake.FreeList(list, count);
      EXPECT_EQ(fake.liveAllocations, 0);
      break;
    }
    ++failures;
    EXPECT_EQ(rc, kUsbOutOfMemory) << "allocation " << at;
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(fake.liveAllocations, 0) << "allocation " << at;
  }
  EXPECT_GE(failures, 9);  // three details, three lists, six texts
}

TEST_F(UsbLibrary, OpenFindsLabelAndInstanceAndOpensTheBulkPipe) {
  UsbDeviceName name{const_cast<char*>("Port_#0002.Hub_#0002"), const_cast<char*>("SER002"),
                     nullptr};
  UsbDeviceHandle* handle = nullptr;
  ASSERT_EQ(nUsbOpenDevice(1, &name, &handle), kUsbOk);
  ASSERT_NE(handle, nullptr);
  ASSERT_EQ(fake.opens.size(), 1u);
  EXPECT_EQ(fake.opens[0], fake.devices[1].path + "\\PIPE01");
  EXPECT_EQ(fake.openAccess, static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE));
  EXPECT_EQ(fake.openShare, static_cast<DWORD>(FILE_SHARE_READ | FILE_SHARE_WRITE));
  EXPECT_EQ(fake.openDisposition, static_cast<DWORD>(OPEN_EXISTING));
  EXPECT_EQ(fake.openFlags, static_cast<DWORD>(FILE_FLAG_OVERLAPPED));
  EXPECT_EQ(fake.eventNames, std::vector<std::string>{"USB Update"});
  EXPECT_EQ(fake.eventManualReset, FALSE);
  EXPECT_EQ(fake.eventInitialState, FALSE);
  EXPECT_EQ(fake.setsDestroyed, 1);

  EXPECT_EQ(nUsbCloseDevice(handle), kUsbOk);
  EXPECT_EQ(fake.pipeCloses, 1);
  EXPECT_EQ(fake.eventCloses, 1);
  EXPECT_EQ(fake.liveAllocations, 0);
}

TEST_F(UsbLibrary, OpenOfAnAbsentDeviceReturns4AndStoresNothing) {
  UsbDeviceHandle* sentinel = reinterpret_cast<UsbDeviceHandle*>(0x1234);
  for (auto [label, instance] : {std::pair{"Port_#0002.Hub_#0002", "SER001"},
                                 std::pair{"nowhere", "SER002"}, std::pair{"", ""}}) {
    UsbDeviceName name{const_cast<char*>(label), const_cast<char*>(instance), nullptr};
    UsbDeviceHandle* handle = sentinel;
    EXPECT_EQ(nUsbOpenDevice(0, &name, &handle), kUsbIoFailure) << label;
    EXPECT_EQ(handle, sentinel);
  }
  EXPECT_TRUE(fake.opens.empty());
  EXPECT_EQ(fake.setsDestroyed, fake.setsOpened);
}

TEST_F(UsbLibrary, OpenRejectsBadArgumentsBeforeTouchingAnything) {
  UsbDeviceName name{const_cast<char*>("Port_#0001.Hub_#0002"), const_cast<char*>("SER001"),
                     nullptr};
  UsbDeviceName noLabel{nullptr, const_cast<char*>("SER001"), nullptr};
  UsbDeviceName noInstance{const_cast<char*>("x"), nullptr, nullptr};
  UsbDeviceHandle* handle = nullptr;
  EXPECT_EQ(nUsbOpenDevice(3, &name, &handle), kUsbBadArgument);
  EXPECT_EQ(nUsbOpenDevice(-1, &name, &handle), kUsbBadArgument);
  EXPECT_EQ(nUsbOpenDevice(0, nullptr, &handle), kUsbBadArgument);
  EXPECT_EQ(nUsbOpenDevice(0, &noLabel, &handle), kUsbBadArgument);
  EXPECT_EQ(nUsbOpenDevice(0, &noInstance, &handle), kUsbBadArgument);
  EXPECT_EQ(nUsbOpenDevice(0, &name, nullptr), kUsbBadArgument);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(fake.setsOpened, 0);
}

TEST_F(UsbLibrary, OpenOutOfMemoryReleasesEverything) {
  int failures = 0;
  for (int at = 0;; ++at) {
    fake.failAllocation = at;
    fake.allocations = 0;
    fake.setsOpened = fake.setsDestroyed = fake.pipeCloses = 0;
    fake.opens.clear();
    UsbDeviceName name{const_cast<char*>("Port_#0002.Hub_#0002"), const_cast<char*>("SER002"),
                       nullptr};
    UsbDeviceHandle* handle = nullptr;
    int rc = nUsbOpenDevice(0, &name, &handle);
    EXPECT_EQ(fake.setsDestroyed, 1);
    if (rc == kUsbOk) {
      nUsbCloseDevice(handle);
      break;
    }
    ++failures;
    EXPECT_EQ(rc, kUsbOutOfMemory);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(fake.pipeCloses, static_cast<int>(fake.opens.size()));  // an opened pipe is closed
    EXPECT_EQ(fake.liveAllocations, 0);
  }
  EXPECT_EQ(failures, 3);  // two details, the record
}

// A pipe that will not open still gives a handle; its first write fails.
TEST_F(UsbLibrary, FailedPipeOpenReportsAndTheFirstWriteFails) {
  fake.openFails = true;
  UsbDeviceHandle* handle = OpenSecond();
  EXPECT_NE(fake.diagnostics.find("FAILED to open " + fake.devices[1].path + "\n"),
            std::string::npos)
      << fake.diagnostics;
  std::vector<BYTE> data = Pattern(10);
  DWORD written = 99;
  EXPECT_EQ(nUsbWriteUpdateDevice(handle, data.data(), 10, &written), kUsbIoFailure);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(nUsbWriteUpdateDevice(handle, data.data(), 0, &written), kUsbIoFailure);
  DWORD size = 4096;
  EXPECT_FALSE(bUsbStartUpdateDevice(handle, &size));
  char id[16];
  EXPECT_FALSE(bUsbGetDeviceIDFromDevice(handle, id, sizeof id));
  EXPECT_TRUE(fake.writes.empty());
  EXPECT_TRUE(fake.requests.empty());
}

TEST_F(UsbLibrary, WriteGoesOutInFixedChunksThroughTheHandlesOverlappedEvent) {
  for (Answer::Mode mode : {Answer::kPending, Answer::kImmediate}) {
    UsbDeviceHandle* handle = OpenSecond();
    fake.answers.assign(20, Answer{mode});
    std::vector<BYTE> data = Pattern(3000);
    DWORD written = 0;
    ASSERT_EQ(nUsbWriteUpdateDevice(handle, data.data(), 3000, &written), kUsbOk);
    EXPECT_EQ(written, 3000u);
    std::vector<std::size_t> sizes;
    std::vector<BYTE> sent;
    for (const auto& w : fake.writes) {
      sizes.push_back(w.size());
      sent.insert(sent.end(), w.begin(), w.end());
    }
    std::vector<std::size_t> expected;
    if (kVariant98) {
      expected.assign(11, 256);
      expected.push_back(184);
    } else {
      expected = {1024, 1024, 952};
    }
    EXPECT_EQ(sizes, expected);
    EXPECT_EQ(sent, data);
    for (HANDLE event : fake.writeEvents) EXPECT_NE(event, nullptr);
    for (DWORD timeout : fake.waitTimeouts) EXPECT_EQ(timeout, INFINITE);
    fake.writeEvents.clear();
  }
}

TEST_F(UsbLibrary, WriteOfNothingReturnsAtOnce) {
  UsbDeviceHandle* handle = OpenSecond();
  DWORD written = 5;
  EXPECT_EQ(nUsbWriteUpdateDevice(handle, nullptr, 0, &written), kUsbOk);
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(fake.writes.empty());
}

// A chunk the device took only in part ends the write with the true count.
TEST_F(UsbLibrary, ShortTransferFailsWithTheReportedCount) {
  UsbDeviceHandle* handle = OpenSecond();
  fake.answers = {Answer{}, Answer{Answer::kPending, kWriteChunk - 100}};
  std::vector<BYTE> data = Pattern(kWriteChunk * 3);
  DWORD written = 0;
  EXPECT_EQ(nUsbWriteUpdateDevice(handle, data.data(), kWriteChunk * 3, &written), kUsbIoFailure);
  EXPECT_EQ(written, kWriteChunk * 2 - 100);
  EXPECT_EQ(fake.writes.size(), 2u);
}

TEST_F(UsbLibrary, WriteFailuresReturn4WithTheBytesCountedSoFar) {
  struct Case {
    const char* what;
    Answer second;
    bool waitFails;
    DWORD expected;
  };
  for (const Case& c : {Case{"refused", Answer{Answer::kRefused}, false, kWriteChunk},
                        Case{"device error", Answer{Answer::kCompletesInError}, false, kWriteChunk},
                        Case{"wait failed", Answer{}, true, 0}}) {
    UsbDeviceHandle* handle = OpenSecond();
    fake.answers = {Answer{}, c.second};
    fake.waitFails = c.waitFails;
    fake.cancelIoCalls = 0;
    std::vector<BYTE> data = Pattern(kWriteChunk * 3);
    DWORD written = 12345;
    EXPECT_EQ(nUsbWriteUpdateDevice(handle, data.data(), kWriteChunk * 3, &written), kUsbIoFailure)
        << c.what;
    EXPECT_EQ(written, c.expected) << c.what;
    if (c.waitFails) {
      EXPECT_EQ(fake.cancelIoCalls, 1) << "the request is not left in flight";
    }
    fake.waitFails = false;
  }
}

TEST_F(UsbLibrary, CancelFromAnotherThreadStopsTheWriteForGood) {
  UsbDeviceHandle* handle = OpenSecond();
  fake.answers = {Answer{}, Answer{}, Answer{Answer::kHeld}};
  os::Thread canceller;
  canceller.Start([&] {
    if (WaitForSingleObject(fake.heldSignal, 10000) == WAIT_OBJECT_0) {
      EXPECT_EQ(nUsbCancelUpdateDevice(handle), kUsbOk);
    }
  });
  std::vector<BYTE> data = Pattern(kWriteChunk * 10);
  DWORD written = 0;
  EXPECT_EQ(nUsbWriteUpdateDevice(handle, data.data(), kWriteChunk * 10, &written), kUsbCancelled);
  canceller.Join();
  EXPECT_EQ(written, kWriteChunk * 2);
  EXPECT_EQ(fake.writes.size(), 3u);
  EXPECT_EQ(fake.cancelIoCalls, 1);  // the held chunk was called back before returning

  written = 7;
  EXPECT_EQ(nUsbWriteUpdateDevice(handle, data.data(), 100, &written), kUsbCancelled);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(nUsbWriteUpdateDevice(handle, data.data(), 0, &written), kUsbCancelled);
  DWORD size = 10;
  EXPECT_FALSE(bUsbStartUpdateDevice(handle, &size));
  EXPECT_EQ(fake.writes.size(), 3u);
  EXPECT_TRUE(fake.requests.empty());
}

// The event is named, so other handles' signals reach it; a wake-up that
// leaves the request unfinished must not end the wait.
TEST_F(UsbLibrary, StraySignalDoesNotEndAWaitEarly) {
  UsbDeviceHandle* handle = OpenSecond();
  UsbDeviceHandle* other = OpenSecond();
  fake.answers = {Answer{Answer::kHeld}};
  os::Thread device;
  device.Start([&] {
    if (WaitForSingleObject(fake.heldSignal, 10000) == WAIT_OBJECT_0) {
      nUsbCancelUpdateDevice(other);  // signals the shared event
      Sleep(50);
      fake.CompleteHeld(kWriteChunk);
    }
  });
  std::vector<BYTE> data = Pattern(kWriteChunk);
  DWORD written = 0;
  EXPECT_EQ(nUsbWriteUpdateDevice(handle, data.data(), kWriteChunk, &written), kUsbOk);
  device.Join();
  EXPECT_EQ(written, kWriteChunk);
  EXPECT_EQ(fake.cancelIoCalls, 0);
}

TEST_F(UsbLibrary, StartUpdateSendsTheSizeAsAVendorCommand) {
  struct Case {
    DWORD size;
    std::string text;
  };
  for (const Case& c : {Case{4096, "SIZE=1000"}, Case{0, "SIZE=0"},
                        Case{0xFFFFFFFF, "SIZE=FFFFFFFF"}, Case{0xABCDEF, "SIZE=ABCDEF"}}) {
    UsbDeviceHandle* handle = OpenSecond();
    fake.answers = {Answer{Answer::kPending, 2, {'O', 'K'}}};
    DWORD size = c.size;
    EXPECT_TRUE(bUsbStartUpdateDevice(handle, &size)) << c.text;
    EXPECT_EQ(size, 2u);  // the returned byte count
    ASSERT_EQ(fake.requests.size(), 1u);
    const Request& r = fake.requests[0];
    EXPECT_EQ(r.code, 0x220038u);
    std::vector<BYTE> expected = {16, 0, 0};
    expected.insert(expected.end(), c.text.begin(), c.text.end());
    expected.push_back(0);
    EXPECT_EQ(r.input, expected) << c.text;
    if (c.size == 4096) {
      EXPECT_EQ(r.input.size(), 13u);
    }
    EXPECT_EQ(r.outputSize, 256u);
    EXPECT_NE(r.event, nullptr);
  }
}

TEST_F(UsbLibrary, StartUpdateFailsWhenTheRequestFails) {
  for (Answer::Mode mode : {Answer::kRefused, Answer::kCompletesInError}) {
    UsbDeviceHandle* handle = OpenSecond();
    fake.answers = {Answer{mode}};
    DWORD size = 1;
    EXPECT_FALSE(bUsbStartUpdateDevice(handle, &size));
  }
  fake.waitFails = true;
  DWORD size = 1;
  EXPECT_FALSE(bUsbStartUpdateDevice(OpenSecond(), &size));
}

TEST_F(UsbLibrary, DeviceIdIsCopiedUpToTheCallersBufferWithoutTerminator) {
  const std::string id = "MFG:ACME;MDL:LP-9;CMD:PCL;";
  for (int bufferSize : {10, 64}) {
    UsbDeviceHandle* handle = OpenSecond();
    int live = fake.liveAllocations;
    fake.answers = {
        Answer{Answer::kPending, Answer::kAll, {static_cast<BYTE>(id.size()), 0, 0, 0}},
        Answer{Answer::kPending, Answer::kAll, std::vector<BYTE>(id.begin(), id.end())}};
    std::vector<char> buffer(80, '#');
    EXPECT_TRUE(bUsbGetDeviceIDFromDevice(handle, buffer.data(), bufferSize));
    std::size_t copied = std::min<std::size_t>(id.size(), bufferSize);
    EXPECT_EQ(std::string(buffer.data(), copied), id.substr(0, copied));
    EXPECT_EQ(buffer[copied], '#');
    ASSERT_EQ(fake.requests.size(), 2u);
    EXPECT_EQ(fake.requests[0].code, 0x160010u);
    EXPECT_EQ(fake.requests[0].outputSize, 4u);
    EXPECT_EQ(fake.requests[1].code, 0x16000Cu);
    EXPECT_EQ(fake.requests[1].outputSize, id.size());
    for (const Request& r : fake.requests) EXPECT_NE(r.event, nullptr) << "overlapped, waited for";
    EXPECT_EQ(fake.liveAllocations, live);
  }
}

TEST_F(UsbLibrary, DeviceIdFailures) {
  struct Case {
    const char* what;
    std::deque<Answer> answers;
    bool failAllocation;
  };
  const Answer size20{Answer::kPending, Answer::kAll, {20, 0, 0, 0}};
  for (const Case& c :
       {Case{"size refused", {Answer{Answer::kRefused}}, false},
        Case{"size zero", {Answer{Answer::kPending, Answer::kAll, {0, 0, 0, 0}}}, false},
        Case{"no memory", {size20}, true},
        Case{"read failed", {size20, Answer{Answer::kCompletesInError}}, false}}) {
    UsbDeviceHandle* handle = OpenSecond();
    fake.answers = c.answers;
    fake.failAllocation = c.failAllocation ? fake.allocations : -1;
    int live = fake.liveAllocations;
    char buffer[32];
    EXPECT_FALSE(bUsbGetDeviceIDFromDevice(handle, buffer, sizeof buffer)) << c.what;
    EXPECT_EQ(fake.liveAllocations, live) << c.what;
    fake.failAllocation = -1;
  }
  char buffer[4];
  EXPECT_FALSE(bUsbGetDeviceIDFromDevice(OpenSecond(), buffer, 0));
  EXPECT_FALSE(bUsbGetDeviceIDFromDevice(handles.back(), nullptr, 4));
}

TEST_F(UsbLibrary, NullHandlesAreBadArguments) {
  std::vector<BYTE> data = Pattern(4);
  DWORD written = 9;
  DWORD size = 1;
  char buffer[8];
  EXPECT_EQ(nUsbCloseDevice(nullptr), kUsbBadArgument);
  EXPECT_EQ(nUsbCancelUpdateDevice(nullptr), kUsbBadArgument);
  EXPECT_EQ(nUsbWriteUpdateDevice(nullptr, data.data(), 4, &written), kUsbBadArgument);
  EXPECT_FALSE(bUsbStartUpdateDevice(nullptr, &size));
  EXPECT_FALSE(bUsbGetDeviceIDFromDevice(nullptr, buffer, sizeof buffer));
  UsbDeviceHandle* handle = OpenSecond();
  EXPECT_EQ(nUsbWriteUpdateDevice(handle, nullptr, 4, &written), kUsbBadArgument);
  EXPECT_EQ(nUsbWriteUpdateDevice(handle, data.data(), 4, nullptr), kUsbBadArgument);
  EXPECT_FALSE(bUsbStartUpdateDevice(handle, nullptr));
  EXPECT_EQ(written, 9u);
  EXPECT_TRUE(fake.writes.empty());
  EXPECT_TRUE(fake.requests.empty());
  EXPECT_TRUE(bUsbEndUpdateDevice());
}

}  // namespace
}  // namespace gc::usb::test
