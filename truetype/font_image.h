// A TrueType font file's bytes (held by the caller) and the tables the converter uses.
#pragma once
#include <cstdint>

#include "os/byte_view.h"

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
  explicit FontImage(ByteView file = ByteView()) : bytes(file) {}
  ByteView bytes;  // the whole file, owned by the caller
  TableRef tables[kTagCount];

  const TableRef& ref(Tag tag) const { return tables[static_cast<int>(tag)]; }
  bool Has(Tag tag) const { return ref(tag).location != nullptr; }
  ByteView Table(Tag tag) const { return ByteView(ref(tag).location, ref(tag).length); }
  ByteView All() const { return bytes; }
};

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
