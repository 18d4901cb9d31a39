// Network printers and the last font and macro IDs kept in the registry.
#pragma once
#include <string>
#include <vector>

#include "items/download_item.h"
#include "os/registry.h"
#include "os/ui.h"
#include "printers/network_printers.h"

namespace gc {

class RegistrySettings {
 public:
  RegistrySettings(os::RegistryPort& registry, os::Ui& ui) : reg_(registry), ui_(ui) {}
  ~RegistrySettings() { CloseSettingsKeys(); }

  // 0, -1 a key cannot be created or opened, -3 the tree is only partly present.
  int OpenSettingsKeys(int mode);
  // -1 when any close failed.
  int CloseSettingsKeys();
  // 0 loaded, -2 registry not used, -3 reset (message 162), -1 broken
  // (message 171), -4 out of memory. Sets the last font and macro IDs of `ids`.
  int LoadRegistrySettings(NetworkPrinterList& printers, ItemState& ids);
  // Rewrites both printer keys; message 171 on failure.
  void SaveNetworkPrinters(const NetworkPrinterList& printers);
  // "FONT" or "MACRO"; non-zero (after message 171) when it cannot be written.
  int StoreLastId(int value, const char* name);

  int registryEnabled = 1;

 private:
  int LoadValues(NetworkPrinterList& printers, ItemState& ids);
  long ReadString(os::RegKey key, const std::string& name, size_t capacity, std::string* text);
  bool Create(os::RegKey parent, const char* name, os::RegKey* key, int* disposition);
  bool DeleteSubKeys(std::initializer_list<const char*> names);

  os::RegistryPort& reg_;
  os::Ui& ui_;
  os::RegKey maker_ = os::kNoKey, product_ = os::kNoKey, ipKey_ = os::kNoKey, nameKey_ = os::kNoKey,
             idKey_ = os::kNoKey;
};

}  // namespace gc
