#include "items/proposal.h"

#include <gtest/gtest.h>

namespace gc {
namespace {

constexpr int kMacro = 0, kPs = 1, kPcl = 2, kTt = 3;

DownloadItem Item(int type, int id, std::string name = "") {
  DownloadItem item;
  item.resourceType = type;
  item.controlId = id;
  item.downloadName = name.empty() ? "n" + std::to_string(type) + "_" + std::to_string(id) : name;
  return item;
}

int Propose(const ItemList& items, int type, int seen, int scanned, int lastFont = -1,
            int lastMacro = -1) {
  return ProposeControlId(items, type, seen, scanned, lastFont, lastMacro);
}

TEST(Proposal, ControlIds) {
  ItemList items;
  EXPECT_EQ(Propose(items, kMacro, 0, -1), 0);
  items.push_back(Item(kMacro, 0));
  EXPECT_EQ(Propose(items, kMacro, 0, -1), 1);
  EXPECT_EQ(Propose(items, kTt, 0, -1, 9), 10);

  // The file's font ID 5 is taken by a TrueType font and 6 by a PCL font; a
  // macro with 5 does not count.
  ItemList fonts = {Item(kTt, 5), Item(kPcl, 6), Item(kMacro, 7)};
  int seen = 1;
  EXPECT_EQ(ProposeControlId(fonts, kPcl, seen, 5, -1, -1), 7);
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(Propose(fonts, kPcl, 1, 40000), 0);
  EXPECT_EQ(Propose(ItemList{Item(kPcl, 0), Item(kPcl, 1)}, kPcl, 1, 40000), 2);
  // A TrueType file's scanned ID does not count.
  seen = 1;
  EXPECT_EQ(ProposeControlId(fonts, kTt, seen, 5, -1, -1), 7);
  EXPECT_EQ(seen, 0);

  ItemList top = {Item(kPcl, 32767), Item(kPcl, 0)};
  EXPECT_EQ(Propose(top, kTt, 0, -1), 1);
  EXPECT_EQ(Propose({}, kPcl, 0, -1, 32767), 0);
}

TEST(Proposal, DownloadNames) {
  struct Case {
    const char* path;
    std::string name;
  } cases[] = {
      {"C:\\fonts\\My Font.sfp", "My_Font"},
      {"/home/u/a b .pcl", "a_b"},
      {"dir/noextension", "noextension"},
      {"two.dots.ttf", "two.dots"},
      {"C:\\x\\.hidden", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ProposeDownloadName(c.path), c.name) << c.path;
  std::string long_name(120, 'a');
  EXPECT_EQ(ProposeDownloadName("/f/" + long_name + ".ttf"), long_name);
}

TEST(Proposal, ControlIdText) {
  for (const char* ok : {"7", "0", "32767"}) EXPECT_TRUE(ControlIdTextValid(ok, nullptr)) << ok;
  for (const char* bad : {"07", "+7", " 7", "7 ", "7a", "-0", "", "32768", "-1", "0012"})
    EXPECT_FALSE(ControlIdTextValid(bad, nullptr)) << bad;
}

TEST(Proposal, NameAndIdChecks) {
  ItemList items = {Item(kTt, 12, "ARIAL"), Item(kMacro, 3, "Logo")};
  EXPECT_EQ(CheckDownloadName("", kPcl, items), -3);
  EXPECT_EQ(CheckDownloadName("my font", kPcl, items), -1);
  EXPECT_EQ(CheckDownloadName("_.-", kPcl, items), 0);
  EXPECT_EQ(CheckDownloadName(std::string(100, 'x'), kPcl, items), 0);
  EXPECT_EQ(CheckDownloadName("Arial", kPcl, items), -2);
  EXPECT_EQ(CheckDownloadName("Arial", kMacro, items), 0);
  EXPECT_EQ(CheckDownloadName("logo", kMacro, items), -2);
  EXPECT_EQ(CheckDownloadName("logo", kTt, items), 0);

  EXPECT_EQ(CheckControlId(kPcl, 12, items), -2);
  EXPECT_EQ(CheckControlId(kMacro, 12, items), 0);
  EXPECT_EQ(CheckControlId(kMacro, 32768, items), -1);
  EXPECT_EQ(CheckControlId(kPs, -5, items), 0);
}

}  // namespace
}  // namespace gc
