// The build picks one variant: GC_USB_VARIANT_2K (NT family) or
// GC_USB_VARIANT_98 (9x family).
#pragma once

#include <windows.h>

namespace gc::usb {

#if defined(GC_USB_VARIANT_98) && !defined(GC_USB_VARIANT_2K)
inline constexpr bool kVariant98 = true;
inline constexpr DWORD kWriteChunk = 256;
#elif defined(GC_USB_VARIANT_2K) && !defined(GC_USB_VARIANT_98)
inline constexpr bool kVariant98 = false;
inline constexpr DWORD kWriteChunk = 1024;
#else
#error "define exactly one of GC_USB_VARIANT_2K and GC_USB_VARIANT_98"
#endif

}  // namespace gc::usb
