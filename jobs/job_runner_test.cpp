#include "jobs/job_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "jobs/progress_tick.h"
#include "io/progress_watch.h"
#include "jobs/streams.h"
#include "os/threads.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/files.h"
#include "tests/support/recording_ui.h"
#include "tests/support/tcp_peer.h"

namespace gc {
namespace {

// The stream WriteItem makes of `item` on its own.
std::string StreamOf(const DownloadItem& item) {
  static std::string collected;
  collected.clear();
  OutputChannel channel;
  auto collect = [](OutputChannel&, const uint8_t* bytes, size_t length) {
    collected.append(reinterpret_cast<const char*>(bytes), length);
    return 0;
  };
  test::RecordingUi ui;
  ItemFiles files;
  EXPECT_EQ(WriteItem(&ui, item, files, collect, channel), 0);
  return collected;
}

// Two macros and a font-typed item on one local queue: every downloaded item's
// ID is stored under its own value name, in order, and a failed store ends the
// job after closing the queue, without a message of its own.
class StoreLastIdTest : public ::testing::Test {
 protected:
  void SetUp() override {
    spooler.Add("Queue", "FILE:");
    job.ui = &ui;
    job.spooler = &spooler;
    job.items = &state;
    const std::string macro = test::WriteScratch("store_id.pcl", test::Esc("E") + "macro");
    items.push_back(Item(macro, "one", ResourceType::PclMacro, 7));
    items.push_back(Item(macro, "two", ResourceType::PclMacro, 9));
    printers.push_back(PrinterTarget{false, "Queue", "", kPrinterPort});
  }
  static DownloadItem Item(const std::string& path, const char* name, ResourceType type, int id) {
    DownloadItem item;
    item.filePath = path;
    item.downloadName = name;
    item.resourceType = static_cast<int>(type);
    item.controlId = id;
    return item;
  }

