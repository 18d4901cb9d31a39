#include "truetype/font_image.h"

#include <new>
#include <stdexcept>

#include "truetype/cmap.h"
#include "truetype/font_kind.h"
#include "truetype/name_table.h"

namespace gc {

namespace {

constexpr char kTagNames[kTagCount][5] = {"cmap", "glyf", "head", "hhea", "hmtx", "loca", "maxp",
                                          "name", "post", "OS/2", "cvt ", "fpgm", "prep", "PCLT"};

// The shortest table that holds every field read from it.
uint32_t MinimumLength(Tag tag) {
  switch (tag) {
    case Tag::Head:
      return 54;  // up to indexToLocFormat
    case Tag::Hhea:
      return 36;  // up to numberOfHMetrics
    case Tag::Maxp:
      return 6;  // up to numGlyphs
    case Tag::Post:
      return 16;  // up to isFixedPitch
    case Tag::Os2:
      return 42;  // up to the PANOSE bytes
    case Tag::Pclt:
      return 54;  // up to serifStyle
    default:
      return 0;
  }
}

void Drop(FontImage& image, Tag tag) {
  image.tables[static_cast<int>(tag)] = TableRef{};
}

bool LocaIsSound(const FontImage& image) {
  if (!image.Has(Tag::Head) || !image.Has(Tag::Maxp) || !image.Has(Tag::Glyf)) return false;
  ByteView loca = image.Table(Tag::Loca);
  bool wide = image.Table(Tag::Head).U16(50) != 0;
  uint64_t entry = wide ? 4 : 2;
  uint32_t n = NumGlyphs(image);
  if (!loca.Has(0, (uint64_t{n} + 1) * entry)) return false;
  uint32_t glyf = image.ref(Tag::Glyf).length;
  uint64_t previous = 0;
  for (uint32_t g = 0; g <= n; ++g) {
    uint64_t at = wide ? loca.U32(g * entry) : uint64_t{loca.U16(g * entry)} * 2;
    if (at > glyf || (g > 0 && at < previous)) return false;
    previous = at;
  }
  return true;
}

}  // namespace

uint32_t TagValue(Tag tag) {
  const char* s = kTagNames[static_cast<int>(tag)];
  return (uint32_t{static_cast<uint8_t>(s[0])} << 24) |
         (uint32_t{static_cast<uint8_t>(s[1])} << 16) |
         (uint32_t{static_cast<uint8_t>(s[2])} << 8) | static_cast<uint8_t>(s[3]);
}

void ParseTableDirectory(FontImage& image, uint32_t face) {
  for (TableRef& ref : image.tables) ref = TableRef{};
  ByteView file = image.All();
  // A collection's faces each have a directory; table offsets count from the file's start.
  uint64_t directory;
  if (!FaceDirectory(file, face, &directory)) return;
  uint32_t numTables = file.U16(directory + 4);
  if (numTables == 0 || uint64_t{numTables} * 16 >= file.size()) return;
  if (!file.Has(directory + 12, uint64_t{numTables} * 16)) return;
  for (uint32_t i = 0; i < numTables; ++i) {
    uint64_t at = directory + 12 + 16 * uint64_t{i};
    uint32_t tag = file.U32(at);
    for (int t = 0; t < kTagCount; ++t) {
      if (tag != TagValue(static_cast<Tag>(t))) continue;
      TableRef ref;
      ref.checksum = file.U32(at + 4);
      ref.offset = file.U32(at + 8);
      ref.length = file.U32(at + 12);
      // A later entry of the same tag replaces an earlier one, even a sound one.
      ref.location = file.Has(ref.offset, ref.length) ? image.bytes.data() + ref.offset : nullptr;
      image.tables[t] = ref.location ? ref : TableRef{};
    }
  }

  for (int t = 0; t < kTagCount; ++t) {
    Tag tag = static_cast<Tag>(t);
    if (image.Has(tag) && image.ref(tag).length < MinimumLength(tag)) Drop(image, tag);
  }
  if (image.Has(Tag::Os2) && image.Table(Tag::Os2).U16(0) >= 2 && image.ref(Tag::Os2).length < 88)
    Drop(image, Tag::Os2);  // no room for sxHeight
  if (image.Has(Tag::Hmtx)) {
    uint32_t metrics = image.Table(Tag::Hhea).U16(34);
    if (!image.Has(Tag::Hhea) || metrics == 0 ||
        !image.Table(Tag::Hmtx).Has(0, uint64_t{metrics} * 4))
      Drop(image, Tag::Hmtx);
  }
  if (image.Has(Tag::Loca) && !LocaIsSound(image)) Drop(image, Tag::Loca);
  if (image.Has(Tag::Cmap) && !CmapIsSound(image.Table(Tag::Cmap))) Drop(image, Tag::Cmap);
  if (image.Has(Tag::Name) && !NameTableIsSound(image.Table(Tag::Name))) Drop(image, Tag::Name);
}

bool HasRequiredTables(const FontImage& image) {
  for (Tag tag : {Tag::Loca, Tag::Maxp, Tag::Cmap, Tag::Glyf, Tag::Head, Tag::Post, Tag::Name,
                  Tag::Hhea, Tag::Hmtx, Tag::Os2})
    if (!image.Has(tag)) return false;
  return true;
}

uint16_t NumGlyphs(const FontImage& image) {
  return image.Table(Tag::Maxp).U16(4);
}

bool GlyphLocation(const FontImage& image, uint32_t glyph, GlyphExtent* extent) {
  *extent = GlyphExtent{};
  if (!image.Has(Tag::Loca) || glyph >= NumGlyphs(image)) return false;
  ByteView loca = image.Table(Tag::Loca);
  uint32_t start, end;
  if (image.Table(Tag::Head).U16(50) != 0) {
    start = loca.U32(uint64_t{glyph} * 4);
    end = loca.U32(uint64_t{glyph} * 4 + 4);
  } else {
    start = uint32_t{loca.U16(uint64_t{glyph} * 2)} * 2;
    end = uint32_t{loca.U16(uint64_t{glyph} * 2 + 2)} * 2;
  }
  // The directory check keeps start <= end <= the "glyf" length.
  if (end < start || end > image.ref(Tag::Glyf).length) return false;
  extent->start = start;
  extent->length = end - start;
  return true;
}

ByteView GlyphBytes(const FontImage& image, uint32_t glyph) {
  GlyphExtent extent;
  if (!GlyphLocation(image, glyph, &extent)) return ByteView();
  return image.Table(Tag::Glyf).Sub(extent.start, extent.length);
}

}  // namespace gc
