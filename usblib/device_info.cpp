#include "usblib/device_info.h"

#include <cstdio>
#include <cstring>

#include "usblib/platform.h"
#include "usblib/variant.h"

namespace gc::usb {
namespace {

// Copies at most kTextSize - 1 bytes and always terminates.
void CopyText(char (&to)[kTextSize], const char* from, std::size_t length) {
  if (length > kTextSize - 1) length = kTextSize - 1;
  std::memcpy(to, from, length);
  to[length] = '\0';
}

bool QueryProperty(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD property, char (&out)[kTextSize]) {
  std::memset(out, 0, sizeof out);
  DWORD type = 0;
  DWORD required = 0;
  if (!Sys().getDeviceRegistryProperty(set, device, property, &type, reinterpret_cast<BYTE*>(out),
                                       sizeof out, &required)) {
    std::memset(out, 0, sizeof out);
    return false;
  }
  out[kTextSize - 1] = '\0';
  return true;
}

void ReportProperty(const char* format, const char* value) {
  char line[kTextSize + 80];
  std::snprintf(line, sizeof line, format, value);
  Sys().diagnostic(line);
}

char FoldCase(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWithVid(const char* piece) {
  return std::strncmp(piece, "vid", 3) == 0 || std::strncmp(piece, "VID", 3) == 0 ||
         std::strncmp(piece, "Vid", 3) == 0;
}

void ReportRegistryError(LONG code) {
  char text[kTextSize] = {};
  if (Sys().formatMessage(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                          static_cast<DWORD>(code), 0, text, sizeof text - 1, nullptr) != 0) {
    text[kTextSize - 1] = '\0';
    Sys().diagnostic(text);
  }
}

// Key names are read with a limit of 1025 characters.
constexpr DWORD kKeyNameLimit = 1025;

// Returns false when the enumeration is over (or the key is unusable).
bool NextSubkey(HKEY key, DWORD index, char (&name)[kKeyNameLimit + 1], bool* skip) {
  DWORD length = kKeyNameLimit;
  LONG rc = Sys().regEnumKeyEx(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
  name[kKeyNameLimit] = '\0';
  *skip = rc == ERROR_MORE_DATA;
  return rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA;
}

// Looks through the instance keys of one device key; true on the first match.
bool SearchDeviceKey(HKEY device, const char* path, char (&instance)[kTextSize]) {
  const Platform& sys = Sys();
  char name[kKeyNameLimit + 1];
  bool skip = false;
  for (DWORD i = 0; NextSubkey(device, i, name, &skip); ++i) {
    if (skip) continue;
    HKEY key = nullptr;
    if (sys.regOpenKeyEx(device, name, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    char value[kTextSize + 1] = {};
    DWORD type = 0;
    DWORD size = kTextSize;
    LONG rc = sys.regQueryValueEx(key, "SymbolicName", nullptr, &type,
                                  reinterpret_cast<BYTE*>(value), &size);
    sys.regCloseKey(key);
    if (rc != ERROR_SUCCESS) {
      ReportRegistryError(rc);
      continue;
    }
    value[kTextSize] = '\0';
    if (SymbolicNameMatches(value, path)) {
      CopyText(instance, name, std::strlen(name));
      return true;
    }
  }
  return false;
}

}  // namespace

void InstanceFromInterfacePath(const char* path, char (&instance)[kTextSize]) {
  instance[0] = '\0';
  const char* piece = path;
  for (;;) {
    const char* end = std::strchr(piece, '#');
    if (StartsWithVid(piece)) {
      if (!end) return;  // the vid piece ends the path
      const char* rest = end + 1;
      const char* classId = std::strstr(rest, "#{");
      if (classId) CopyText(instance, rest, static_cast<std::size_t>(classId - rest));
      return;
    }
    if (!end) return;
    piece = end + 1;
  }
}

bool SymbolicNameMatches(const char* symbolicName, const char* path) {
  // The value's text from its 13th character against the path from its 5th,
  // over the former's length less 4. Too short a value would compare nothing
  // and match every path, so it matches none.
  std::size_t valueLength = std::strlen(symbolicName);
  if (valueLength <= 12 + 4 || std::strlen(path) < 4) return false;
  std::size_t count = valueLength - 12 - 4;
  const char* a = symbolicName + 12;
  const char* b = path + 4;
  for (std::size_t i = 0; i < count; ++i) {
    if (b[i] == '\0' || FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

void InstanceFromRegistry(const char* path, char (&instance)[kTextSize]) {
  instance[0] = '\0';
  const Platform& sys = Sys();
  HKEY usb = nullptr;
  if (sys.regOpenKeyEx(HKEY_LOCAL_MACHINE, "Enum\\USB", 0, KEY_READ, &usb) != ERROR_SUCCESS) return;
  char name[kKeyNameLimit + 1];
  bool skip = false;
  for (DWORD d = 0; NextSubkey(usb, d, name, &skip); ++d) {
    if (skip) continue;
    HKEY device = nullptr;
    if (sys.regOpenKeyEx(usb, name, 0, KEY_READ, &device) != ERROR_SUCCESS) continue;
    bool found = SearchDeviceKey(device, path, instance);
    sys.regCloseKey(device);
    if (found) break;
  }
  sys.regCloseKey(usb);
}

Gather GatherDeviceInfo(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* iface, DeviceInfo* info) {
  std::memset(info, 0, sizeof *info);
  const Platform& sys = Sys();
  constexpr DWORD kPathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);

  DWORD required = 0;
  sys.getDeviceInterfaceDetail(set, iface, nullptr, 0, &required, nullptr);
  if (required <= kPathOffset) return Gather::kNoDetail;
  DWORD allocated = required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)
                        ? sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)
                        : required;
  auto* detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(sys.localAlloc(LPTR, allocated));
  if (!detail) return Gather::kOutOfMemory;
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  if (!sys.getDeviceInterfaceDetail(set, iface, detail, required, nullptr, &device)) {
    sys.localFree(detail);
    return Gather::kNoDetail;
  }
  std::size_t limit = required - kPathOffset;
  const void* nul = std::memchr(detail->DevicePath, '\0', limit);
  std::size_t pathLength = nul ? static_cast<const char*>(nul) - detail->DevicePath : limit;
  if (pathLength >= kTextSize) {
    sys.localFree(detail);
    return Gather::kPathTooLong;
  }

  char property[kTextSize];
  constexpr DWORD kLabelProperty = kVariant98 ? SPDRP_DEVICEDESC : SPDRP_LOCATION_INFORMATION;
  if (QueryProperty(set, &device, kLabelProperty, property)) {
    ReportProperty("SetupDiGetDeviceRegistryProperty(SPDRP_LOCATION_INFORMATION) %s\n", property);
    CopyText(info->path, detail->DevicePath, pathLength);
    if constexpr (kVariant98) {
      // The description without its first four characters.
      std::size_t length = std::strlen(property);
      if (length > 4) CopyText(info->label, property + 4, length - 4);
      CopyText(info->service, "usbprint", 8);
      InstanceFromRegistry(info->path, info->instance);
    } else {
      CopyText(info->label, property, std::strlen(property));
      if (QueryProperty(set, &device, SPDRP_SERVICE, info->service)) {
        ReportProperty("SetupDiGetDeviceRegistryProperty(SPDRP_SERVICE) %s\n", info->service);
      }
      InstanceFromInterfacePath(info->path, info->instance);
    }
  }
  sys.localFree(detail);
  return Gather::kOk;
}

}  // namespace gc::usb
