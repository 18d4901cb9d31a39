#include "printers/bidi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "os/threads.h"
#include "tests/support/fake_spooler.h"

namespace gc {
namespace {

using Names = std::vector<std::string>;
constexpr uint32_t kBidi = os::kAttributeEnableBidi;

// Every port of the rules, each queue with the bit set, plus one without it.
struct Ports {
  Ports() {
    for (const char* port : {"USB001", "DOT4_USB", "usb001", "LPT1", "LPT1:", "LPT2:"})
      spooler.Add(std::string("Q ") + port, port, kBidi | os::kAttributeLocal);
    spooler.Add("Q USB002 off", "USB002", os::kAttributeLocal);
  }
  ~Ports() {
    RestoreBidi(spooler);  // leaves nothing remembered for the next test
    SetInfoCopyForTesting(nullptr);
  }
  uint32_t Attributes(const std::string& name) { return spooler.Find(name)->attributes; }
  test::FakeSpooler spooler;
};

TEST(SuspendBidi, TreatsUsbPortsThenLpt1AndRestoresThemAll) {
  Ports f;
  EXPECT_EQ(SuspendBidi(f.spooler, kBidiUsbPorts), 1);
  EXPECT_EQ(BidiSuspendedQueues(), (Names{"Q USB001", "Q DOT4_USB"}));
  EXPECT_EQ(SuspendBidi(f.spooler, kBidiLpt1), 1);
  EXPECT_EQ(BidiSuspendedQueues(), (Names{"Q USB001", "Q DOT4_USB", "Q LPT1:"}));
  EXPECT_EQ(f.spooler.log,
            "admin(Q USB001) set(Q USB001,0x40) close(Q USB001) "
            "admin(Q DOT4_USB) set(Q DOT4_USB,0x40) close(Q DOT4_USB) "
            "admin(Q LPT1:) set(Q LPT1:,0x40) close(Q LPT1:) ");
  for (const char* untouched : {"Q usb001", "Q LPT1", "Q LPT2:"})
    EXPECT_EQ(f.Attributes(untouched), kBidi | os::kAttributeLocal) << untouched;
  EXPECT_EQ(f.Attributes("Q USB002 off"), os::kAttributeLocal) << "already off: left alone";

  f.spooler.log.clear();
  EXPECT_EQ(RestoreBidi(f.spooler), 1);
  EXPECT_TRUE(BidiSuspendedQueues().empty());
  for (const char* port : {"USB001", "DOT4_USB", "LPT1:"})
    EXPECT_EQ(f.Attributes(std::string("Q ") + port), kBidi | os::kAttributeLocal) << port;
  EXPECT_EQ(f.spooler.openHandles, 0);
}

TEST(SuspendBidi, AFailedChangeStopsButIsStillRestored) {
  Ports f;
  f.spooler.Find("Q USB001")->failSets = 1;
  EXPECT_EQ(SuspendBidi(f.spooler, kBidiUsbPorts), 0);
  EXPECT_EQ(BidiSuspendedQueues(), (Names{"Q USB001"}));
  EXPECT_EQ(f.Attributes("Q DOT4_USB"), kBidi | os::kAttributeLocal) << "stopped before it";
  f.spooler.log.clear();
  EXPECT_EQ(RestoreBidi(f.spooler), 1);
  EXPECT_EQ(f.spooler.log, "admin(Q USB001) set(Q USB001,0x840) close(Q USB001) ");

  // A queue that cannot be opened for administering fails the same way.
  f.spooler.Find("Q USB001")->opens = false;
  EXPECT_EQ(SuspendBidi(f.spooler, kBidiUsbPorts), 0);
  EXPECT_EQ(BidiSuspendedQueues(), (Names{"Q USB001"}));
}

TEST(RestoreBidi, GoesOnPastAQueueItCannotRestore) {
  Ports f;
  ASSERT_EQ(SuspendBidi(f.spooler, kBidiUsbPorts), 1);
  ASSERT_EQ(SuspendBidi(f.spooler, kBidiLpt1), 1);
  f.spooler.Find("Q USB001")->failSets = 1;
  EXPECT_EQ(RestoreBidi(f.spooler), 0);
  EXPECT_EQ(f.Attributes("Q USB001"), os::kAttributeLocal);
  EXPECT_EQ(f.Attributes("Q DOT4_USB"), kBidi | os::kAttributeLocal);
  EXPECT_EQ(f.Attributes("Q LPT1:"), kBidi | os::kAttributeLocal);
  EXPECT_TRUE(BidiSuspendedQueues().empty());
}

TEST(RestoreBidi, EmptyArrayUnreadableSpoolerAndVanishedQueues) {
  Ports f;
  EXPECT_EQ(RestoreBidi(f.spooler), 1);
  EXPECT_EQ(f.spooler.log, "");

  f.spooler.listFails = true;
  EXPECT_EQ(RestoreBidi(f.spooler), 0);
  EXPECT_EQ(SuspendBidi(f.spooler, kBidiUsbPorts), 0);

  // Nothing tried while the spooler cannot be read: the queues wait for the next call.
  f.spooler.listFails = false;
  ASSERT_EQ(SuspendBidi(f.spooler, kBidiUsbPorts), 1);
  f.spooler.listFails = true;
  EXPECT_EQ(RestoreBidi(f.spooler), 0);
  EXPECT_EQ(BidiSuspendedQueues(), (Names{"Q USB001", "Q DOT4_USB"}));
  f.spooler.listFails = false;
  f.spooler.printers.erase(f.spooler.printers.begin());  // Q USB001 was deleted meanwhile
  EXPECT_EQ(RestoreBidi(f.spooler), 1);
  EXPECT_EQ(f.Attributes("Q DOT4_USB"), kBidi | os::kAttributeLocal);
  EXPECT_TRUE(BidiSuspendedQueues().empty());
}

bool NoMemory(const os::PrinterInfo&, os::PrinterInfo*) {
  return false;
}

TEST(Bidi, RunningOutOfMemorySetsLastError122) {
  Ports f;
  SetInfoCopyForTesting(NoMemory);
  EXPECT_EQ(SuspendBidi(f.spooler, kBidiUsbPorts), 0);
  EXPECT_EQ(f.spooler.lastError, 122);
  EXPECT_TRUE(BidiSuspendedQueues().empty());
  EXPECT_EQ(f.spooler.log, "");

  SetInfoCopyForTesting(nullptr);
  ASSERT_EQ(SuspendBidi(f.spooler, kBidiUsbPorts), 1);
  f.spooler.lastError = 0;
  SetInfoCopyForTesting(NoMemory);
  EXPECT_EQ(RestoreBidi(f.spooler), 0);
  EXPECT_EQ(f.spooler.lastError, 122);
  EXPECT_TRUE(BidiSuspendedQueues().empty());
}

// Notes when two calls are inside the spooler at once.
class OverlapSpooler : public test::FakeSpooler {
 public:
  bool ListPrinters(int level, std::vector<os::PrinterInfo>* out) override {
    if (inside.fetch_add(1) != 0) overlapped = true;
    os::SleepMs(1);
    bool ok = FakeSpooler::ListPrinters(level, out);
    inside.fetch_sub(1);
    return ok;
  }
  std::atomic<int> inside{0};
  std::atomic<bool> overlapped{false};
};

TEST(Bidi, TheJobAndTheCancelPathTakeTurns) {
  OverlapSpooler spooler;
  spooler.Add("Q", "USB001", kBidi);
  os::Thread job;
  job.Start([&] {
    for (int i = 0; i < 200; ++i) {
      SuspendBidi(spooler, kBidiUsbPorts);
      RestoreBidi(spooler);
    }
  });
  for (int i = 0; i < 200; ++i) RestoreBidi(spooler);  // the progress dialog's ticks
  job.Join();
  EXPECT_FALSE(spooler.overlapped.load());
  RestoreBidi(spooler);
  EXPECT_EQ(spooler.printers[0].attributes, kBidi);
}

}  // namespace
}  // namespace gc
