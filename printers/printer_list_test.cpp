#include "printers/printer_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/fake_spooler.h"
#include "tests/support/files.h"

namespace gc {
namespace {

// Sorted as the list box sorts its entries.
class SortedList : public PrinterListPort {
 public:
  void AddEntry(const std::string& text) override {
    entries.insert(std::upper_bound(entries.begin(), entries.end(), text), text);
  }
  int Count() const override { return static_cast<int>(entries.size()); }
  std::string EntryAt(int index) const override { return entries.at(index); }
  std::vector<std::string> entries;
};

// The system's profile reader, noting the buffer sizes it is asked with.
class SizeNotingProfile : public os::ProfilePort {
 public:
  uint32_t ReadSectionKeys(const std::string& path, const std::string& section,
                           const std::string& defaultText, char* buffer, uint32_t size) override {
    sizes.push_back(size);
    return os::SystemProfile().ReadSectionKeys(path, section, defaultText, buffer, size);
  }
  std::string ReadString(const std::string& path, const std::string& section,
                         const std::string& key, const std::string& defaultText) override {
    return os::SystemProfile().ReadString(path, section, key, defaultText);
  }
  std::vector<uint32_t> sizes;
};

using Entries = std::vector<std::string>;

TEST(DeviceNameRule, KeyAndDeviceNameMayEachBeThePrefixOfTheOther) {
  struct Case {
    const char* key;
    const char* device;
    bool match;
  } cases[] = {
      {"ABC Laser", "ABC Laser 5000", true},
      {"ABC Laser", "ABC", true},
      {"ABC Laser", "ABC Laser", true},
      {"ABC Laser", "ABD Laser", false},
      {"ABC Laser", "abc laser 5000", false},
      {"ABC Laser", "XABC Laser", false},
      {"A", "A", true},
      {"ABC Laser", "", false},
      {"", "ABC Laser", false},
      {"", "", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DeviceNameMatches(c.key, c.device), c.match) << c.key << " / " << c.device;
}

struct Fixture {
  Fixture() {
    spooler.Add("Laser5000", "USB001", 0, "ABC Laser 5000");
    spooler.Add("Short", "LPT1:", 0, "ABC");
    spooler.Add("Other", "LPT2:", 0, "ABD Laser");
    AppendNetworkPrinter(network, "Office3", "192.168.1.20");
  }
  Entries Fill(const std::string& ini, bool withFile = true) {
    static int n = 0;  // a file per case: Wine's profile functions cache files by name
    std::string name = "config" + std::to_string(++n) + "00.ini";
    std::string path =
        withFile ? test::WriteScratch(name, ini) : (test::ScratchDir() / name).string();
    SortedList list;
    FillPrinterList(list, PrinterSources{&spooler, &profile, path, &network});
    return list.entries;
  }
  test::FakeSpooler spooler;
  SizeNotingProfile profile;
  NetworkPrinterList network;
};

TEST(FillPrinterList, WithoutModelKeysListsEveryQueueThenTheNetworkPrinters) {
  const Entries all = {"Laser5000", "NET,Office3(192.168.1.20)", "Other", "Short"};
  struct Case {
    const char* what;
    std::string ini;
    bool withFile;
  } cases[] = {
      {"no file", "", false},
      {"no section", "[RSC]\nFILE=res.dll\n", true},
      {"empty section", "[DEVNAME]\n; nothing yet\n[MIB]\nX=1\n", true},
  };
  for (const Case& c : cases) {
    Fixture f;
    EXPECT_EQ(f.Fill(c.ini, c.withFile), all) << c.what;
    EXPECT_EQ(f.spooler.log, "") << c.what << ": no queue is opened";
  }
}

TEST(FillPrinterList, ModelKeysKeepTheQueuesOfThoseModels) {
  Fixture f;
  EXPECT_EQ(f.Fill("[DEVNAME]\nABC Laser=1\n"),
            (Entries{"Laser5000", "NET,Office3(192.168.1.20)", "Short"}));
  EXPECT_EQ(f.spooler.openHandles, 0);
  EXPECT_EQ(f.spooler.log,
            "open(Laser5000) close(Laser5000) open(Short) close(Short) open(Other) close(Other) ");

  Fixture g;
  EXPECT_EQ(g.Fill("[devname]\nXYZ=1\nABD=1\n"), (Entries{"NET,Office3(192.168.1.20)", "Other"}));
}

TEST(FillPrinterList, GrowsTheKeyBufferUntilTheWholeListFits) {
  std::string ini = "[DEVNAME]\n";
  for (int i = 0; i < 60; ++i) ini += "Model number " + std::to_string(i) + "=1\n";
  ini += "ABD Laser=1\n";  // the only match, past the first 256 and 512 bytes
  Fixture f;
  EXPECT_EQ(f.Fill(ini), (Entries{"NET,Office3(192.168.1.20)", "Other"}));
  ASSERT_GE(f.profile.sizes.size(), 4u);
  for (size_t i = 0; i < f.profile.sizes.size(); ++i) EXPECT_EQ(f.profile.sizes[i], 256u * (i + 1));
}

TEST(FillPrinterList, AQueueThatCannotBeOpenedOrReadEndsTheFillingSilently) {
  for (bool gone : {true, false}) {
    Fixture f;
    test::FakeSpooler::Printer* short_ = f.spooler.Find("Short");
    (gone ? short_->opens : short_->readable) = false;
    EXPECT_EQ(f.Fill("[DEVNAME]\nABC=1\nABD=1\n"), (Entries{"Laser5000"})) << gone;
    EXPECT_EQ(f.spooler.openHandles, 0);
    EXPECT_EQ(f.spooler.log.find("Other"), std::string::npos) << "no queue after it is tried";
  }
}

TEST(FillPrinterList, AFailedOrEmptyQueueListLeavesTheNetworkPrinters) {
  Fixture f;
  f.spooler.listFails = true;
  EXPECT_EQ(f.Fill("[DEVNAME]\nABC=1\n"), (Entries{"NET,Office3(192.168.1.20)"}));
  Fixture g;
  g.spooler.printers.clear();
  EXPECT_EQ(g.Fill("[DEVNAME]\nABC=1\n"), (Entries{"NET,Office3(192.168.1.20)"}));
  EXPECT_TRUE(g.profile.sizes.empty()) << "no queues, no keys to read";
}

TEST(FillPrinterList, ALocalQueueNamedLikeANetworkEntryIsListedWithNoRecordBehindIt) {
  Fixture f;
  f.spooler.Add("NET,x", "USB002", 0, "ABC Laser");
  Entries entries = f.Fill("");
  ASSERT_NE(std::find(entries.begin(), entries.end(), "NET,x"), entries.end());
  EXPECT_TRUE(IsNetworkEntry("NET,x"));
  PrinterTarget target;
  EXPECT_FALSE(TargetForEntry("NET,x", f.network, &target));
}

}  // namespace
}  // namespace gc
