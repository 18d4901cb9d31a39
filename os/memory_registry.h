// A registry in memory that behaves like the real one for what the settings
// use: dispositions, value types, a value longer than the buffer, missing keys,
// and failing closes on demand. For tests, and for platforms without a registry.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "os/registry.h"

namespace gc::os {

class MemoryRegistry : public RegistryPort {
 public:
  struct Value {
    int type;
    std::string bytes;
  };

  long OpenKey(RegKey parent, const std::string& subKey, bool write, RegKey* key) override;
  long CreateKey(RegKey parent, const std::string& subKey, RegKey* key, int* disposition) override;
  long CloseKey(RegKey key) override;
  long DeleteKey(RegKey parent, const std::string& subKey) override;
  long QueryValue(RegKey key, const std::string& name, int* type, void* data,
                  uint32_t* size) override;
  long SetValue(RegKey key, const std::string& name, int type, const void* data,
                uint32_t size) override;

  // Test helpers: paths like "HKCU\\SOFTWARE\\Marrowick\\Glyphcast\\IP_ADDRESS".
  void AddKey(const std::string& path);
  void SetString(const std::string& path, const std::string& name, const std::string& text);
  void SetDword(const std::string& path, const std::string& name, uint32_t value);
  bool HasKey(const std::string& path) const;
  std::map<std::string, Value> Values(const std::string& path) const;
  int openHandles() const { return static_cast<int>(handles_.size()); }

  int failClosesAfter = -1;               // the n-th close from now on fails (0: the next one)
  std::vector<std::string> refuseCreate;  // paths whose creation fails

 private:
  std::string PathOf(RegKey parent, const std::string& subKey) const;
  static std::string Fold(const std::string& path);
  std::map<std::string, std::map<std::string, Value>> keys_;  // folded path -> values
  std::map<RegKey, std::string> handles_;
  RegKey next_ = 0x1000;
};

}  // namespace gc::os
