// Start-up decisions that do not need Windows: where the configuration file
// is, whether it names a resource library, which USB library fits the system.
#pragma once
#include <cstddef>
#include <string>

namespace gc::app {

inline constexpr char kBootMutexName[] = "__KORV_BANTOQ_BOOT_MUTEX__";
// Configuration values are read with this default; it means "absent".
inline constexpr char kAbsent[] = "NG";
inline constexpr size_t kConfigPathCapacity = 520;
inline constexpr size_t kConfigValueCapacity = 260;

// The program's path without its extension, followed by "00.ini". Only a dot
// in the last path component starts an extension.
std::string ConfigFilePath(const std::string& programPath);

// A configuration value that names a file: not empty and not "NG".
bool NamesFile(const std::string& value);

struct UsbLibraryChoice {
  bool mayRun = false;
  const char* fileName = nullptr;  // null: no library to load
};

// By the system version: 5.x binds TORVEN_2k, 4.x (x not 0) TORVEN_98; 4.0
// runs without a library on the NT platform only; anything else refuses.
UsbLibraryChoice ChooseUsbLibrary(unsigned major, unsigned minor, unsigned platformId);

}  // namespace gc::app
