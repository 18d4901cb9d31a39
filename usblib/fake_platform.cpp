#include "usblib/fake_platform.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace gc::usb::test {
namespace {

FakeUsb* fake = nullptr;

const HDEVINFO kFakeSet = reinterpret_cast<HDEVINFO>(static_cast<INT_PTR>(0x5E70));
constexpr ULONG_PTR kStatusPending = 0x103;
constexpr ULONG_PTR kStatusCancelled = 0xC0000120;
constexpr ULONG_PTR kStatusDeviceError = 0xC000009C;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

const FakeDevice* DeviceAt(ULONG_PTR reserved) {
  if (reserved == 0 || reserved > fake->devices.size()) return nullptr;
  return &fake->devices[reserved - 1];
}

HDEVINFO WINAPI GetClassDevs(const GUID* guid, PCSTR, HWND, DWORD flags) {
  ++fake->setsOpened;
  fake->classGuid = guid;
  fake->classFlags = flags;
  return kFakeSet;
}

BOOL WINAPI EnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA, const GUID*, DWORD index,
                                 PSP_DEVICE_INTERFACE_DATA iface) {
  if (set != kFakeSet || iface->cbSize != sizeof *iface) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (index >= fake->devices.size()) {
    SetLastError(ERROR_NO_MORE_ITEMS);
    return FALSE;
  }
  if (fake->devices[index].enumFails) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  iface->Reserved = index + 1;
  return TRUE;
}

BOOL WINAPI GetInterfaceDetail(HDEVINFO, PSP_DEVICE_INTERFACE_DATA iface,
                               PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD size,
                               PDWORD required, PSP_DEVINFO_DATA device) {
  const FakeDevice* d = DeviceAt(iface->Reserved);
  if (!d) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD need = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) +
                                  d->path.size() + 1);
  if (required) *required = need;
  if (!detail || size < need) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  // As the system does: cbSize must be the fixed part's size.
  if (d->detailFails || detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) ||
      (device && device->cbSize != sizeof *device)) {
    SetLastError(ERROR_INVALID_USER_BUFFER);
    return FALSE;
  }
  std::memcpy(detail->DevicePath, d->path.c_str(), d->path.size() + 1);
  if (device) device->Reserved = iface->Reserved;
  return TRUE;
}

BOOL WINAPI GetRegistryProperty(HDEVINFO, PSP_DEVINFO_DATA device, DWORD property, PDWORD type,
                                PBYTE buffer, DWORD size, PDWORD required) {
  fake->propertiesQueried.push_back(property);
  const FakeDevice* d = DeviceAt(device->Reserved);
  if (!d || d->propertiesFail) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  const std::string* value = property == SPDRP_LOCATION_INFORMATION ? &d->location
                             : property == SPDRP_DEVICEDESC         ? &d->description
                             : property == SPDRP_SERVICE            ? &d->service
                                                                    : nullptr;
  if (!value) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  DWORD need = static_cast<DWORD>(value->size() + 1);
  if (required) *required = need;
  if (size < need) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (type) *type = REG_SZ;
  std::memcpy(buffer, value->c_str(), need);
  return TRUE;
}

BOOL WINAPI DestroyDeviceInfoList(HDEVINFO set) {
  if (set == kFakeSet) ++fake->setsDestroyed;
  return TRUE;
}

HANDLE WINAPI FakeCreateFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                             DWORD disposition, DWORD flags, HANDLE) {
  fake->opens.push_back(path);
  fake->openAccess = access;
  fake->openShare = share;
  fake->openDisposition = disposition;
  fake->openFlags = flags;
  if (fake->openFails) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  return kFakePipe;
}

// Plays the next scripted answer for a request of `wanted` bytes.
BOOL Perform(OVERLAPPED* ov, DWORD wanted) {
  Answer answer;
  if (!fake->answers.empty()) {
    answer = fake->answers.front();
    fake->answers.pop_front();
  }
  DWORD bytes = answer.bytes == Answer::kAll ? wanted : answer.bytes;
  if (!ov) {
    SetLastError(ERROR_INVALID_PARAMETER);  // the pipe is opened for overlapped I/O
    return FALSE;
  }
  switch (answer.mode) {
    case Answer::kRefused:
      SetLastError(ERROR_GEN_FAILURE);
      return FALSE;
    case Answer::kHeld:
      ov->Internal = kStatusPending;
      fake->held = ov;
      SetEvent(fake->heldSignal);
      SetLastError(ERROR_IO_PENDING);
      return FALSE;
    case Answer::kCompletesInError:
      ov->Internal = kStatusDeviceError;
      ov->InternalHigh = 0;
      SetEvent(ov->hEvent);
      SetLastError(ERROR_IO_PENDING);
      return FALSE;
    case Answer::kImmediate:
    case Answer::kPending:
      ov->Internal = 0;
      ov->InternalHigh = bytes;
      SetEvent(ov->hEvent);
      if (answer.mode == Answer::kImmediate) return TRUE;
      SetLastError(ERROR_IO_PENDING);
      return FALSE;
  }
  return FALSE;
}

