#include "os/codepage.h"

#include <windows.h>

namespace gc::os {

char AnsiByteForUnitIn(unsigned codePage, uint16_t unit) {
  wchar_t wide = static_cast<wchar_t>(unit);
  char bytes[8];
  BOOL usedDefault = FALSE;
  // No best fit: a unit is either its own character or the default character.
  int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, sizeof bytes,
                              nullptr, &usedDefault);
  if (n == 1) return bytes[0];
  // Double-byte forms do not fit one byte either.
  CPINFO info;
  if (GetCPInfo(codePage, &info)) return static_cast<char>(info.DefaultChar[0]);
  return '?';
}

char AnsiByteForUnit(uint16_t unit) {
  return AnsiByteForUnitIn(CP_ACP, unit);
}

}  // namespace gc::os
