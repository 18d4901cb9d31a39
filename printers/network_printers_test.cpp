#include "printers/network_printers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gc {
namespace {

std::vector<std::string> Texts(const NetworkPrinterList& list) {
  std::vector<std::string> texts;
  for (const NetworkPrinter* p = list.head(); p; p = p->next) texts.push_back(EntryText(*p));
  return texts;
}

TEST(PrinterTarget, NetworkEntriesAreTheOnesWithThePrefix) {
  EXPECT_EQ(NetworkPrefix(), "NET,");
  struct Case {
    std::string text, prefix;
    bool network;
  } cases[] = {
      {"NET,Office3(192.168.1.20)", "NET,", true},
      {"NET,x", "NET,", true},  // a local queue of that name reads as a network entry
      {"NET,", "NET,", true},
      {"net,x", "NET,", false},
      {"NET", "NET,", false},
      {"\\\\server\\queue", "NET,", false},
      {"", "NET,", false},
      {"anything", "", false},
      {"", "", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsNetworkEntry(c.text, c.prefix), c.network) << c.text << " / " << c.prefix;
}

TEST(NetworkPrinterList, AppendsFindsRemovesAndFrees) {
  NetworkPrinterList list;
  ASSERT_NE(AppendNetworkPrinter(list, "Office3", "192.168.1.20"), nullptr);
  ASSERT_NE(AppendNetworkPrinter(list, "Lab", "10.0.0.7"), nullptr);
  ASSERT_NE(AppendNetworkPrinter(list, "Office3-copy", "192.168.1.20"), nullptr);  // same address
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"NET,Office3(192.168.1.20)", "NET,Lab(10.0.0.7)",
                                                   "NET,Office3-copy(192.168.1.20)"}));

  const NetworkPrinter* lab = FindNetworkPrinter(list, "NET,Lab(10.0.0.7)");
  ASSERT_NE(lab, nullptr);
  EXPECT_EQ(lab->printerName, "Lab");
  for (const char* near : {"NET,Lab(10.0.0.7", "NET,Lab(10.0.0.70)", "NET,lab(10.0.0.7)",
                           "Lab(10.0.0.7)", "NET,Lab(10.0.0.7) ", ""})
    EXPECT_EQ(FindNetworkPrinter(list, near), nullptr) << near;

  // Removing the tail and appending again keeps the list whole.
  RemoveNetworkPrinter(list, "NET,Office3-copy(192.168.1.20)");
  RemoveNetworkPrinter(list, "NET,Nobody(1.2.3.4)");
  ASSERT_NE(AppendNetworkPrinter(list, "-", "10.0.0.8"), nullptr);
  RemoveNetworkPrinter(list, "NET,Office3(192.168.1.20)");
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"NET,Lab(10.0.0.7)", "NET,-(10.0.0.8)"}));

  FreeNetworkPrinters(list);
  EXPECT_TRUE(list.empty());
  ASSERT_NE(AppendNetworkPrinter(list, "Again", "10.0.0.9"), nullptr);
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"NET,Again(10.0.0.9)"}));
}

TEST(NetworkPrinterList, KeepsTheFirstCharactersOfLongTexts) {
  NetworkPrinterList list;
  const NetworkPrinter* p =
      AppendNetworkPrinter(list, std::string(200, 'n'), "192.168.100.200:9100");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->printerName, std::string(128, 'n'));
  EXPECT_EQ(p->ipAddress, "192.168.100.200");
}

TEST(PrinterTarget, EntriesBecomeJobTargets) {
  NetworkPrinterList list;
  AppendNetworkPrinter(list, "Office3", "192.168.1.20");
  PrinterTarget target;
  ASSERT_TRUE(TargetForEntry("NET,Office3(192.168.1.20)", list, &target));
  EXPECT_TRUE(target.network);
  EXPECT_EQ(target.name, "Office3");
  EXPECT_EQ(target.address, "192.168.1.20");
  EXPECT_EQ(target.port, kPrinterPort);

  ASSERT_TRUE(TargetForEntry("\\\\server\\queue", list, &target));
  EXPECT_FALSE(target.network);
  EXPECT_EQ(target.name, "\\\\server\\queue");

  // A local queue named NET,x is taken for a network entry and has no record.
  EXPECT_FALSE(TargetForEntry("NET,x", list, &target));
}

}  // namespace
}  // namespace gc
