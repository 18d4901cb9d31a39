// The pieces of the PCL TrueType soft font: the font header and its segments,
// and the characters. Each writer runs twice, counting and then writing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "io/stream_writer.h"
#include "pcl/font_descriptor.h"
#include "truetype/cmap.h"
#include "truetype/font_image.h"

namespace gc {

// One bit per glyph index still to be sent.
class PendingGlyphSet {
 public:
  void Reset(uint32_t numGlyphs);
  bool Pending(uint32_t glyph) const {
    return glyph < 65536 && (bits_[glyph >> 3] >> (glyph & 7)) & 1;
  }
  void Clear(uint32_t glyph) {
    if (glyph < 65536) bits_[glyph >> 3] &= static_cast<uint8_t>(~(1u << (glyph & 7)));
  }

 private:
  uint8_t bits_[65536 / 8] = {};
};

// The font header format whose segment sizes carry the global-table ("GT") and
// copyright ("CP") segments: 15 (16-bit sizes), 16 (32-bit sizes), or 0.
uint8_t FontHeaderFormat(const FontImage& image);

// The state one conversion shares between its passes.
struct Conversion {
  Conversion(const FontImage& font, const char* name)
      : image(font),
        downloadName(name ? name : ""),
        cmap(SelectCmapSubtable(font)),
        headerFormat(FontHeaderFormat(font)) {}

  FontImage image;  // a view of the caller's bytes
  std::string downloadName;
  CmapChoice cmap;
  uint8_t headerFormat;      // 15, 16 for segments past 64 KB, 0 when none fits
  uint16_t lastCode = 0;     // the header's Last Code, found by the glyph walk
  uint16_t codeCounter = 0;  // codes a format 4 walk visited
  uint16_t highestCode = 0;  // highest code sent by the walk
  PendingGlyphSet pending;
  bool glyphTooLarge = false;  // a glyph that the 16-bit size fields cannot carry
  FontDescriptorRecord descriptor;  // the header's, host order, once built
};


// The descriptor and its segments; the descriptor is also kept in `c` in the
// form the rest of the program reads.
int WriteFontHeader(Conversion& c, StreamWriter& out);

// Characters for formats 0, 4 and 6, the default glyph, the unmapped glyphs
// and the make-permanent command.
int WriteMappedGlyphs(Conversion& c, StreamWriter& out);
int WriteUnmappedGlyphs(Conversion& c, StreamWriter& out);

}  // namespace gc
