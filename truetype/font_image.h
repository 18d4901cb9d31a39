// A TrueType font file held whole in memory, and the tables the converter uses.
#pragma once
#include <cstdint>
#include <vector>

#include "truetype/byte_view.h"

namespace gc {

enum class Tag : int {
  Cmap,
  Glyf,
  Head,
  Hhea,
  Hmtx,
  Loca,
  Maxp,
  Name,
  Post,
  Os2,  // required
  Cvt,
  Fpgm,
  Prep,
  Pclt,  // optional
  Count
};
inline constexpr int kTagCount = static_cast<int>(Tag::Count);

// The tag as the table directory spells it, as a big-endian number.
uint32_t TagValue(Tag tag);

struct TableRef {
  const uint8_t* location = nullptr;  // inside the image; nullptr when absent
  uint32_t offset = 0;
  uint32_t length = 0;  // unpadded
  uint32_t checksum = 0;
};

struct FontImage {
  std::vector<uint8_t> bytes;  // the whole file
  TableRef tables[kTagCount];

  const TableRef& ref(Tag tag) const { return tables[static_cast<int>(tag)]; }
  bool Has(Tag tag) const { return ref(tag).location != nullptr; }
  ByteView Table(Tag tag) const { return ByteView(ref(tag).location, ref(tag).length); }
  ByteView All() const { return ByteView(bytes.data(), bytes.size()); }
};

// Reads the whole file into `image`. Returns 0, 1 (cannot be opened), 3 (size
// beyond 32 bits), 4 (empty) or 5 (cannot be read whole).
int LoadFontFile(const char* path, FontImage& image);

// Fills the table set from the directory of face `face` (0 unless the file is
// a collection). A table that lies outside the file, or whose records (cmap
// subtables, name strings, loca entries, metrics) run past its end, is left
// out, so every table present can be read as described. No such face: no tables.
void ParseTableDirectory(FontImage& image, uint32_t face = 0);

// All ten tables the conversion needs are present.
bool HasRequiredTables(const FontImage& image);

uint16_t NumGlyphs(const FontImage& image);

// Where glyph `glyph`'s outline lies inside "glyf": loca entries g and g + 1.
// False for an index outside the font.
struct GlyphExtent {
  uint32_t start = 0;
  uint32_t length = 0;
};
bool GlyphLocation(const FontImage& image, uint32_t glyph, GlyphExtent* extent);
// The outline bytes of `glyph`; empty for an empty glyph or an index outside the font.
ByteView GlyphBytes(const FontImage& image, uint32_t glyph);

}  // namespace gc
