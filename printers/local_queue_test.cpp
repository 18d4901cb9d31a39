// Local queues on a real spooler. tests/support/cups/cups-lab.sh runs this
// with a private cupsd whose raw queue GC_CUPS_QUEUE appends every job to the
// file GC_CUPS_CAPTURE. Natively the CUPS adapter does the work; under Wine,
// Wine's spooler (winspool over the same cupsd). Without the lab: skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "printers/printer_channel.h"
#include "os/spooler.h"
#include "os/threads.h"
#include "printers/bidi.h"
#include "printers/printer_list.h"
#include "tests/support/files.h"

namespace gc {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The capture file as this program must name it: under Wine the Linux root is drive Z:.
std::string CapturePath() {
  std::string path = Env("GC_CUPS_CAPTURE");
#ifdef _WIN32
  std::replace(path.begin(), path.end(), '/', '\\');
  path = "Z:" + path;
#endif
  return path;
}

// The capture once it holds `size` bytes, or whatever it holds after 30 s.
test::Bytes AwaitCapture(size_t size) {
  test::Bytes got;
  for (int i = 0; i < 300; ++i) {
    got = test::ReadAll(CapturePath());
    if (got.size() >= size) break;
    os::SleepMs(100);
  }
  return got;
}

class LocalQueue : public ::testing::Test {
 protected:
  void SetUp() override {
    queue = Env("GC_CUPS_QUEUE");
    if (queue.empty() || Env("GC_CUPS_CAPTURE").empty())
      GTEST_SKIP() << "needs the CUPS lab (tests/support/cups/cups-lab.sh)";
    spooler = os::SystemSpooler();
    ASSERT_NE(spooler, nullptr);
  }
  const os::PrinterInfo* Find(const std::vector<os::PrinterInfo>& printers) {
    for (const os::PrinterInfo& p : printers)
      if (p.name == queue) return &p;
    return nullptr;
  }
  std::string queue;
  os::SpoolerPort* spooler = nullptr;
};

TEST_F(LocalQueue, BothEnumerationLevelsSeeTheQueue) {
  std::vector<os::PrinterInfo> printers;
  ASSERT_TRUE(spooler->ListPrinters(1, &printers));
  const os::PrinterInfo* one = Find(printers);
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->portName, "");

  ASSERT_TRUE(spooler->ListPrinters(2, &printers));
  const os::PrinterInfo* two = Find(printers);
  ASSERT_NE(two, nullptr);
#ifdef _WIN32
  EXPECT_EQ(two->portName, "CUPS:" + queue);
#else
  EXPECT_EQ(two->portName, "capture:" + Env("GC_CUPS_CAPTURE"));
  EXPECT_EQ(two->attributes & os::kAttributeLocal, os::kAttributeLocal);
#endif
  EXPECT_EQ(two->attributes & os::kAttributeEnableBidi, 0u);
}

TEST_F(LocalQueue, EveryByteValueArrivesUnchanged) {
  // Every value 0 to 255, and more than one gathering block.
  test::Bytes stream =
      test::Esc("E") + test::Pattern(256) + test::Pattern(150000, 77) + test::Esc("%-12345X");
  PrinterTarget target;
  target.name = queue;
  OutputChannel channel;
  ASSERT_EQ(OpenPrinterChannel(target, spooler, "Glyphcast Job", channel), 0);
  EXPECT_EQ(WriterFor(channel.kind)(channel, reinterpret_cast<const uint8_t*>(stream.data()),
                                    stream.size()),
            0);
  EXPECT_EQ(ClosePrinterChannel(channel), 0);
  test::Bytes got = AwaitCapture(stream.size());
  ASSERT_EQ(got.size(), stream.size());
  EXPECT_TRUE(got == stream) << "the capture differs from what was sent";
}

TEST_F(LocalQueue, AQueueThatIsNotThereCannotBeOpened) {
  PrinterTarget target;
  target.name = queue + "_gone";
  OutputChannel channel;
  EXPECT_EQ(OpenPrinterChannel(target, spooler, "Glyphcast Job", channel), 148);
  EXPECT_EQ(spooler->Open(target.name), nullptr);
  EXPECT_EQ(spooler->OpenAdminister(target.name), nullptr);
}

