// The registry port: what the settings need of the Windows registry. Results
// are Win32 error numbers (0 success, 2 missing, 234 value longer than the buffer).
#pragma once
#include <cstdint>
#include <string>

namespace gc::os {

using RegKey = uintptr_t;
inline constexpr RegKey kNoKey = 0;
inline constexpr RegKey kLocalMachine = 0x80000002u;  // the predefined roots
inline constexpr RegKey kCurrentUser = 0x80000001u;

enum : long { kRegOk = 0, kRegNotFound = 2, kRegMoreData = 234 };
enum : int { kRegCreatedNewKey = 1, kRegOpenedExistingKey = 2 };
enum : int { kRegSz = 1, kRegDword = 4 };

class RegistryPort {
 public:
  virtual ~RegistryPort() = default;
  virtual long OpenKey(RegKey parent, const std::string& subKey, bool write, RegKey* key) = 0;
  // Read and write access, non-volatile, no class.
  virtual long CreateKey(RegKey parent, const std::string& subKey, RegKey* key,
                         int* disposition) = 0;
  virtual long CloseKey(RegKey key) = 0;
  virtual long DeleteKey(RegKey parent, const std::string& subKey) = 0;
  // `size` is the buffer's size in, the value's size out.
  virtual long QueryValue(RegKey key, const std::string& name, int* type, void* data,
                          uint32_t* size) = 0;
  virtual long SetValue(RegKey key, const std::string& name, int type, const void* data,
                        uint32_t size) = 0;
};

// The platform's registry (advapi32); nullptr where there is none.
RegistryPort* SystemRegistry();

}  // namespace gc::os
