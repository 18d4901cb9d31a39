// The profile port: reading the program's INI configuration file.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gc::os {

class ProfilePort {
 public:
  virtual ~ProfilePort() = default;
  // The key names of `section` (matched without regard to case), each ended
  // by a NUL and the list by one more: GetPrivateProfileString with a null
  // key. Returns the bytes stored before the final NUL. A list that does not
  // fit is cut and size - 2 returned. A missing file or section, or one without
  // keys, stores `defaultText` instead (cut to size - 1) and returns its length.
  virtual uint32_t ReadSectionKeys(const std::string& path, const std::string& section,
                                   const std::string& defaultText, char* buffer, uint32_t size) = 0;
  // The value of `key` in `section`, or `defaultText` when there is none.
  virtual std::string ReadString(const std::string& path, const std::string& section,
                                 const std::string& key, const std::string& defaultText) = 0;
};

// One key of an INI section, trimmed.
struct IniEntry {
  std::string key;
  std::string value;
};

// The entries of the first section named `section` (without regard to case)
// in an INI file's text, read as the Win32 profile functions read it; nullopt
// when there is no such section.
std::optional<std::vector<IniEntry>> IniSection(std::string_view text, const std::string& section);

// ReadSectionKeys and ReadString over an INI file's text, as the portable
// reader answers them for that file.
uint32_t IniSectionKeys(std::string_view text, const std::string& section,
                        const std::string& defaultText, char* buffer, uint32_t size);
std::string IniString(std::string_view text, const std::string& section, const std::string& key,
                      const std::string& defaultText);

// The platform's reader: the Win32 profile functions on Windows, the portable
// reader elsewhere.
ProfilePort& SystemProfile();
// The portable reader, which reads the files as the Win32 functions do.
ProfilePort& PortableProfile();

}  // namespace gc::os
