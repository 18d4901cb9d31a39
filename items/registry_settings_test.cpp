#include "items/registry_settings.h"

#include <gtest/gtest.h>

#include "items/download_item.h"
#include "os/memory_registry.h"
#include "resources/messages.h"
#include "tests/support/recording_ui.h"

namespace gc {
namespace {

const std::string kMachine = "HKLM\\SOFTWARE\\Marrowick\\Glyphcast";
const std::string kProduct = "HKCU\\SOFTWARE\\Marrowick\\Glyphcast";
const std::string kIp = kProduct + "\\IP_ADDRESS", kName = kProduct + "\\PRINTER_NAME",
                  kId = kProduct + "\\DOWNLOAD_ID";

using RecordingUi = test::RecordingUi;

size_t CountOf(const NetworkPrinterList& list) {
  size_t n = 0;
  for (const NetworkPrinter* p = list.head(); p; p = p->next) ++n;
  return n;
}
const NetworkPrinter* At(const NetworkPrinterList& list, size_t index) {
  const NetworkPrinter* p = list.head();
  while (p && index--) p = p->next;
  return p;
}
void Save(RegistrySettings& settings,
          std::initializer_list<std::pair<const char*, const char*>> printers) {
  NetworkPrinterList list;
  for (auto [name, address] : printers) AppendNetworkPrinter(list, name, address);
  settings.SaveNetworkPrinters(list);
}

// A complete tree with the given printers.
os::MemoryRegistry Tree(std::vector<std::pair<std::string, std::string>> printers = {}) {
  os::MemoryRegistry reg;
  reg.AddKey(kMachine);
  reg.AddKey(kIp);
  reg.AddKey(kName);
  reg.AddKey(kId);
  int n = 0;
  for (auto& [ip, name] : printers) {
    ++n;
    reg.SetString(kIp, "IP" + std::to_string(n), ip);
    reg.SetString(kName, "NAME" + std::to_string(n), name);
  }
  return reg;
}

struct Outcome {
  int result;
  size_t printers;
  std::vector<std::string> messages;
  ItemState ids;
};

Outcome Load(os::MemoryRegistry& reg) {
  RecordingUi ui;
  RegistrySettings settings(reg, ui);
  NetworkPrinterList printers;
  ItemState ids;
  ids.lastFontId = ids.lastMacroId = 5;  // whatever was there before
  int result = settings.LoadRegistrySettings(printers, ids);
  EXPECT_EQ(reg.openHandles(), 0);
  return {result, CountOf(printers), ui.shown, ids};
}

const std::string kReset = MessageText(162);
const std::string kBroken = MessageText(171);

TEST(Registry, StoredStates) {
  struct Case {
    const char* what;
    std::function<void(os::MemoryRegistry&)> setup;
    int result;
    size_t printers;
    std::vector<std::string> messages;
  } cases[] = {
      {"two printers",
       [](auto& r) {
         r = Tree({{"10.0.0.1", "A"}, {"10.0.0.2", "B"}});
       },
       0,
       2,
       {}},
      {"IP1 and IP3 load one",
       [](auto& r) {
         r = Tree({{"10.0.0.1", "A"}});
         r.SetString(kIp, "IP3", "10.0.0.3");
         r.SetString(kName, "NAME3", "C");
       },
       0,
       1,
       {}},
      {"IP1 without NAME1",
       [](auto& r) {
         r = Tree();
         r.SetString(kIp, "IP1", "10.0.0.1");
       },
       -3,
       0,
       {kReset}},
      {"NAME1 without IP1",
       [](auto& r) {
         r = Tree();
         r.SetString(kName, "NAME1", "A");
       },
       -3,
       0,
       {kReset}},
      {"10.0.0.01",
       [](auto& r) {
         r = Tree({{"10.0.0.01", "A"}});
       },
       -3,
       0,
       {kReset}},
      {"10.1",
       [](auto& r) {
         r = Tree({{"10.1", "A"}});
       },
       -3,
       0,
       {kReset}},
      {"empty name",
       [](auto& r) {
         r = Tree({{"10.0.0.1", ""}});
       },
       -3,
       0,
       {kReset}},
      {"address longer than 15",
       [](auto& r) {
         r = Tree({{"100.100.100.1001", "A"}});
       },
       -3,
       0,
       {kReset}},
      {"address as a number",
       [](auto& r) {
         r = Tree();
         r.SetDword(kIp, "IP1", 5);
       },
       -3,
       0,
       {kReset}},
      {"FONT 40000",
       [](auto& r) {
         r = Tree();
         r.SetDword(kId, "FONT", 40000);
       },
       -3,
       0,
       {kReset}},
      {"FONT as a string",
       [](auto& r) {
         r = Tree();
         r.SetString(kId, "FONT", "7");
       },
       -3,
       0,
       {kReset}},
      {"only DOWNLOAD_ID deleted",
       [](auto& r) {
         r = os::MemoryRegistry();
         r.AddKey(kMachine);
         r.AddKey(kIp);
         r.AddKey(kName);
         r.SetString(kIp, "IP1", "10.0.0.1");
         r.SetString(kName, "NAME1", "A");
       },
       -3,
       0,
       {kReset}},
      {"first run",
       [](auto& r) {
         r = os::MemoryRegistry();
         r.AddKey(kMachine);
       },
       0,
       0,
       {}},
      {"no HKLM key",
       [](auto& r) {
         r = Tree({{"10.0.0.1", "A"}});
         r = os::MemoryRegistry();
       },
       -2,
       0,
       {}},
      {"a key cannot be created",
       [](auto& r) {
         r = os::MemoryRegistry();
         r.AddKey(kMachine);
         r.refuseCreate.push_back(kId);
       },
       -1,
       0,
       {kBroken}},
      // The third close: the first after the two of the HKLM check.
      {"a close fails",
       [](auto& r) {
         r = Tree();
         r.failClosesAfter = 2;
       },
       -1,
       0,
       {kBroken}},
  };
  for (const Case& c : cases) {
    os::MemoryRegistry reg;
    c.setup(reg);
    Outcome o = Load(reg);
    EXPECT_EQ(o.result, c.result) << c.what;
    EXPECT_EQ(o.printers, c.printers) << c.what;
    EXPECT_EQ(o.messages, c.messages) << c.what;
    if (c.result == -3) {  // reset: the three keys exist again, empty
      for (const std::string& key : {kIp, kName, kId}) {
        EXPECT_TRUE(reg.HasKey(key)) << c.what;
        EXPECT_TRUE(reg.Values(key).empty()) << c.what;
      }
      EXPECT_EQ(o.ids.lastFontId, -1) << c.what;
    }
  }
}

TEST(Registry, FirstRunCreatesTheKeysAndHklmMissingTouchesNothing) {
  os::MemoryRegistry reg;
  reg.AddKey(kMachine);
  EXPECT_EQ(Load(reg).result, 0);
  for (const std::string& key : {kIp, kName, kId}) EXPECT_TRUE(reg.HasKey(key));

  os::MemoryRegistry bare;
  EXPECT_EQ(Load(bare).result, -2);
  EXPECT_FALSE(bare.HasKey(kProduct));
}

TEST(Registry, IdsLoadAndStore) {
  os::MemoryRegistry reg = Tree();
  reg.SetDword(kId, "FONT", 9);
  reg.SetDword(kId, "MACRO", 0);
  Outcome o = Load(reg);
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.ids.lastFontId, 9);
  EXPECT_EQ(o.ids.lastMacroId, 0);

