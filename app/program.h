// Program-wide state of TORVEN.exe, written during start-up and read after:
// the application title, the configuration file, the resource library and the
// USB function table.
#pragma once
#include <windows.h>

#include <string>

#include "usblib/usb_api.h"

namespace gc::app {

// Bound by name at start-up and never released; nothing calls through it yet.
struct UsbFunctions {
  HMODULE library = nullptr;
  UsbEnumDeviceNameFn enumDeviceName = nullptr;
  UsbOpenDeviceFn openDevice = nullptr;
  UsbWriteUpdateDeviceFn writeUpdateDevice = nullptr;
  UsbCancelUpdateDeviceFn cancelUpdateDevice = nullptr;
  UsbCloseDeviceFn closeDevice = nullptr;
};

struct Program {
  HINSTANCE instance = nullptr;
  HMODULE resources = nullptr;  // the resource library once loaded, else the program itself
  std::wstring title;           // caption of every message box
  std::string configPath;       // the configuration file beside the program
  UsbFunctions usb;
};

Program& program();

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

// String `id` of `module`; false when the table has no such string.
bool LoadText(HMODULE module, int id, std::wstring& text);

// Makes the string table of `module` the source of MessageText.
void UseStringTable(HMODULE module);

// A configuration value (default "NG", at most 259 characters).
std::string ReadConfigValue(const char* section, const char* key);

}  // namespace gc::app
