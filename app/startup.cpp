// TORVEN.exe's entry: one copy only, the configuration file, the resource
// library, Windows Sockets, the USB library, then the main window.
// winsock2.h before windows.h, commctrl.h after it
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <string>
#include <type_traits>

#include "app/main_window.h"
#include "app/program.h"
#include "app/startup_rules.h"
#include "app/window_ui.h"
#include "resources/messages.h"
#include "resources/resource_ids.h"

namespace gc::app {
namespace {

// The library that fits the system's version; false when the program may not run.
bool BindUsbLibrary(UsbFunctions& usb) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&version)) return false;
#pragma GCC diagnostic pop
  const UsbLibraryChoice choice =
      ChooseUsbLibrary(version.dwMajorVersion, version.dwMinorVersion, version.dwPlatformId);
  if (!choice.mayRun) return false;
  if (!choice.fileName) return true;
  usb.library = LoadLibraryA(choice.fileName);
  if (!usb.library) return false;
  auto bind = [&](auto& fn, const char* name) {
    fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(
        reinterpret_cast<void*>(GetProcAddress(usb.library, name)));
  };
  bind(usb.enumDeviceName, "nUsbEnumDeviceName");
  bind(usb.openDevice, "nUsbOpenDevice");
  bind(usb.writeUpdateDevice, "nUsbWriteUpdateDevice");
  bind(usb.cancelUpdateDevice, "nUsbCancelUpdateDevice");
  bind(usb.closeDevice, "nUsbCloseDevice");
  return true;
}

int RunProgram(HINSTANCE instance) {
  Program& p = program();
  p.instance = instance;
  p.resources = instance;
  // A library that is not a valid image must fail quietly, not raise a system box.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

  // Kept open until the process ends; when it cannot be created at all, go on.
  HANDLE mutex = CreateMutexA(nullptr, FALSE, kBootMutexName);
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) return 0;

  LoadText(instance, IDS_APP_TITLE, p.title);
  UseStringTable(instance);
  WindowUi noOwner(nullptr);

  char path[kConfigPathCapacity];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n > 0 && n < sizeof path) p.configPath = ConfigFilePath(std::string(path, n));
  // A path too long for its buffer is treated like a missing file.
  const std::string library = p.configPath.empty() || p.configPath.size() >= kConfigPathCapacity
                                  ? std::string()
                                  : ReadConfigValue("RSC", "DLL");
  if (!NamesFile(library)) {
    noOwner.ShowMessage(IDS_CONFIG_MISSING);
    return 1;
  }

  HMODULE resources = LoadLibraryA(library.c_str());
  if (!resources) {
    noOwner.ShowMessage(IDS_LIBRARY_MISSING);
    return 1;
  }
  p.resources = resources;
  UseStringTable(resources);

  WSADATA wsa;
  if (WSAStartup(MAKEWORD(1, 1), &wsa) != 0) {
    const char* text = MessageText(IDS_WINSOCK_FAILURE);
    ShowBox(nullptr, text ? text : kResourceLoadFailure, MB_OK);
    return 1;
  }

  if (!BindUsbLibrary(p.usb)) {
    LoadText(resources, IDS_APP_TITLE, p.title);
    noOwner.ShowMessage(IDS_LIBRARY_MISSING);
    return 1;
  }

  return RunMainWindow();
}

}  // namespace
}  // namespace gc::app

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  return gc::app::RunProgram(instance);
}
