#include <cstdio>

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

std::string Ipv4Text(uint32_t a) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", a >> 24, (a >> 16) & 255, (a >> 8) & 255,
                a & 255);
  return text;
}

bool IsCanonicalIpv4(const std::string& text) {
  uint32_t address;
  return ParseIpv4(text.c_str(), &address) && Ipv4Text(address) == text;
}

}  // namespace gc::os