BOOL WINAPI FakeWriteFile(HANDLE pipe, LPCVOID data, DWORD size, LPDWORD, LPOVERLAPPED ov) {
  if (pipe != kFakePipe) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const BYTE* bytes = static_cast<const BYTE*>(data);
  fake->writes.emplace_back(bytes, bytes + size);
  fake->writeEvents.push_back(ov ? ov->hEvent : nullptr);
  return Perform(ov, size);
}

BOOL WINAPI FakeDeviceIoControl(HANDLE pipe, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                DWORD outSize, LPDWORD, LPOVERLAPPED ov) {
  if (pipe != kFakePipe) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const BYTE* input = static_cast<const BYTE*>(in);
  fake->requests.push_back(Request{code, std::vector<BYTE>(input, input + (in ? inSize : 0)),
                                   outSize, ov ? ov->hEvent : nullptr});
  const Answer* next = fake->answers.empty() ? nullptr : &fake->answers.front();
  DWORD produced = 0;
  if (next && next->mode != Answer::kRefused && out) {
    produced = std::min<DWORD>(outSize, static_cast<DWORD>(next->output.size()));
    std::memcpy(out, next->output.data(), produced);
  }
  return Perform(ov, produced);
}

BOOL WINAPI FakeGetOverlappedResult(HANDLE, LPOVERLAPPED ov, LPDWORD bytes, BOOL wait) {
  if (ov->Internal == kStatusPending) {
    if (!wait) {
      SetLastError(ERROR_IO_INCOMPLETE);
      return FALSE;
    }
    WaitForSingleObject(ov->hEvent, 10000);
    if (ov->Internal == kStatusPending) {
      SetLastError(ERROR_IO_INCOMPLETE);
      return FALSE;
    }
  }
  if (ov->Internal == 0) {
    *bytes = static_cast<DWORD>(ov->InternalHigh);
    return TRUE;
  }
  *bytes = 0;
  SetLastError(ov->Internal == kStatusCancelled ? ERROR_OPERATION_ABORTED : ERROR_CRC);
  return FALSE;
}

BOOL WINAPI FakeCancelIo(HANDLE) {
  ++fake->cancelIoCalls;
  if (OVERLAPPED* ov = fake->held) {
    fake->held = nullptr;
    ov->InternalHigh = 0;
    ov->Internal = kStatusCancelled;
    SetEvent(ov->hEvent);
  }
  return TRUE;
}

HANDLE WINAPI FakeCreateEvent(LPSECURITY_ATTRIBUTES security, BOOL manual, BOOL initial,
                              LPCSTR name) {
  fake->eventNames.push_back(name ? name : "");
  fake->eventManualReset = manual;
  fake->eventInitialState = initial;
  return CreateEventA(security, manual, initial, name);
}

DWORD WINAPI FakeWait(HANDLE handle, DWORD timeout) {
  fake->waitTimeouts.push_back(timeout);
  if (fake->waitFails) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  // Bounded, so a lost wake-up fails the test instead of hanging it.
  DWORD rc = WaitForSingleObject(handle, timeout == INFINITE ? 10000 : timeout);
  return rc == WAIT_TIMEOUT && timeout == INFINITE ? WAIT_FAILED : rc;
}

BOOL WINAPI FakeCloseHandle(HANDLE handle) {
  if (handle == kFakePipe) {
    ++fake->pipeCloses;
    return TRUE;
  }
  ++fake->eventCloses;
  return CloseHandle(handle);
}

HLOCAL WINAPI FakeLocalAlloc(UINT flags, SIZE_T size) {
  if (fake->allocations++ == fake->failAllocation) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  ++fake->liveAllocations;
  return LocalAlloc(flags, size);
}

HLOCAL WINAPI FakeLocalFree(HLOCAL block) {
  if (block) --fake->liveAllocations;
  return LocalFree(block);
}

LONG WINAPI FakeRegOpenKeyEx(HKEY parent, LPCSTR subkey, DWORD, REGSAM, PHKEY result) {
  std::string path;
  if (parent != HKEY_LOCAL_MACHINE) {
    auto it = fake->openKeys.find(parent);
    if (it == fake->openKeys.end()) return ERROR_INVALID_HANDLE;
    path = it->second + "\\";
  }
  path = Lower(path + subkey);
  if (!fake->keys.count(path)) return ERROR_FILE_NOT_FOUND;
  HKEY key = reinterpret_cast<HKEY>(static_cast<INT_PTR>(fake->nextKey++));
  fake->openKeys[key] = path;
  ++fake->keysOpen;
  *result = key;
  return ERROR_SUCCESS;
}

