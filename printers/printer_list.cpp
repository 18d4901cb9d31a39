#include "printers/printer_list.h"

#include <cstring>
#include <new>
#include <vector>

namespace gc {

namespace {

constexpr uint32_t kKeyBufferStep = 256;

// The key list of "DEVNAME" as the profile gives it, in a buffer grown until
// the list fits; false when memory runs out.
bool ReadDeviceNameKeys(os::ProfilePort& profile, const std::string& path,
                        std::vector<char>* keys) {
  try {
    keys->assign(kKeyBufferStep, '\0');
    for (;;) {
      uint32_t size = static_cast<uint32_t>(keys->size());
      uint32_t n = profile.ReadSectionKeys(path, "DEVNAME", "NG", keys->data(), size);
      if (n < size - 2) {
        keys->resize(n + 1);  // keeps the text and its NUL
        keys->push_back('\0');
        return true;
      }
      keys->resize(size + kKeyBufferStep);
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool AnyKeyMatches(const std::vector<char>& keys, std::string_view deviceName) {
  for (const char* key = keys.data(); *key; key += std::strlen(key) + 1)
    if (DeviceNameMatches(key, deviceName)) return true;
  return false;
}

// False when the filling must stop.
bool AddLocalQueues(PrinterListPort& list, const PrinterSources& sources) {
  os::SpoolerPort* spooler = sources.spooler;
  std::vector<os::PrinterInfo> queues;
  if (!spooler || !spooler->ListPrinters(1, &queues) || queues.empty()) return true;

  std::vector<char> keys;
  if (sources.profile) {
    if (!ReadDeviceNameKeys(*sources.profile, sources.configPath, &keys)) return false;
  } else {
    keys = {'N', 'G', '\0', '\0'};
  }
  bool everyQueue = keys[0] == '\0' || std::strcmp(keys.data(), "NG") == 0;

  for (const os::PrinterInfo& queue : queues) {
    if (everyQueue) {
      list.AddEntry(queue.name);
      continue;
    }
    os::PrinterHandle printer = spooler->Open(queue.name);
    if (!printer) return false;
    std::string deviceName;
    bool read = spooler->DeviceName(printer, queue.name, &deviceName);
    spooler->Close(printer);
    if (!read) return false;
    if (AnyKeyMatches(keys, deviceName)) list.AddEntry(queue.name);
  }
  return true;
}

}  // namespace

bool DeviceNameMatches(std::string_view key, std::string_view deviceName) {
  for (size_t i = 0; i < key.size() && i < deviceName.size(); ++i) {
    if (key[i] != deviceName[i]) return false;
    if (i + 1 == key.size() || i + 1 == deviceName.size()) return true;
  }
  return false;
}

void FillPrinterList(PrinterListPort& list, const PrinterSources& sources) {
  if (!AddLocalQueues(list, sources)) return;
  if (!sources.networkPrinters) return;
  for (const NetworkPrinter* p = sources.networkPrinters->head(); p; p = p->next)
    list.AddEntry(EntryText(*p));
}

}  // namespace gc
