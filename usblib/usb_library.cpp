// The eight exports of TORVEN_2k.dll and TORVEN_98.dll.
#include <windows.h>
#include <winioctl.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "usblib/device_info.h"
#include "usblib/platform.h"
#include "usblib/usb_api.h"
#include "usblib/usb_handle.h"
#include "usblib/variant.h"

static_assert(sizeof(UsbDeviceName) == 3 * sizeof(void*));
static_assert(sizeof(void*) != 4 || sizeof(UsbDeviceName) == 12);

namespace gc::usb {
namespace {

// GUID_DEVINTERFACE_USB_DEVICE
const GUID kUsbDeviceInterface = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

// IOCTL_USBPRINT_VENDOR_SET_COMMAND, IOCTL_PAR_QUERY_DEVICE_ID_SIZE, IOCTL_PAR_QUERY_DEVICE_ID
constexpr DWORD kVendorSetCommand =
    CTL_CODE(FILE_DEVICE_UNKNOWN, 14, METHOD_BUFFERED, FILE_ANY_ACCESS);
constexpr DWORD kQueryDeviceIdSize =
    CTL_CODE(FILE_DEVICE_PARALLEL_PORT, 4, METHOD_BUFFERED, FILE_ANY_ACCESS);
constexpr DWORD kQueryDeviceId =
    CTL_CODE(FILE_DEVICE_PARALLEL_PORT, 3, METHOD_BUFFERED, FILE_ANY_ACCESS);
static_assert(kVendorSetCommand == 0x220038 && kQueryDeviceIdSize == 0x160010 &&
              kQueryDeviceId == 0x16000C);

constexpr BYTE kVendorRequestCode = 16;
constexpr DWORD kRequestBufferSize = 256;

// Shared by every handle of the process: one writer at a time.
BYTE transferBuffer[kWriteChunk];
BYTE requestBuffer[kRequestBufferSize];

class DeviceSet {
 public:
  DeviceSet()
      : set_(Sys().getClassDevs(&kUsbDeviceInterface, nullptr, nullptr,
                                DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {}
  ~DeviceSet() {
    if (valid()) Sys().destroyDeviceInfoList(set_);
  }
  DeviceSet(const DeviceSet&) = delete;
  DeviceSet& operator=(const DeviceSet&) = delete;
  bool valid() const { return set_ != INVALID_HANDLE_VALUE && set_ != nullptr; }
  HDEVINFO get() const { return set_; }

  enum class Next { kInterface, kSkip, kEnd };
  Next Enumerate(DWORD index, SP_DEVICE_INTERFACE_DATA* iface) const {
    std::memset(iface, 0, sizeof *iface);
    iface->cbSize = sizeof *iface;
    if (Sys().enumDeviceInterfaces(set_, nullptr, &kUsbDeviceInterface, index, iface)) {
      return Next::kInterface;
    }
    return Sys().getLastError() == ERROR_NO_MORE_ITEMS ? Next::kEnd : Next::kSkip;
  }

 private:
  HDEVINFO set_;
};

char* CopyToLocal(const char* text) {
  std::size_t length = std::strlen(text);
  auto* copy = static_cast<char*>(Sys().localAlloc(LPTR, length + 1));
  if (copy) std::memcpy(copy, text, length);
  return copy;
}

void FreeLocal(void* block) {
  if (block) Sys().localFree(block);
}

void FreeList(UsbDeviceName* list, int count) {
  for (int i = 0; i < count; ++i) {
    FreeLocal(list[i].label);
    FreeLocal(list[i].instance);
  }
  FreeLocal(list);
}

// Grows the list by one entry: a new block, the old entries copied over.
bool Append(UsbDeviceName** list, int* count, const DeviceInfo& info) {
  char* label = CopyToLocal(info.label);
  char* instance = CopyToLocal(info.instance);
  auto* grown = static_cast<UsbDeviceName*>(
      Sys().localAlloc(LPTR, (static_cast<std::size_t>(*count) + 1) * sizeof(UsbDeviceName)));
  if (!label || !instance || !grown) {
    FreeLocal(label);
    FreeLocal(instance);
    FreeLocal(grown);
    return false;
  }
  if (*count > 0) std::memcpy(grown, *list, static_cast<std::size_t>(*count) * sizeof **list);
  FreeLocal(*list);
  grown[*count] = UsbDeviceName{label, instance, nullptr};
  *list = grown;
  ++*count;
  return true;
}

bool Cancelled(const UsbDeviceHandle* handle) {
  return handle->cancelled.load() == 1;
}

void PrepareOverlapped(UsbDeviceHandle* handle) {
  HANDLE event = handle->overlapped.hEvent;
  std::memset(&handle->overlapped, 0, sizeof handle->overlapped);
  handle->overlapped.hEvent = event;
}

enum class Outcome { kDone, kFailed, kCancelled };
struct Completion {
  Outcome outcome;
  DWORD bytes;  // what the platform reports as transferred
};

// Stops a request still in flight and waits until the system lets go of the
// static buffers and the overlapped block.
DWORD Abandon(UsbDeviceHandle* handle) {
  const Platform& sys = Sys();
  sys.cancelIo(handle->pipe);
  // A stray signal on the shared event can end the wait before the request
  // is called back; a broken event ends the loop by the bound.
  for (int attempt = 0; attempt < 64; ++attempt) {
    DWORD bytes = 0;
    if (sys.getOverlappedResult(handle->pipe, &handle->overlapped, &bytes, TRUE)) return bytes;
    if (sys.getLastError() != ERROR_IO_INCOMPLETE) break;
  }
  return 0;
}

// Waits for the overlapped request just started (started = its return value).
Completion Await(UsbDeviceHandle* handle, BOOL started) {
  const Platform& sys = Sys();
  if (!started && sys.getLastError() != ERROR_IO_PENDING) return {Outcome::kFailed, 0};
  for (;;) {
    if (sys.waitForSingleObject(handle->overlapped.hEvent, INFINITE) != WAIT_OBJECT_0) {
      Abandon(handle);
      return {Outcome::kFailed, 0};
    }
    if (Cancelled(handle)) return {Outcome::kCancelled, Abandon(handle)};
    DWORD bytes = 0;
    if (sys.getOverlappedResult(handle->pipe, &handle->overlapped, &bytes, FALSE)) {
      return {Outcome::kDone, bytes};
    }
    // The event is shared: a signal left from an earlier request or a cancel
    // on another handle wakes us before this request is done.
    if (sys.getLastError() == ERROR_IO_INCOMPLETE) continue;
    return {Outcome::kFailed, 0};
  }
}

bool Usable(const UsbDeviceHandle* handle) {
  return !Cancelled(handle) && handle->pipe != INVALID_HANDLE_VALUE;
}

}  // namespace
}  // namespace gc::usb

using namespace gc::usb;

extern "C" {

int WINAPI nUsbEnumDeviceName(int scope, int printersOnly, int /*reserved*/, UsbDeviceName** list,
                              int* count) {
  if (scope < 0 || scope > 2 || printersOnly < 0 || printersOnly > 1 || !list || !count) {
    return kUsbBadArgument;
  }
  *list = nullptr;
  *count = 0;
  DeviceSet set;
  if (!set.valid()) return kUsbIoFailure;
  UsbDeviceName* entries = nullptr;
  int entryCount = 0;
  for (DWORD index = 0;; ++index) {
    SP_DEVICE_INTERFACE_DATA iface;
    DeviceSet::Next next = set.Enumerate(index, &iface);
    if (next == DeviceSet::Next::kEnd) break;
    if (next == DeviceSet::Next::kSkip) continue;
    DeviceInfo info;
    Gather gathered = GatherDeviceInfo(set.get(), &iface, &info);
    if (gathered == Gather::kOutOfMemory) {
      FreeList(entries, entryCount);
      return kUsbOutOfMemory;
    }
    if (gathered == Gather::kNoDetail) break;  // keep what was collected
    if (gathered == Gather::kPathTooLong) continue;
    if (printersOnly == 1 && std::strcmp(info.service, "usbprint") != 0) continue;
    if (!Append(&entries, &entryCount, info)) {
      FreeList(entries, entryCount);
      return kUsbOutOfMemory;
    }
  }
  *list = entries;
  *count = entryCount;
  return kUsbOk;
}

int WINAPI nUsbOpenDevice(int scope, const UsbDeviceName* name, UsbDeviceHandle** handle) {
  if (scope < 0 || scope > 2 || !name || !name->label || !name->instance || !handle) {
    return kUsbBadArgument;
  }
  const Platform& sys = Sys();
  DeviceSet set;
  if (!set.valid()) return kUsbIoFailure;
  for (DWORD index = 0;; ++index) {
    SP_DEVICE_INTERFACE_DATA iface;
    DeviceSet::Next next = set.Enumerate(index, &iface);
    if (next == DeviceSet::Next::kEnd) return kUsbIoFailure;
    if (next == DeviceSet::Next::kSkip) continue;
    DeviceInfo info;
    Gather gathered = GatherDeviceInfo(set.get(), &iface, &info);
    if (gathered == Gather::kOutOfMemory) return kUsbOutOfMemory;
    // A device whose properties could not be read has no path to open.
    if (gathered != Gather::kOk || info.path[0] == '\0') continue;
    if (std::strcmp(info.label, name->label) != 0 ||
        std::strcmp(info.instance, name->instance) != 0) {
      continue;
    }

    char pipePath[kTextSize + 8];
    std::snprintf(pipePath, sizeof pipePath, "%s\\PIPE01", info.path);
    HANDLE pipe =
        sys.createFile(pipePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) {
      char line[kTextSize + 32];
      std::snprintf(line, sizeof line, "FAILED to open %s\n", info.path);
      sys.diagnostic(line);
    }
    void* record = sys.localAlloc(LPTR, sizeof(UsbDeviceHandle));
    HANDLE event = record ? sys.createEvent(nullptr, FALSE, FALSE, "USB Update") : nullptr;
    if (!event) {
      FreeLocal(record);
      if (pipe != INVALID_HANDLE_VALUE) sys.closeHandle(pipe);
      return kUsbOutOfMemory;
    }
    auto* opened = new (record) UsbDeviceHandle{};
    opened->pipe = pipe;
    opened->cancelled.store(0);
    opened->overlapped.hEvent = event;
    *handle = opened;
    return kUsbOk;
  }
}

BOOL WINAPI bUsbStartUpdateDevice(UsbDeviceHandle* handle, DWORD* byteCount) {
  if (!handle || !byteCount || !Usable(handle)) return FALSE;
  std::memset(requestBuffer, 0, sizeof requestBuffer);
  requestBuffer[0] = kVendorRequestCode;  // bytes 1 and 2: request value 0
  int textLength = std::snprintf(reinterpret_cast<char*>(requestBuffer) + 3,
                                 sizeof requestBuffer - 3, "SIZE=%lX", *byteCount);
  DWORD inputLength = static_cast<DWORD>(textLength) + 4;  // code, value, text, zero
  PrepareOverlapped(handle);
  DWORD returned = 0;
  BOOL started =
      Sys().deviceIoControl(handle->pipe, kVendorSetCommand, requestBuffer, inputLength,
                            requestBuffer, sizeof requestBuffer, &returned, &handle->overlapped);
  Completion done = Await(handle, started);
  if (done.outcome != Outcome::kDone) return FALSE;
  *byteCount = done.bytes;
  return !Cancelled(handle);
}

int WINAPI nUsbWriteUpdateDevice(UsbDeviceHandle* handle, const void* data, DWORD length,
                                 DWORD* written) {
  if (!handle || !written || (!data && length > 0)) return kUsbBadArgument;
  *written = 0;
  if (Cancelled(handle)) return kUsbCancelled;
  if (handle->pipe == INVALID_HANDLE_VALUE) return kUsbIoFailure;
  const Platform& sys = Sys();
  const BYTE* bytes = static_cast<const BYTE*>(data);
  DWORD count = 0;
  bool cancelled = false;
  while (count < length) {
    if (Cancelled(handle)) {
      cancelled = true;
      break;
    }
    DWORD chunk = length - count < kWriteChunk ? length - count : kWriteChunk;
    std::memcpy(transferBuffer, bytes + count, chunk);
    PrepareOverlapped(handle);
    DWORD ignored = 0;
    BOOL started =
        sys.writeFile(handle->pipe, transferBuffer, chunk, &ignored, &handle->overlapped);
    Completion done = Await(handle, started);
    DWORD moved = done.bytes < chunk ? done.bytes : chunk;
    count += moved;
    if (done.outcome == Outcome::kCancelled) {
      cancelled = true;
      break;
    }
    // A chunk that went out short is a failure, with the true count.
    if (done.outcome == Outcome::kFailed || moved < chunk) {
      *written = count;
      return kUsbIoFailure;
    }
  }
  *written = count;
  return cancelled ? kUsbCancelled : kUsbOk;
}

BOOL WINAPI bUsbEndUpdateDevice(void) {
  return TRUE;
}

int WINAPI nUsbCloseDevice(UsbDeviceHandle* handle) {
  if (!handle) return kUsbBadArgument;
  const Platform& sys = Sys();
  if (handle->overlapped.hEvent) sys.closeHandle(handle->overlapped.hEvent);
  if (handle->pipe != INVALID_HANDLE_VALUE && handle->pipe) sys.closeHandle(handle->pipe);
  handle->~UsbDeviceHandle();
  sys.localFree(handle);
  return kUsbOk;
}

int WINAPI nUsbCancelUpdateDevice(UsbDeviceHandle* handle) {
  if (!handle) return kUsbBadArgument;
  handle->cancelled.store(1);
  Sys().setEvent(handle->overlapped.hEvent);
  return kUsbOk;
}

BOOL WINAPI bUsbGetDeviceIDFromDevice(UsbDeviceHandle* handle, void* buffer, int bufferSize) {
  if (!handle || !buffer || bufferSize <= 0 || !Usable(handle)) return FALSE;
  const Platform& sys = Sys();
  DWORD idSize = 0;
  DWORD returned = 0;
  PrepareOverlapped(handle);
  BOOL started = sys.deviceIoControl(handle->pipe, kQueryDeviceIdSize, nullptr, 0, &idSize,
                                     sizeof idSize, &returned, &handle->overlapped);
  Completion done = Await(handle, started);
  if (done.outcome != Outcome::kDone || done.bytes < sizeof idSize || idSize == 0) return FALSE;
  void* id = sys.localAlloc(LPTR, idSize);
  if (!id) return FALSE;
  PrepareOverlapped(handle);
  started = sys.deviceIoControl(handle->pipe, kQueryDeviceId, nullptr, 0, id, idSize, &returned,
                                &handle->overlapped);
  done = Await(handle, started);
  bool read = done.outcome == Outcome::kDone;
  if (read) {
    DWORD size = done.bytes < idSize ? done.bytes : idSize;
    if (size > static_cast<DWORD>(bufferSize)) size = static_cast<DWORD>(bufferSize);
    std::memcpy(buffer, id, size);
  }
  sys.localFree(id);
  return read;
}

}  // extern "C"
