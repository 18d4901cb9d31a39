#include "os/profile.h"

#include <windows.h>

#include <vector>

namespace gc::os {

namespace {

class WinProfile final : public ProfilePort {
 public:
  uint32_t ReadSectionKeys(const std::string& path, const std::string& section,
                           const std::string& defaultText, char* buffer, uint32_t size) override {
    return GetPrivateProfileStringA(section.c_str(), nullptr, defaultText.c_str(), buffer, size,
                                    path.c_str());
  }

  std::string ReadString(const std::string& path, const std::string& section,
                         const std::string& key, const std::string& defaultText) override {
    // Grown until the value is shorter than the buffer minus its NUL.
    std::vector<char> buffer(256);
    for (;;) {
      DWORD n =
          GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText.c_str(), buffer.data(),
                                   static_cast<DWORD>(buffer.size()), path.c_str());
      if (n + 1 < buffer.size()) return std::string(buffer.data(), n);
      buffer.resize(buffer.size() * 2);
    }
  }
};

}  // namespace

ProfilePort& SystemProfile() {
  static WinProfile profile;
  return profile;
}

}  // namespace gc::os
