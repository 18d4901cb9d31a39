#include "truetype/cmap.h"

#include <cstring>

namespace gc {

namespace {

bool SubtableFits(ByteView sub) {
  if (!sub.Has(0, 2)) return false;
  switch (sub.U16(0)) {
    case 0:
      return sub.Has(0, 6 + 256);
    case 4:
      return sub.Has(0, 16 + 8 * uint64_t{sub.U16(6) / 2u});
    case 6:
      return sub.Has(0, 10 + 2 * uint64_t{sub.U16(8)});
    default:
      return true;  // never read past its format
  }
}

// Looks a code up in a subtable already known to fit; false when the code is not mapped.
bool MapCode(ByteView sub, uint32_t code, uint16_t* glyph) {
  switch (sub.U16(0)) {
    case 0:
      if (code > 255) return false;
      *glyph = sub.U8(6 + code);
      return true;
    case 4: {
      uint32_t segments = sub.U16(6) / 2u;
      for (uint32_t s = 0; s < segments; ++s) {
        uint16_t end = sub.U16(14 + 2 * s);
        uint16_t start = sub.U16(16 + 2 * segments + 2 * s);
        if (start == 0xFFFF || end == 0xFFFF) return false;
        if (code >= start && code <= end) {
          *glyph = Format4Glyph(sub, s, code);
          return true;
        }
      }
      return false;
    }
    case 6: {
      uint32_t first = sub.U16(6), count = sub.U16(8);
      if (count < 1 || code < first || code > first + count - 1) return false;
      *glyph = sub.U16(10 + 2 * uint64_t{code - first});
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

bool CmapIsSound(ByteView cmap) {
  uint32_t records = cmap.U16(2);
  if (!cmap.Has(0, 4 + 8 * uint64_t{records})) return false;
  for (uint32_t i = 0; i < records; ++i)
    if (!SubtableFits(cmap.From(cmap.U32(4 + 8 * i + 4)))) return false;
  return true;
}

CmapChoice SelectCmapSubtable(const FontImage& image) {
  ByteView cmap = image.Table(Tag::Cmap);
  uint32_t records = cmap.Has(0, 4) ? cmap.U16(2) : 0;
  auto platform = [&](uint32_t i) { return cmap.U16(4 + 8 * i); };
  auto encoding = [&](uint32_t i) { return cmap.U16(4 + 8 * i + 2); };
  auto format = [&](uint32_t i) { return cmap.U16(cmap.U32(4 + 8 * i + 4)); };
  using Pass = bool (*)(uint16_t platform, uint16_t encoding, uint16_t format);
  static constexpr Pass kPasses[] = {
      [](uint16_t p, uint16_t e, uint16_t) { return p == 3 && e == 1; },
      [](uint16_t p, uint16_t, uint16_t) { return p == 0; },
      [](uint16_t p, uint16_t e, uint16_t) { return p == 3 && e == 0; },
      [](uint16_t p, uint16_t e, uint16_t) { return p == 1 && e == 0; },
      [](uint16_t, uint16_t, uint16_t f) { return f == 4; },
      [](uint16_t, uint16_t, uint16_t f) { return f == 0; },
      [](uint16_t, uint16_t, uint16_t f) { return f == 2; },
      [](uint16_t, uint16_t, uint16_t f) { return f == 6; },
  };
  CmapChoice choice;
  if (records == 0) return choice;
  choice.index = 0;
  for (Pass pass : kPasses) {
    for (uint32_t i = 0; i < records; ++i) {
      if (pass(platform(i), encoding(i), format(i))) {
        choice.index = static_cast<int>(i);
        choice.format = format(i);
        return choice;
      }
    }
  }
  choice.format = format(0);
  return choice;
}

ByteView CmapSubtable(const FontImage& image, const CmapChoice& choice) {
  if (choice.index < 0) return ByteView();
  ByteView cmap = image.Table(Tag::Cmap);
  return cmap.From(cmap.U32(4 + 8 * uint64_t(choice.index) + 4));
}

uint16_t Format4Glyph(ByteView sub, uint32_t segment, uint32_t code) {
  uint32_t segments = sub.U16(6) / 2u;
  uint16_t start = sub.U16(16 + 2 * segments + 2 * segment);
  uint16_t delta = sub.U16(16 + 4 * segments + 2 * segment);
  uint64_t rangeAt = 16 + 6 * uint64_t{segments} + 2 * segment;
  uint16_t rangeOffset = sub.U16(rangeAt);
  if (rangeOffset == 0) return static_cast<uint16_t>(code + delta);
  // Outside the subtable reads as 0: the missing glyph.
  uint16_t glyph = sub.U16(rangeAt + rangeOffset + 2 * uint64_t{code - start});
  return glyph != 0 ? static_cast<uint16_t>(glyph + delta) : 0;
}

bool LookupGlyph(const FontImage& image, uint32_t code, const CmapChoice& choice, uint16_t* glyph,
                 GlyphHeader* header) {
  uint16_t g = 0;
  if (!MapCode(CmapSubtable(image, choice), code, &g)) return false;
  ByteView outline = GlyphBytes(image, g);
  if (outline.empty() && code != 32) return false;
  *header = GlyphHeader{};
  if (outline.Has(0, 10)) std::memcpy(header->bytes, outline.data(), 10);
  *glyph = g;
  return true;
}

}  // namespace gc
