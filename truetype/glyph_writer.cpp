// The characters of a TrueType-scalable soft font: one per mapped code, the
// default glyph, then every glyph no code reached, and the make-permanent command.
#include <cstdio>

#include "truetype/soft_font.h"

namespace gc {

namespace {

constexpr uint32_t kUnmappedCode = 65535;
constexpr char kMakePermanent[] = "\x1b*c5F";

// Sends one character: its code, the descriptor, the outline and the checksum.
int WriteCharacter(Conversion& c, StreamWriter& out, uint32_t code, uint16_t glyph, ByteView outline) {
  uint32_t n = static_cast<uint32_t>(outline.size() & 0xFFFF);
  if (outline.size() > 0xFFFF - 10) c.glyphTooLarge = true;
  char text[32];
  int length = std::snprintf(text, sizeof text, "\x1b*c%uE\x1b(s%uW", code, n + 10);
  int result = out.Put(text, static_cast<size_t>(length));
  if (result != 0) return result;
  uint8_t head[8] = {15,
                     0,
                     2,
                     15,
                     static_cast<uint8_t>((n + 4) >> 8),
                     static_cast<uint8_t>(n + 4),
                     static_cast<uint8_t>(glyph >> 8),
                     static_cast<uint8_t>(glyph)};
  uint8_t sum = static_cast<uint8_t>(head[4] + head[5] + head[6] + head[7]);
  for (uint32_t i = 0; i < n; ++i) sum = static_cast<uint8_t>(sum + outline.data()[i]);
  result = out.Put(head, sizeof head);
  if (result == 0 && n) result = out.Put(outline.data(), n);
  uint8_t tail[2] = {0, static_cast<uint8_t>(256 - sum)};
  return result == 0 ? out.Put(tail, sizeof tail) : result;
}

// One code of the walk: the space and empty glyphs send nothing.
int WriteCode(Conversion& c, StreamWriter& out, uint32_t code, uint16_t glyph) {
  // The space is never sent as a character; its glyph counts as sent, and no
  // other glyph's bit is touched, so every outline still reaches the printer.
  c.pending.Clear(glyph);
  if (code == 32) return 0;
  ByteView outline = GlyphBytes(c.image, glyph);
  if (outline.empty()) return 0;
  if (code > c.highestCode) c.highestCode = static_cast<uint16_t>(code);
  return WriteCharacter(c, out, code, glyph, outline);
}

int WalkCodes(Conversion& c, StreamWriter& out) {
  ByteView sub = CmapSubtable(c.image, c.cmap);
  int result = 0;
  switch (c.cmap.format) {
    case 0:
      for (uint32_t code = 0; code < 256 && result == 0; ++code)
        result = WriteCode(c, out, code, sub.U8(6 + code));
      break;
    case 4: {
      c.codeCounter = 0;
      uint32_t segments = sub.U16(6) / 2u;
      for (uint32_t s = 0; s < segments && result == 0; ++s) {
        uint32_t end = sub.U16(14 + 2 * s);
        uint32_t start = sub.U16(16 + 2 * segments + 2 * s);
        if (start == 0xFFFF || end == 0xFFFF) break;
        for (uint32_t code = start; code <= end && result == 0; ++code) {
          ++c.codeCounter;
          result = WriteCode(c, out, code, Format4Glyph(sub, s, code));
        }
      }
      break;
    }
    case 6: {
      uint32_t first = sub.U16(6), count = sub.U16(8);
      for (uint32_t i = 0; i < count && result == 0; ++i)
        result = WriteCode(c, out, first + i, sub.U16(10 + 2 * i));
      break;
    }
  }
  return result;
}

// How far the search for a default outline may go when glyph 0 is empty.
uint32_t DefaultGlyphSearchEnd(const Conversion& c) {
  uint32_t last = NumGlyphs(c.image) ? NumGlyphs(c.image) - 1u : 0u;
  if (c.cmap.format == 0 && last > 255) return 255;
  if (c.cmap.format == 6) {
    uint32_t count = CmapSubtable(c.image, c.cmap).U16(8);
    if (count && count - 1 < last) return count - 1;
  }
  return last;
}

// The printer draws glyph 0 for codes it does not hold. When glyph 0 has no
// outline the first glyph that has one stands in for it; that glyph is still
// sent under its own index later.
int WriteDefaultGlyph(Conversion& c, StreamWriter& out) {
  ByteView outline = GlyphBytes(c.image, 0);
  for (uint32_t g = 1; outline.empty() && g <= DefaultGlyphSearchEnd(c); ++g)
    outline = GlyphBytes(c.image, g);
  c.pending.Clear(0);
  return WriteCharacter(c, out, kUnmappedCode, 0, outline);
}

}  // namespace

void PendingGlyphSet::Reset(uint32_t numGlyphs) {
  for (uint32_t i = 0; i < sizeof bits_; ++i) {
    uint32_t first = i * 8;
    uint32_t set = numGlyphs <= first ? 0 : numGlyphs - first;
    bits_[i] = static_cast<uint8_t>(set >= 8 ? 0xFF : (1u << set) - 1);
  }
}

int WriteMappedGlyphs(Conversion& c, StreamWriter& out) {
  c.pending.Reset(NumGlyphs(c.image));
  c.highestCode = 0;
  int result = WalkCodes(c, out);
  if (result == 0) result = WriteDefaultGlyph(c, out);
  if (result == 0) result = WriteUnmappedGlyphs(c, out);
  if (result == 0) result = out.Put(kMakePermanent, sizeof kMakePermanent - 1);
  // Format 4 counts the codes it visited; the others name the highest code sent.
  c.lastCode = c.cmap.format == 4 ? c.codeCounter : c.highestCode;
  return result;
}

int WriteUnmappedGlyphs(Conversion& c, StreamWriter& out) {
  uint32_t n = NumGlyphs(c.image);
  ByteView glyf = c.image.Table(Tag::Glyf);
  for (uint32_t g = 0; g < n; ++g) {
    if (!c.pending.Pending(g)) continue;
    c.pending.Clear(g);
    GlyphExtent extent;
    if (!GlyphLocation(c.image, g, &extent) || extent.length == 0) continue;
    // The last glyph runs to the end of "glyf".
    ByteView outline = g + 1 == n ? glyf.From(extent.start) : glyf.Sub(extent.start, extent.length);
    int result = WriteCharacter(c, out, kUnmappedCode, static_cast<uint16_t>(g), outline);
    if (result != 0) return result;
  }
  return 0;
}

}  // namespace gc
