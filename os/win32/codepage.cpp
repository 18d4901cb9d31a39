#include "os/codepage.h"

#include <windows.h>

namespace gc::os {

char AnsiByteForUnitIn(unsigned codePage, uint16_t unit) {
  wchar_t wide = static_cast<wchar_t>(unit);
  char bytes[8];
  // No best fit: a unit is either its own character or the default character.
  // Checked by converting back rather than with WC_NO_BEST_FIT_CHARS, which
  // the UTF-8 code page (65001) refuses as an invalid flag, and Windows 98
  // does not know: either way every character would come out as '?'.
  int n = WideCharToMultiByte(codePage, 0, &wide, 1, bytes, sizeof bytes, nullptr, nullptr);
  wchar_t back = 0;
  if (n == 1 && MultiByteToWideChar(codePage, 0, bytes, 1, &back, 1) == 1 && back == wide)
    return bytes[0];
  // Double-byte forms do not fit one byte either.
  CPINFO info;
  if (GetCPInfo(codePage, &info)) return static_cast<char>(info.DefaultChar[0]);
  return '?';
}

char AnsiByteForUnit(uint16_t unit) {
  return AnsiByteForUnitIn(CP_ACP, unit);
}

}  // namespace gc::os
