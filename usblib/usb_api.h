// The flat interface of TORVEN_2k.dll and TORVEN_98.dll. Clients bind these
// by name with GetProcAddress; every export is stdcall and undecorated.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Codes of the n functions.
enum { kUsbOk = 0, kUsbCancelled = 2, kUsbBadArgument = 3, kUsbIoFailure = 4, kUsbOutOfMemory = 5 };

// One enumeration entry; texts and the list come from LocalAlloc and are the
// caller's to LocalFree.
typedef struct UsbDeviceName {
  char* label;
  char* instance;
  void* reserved;  // always null
} UsbDeviceName;

typedef struct UsbDeviceHandle UsbDeviceHandle;  // opaque to callers

int WINAPI nUsbEnumDeviceName(int scope, int printersOnly, int reserved, UsbDeviceName** list,
                              int* count);
int WINAPI nUsbOpenDevice(int scope, const UsbDeviceName* name, UsbDeviceHandle** handle);
BOOL WINAPI bUsbStartUpdateDevice(UsbDeviceHandle* handle, DWORD* byteCount);
int WINAPI nUsbWriteUpdateDevice(UsbDeviceHandle* handle, const void* data, DWORD length,
                                 DWORD* written);
BOOL WINAPI bUsbEndUpdateDevice(void);
int WINAPI nUsbCloseDevice(UsbDeviceHandle* handle);
int WINAPI nUsbCancelUpdateDevice(UsbDeviceHandle* handle);
BOOL WINAPI bUsbGetDeviceIDFromDevice(UsbDeviceHandle* handle, void* buffer, int bufferSize);

typedef int(WINAPI* UsbEnumDeviceNameFn)(int, int, int, UsbDeviceName**, int*);
typedef int(WINAPI* UsbOpenDeviceFn)(int, const UsbDeviceName*, UsbDeviceHandle**);
typedef BOOL(WINAPI* UsbStartUpdateDeviceFn)(UsbDeviceHandle*, DWORD*);
typedef int(WINAPI* UsbWriteUpdateDeviceFn)(UsbDeviceHandle*, const void*, DWORD, DWORD*);
typedef BOOL(WINAPI* UsbEndUpdateDeviceFn)(void);
typedef int(WINAPI* UsbCloseDeviceFn)(UsbDeviceHandle*);
typedef int(WINAPI* UsbCancelUpdateDeviceFn)(UsbDeviceHandle*);
typedef BOOL(WINAPI* UsbGetDeviceIDFromDeviceFn)(UsbDeviceHandle*, void*, int);

#ifdef __cplusplus
}
#endif
