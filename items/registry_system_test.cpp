// The settings against the platform's real registry (under Wine in CI).
#include <gtest/gtest.h>

#include "items/download_item.h"
#include "items/registry_settings.h"
#include "resources/messages.h"
#include "tests/support/recording_ui.h"

namespace gc {
namespace {

using CountingUi = test::RecordingUi;

void DeleteTree(os::RegistryPort& reg) {
  os::RegKey product;
  if (reg.OpenKey(os::kCurrentUser, "SOFTWARE\\Marrowick\\Glyphcast", true, &product) == 0) {
    for (const char* k : {"IP_ADDRESS", "PRINTER_NAME", "DOWNLOAD_ID"}) reg.DeleteKey(product, k);
    reg.CloseKey(product);
  }
  os::RegKey maker;
  if (reg.OpenKey(os::kCurrentUser, "SOFTWARE\\Marrowick", true, &maker) == 0) {
    reg.DeleteKey(maker, "Glyphcast");
    reg.CloseKey(maker);
  }
}

TEST(SystemRegistry, PrintersSurviveAndAPartialTreeIsReset) {
  os::RegistryPort* reg = os::SystemRegistry();
  ASSERT_NE(reg, nullptr);
  os::RegKey machine;
  int disposition;
  ASSERT_EQ(
      reg->CreateKey(os::kLocalMachine, "SOFTWARE\\Marrowick\\Glyphcast", &machine, &disposition),
      0);
  reg->CloseKey(machine);
  DeleteTree(*reg);

  CountingUi ui;
  NetworkPrinterList printers;
  ItemState ids;
  {
    RegistrySettings settings(*reg, ui);
    EXPECT_EQ(settings.LoadRegistrySettings(printers, ids), 0);  // first run creates the keys
    NetworkPrinterList two;
    AppendNetworkPrinter(two, "Office3", "127.0.0.3");
    AppendNetworkPrinter(two, "BackOffice", "127.0.0.4");
    settings.SaveNetworkPrinters(two);
    EXPECT_EQ(settings.StoreLastId(41, "FONT"), 0);
  }
  {
    RegistrySettings settings(*reg, ui);
    ASSERT_EQ(settings.LoadRegistrySettings(printers, ids), 0);
    ASSERT_TRUE(printers.head() && printers.head()->next);
    EXPECT_EQ(printers.head()->next->printerName, "BackOffice");
    EXPECT_EQ(printers.head()->next->ipAddress, "127.0.0.4");
    EXPECT_EQ(ids.lastFontId, 41);
  }
  EXPECT_TRUE(ui.shown.empty());

  os::RegKey product;
  ASSERT_EQ(reg->OpenKey(os::kCurrentUser, "SOFTWARE\\Marrowick\\Glyphcast", true, &product), 0);
  EXPECT_EQ(reg->DeleteKey(product, "DOWNLOAD_ID"), 0);
  reg->CloseKey(product);
  {
    RegistrySettings settings(*reg, ui);
    EXPECT_EQ(settings.LoadRegistrySettings(printers, ids), -3);
    EXPECT_TRUE(printers.empty());
    EXPECT_EQ(ui.shown, std::vector<std::string>{MessageText(162)});
    EXPECT_EQ(settings.LoadRegistrySettings(printers, ids), 0);  // the reset tree is whole again
  }
  DeleteTree(*reg);
  // The machine key would let later programs in the same registry create settings.
  os::RegKey machineMaker;
  ASSERT_EQ(reg->OpenKey(os::kLocalMachine, "SOFTWARE\\Marrowick", true, &machineMaker), 0);
  EXPECT_EQ(reg->DeleteKey(machineMaker, "Glyphcast"), 0);
  reg->CloseKey(machineMaker);
}

}  // namespace
}  // namespace gc
