// Program-wide state of TORVEN.exe, written during start-up and read after:
// the application title, the configuration file, the resource library and the
// USB function table.
#pragma once
#include <windows.h>

#include <string>

#include "io/progress_watch.h"
#include "items/download_item.h"
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
  // The one progress record of the program's jobs: the worker writes it,
  // the progress dialog watches it.
  ProgressWatch progress;
  // The item commands' values: the last font and macro IDs, the last item
  // folder, what the last recognition and the last font download found.
  ItemState items;
  HINSTANCE instance = nullptr;
  HMODULE resources = nullptr;  // the resource library once loaded, else the program itself
  std::string title;            // caption of every message box (UTF-8)
  std::string configPath;       // the configuration file beside the program
  UsbFunctions usb;
};

Program& program();

// Texts are UTF-8 inside the program. The windows take them in the system
// code page (the ANSI calls, which every system has); message boxes take
// UTF-16, which Windows 98 and Me show natively too.
std::wstring Widen(const std::string& utf8);
// Characters the code page lacks become its default character.
std::string AnsiFromUtf8(const std::string& utf8);
std::string Utf8FromAnsi(const std::string& ansi);

// String `id` of `module` as UTF-8, read from the string table itself so that
// no code page stands between; false when the table has no such string.
bool LoadText(HMODULE module, int id, std::string& text);

// Makes the string table of `module` the source of MessageText.
void UseStringTable(HMODULE module);

// A configuration value (default "NG", at most 259 characters).
std::string ReadConfigValue(const char* section, const char* key);

}  // namespace gc::app
