#include "app/commands.h"

#include "app/main_window.h"
#include "app/program.h"
#include "app/window_ui.h"
#include "items/registry_settings.h"
#include "os/profile.h"
#include "os/registry.h"
#include "os/spooler.h"
#include "printers/printer_list.h"

namespace gc::app {

namespace {

// The "Select printers" list box as the printer commands see it.
class ListBoxPort final : public PrinterListPort {
 public:
  explicit ListBoxPort(HWND list) : list_(list) {}
  void AddEntry(const std::string& text) override {
    SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  int Count() const override { return static_cast<int>(SendMessageA(list_, LB_GETCOUNT, 0, 0)); }
  std::string EntryAt(int index) const override { return ListBoxText(list_, index); }

 private:
  HWND list_;
};

}  // namespace

int LoadRegistrySettings(MainWindow& window) {
  os::RegistryPort* registry = os::SystemRegistry();
  if (!registry) return -2;
  WindowUi ui(window.dialog);
  RegistrySettings settings(*registry, ui);
  return settings.LoadRegistrySettings(window.networkPrinters, program().items);
}

void FillPrinterList(MainWindow& window) {
  ListBoxPort list(window.printerList);
  PrinterSources sources;
  sources.spooler = os::SystemSpooler();
  sources.profile = &os::SystemProfile();
  sources.configPath = program().configPath;
  sources.networkPrinters = &window.networkPrinters;
  gc::FillPrinterList(list, sources);
}

void FreePrinterRecords(MainWindow& window) {
  FreeNetworkPrinters(window.networkPrinters);
}
void CloseRegistryKeys(MainWindow&) {}

}  // namespace gc::app
