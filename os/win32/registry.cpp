#include "os/registry.h"

#include <windows.h>

namespace gc::os {

namespace {

HKEY H(RegKey key) {
  return reinterpret_cast<HKEY>(key);
}

class WinRegistry final : public RegistryPort {
 public:
  long OpenKey(RegKey parent, const std::string& subKey, bool write, RegKey* key) override {
    HKEY h = nullptr;
    long rc =
        RegOpenKeyExA(H(parent), subKey.c_str(), 0, write ? KEY_READ | KEY_WRITE : KEY_READ, &h);
    *key = rc == ERROR_SUCCESS ? reinterpret_cast<RegKey>(h) : kNoKey;
    return rc;
  }
  long CreateKey(RegKey parent, const std::string& subKey, RegKey* key, int* disposition) override {
    HKEY h = nullptr;
    DWORD d = 0;
    long rc = RegCreateKeyExA(H(parent), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_READ | KEY_WRITE, nullptr, &h, &d);
    *key = rc == ERROR_SUCCESS ? reinterpret_cast<RegKey>(h) : kNoKey;
    *disposition = static_cast<int>(d);
    return rc;
  }
  long CloseKey(RegKey key) override { return RegCloseKey(H(key)); }
  long DeleteKey(RegKey parent, const std::string& subKey) override {
    return RegDeleteKeyA(H(parent), subKey.c_str());
  }
  long QueryValue(RegKey key, const std::string& name, int* type, void* data,
                  uint32_t* size) override {
    DWORD t = 0, n = *size;
    long rc = RegQueryValueExA(H(key), name.c_str(), nullptr, &t, static_cast<BYTE*>(data), &n);
    *type = static_cast<int>(t);
    *size = n;
    return rc;
  }
  long SetValue(RegKey key, const std::string& name, int type, const void* data,
                uint32_t size) override {
    return RegSetValueExA(H(key), name.c_str(), 0, static_cast<DWORD>(type),
                          static_cast<const BYTE*>(data), size);
  }
};

}  // namespace

RegistryPort* SystemRegistry() {
  static WinRegistry registry;
  return &registry;
}

}  // namespace gc::os
