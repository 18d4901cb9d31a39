// Registry values as the program reads them back, on any registry contents.
// The input builds an in-memory registry: a byte of which keys exist and
// which fault to inject, a parameter byte, then values, each a key byte
// (IP_ADDRESS, PRINTER_NAME, DOWNLOAD_ID), a type byte, a name and the raw
// value bytes (each with a length byte before it). The load closes every key
// it opened and returns one of its results; a loaded list holds only canonical
// addresses and names of 1 to 128 bytes, and IDs in range; a reset leaves a
// tree that loads empty; and what loads, saved as the program saves it, loads
// again the same.
#include <cstdint>
#include <string>
#include <vector>

#include "items/download_item.h"
#include "items/registry_settings.h"
#include "os/memory_registry.h"
#include "os/sockets.h"
#include "tests/support/recording_ui.h"

namespace {

const std::string kMachine = "HKLM\\SOFTWARE\\Marrowick\\Glyphcast";
const std::string kProduct = "HKCU\\SOFTWARE\\Marrowick\\Glyphcast";
const std::string kKeys[] = {kProduct + "\\IP_ADDRESS", kProduct + "\\PRINTER_NAME",
                             kProduct + "\\DOWNLOAD_ID"};
enum : uint8_t { kMachineKey = 1, kIpKey = 2, kNameKey = 4, kIdKey = 8, kFailClose = 16,
                 kRefuseIdKey = 32 };

struct Loaded {
  int result;
  std::vector<std::pair<std::string, std::string>> printers;  // name, address
  gc::ItemState ids;
};

Loaded Load(gc::os::MemoryRegistry& reg) {
  gc::test::RecordingUi ui;
  gc::RegistrySettings settings(reg, ui);
  gc::NetworkPrinterList list;
  Loaded l;
  l.ids.lastFontId = l.ids.lastMacroId = 77;
  l.result = settings.LoadRegistrySettings(list, l.ids);
  for (const gc::NetworkPrinter* p = list.head(); p; p = p->next)
    l.printers.emplace_back(p->printerName, p->ipAddress);
  return l;
}

bool SameLoad(const Loaded& a, const Loaded& b) {
  return a.result == b.result && a.printers == b.printers && a.ids.lastFontId == b.ids.lastFontId &&
         a.ids.lastMacroId == b.ids.lastMacroId;
}

bool IdInRange(int id) {
  return id == -1 || (id >= 0 && id <= gc::kMaxControlId);
}

// Reads one length-prefixed piece; false at the end of the input.
bool Piece(const uint8_t*& at, const uint8_t* end, std::string* out) {
  if (at == end) return false;
  size_t n = *at++;
  if (n > static_cast<size_t>(end - at)) n = static_cast<size_t>(end - at);
  out->assign(reinterpret_cast<const char*>(at), n);
  at += n;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t flags = data[0], parameter = data[1];
  const uint8_t *at = data + 2, *end = data + size;

  gc::os::MemoryRegistry reg;
  if (flags & kMachineKey) reg.AddKey(kMachine);
  for (int k = 0; k < 3; ++k)
    if (flags & (kIpKey << k)) reg.AddKey(kKeys[k]);
  while (at + 2 <= end) {
    const std::string& path = kKeys[at[0] % 3];
    int type = at[1];
    at += 2;
    std::string name, value;
    if (!Piece(at, end, &name) || !Piece(at, end, &value)) break;
    reg.AddKey(path);
    gc::os::RegKey key;
    int disposition;
    if (reg.CreateKey(gc::os::kCurrentUser, path.substr(5), &key, &disposition) != 0) continue;
    reg.SetValue(key, name, type, value.data(), static_cast<uint32_t>(value.size()));
    reg.CloseKey(key);
  }
  const bool faults = flags & (kFailClose | kRefuseIdKey);
  if (flags & kFailClose) reg.failClosesAfter = parameter & 15;
  if (flags & kRefuseIdKey) reg.refuseCreate.push_back(kKeys[2]);

  Loaded first = Load(reg);
  if (reg.openHandles() != 0) __builtin_trap();
  if (first.result != 0 && first.result != -1 && first.result != -2 && first.result != -3)
    __builtin_trap();
  if (first.result != 0 && !first.printers.empty()) __builtin_trap();
  if ((first.result == -2 || first.result == -3) &&
      (first.ids.lastFontId != -1 || first.ids.lastMacroId != -1))
    __builtin_trap();
  if (!IdInRange(first.ids.lastFontId) || !IdInRange(first.ids.lastMacroId)) __builtin_trap();
  for (const auto& [name, address] : first.printers)
    if (name.empty() || name.size() > gc::kMaxPrinterName ||
        name.find('\0') != std::string::npos || !gc::os::IsCanonicalIpv4(address))
      __builtin_trap();
  if (faults) return 0;

  if (first.result == -3) {
    Loaded reset = Load(reg);
    if (reset.result != 0 || !reset.printers.empty() || reset.ids.lastFontId != -1 ||
        reset.ids.lastMacroId != -1)
      __builtin_trap();
  }
  if (first.result != 0) return 0;

  // Saved as the program saves them, the printers and IDs load again the same.
  {
    gc::test::RecordingUi ui;
    gc::RegistrySettings settings(reg, ui);
    gc::NetworkPrinterList list;
    for (const auto& [name, address] : first.printers)
      gc::AppendNetworkPrinter(list, name, address);
    settings.SaveNetworkPrinters(list);
    if (first.ids.lastFontId >= 0) settings.StoreLastId(first.ids.lastFontId, "FONT");
    if (first.ids.lastMacroId >= 0) settings.StoreLastId(first.ids.lastMacroId, "MACRO");
    if (!ui.shown.empty()) __builtin_trap();
  }
  if (!SameLoad(Load(reg), first) || reg.openHandles() != 0) __builtin_trap();
  return 0;
}
