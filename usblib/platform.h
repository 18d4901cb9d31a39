// Every system call the USB libraries make goes through this table, so that a
// test can stand in for a USB printer: its device list, properties, pipe and
// request answers.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <setupapi.h>

namespace gc::usb {

struct Platform {
  // SetupAPI
  HDEVINFO(WINAPI* getClassDevs)(const GUID*, PCSTR, HWND, DWORD);
  BOOL(WINAPI* enumDeviceInterfaces)
  (HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD, PSP_DEVICE_INTERFACE_DATA);
  BOOL(WINAPI* getDeviceInterfaceDetail)
  (HDEVINFO, PSP_DEVICE_INTERFACE_DATA, PSP_DEVICE_INTERFACE_DETAIL_DATA_A, DWORD, PDWORD,
   PSP_DEVINFO_DATA);
  BOOL(WINAPI* getDeviceRegistryProperty)
  (HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD, PBYTE, DWORD, PDWORD);
  BOOL(WINAPI* destroyDeviceInfoList)(HDEVINFO);
  // Pipe, requests and events
  HANDLE(WINAPI* createFile)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
  BOOL(WINAPI* writeFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
  BOOL(WINAPI* deviceIoControl)(HANDLE, DWORD, LPVOID, DWORD, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
  BOOL(WINAPI* getOverlappedResult)(HANDLE, LPOVERLAPPED, LPDWORD, BOOL);
  BOOL(WINAPI* cancelIo)(HANDLE);
  HANDLE(WINAPI* createEvent)(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCSTR);
  BOOL(WINAPI* setEvent)(HANDLE);
  DWORD(WINAPI* waitForSingleObject)(HANDLE, DWORD);
  BOOL(WINAPI* closeHandle)(HANDLE);
  DWORD(WINAPI* getLastError)(void);
  // Memory handed to callers must be local memory.
  HLOCAL(WINAPI* localAlloc)(UINT, SIZE_T);
  HLOCAL(WINAPI* localFree)(HLOCAL);
  // Registry and system messages (the 9x registry walk)
  LONG(WINAPI* regOpenKeyEx)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
  LONG(WINAPI* regEnumKeyEx)(HKEY, DWORD, LPSTR, LPDWORD, LPDWORD, LPSTR, LPDWORD, PFILETIME);
  LONG(WINAPI* regQueryValueEx)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
  LONG(WINAPI* regCloseKey)(HKEY);
  DWORD(WINAPI* formatMessage)(DWORD, LPCVOID, DWORD, DWORD, LPSTR, DWORD, va_list*);
  // One diagnostic line for the standard output.
  void (*diagnostic)(const char* text);
};

// The table in use: the real functions unless a test swapped it.
const Platform& Sys();
const Platform& RealPlatform();
// Tests only (not exported from the DLLs); null restores the real table.
void SetPlatform(const Platform* platform);

}  // namespace gc::usb