TEST_F(LocalQueue, DeviceSettingsNameTheQueueForTheModelFilter) {
  os::PrinterHandle printer = spooler->Open(queue);
  ASSERT_NE(printer, nullptr);
  std::string device;
  EXPECT_TRUE(spooler->DeviceName(printer, queue, &device));
  spooler->Close(printer);
  ASSERT_FALSE(device.empty());
#ifdef _WIN32
  EXPECT_EQ(device, queue.substr(0, 31));  // Wine puts the queue's name there
#endif

  struct Collected : PrinterListPort {
    void AddEntry(const std::string& text) override { entries.push_back(text); }
    int Count() const override { return static_cast<int>(entries.size()); }
    std::string EntryAt(int i) const override { return entries.at(i); }
    std::vector<std::string> entries;
  };
  int n = 0;
  for (const std::string& key : {device.substr(0, 5), std::string("No such model")}) {
    std::string ini =
        test::WriteScratch("queue" + std::to_string(++n) + "00.ini", "[DEVNAME]\n" + key + "=1\n");
    Collected list;
    FillPrinterList(list, PrinterSources{spooler, &os::SystemProfile(), ini, nullptr});
    bool listed = std::find(list.entries.begin(), list.entries.end(), queue) != list.entries.end();
    EXPECT_EQ(listed, n == 1) << key;
  }
}

#ifdef _WIN32
// Wine keeps a queue's attributes in its registry and names the port
// CUPS:<queue>, so a queue with USB in its name takes the USB rule.
TEST_F(LocalQueue, BidiIsSwitchedOffAndBackOnThroughTheRealSpooler) {
  ASSERT_NE(queue.find("USB"), std::string::npos) << "the lab's queue needs USB in its name";
  auto attributes = [&] {
    os::PrinterHandle printer = spooler->Open(queue);
    os::PrinterInfo info;
    EXPECT_TRUE(printer && spooler->GetInfo(printer, &info));
    if (printer) spooler->Close(printer);
    return info.attributes;
  };
  os::PrinterHandle admin = spooler->OpenAdminister(queue);
  ASSERT_NE(admin, nullptr);
  os::PrinterInfo info;
  ASSERT_TRUE(spooler->GetInfo(admin, &info));
  const uint32_t original = info.attributes;
  info.attributes = original | os::kAttributeEnableBidi;
  ASSERT_TRUE(spooler->SetInfo(admin, info));
  spooler->Close(admin);
  ASSERT_EQ(attributes(), original | os::kAttributeEnableBidi);

  EXPECT_EQ(SuspendBidi(*spooler, kBidiUsbPorts), 1);
  std::vector<std::string> remembered = BidiSuspendedQueues();
  EXPECT_NE(std::find(remembered.begin(), remembered.end(), queue), remembered.end());
  EXPECT_EQ(attributes(), original & ~os::kAttributeEnableBidi);
  EXPECT_EQ(RestoreBidi(*spooler), 1);
  EXPECT_EQ(attributes(), original | os::kAttributeEnableBidi);
  EXPECT_TRUE(BidiSuspendedQueues().empty());

  admin = spooler->OpenAdminister(queue);
  ASSERT_NE(admin, nullptr);
  info.attributes = original;
  EXPECT_TRUE(spooler->SetInfo(admin, info));
  spooler->Close(admin);
}
#else
TEST_F(LocalQueue, CupsHasNoBidiSwitchToTurn) {
  os::PrinterHandle admin = spooler->OpenAdminister(queue);
  ASSERT_NE(admin, nullptr);
  os::PrinterInfo info;
  ASSERT_TRUE(spooler->GetInfo(admin, &info));
  EXPECT_EQ(info.name, queue);
  EXPECT_FALSE(spooler->SetInfo(admin, info));
  spooler->Close(admin);
  EXPECT_EQ(SuspendBidi(*spooler, kBidiUsbPorts), 1);
  EXPECT_TRUE(BidiSuspendedQueues().empty());
  EXPECT_EQ(RestoreBidi(*spooler), 1);
}
#endif

}  // namespace
}  // namespace gc
