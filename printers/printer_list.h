// Filling the "Select printers" list: the local queues that serve one of the
// models named in the configuration file, then the network printers.
#pragma once
#include <string>
#include <string_view>

#include "os/profile.h"
#include "os/spooler.h"
#include "printers/network_printers.h"

namespace gc {

// The list box as the printer commands see it. The main window implements it
// on control 1023, which keeps its entries sorted itself.
class PrinterListPort {
 public:
  virtual ~PrinterListPort() = default;
  virtual void AddEntry(const std::string& text) = 0;
  virtual int Count() const = 0;
  virtual std::string EntryAt(int index) const = 0;
};

struct PrinterSources {
  os::SpoolerPort* spooler = nullptr;  // none: no local queues
  os::ProfilePort* profile = nullptr;  // none: every local queue
  std::string configPath;              // the configuration file with section "DEVNAME"
  const NetworkPrinterList* networkPrinters = nullptr;
};

// Adds the local queues, filtered by the "DEVNAME" keys, then every network
// printer's entry. A queue that cannot be opened or whose device settings
// cannot be read ends the filling there, silently.
void FillPrinterList(PrinterListPort& list, const PrinterSources& sources);

// The model rule: characters are compared one by one, case-sensitively, and
// the key matches as soon as one has matched and either text ends after it.
bool DeviceNameMatches(std::string_view key, std::string_view deviceName);

}  // namespace gc
