// What the libraries learn about one USB device interface.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <setupapi.h>

#include <cstddef>

namespace gc::usb {

inline constexpr std::size_t kTextSize = 256;

struct DeviceInfo {
  char label[kTextSize];
  char instance[kTextSize];
  char path[kTextSize];
  char service[kTextSize];
};

enum class Gather {
  kOk,
  kNoDetail,     // the interface detail could not be read
  kPathTooLong,  // the interface path does not fit; the device is passed over
  kOutOfMemory,
};

// Fills info for one interface of the set, as the build's variant does it.
// When the first property query fails the result is kOk with all texts empty.
Gather GatherDeviceInfo(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* iface, DeviceInfo* info);

// NT family: the instance is the part of the path after the first "#"-piece
// that starts with vid/VID/Vid, up to the "#{" of the class identifier;
// empty when either is missing.
void InstanceFromInterfacePath(const char* path, char (&instance)[kTextSize]);

// 9x family: the name of the HKLM\Enum\USB\<device>\<instance> key whose
// SymbolicName names this interface path; empty when none does.
void InstanceFromRegistry(const char* path, char (&instance)[kTextSize]);
bool SymbolicNameMatches(const char* symbolicName, const char* path);

}  // namespace gc::usb
