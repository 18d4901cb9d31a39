#include "os/codepage.h"

#include <windows.h>

namespace gc::os {

char AnsiByteForUnit(uint16_t unit) {
  wchar_t wide = static_cast<wchar_t>(unit);
  char bytes[8];
  BOOL usedDefault = FALSE;
  // No best fit: a unit is either its own character or the default character.
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, sizeof bytes, nullptr,
                              &usedDefault);
  if (n == 1) return bytes[0];
  // Double-byte forms do not fit one byte either.
  CPINFO info;
  if (GetCPInfo(CP_ACP, &info)) return static_cast<char>(info.DefaultChar[0]);
  return '?';
}

}  // namespace gc::os
