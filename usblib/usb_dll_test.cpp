// The built DLLs as a client sees them: bound by name, on the real platform.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "usblib/usb_api.h"

namespace {

struct Export {
  const char* name;
  int argumentBytes;  // of the stdcall decoration on i686
};

constexpr Export kExports[] = {
    {"nUsbEnumDeviceName", 20},    {"nUsbOpenDevice", 12},
    {"bUsbStartUpdateDevice", 8},  {"nUsbWriteUpdateDevice", 16},
    {"bUsbEndUpdateDevice", 0},    {"nUsbCloseDevice", 4},
    {"nUsbCancelUpdateDevice", 4}, {"bUsbGetDeviceIDFromDevice", 12},
};

// The names in the module's export directory.
std::set<std::string> ExportedNames(HMODULE module) {
  auto* base = reinterpret_cast<const BYTE*>(module);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  std::set<std::string> names;
  if (dir.VirtualAddress == 0) return names;
  auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto* rvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    names.insert(reinterpret_cast<const char*>(base + rvas[i]));
  }
  return names;
}

class UsbDll : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    module = LoadLibraryA(GetParam());
    ASSERT_NE(module, nullptr) << GetParam() << " error " << GetLastError();
  }
  void TearDown() override {
    if (module) FreeLibrary(module);
  }
  template <typename F>
  F Bind(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
  HMODULE module = nullptr;
};

TEST_P(UsbDll, ExportsExactlyTheEightUndecoratedNames) {
  std::set<std::string> expected;
  for (const Export& e : kExports) {
    expected.insert(e.name);
    EXPECT_NE(GetProcAddress(module, e.name), nullptr) << e.name;
    std::string decorated = std::string(e.name) + "@" + std::to_string(e.argumentBytes);
    EXPECT_EQ(GetProcAddress(module, decorated.c_str()), nullptr) << decorated;
    EXPECT_EQ(GetProcAddress(module, ("_" + decorated).c_str()), nullptr) << decorated;
  }
  EXPECT_EQ(ExportedNames(module), expected);
}

TEST_P(UsbDll, WithoutUsbDevicesNothingIsFoundOrOpened) {
  auto enumerate = Bind<UsbEnumDeviceNameFn>("nUsbEnumDeviceName");
  auto open = Bind<UsbOpenDeviceFn>("nUsbOpenDevice");
  auto close = Bind<UsbCloseDeviceFn>("nUsbCloseDevice");
  auto cancel = Bind<UsbCancelUpdateDeviceFn>("nUsbCancelUpdateDevice");
  auto end = Bind<UsbEndUpdateDeviceFn>("bUsbEndUpdateDevice");
  ASSERT_TRUE(enumerate && open && close && cancel && end);

  for (int printersOnly : {0, 1}) {
    UsbDeviceName* list = reinterpret_cast<UsbDeviceName*>(1);
    int count = -1;
    EXPECT_EQ(enumerate(0, printersOnly, 0, &list, &count), kUsbOk);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(count, 0);
  }
  UsbDeviceName* list = nullptr;
  int count = 0;
  EXPECT_EQ(enumerate(3, 0, 0, &list, &count), kUsbBadArgument);

  for (auto [label, instance] : {std::pair{"Port_#0001.Hub_#0001", "SER001"}, std::pair{"", ""}}) {
    UsbDeviceName name{const_cast<char*>(label), const_cast<char*>(instance), nullptr};
    UsbDeviceHandle* handle = nullptr;
    EXPECT_EQ(open(0, &name, &handle), kUsbIoFailure) << label;
    EXPECT_EQ(handle, nullptr);
  }
  EXPECT_EQ(close(nullptr), kUsbBadArgument);
  EXPECT_EQ(cancel(nullptr), kUsbBadArgument);
  EXPECT_TRUE(end());
}

INSTANTIATE_TEST_SUITE_P(Variants, UsbDll, ::testing::Values("TORVEN_2k.dll", "TORVEN_98.dll"));

}  // namespace
