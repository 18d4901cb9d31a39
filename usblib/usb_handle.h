// The record behind a UsbDeviceHandle pointer.
#pragma once

#include <windows.h>

#include <atomic>

#include "usblib/usb_api.h"

struct UsbDeviceHandle {
  std::atomic<LONG> cancelled;  // 1 once nUsbCancelUpdateDevice ran; never cleared
  HANDLE pipe;                  // INVALID_HANDLE_VALUE when the pipe would not open
  OVERLAPPED overlapped;        // hEvent: the auto-reset "USB Update" event
};

static_assert(sizeof(std::atomic<LONG>) == 4 && std::atomic<LONG>::is_always_lock_free);