  RecordingUi ui;
  RegistrySettings settings(reg, ui);
  EXPECT_EQ(settings.StoreLastId(123, "MACRO"), 0);
  EXPECT_EQ(reg.Values(kId).at("MACRO").bytes, std::string("\x7b\0\0\0", 4));

  // StoreLastId never creates DOWNLOAD_ID.
  os::MemoryRegistry noId = Tree();
  ASSERT_EQ(noId.DeleteKey(os::kCurrentUser, "SOFTWARE\\Marrowick\\Glyphcast\\DOWNLOAD_ID"), 0);
  RegistrySettings other(noId, ui);
  EXPECT_NE(other.StoreLastId(1, "FONT"), 0);
  EXPECT_FALSE(noId.HasKey(kId));
  EXPECT_EQ(ui.shown, std::vector<std::string>{kBroken});
  EXPECT_EQ(noId.openHandles(), 0);

  settings.registryEnabled = 0;
  EXPECT_EQ(settings.StoreLastId(5, "FONT"), 0);
  EXPECT_EQ(reg.Values(kId).at("FONT").bytes, std::string("\x09\0\0\0", 4));  // unchanged
}

TEST(Registry, SavingPrintersRewritesBothKeys) {
  os::MemoryRegistry reg = Tree({{"10.0.0.1", "A"}, {"10.0.0.2", "B"}, {"10.0.0.3", "C"}});
  RecordingUi ui;
  RegistrySettings settings(reg, ui);
  Save(settings, {{"Office3", "127.0.0.3"}});
  auto ips = reg.Values(kIp);
  ASSERT_EQ(ips.size(), 1u);
  EXPECT_EQ(ips.at("IP1").bytes, std::string("127.0.0.3\0", 10));
  EXPECT_EQ(reg.Values(kName).at("NAME1").bytes, std::string("Office3\0", 8));

  Save(settings, {});  // all removed: both keys exist, empty
  EXPECT_TRUE(reg.HasKey(kIp) && reg.HasKey(kName));
  EXPECT_TRUE(reg.Values(kIp).empty() && reg.Values(kName).empty());
  EXPECT_TRUE(ui.shown.empty());

  NetworkPrinterList loaded;
  Save(settings, {{"P1", "10.1.1.1"}, {"P2", "10.1.1.2"}});
  ItemState ids;
  EXPECT_EQ(settings.LoadRegistrySettings(loaded, ids), 0);
  ASSERT_EQ(CountOf(loaded), 2u);
  EXPECT_EQ(At(loaded, 1)->printerName, "P2");
  EXPECT_EQ(At(loaded, 1)->ipAddress, "10.1.1.2");
}

}  // namespace
}  // namespace gc
