#include "usblib/platform.h"

#include <cstdio>

namespace gc::usb {
namespace {

void WriteDiagnostic(const char* text) {
  std::fputs(text, stdout);
  std::fflush(stdout);
}

const Platform kReal = {
    SetupDiGetClassDevsA,
    SetupDiEnumDeviceInterfaces,
    SetupDiGetDeviceInterfaceDetailA,
    SetupDiGetDeviceRegistryPropertyA,
    SetupDiDestroyDeviceInfoList,
    CreateFileA,
    WriteFile,
    DeviceIoControl,
    GetOverlappedResult,
    CancelIo,
    CreateEventA,
    SetEvent,
    WaitForSingleObject,
    CloseHandle,
    GetLastError,
    LocalAlloc,
    LocalFree,
    RegOpenKeyExA,
    RegEnumKeyExA,
    RegQueryValueExA,
    RegCloseKey,
    FormatMessageA,
    WriteDiagnostic,
};

const Platform* current = &kReal;

}  // namespace

const Platform& Sys() {
  return *current;
}
const Platform& RealPlatform() {
  return kReal;
}
void SetPlatform(const Platform* platform) {
  current = platform ? platform : &kReal;
}

}  // namespace gc::usb
