// Character codes to glyphs: the choice of the cmap subtable and its lookups.
#pragma once
#include <cstdint>

#include "os/byte_view.h"
#include "truetype/font_image.h"

namespace gc {

// The format given to a cmap without encoding records: one the writer does not know.
inline constexpr uint16_t kNoCmapSubtable = 0xFFFF;

struct CmapChoice {
  uint16_t format = kNoCmapSubtable;
  int index = -1;  // among the encoding records; -1 when there are none
};

// The first ten bytes of a glyph description, as the file holds them.
struct GlyphHeader {
  uint8_t bytes[10] = {};
  int16_t yMin() const { return static_cast<int16_t>((bytes[4] << 8) | bytes[5]); }
  int16_t yMax() const { return static_cast<int16_t>((bytes[8] << 8) | bytes[9]); }
};

// Every encoding record points inside the table and every subtable of format
// 0, 4 or 6 fits in it.
bool CmapIsSound(ByteView cmap);

CmapChoice SelectCmapSubtable(const FontImage& image);

// The chosen subtable, from its start to the end of "cmap".
ByteView CmapSubtable(const FontImage& image, const CmapChoice& choice);

// Format 4: the glyph of `code` by segment `segment`'s rule.
uint16_t Format4Glyph(ByteView subtable, uint32_t segment, uint32_t code);

// The glyph of `code` and its header. An empty glyph is not found, except for
// the space (code 32).
bool LookupGlyph(const FontImage& image, uint32_t code, const CmapChoice& choice, uint16_t* glyph,
                 GlyphHeader* header);

}  // namespace gc