  test::FakeSpooler spooler;
  test::RecordingUi ui;
  ItemState state;
  JobContext job;
  ItemList items;
  std::vector<PrinterTarget> printers;
  std::vector<std::pair<int, std::string>> stored;
};

TEST_F(StoreLastIdTest, EachItemAfterItIsWritten) {
  job.storeLastId = [&](int id, const char* name) {
    stored.emplace_back(id, name);
    return 0;
  };
  EXPECT_EQ(DownloadToPrinters(job, printers, items), 0);
  EXPECT_EQ(stored, (std::vector<std::pair<int, std::string>>{{7, "MACRO"}, {9, "MACRO"}}));
  EXPECT_EQ(state.lastMacroId, 9);
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(StoreLastIdTest, FailureEndsTheJobSilentlyAfterClosing) {
  int writesAtStore = -1;
  job.storeLastId = [&](int id, const char* name) {
    stored.emplace_back(id, name);
    writesAtStore = spooler.writes;
    return 1;
  };
  EXPECT_EQ(DownloadToPrinters(job, printers, items), -1);
  EXPECT_EQ(stored.size(), 1u);  // the second item is not sent
  EXPECT_EQ(spooler.writes, writesAtStore);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(spooler.openHandles, 0);
  EXPECT_NE(spooler.log.find("enddoc close(Queue)"), std::string::npos) << spooler.log;
}

// The sample page of a converted TrueType font goes out on the same job, right
// after the font's closing UEL, and selects the font it follows.
TEST_F(StoreLastIdTest, TrueTypeSamplePageFollowsTheFontDirectly) {
  const std::string font = std::string(GC_TEST_FONTS) + "/regular.ttf";
  items.clear();
  items.push_back(Item(font, "regular", ResourceType::TrueTypeFont, 3));
  job.charsPerLine = 16;
  ASSERT_EQ(DownloadToPrinters(job, printers, items), 0);

  const std::string alone = StreamOf(items.front());
  ASSERT_GT(spooler.document.size(), alone.size());
  EXPECT_EQ(spooler.document.substr(0, alone.size()), alone);
  const std::string page = spooler.document.substr(alone.size());
  EXPECT_EQ(page.substr(0, 27), "@PJL ENTER LANGUAGE=PCL\r\n" + test::Esc("E"));
  EXPECT_NE(page.find(test::Esc("(8U") + test::Esc("(s1p10.00v0s0b61753T")), std::string::npos);
}

// Cancel while a printer is taking data: that printer gets its whole stream,
// the next one is never connected, and no message is shown.
TEST(JobCancel, FlowingPrinterFinishesAndNoOtherStarts) {
  const std::string macro = test::WriteScratch("flowing.pcl", std::string(3 << 20, 'm'));
  test::TcpPeer first(test::PeerMode::ReadSlowly);
  test::TcpPeer second(test::PeerMode::ReadAll, 0, 3000);
  std::vector<PrinterTarget> printers = {{true, "first", "127.0.0.1", first.port()},
                                         {true, "second", "127.0.0.1", second.port()}};
  ItemList items;
  DownloadItem item;
  item.filePath = macro;
  item.downloadName = "flowing";
  item.resourceType = static_cast<int>(ResourceType::PclMacro);
  items.push_back(item);
  test::RecordingUi ui;
  ProgressWatch progress;
  JobContext job;
  job.ui = &ui;
  job.progress = &progress;

  int result = -1;
  os::Thread worker;
  worker.Start([&] { result = DownloadToPrinters(job, printers, items); });
  // Cancel once the first printer has taken its first bytes.
  for (int i = 0; i < 1000 && progress.byteCounter == 0; ++i)
    os::SleepMs(10);
  RequestCancel(progress);
  worker.Join();
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(ui.shown.empty());
  const std::string got = first.Received();
  EXPECT_EQ(got.size(), StreamOf(item).size());
  EXPECT_EQ(got, StreamOf(item));
  EXPECT_EQ(second.Received(), "");
}

// A job on a local queue switches bidirectional support off on USB and LPT1:
// queues before it opens the queue, and back on at every end, failures included.
TEST(JobOnLocalQueue, SwitchesBidiOffBeforeOpeningAndOnAtEveryEnd) {
  struct Case {
    const char* refuse;  // "gone": the queue is not there
    int result;
  } cases[] = {{"", 0}, {"gone", 148}, {"doc", 147}, {"page", 146}, {"write", 145}};
  for (const Case& c : cases) {
    test::FakeSpooler spooler;
    spooler.Add("USB queue", "USB001", os::kAttributeEnableBidi);
    spooler.Add("Q", "CUPS:Q");
    if (std::string(c.refuse) == "gone") {
      spooler.Find("Q")->opens = false;
    } else {
      spooler.refuse = c.refuse;
    }
    test::RecordingUi ui;
    JobContext job;
    job.ui = &ui;
    job.spooler = &spooler;
    PrinterTarget queue;
    queue.name = "Q";
    const uint8_t bytes[] = {0x1b, 'E'};
    EXPECT_EQ(SendBufferToPrinters(job, {queue}, bytes, sizeof bytes), c.result) << c.refuse;
    EXPECT_EQ(ui.shown.size(), c.result ? 1u : 0u) << c.refuse;
    EXPECT_EQ(spooler.openHandles, 0) << c.refuse;
    const std::string off = "admin(USB queue) set(USB queue,0x0) close(USB queue) open(Q) ";
    EXPECT_EQ(spooler.log.substr(0, off.size()), off) << c.refuse;
    const std::string on = "admin(USB queue) set(USB queue,0x800) close(USB queue) ";
    EXPECT_EQ(spooler.log.substr(spooler.log.size() - on.size()), on) << c.refuse;
    EXPECT_EQ(spooler.Find("USB queue")->attributes, os::kAttributeEnableBidi) << c.refuse;
    if (c.result == 0) {
      EXPECT_EQ(spooler.document,
                "\x1b"
                "E");
    }
  }
}

}  // namespace
}  // namespace gc
