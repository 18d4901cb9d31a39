#include "items/registry_settings.h"

#include <cstdio>
#include <cstring>

#include "items/download_item.h"
#include "os/sockets.h"
#include "resources/messages.h"

namespace gc {

namespace {

constexpr char kMakerKey[] = "SOFTWARE\\Marrowick\\";
constexpr char kProductKey[] = "Glyphcast";
constexpr char kIpKey[] = "IP_ADDRESS";
constexpr char kNameKey[] = "PRINTER_NAME";
constexpr char kIdKey[] = "DOWNLOAD_ID";
constexpr size_t kIpCapacity = 16, kNameCapacity = 129;

std::string Numbered(const char* prefix, int n) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%d", prefix, n);
  return text;
}

}  // namespace

bool RegistrySettings::Create(os::RegKey parent, const char* name, os::RegKey* key,
                              int* disposition) {
  int d = 0;
  if (reg_.CreateKey(parent, name, key, &d) != os::kRegOk) return false;
  if (disposition) *disposition = d;
  return true;
}

int RegistrySettings::OpenSettingsKeys(int mode) {
  int d[4] = {};
  if (mode == 1 || mode == 2 || mode == 4) {
    if (!Create(os::kCurrentUser, kMakerKey, &maker_, nullptr)) return -1;
    if (!Create(maker_, kProductKey, &product_, &d[0])) return -1;
  }
  if (mode == 1 || mode == 3) {
    if (!Create(product_, kIpKey, &ipKey_, &d[1])) return -1;
    if (!Create(product_, kNameKey, &nameKey_, &d[2])) return -1;
  }
  if (mode == 1 || mode == 4) {
    if (!Create(product_, kIdKey, &idKey_, &d[3])) return -1;
  }
  if (mode == 1 && !(d[0] == d[1] && d[1] == d[2] && d[2] == d[3])) return -3;
  if (mode == 4 && d[3] == os::kRegCreatedNewKey) {
    // Only the load may create DOWNLOAD_ID.
    reg_.CloseKey(idKey_);
    idKey_ = os::kNoKey;
    reg_.DeleteKey(product_, kIdKey);
    return -1;
  }
  return 0;
}

int RegistrySettings::CloseSettingsKeys() {
  int result = 0;
  for (os::RegKey* key : {&idKey_, &nameKey_, &ipKey_, &product_, &maker_}) {
    if (*key != os::kNoKey && reg_.CloseKey(*key) != os::kRegOk) result = -1;
    *key = os::kNoKey;
  }
  return result;
}

long RegistrySettings::ReadString(os::RegKey key, const std::string& name, size_t capacity,
                                  std::string* text) {
  char buffer[kNameCapacity] = {};
  uint32_t size = static_cast<uint32_t>(capacity);
  int type = 0;
  long rc = reg_.QueryValue(key, name, &type, buffer, &size);
  if (rc != os::kRegOk) return rc;
  if (type != os::kRegSz) return -1;
  *text = std::string(buffer, strnlen(buffer, size));
  return os::kRegOk;
}

int RegistrySettings::LoadValues(NetworkPrinterList& printers, ItemState& ids) {
  int n = 1;
  for (;; ++n) {
    std::string ip, name;
    long rc = ReadString(ipKey_, Numbered("IP", n), kIpCapacity, &ip);
    if (rc == -1) return -3;
    if (rc != os::kRegOk) {
      // The end of the list: an oversized value, or a name without an address, is damage.
      if (rc == os::kRegMoreData) return -3;
      std::string orphan;
      if (ReadString(nameKey_, Numbered("NAME", n), kNameCapacity, &orphan) != os::kRegNotFound)
        return -3;
      break;
    }
    if (ip.empty() || !os::IsCanonicalIpv4(ip)) return -3;
    if (ReadString(nameKey_, Numbered("NAME", n), kNameCapacity, &name) != os::kRegOk ||
        name.empty())
      return -3;
    if (!AppendNetworkPrinter(printers, name, ip)) {
      ui_.ShowMessage(kMsgNoMemory);
      return -4;
    }
  }
  for (auto [value, target] : {std::pair{"FONT", &ids.lastFontId}, {"MACRO", &ids.lastMacroId}}) {
    uint32_t number = 0, size = 4;
    int type = 0;
    long rc = reg_.QueryValue(idKey_, value, &type, &number, &size);
    if (rc == os::kRegNotFound) continue;
    if (rc != os::kRegOk || type != os::kRegDword || size != 4 || number > kMaxControlId) return -3;
    *target = static_cast<int>(number);
  }
  return 0;
}

