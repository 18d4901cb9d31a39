#include "os/sockets.h"

namespace gc::os {

bool ParseIpv4(const char* text, uint32_t* address) {
  if (!text) return false;
  uint32_t result = 0;
  const char* p = text;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (*p != '.') return false;
      ++p;
    }
    if (*p < '0' || *p > '9') return false;
    unsigned value = 0;
    int digits = 0;
    while (*p >= '0' && *p <= '9') {
      value = value * 10 + static_cast<unsigned>(*p - '0');
      if (++digits > 3 || value > 255) return false;
      ++p;
    }
    result = (result << 8) | value;
  }
  if (*p != '\0') return false;
  *address = result;
  return true;
}

}  // namespace gc::os