LONG WINAPI FakeRegEnumKeyEx(HKEY key, DWORD index, LPSTR name, LPDWORD length, LPDWORD, LPSTR,
                             LPDWORD, PFILETIME) {
  auto it = fake->openKeys.find(key);
  if (it == fake->openKeys.end()) return ERROR_INVALID_HANDLE;
  fake->keyNameLimits.push_back(*length);
  const auto& subkeys = fake->keys[it->second].subkeys;
  if (index >= subkeys.size()) return ERROR_NO_MORE_ITEMS;
  const std::string& sub = subkeys[index];
  if (sub.size() + 1 > *length) return ERROR_MORE_DATA;
  std::memcpy(name, sub.c_str(), sub.size() + 1);
  *length = static_cast<DWORD>(sub.size());
  return ERROR_SUCCESS;
}

LONG WINAPI FakeRegQueryValueEx(HKEY key, LPCSTR value, LPDWORD, LPDWORD type, LPBYTE data,
                                LPDWORD size) {
  auto it = fake->openKeys.find(key);
  if (it == fake->openKeys.end()) return ERROR_INVALID_HANDLE;
  const FakeUsb::Key& k = fake->keys[it->second];
  if (std::strcmp(value, "SymbolicName") != 0 || !k.hasSymbolicName) return ERROR_FILE_NOT_FOUND;
  DWORD need = static_cast<DWORD>(k.symbolicName.size() + 1);
  if (type) *type = REG_SZ;
  if (need > *size) {
    *size = need;
    return ERROR_MORE_DATA;
  }
  std::memcpy(data, k.symbolicName.c_str(), need);
  *size = need;
  return ERROR_SUCCESS;
}

LONG WINAPI FakeRegCloseKey(HKEY key) {
  if (!fake->openKeys.erase(key)) return ERROR_INVALID_HANDLE;
  --fake->keysOpen;
  return ERROR_SUCCESS;
}

DWORD WINAPI FakeFormatMessage(DWORD, LPCVOID, DWORD code, DWORD, LPSTR buffer, DWORD size,
                               va_list*) {
  int n = std::snprintf(buffer, size, "system message %lu\r\n", code);
  return n > 0 ? static_cast<DWORD>(n) : 0;
}

void FakeDiagnostic(const char* text) {
  fake->diagnostics += text;
}

}  // namespace

FakeUsb::FakeUsb() {
  fake = this;
  heldSignal = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  table = Platform{GetClassDevs,
                   EnumDeviceInterfaces,
                   GetInterfaceDetail,
                   GetRegistryProperty,
                   DestroyDeviceInfoList,
                   FakeCreateFile,
                   FakeWriteFile,
                   FakeDeviceIoControl,
                   FakeGetOverlappedResult,
                   FakeCancelIo,
                   FakeCreateEvent,
                   SetEvent,
                   FakeWait,
                   FakeCloseHandle,
                   GetLastError,
                   FakeLocalAlloc,
                   FakeLocalFree,
                   FakeRegOpenKeyEx,
                   FakeRegEnumKeyEx,
                   FakeRegQueryValueEx,
                   FakeRegCloseKey,
                   FakeFormatMessage,
                   FakeDiagnostic};
  SetPlatform(&table);
}

FakeUsb::~FakeUsb() {
  SetPlatform(nullptr);
  CloseHandle(heldSignal);
  fake = nullptr;
}

void FakeUsb::AddKey(const std::string& path) {
  std::string lower = Lower(path);
  if (keys.count(lower)) return;
  keys[lower];
  std::size_t cut = path.rfind('\\');
  if (cut == std::string::npos) return;
  AddKey(path.substr(0, cut));
  keys[Lower(path.substr(0, cut))].subkeys.push_back(path.substr(cut + 1));
}

void FakeUsb::AddSymbolicName(const std::string& path, const std::string& value) {
  AddKey(path);
  Key& key = keys[Lower(path)];
  key.hasSymbolicName = true;
  key.symbolicName = value;
}

void FakeUsb::FreeList(UsbDeviceName* list, int count) {
  for (int i = 0; i < count; ++i) {
    table.localFree(list[i].label);
    table.localFree(list[i].instance);
  }
  if (list) table.localFree(list);
}

void FakeUsb::CompleteHeld(DWORD bytes) {
  if (OVERLAPPED* ov = held) {
    held = nullptr;
    ov->InternalHigh = bytes;
    ov->Internal = 0;
    SetEvent(ov->hEvent);
  }
}

}  // namespace gc::usb::test