int RegistrySettings::LoadRegistrySettings(NetworkPrinterList& printers, ItemState& ids) {
  FreeNetworkPrinters(printers);
  CloseSettingsKeys();
  ids.lastFontId = ids.lastMacroId = -1;
  for (int id : {kMsgNetPrefix, kMsgParallelPort, kMsgUsbPrefix}) {
    if (!MessageText(id)) {
      ui_.ShowText(kResourceLoadFailure, os::Buttons::Ok);
      return 0;
    }
  }

  os::RegKey machineMaker, machineProduct;
  if (reg_.OpenKey(os::kLocalMachine, kMakerKey, false, &machineMaker) != os::kRegOk) return -2;
  long rc = reg_.OpenKey(machineMaker, kProductKey, false, &machineProduct);
  reg_.CloseKey(machineMaker);
  if (rc != os::kRegOk) return -2;
  reg_.CloseKey(machineProduct);

  int result = OpenSettingsKeys(1);
  if (result == 0) result = LoadValues(printers, ids);
  if (CloseSettingsKeys() != 0) result = -1;

  if (result == -3) {
    // A rejected value must not seed IDs either.
    ids.lastFontId = ids.lastMacroId = -1;
    if (OpenSettingsKeys(2) != 0 || !DeleteSubKeys({kIpKey, kNameKey, kIdKey})) result = -1;
    if (CloseSettingsKeys() != 0) result = -1;
    if (result == -3 && OpenSettingsKeys(1) == -1) result = -1;
    if (CloseSettingsKeys() != 0) result = -1;
    if (result == -3) {
      ui_.ShowMessage(kMsgRegistryReset);
      FreeNetworkPrinters(printers);
      return -3;
    }
  }
  if (result == -1) ui_.ShowMessage(kMsgRegistryBroken);
  if (result != 0) FreeNetworkPrinters(printers);
  return result;
}

bool RegistrySettings::DeleteSubKeys(std::initializer_list<const char*> names) {
  bool ok = true;
  for (const char* name : names) {
    long rc = reg_.DeleteKey(product_, name);
    if (rc != os::kRegOk && rc != os::kRegNotFound) ok = false;
  }
  return ok;
}

void RegistrySettings::SaveNetworkPrinters(const NetworkPrinterList& printers) {
  if (registryEnabled != 1) return;
  bool ok =
      OpenSettingsKeys(2) == 0 && DeleteSubKeys({kIpKey, kNameKey}) && OpenSettingsKeys(3) == 0;
  int n = 0;
  for (const NetworkPrinter* p = printers.head(); ok && p; p = p->next) {
    ++n;
    ok = reg_.SetValue(ipKey_, Numbered("IP", n), os::kRegSz, p->ipAddress.c_str(),
                       static_cast<uint32_t>(p->ipAddress.size() + 1)) == os::kRegOk &&
         reg_.SetValue(nameKey_, Numbered("NAME", n), os::kRegSz, p->printerName.c_str(),
                       static_cast<uint32_t>(p->printerName.size() + 1)) == os::kRegOk;
  }
  if (CloseSettingsKeys() != 0) ok = false;
  if (!ok) ui_.ShowMessage(kMsgRegistryBroken);
}

int RegistrySettings::StoreLastId(int value, const char* name) {
  if (registryEnabled != 1) return 0;
  bool ok = OpenSettingsKeys(4) == 0;
  if (ok) {
    uint32_t number = static_cast<uint32_t>(value);
    ok = reg_.SetValue(idKey_, name, os::kRegDword, &number, 4) == os::kRegOk;
  }
  if (CloseSettingsKeys() != 0) ok = false;
  if (!ok) ui_.ShowMessage(kMsgRegistryBroken);
  return ok ? 0 : 1;
}

}  // namespace gc
