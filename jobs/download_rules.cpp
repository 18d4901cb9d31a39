#include "jobs/download_rules.h"

#include <cstdlib>

namespace gc {

bool CharsPerLineValid(const std::string& text, int* charsPerLine) {
  // The usual decimal reading, then the round trip: anything it would skip or
  // stop at fails. strtol, unlike atoi, is defined for overlong numbers.
  const long n = std::strtol(text.c_str(), nullptr, 10);
  if (std::to_string(n) != text || n < 0 || n > 100) return false;
  *charsPerLine = static_cast<int>(n);
  return true;
}

}  // namespace gc
