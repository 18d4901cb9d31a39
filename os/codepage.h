// The code-page port: UTF-16 text to the system's ANSI code page, one byte per unit.
#pragma once
#include <cstdint>

namespace gc::os {

// The byte that stands for `unit` in the system ANSI code page. A unit without
// an exact single-byte form (including a lone surrogate half) becomes the code
// page's default character.
char AnsiByteForUnit(uint16_t unit);

#ifdef _WIN32
// The same in a given Windows code page.
char AnsiByteForUnitIn(unsigned codePage, uint16_t unit);
#endif

}  // namespace gc::os
