#include "app/startup_rules.h"

namespace gc::app {

namespace {
constexpr unsigned kPlatformNt = 2;  // VER_PLATFORM_WIN32_NT
}

std::string ConfigFilePath(const std::string& programPath) {
  const size_t dot = programPath.rfind('.');
  const size_t separator = programPath.find_last_of("\\/");
  const bool hasExtension =
      dot != std::string::npos && (separator == std::string::npos || dot > separator);
  return (hasExtension ? programPath.substr(0, dot) : programPath) + "00.ini";
}

bool NamesFile(const std::string& value) {
  return !value.empty() && value != kAbsent;
}

UsbLibraryChoice ChooseUsbLibrary(unsigned major, unsigned minor, unsigned platformId) {
  if (major == 5) return {true, "TORVEN_2k.dll"};
  if (major == 4 && minor != 0) return {true, "TORVEN_98.dll"};
  if (major == 4) return {platformId == kPlatformNt, nullptr};
  return {false, nullptr};
}

}  // namespace gc::app
