// What the item list asks of the TrueType reader.
#pragma once
#include <cstddef>
#include <cstdint>

#include "os/byte_view.h"

namespace gc {

// The name length (>= 0) of a readable TrueType font (face `face` of a
// collection), -3 for an empty file, other negative values for a file that is
// not TrueType. `cmapFormat` gets the format of the cmap subtable the
// conversion would use whenever the tables are there (the result is not -3 or
// -1 for missing tables).
int ReadTrueTypeFontName(ByteView file, char* buffer, size_t capacity, uint32_t face,
                         int* cmapFormat);

}  // namespace gc
