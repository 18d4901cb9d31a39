// What the item list asks of the TrueType reader.
#pragma once
#include <cstddef>
#include <cstdint>

namespace gc {

// The name length (>= 0) of a readable TrueType font (face `face` of a
// collection), -3 for a font file that cannot be used, other negative values
// for a file that is not TrueType.
int ReadTrueTypeFontName(const char* path, char* buffer, size_t capacity, uint32_t face = 0);
// The format of the cmap subtable chosen by the last ReadTrueTypeFontName.
int lastCmapFormat();

}  // namespace gc
