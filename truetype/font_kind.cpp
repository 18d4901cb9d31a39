#include "truetype/font_kind.h"

#include <cstring>


namespace gc {

namespace {

constexpr uint32_t kTrueTypeVersion = 0x00010000, kAppleTrue = 0x74727565 /* true */,
                   kCffVersion = 0x4F54544F /* OTTO */, kType1Sfnt = 0x74797031 /* typ1 */,
                   kCollection = 0x74746366 /* ttcf */, kWoff = 0x774F4646 /* wOFF */,
                   kWoff2 = 0x774F4632 /* wOF2 */;

bool StartsWith(ByteView bytes, uint64_t at, const char* text) {
  size_t n = std::strlen(text);
  return bytes.Has(at, n) && std::memcmp(bytes.data() + at, text, n) == 0;
}

bool PostScriptFontHeader(ByteView bytes, uint64_t at, FontFileKind* kind) {
  if (StartsWith(bytes, at, "%!PS-AdobeFont") || StartsWith(bytes, at, "%!FontType1") ||
      StartsWith(bytes, at, "%!PS-Adobe-3.0 Resource-CIDFont")) {
    *kind = FontFileKind::Type1;
    return true;
  }
  if (StartsWith(bytes, at, "%!PS-TrueTypeFont")) {
    *kind = FontFileKind::Type42;
    return true;
  }
  return false;
}

// An sfnt header followed by a directory that fits the file: a version alone
// is four bytes any file could start with.
bool PlausibleSfnt(ByteView start, uint64_t fileSize) {
  uint32_t numTables = start.U16(4);
  if (numTables == 0 || 12 + 16 * uint64_t{numTables} > fileSize) return false;
  // The first entry's tag, where the caller gave enough bytes, is printable text.
  if (!start.Has(12, 4)) return true;
  for (int i = 0; i < 4; ++i) {
    uint8_t c = start.U8(12 + i);
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

}  // namespace

FontFileKind IdentifyFontFile(ByteView start, uint64_t fileSize) {
  FontFileKind kind = FontFileKind::NotAFont;
  switch (start.U32(0)) {
    case kTrueTypeVersion:
    case kAppleTrue:
      return PlausibleSfnt(start, fileSize) ? FontFileKind::TrueType : kind;
    case kCffVersion:
      return PlausibleSfnt(start, fileSize) ? FontFileKind::Cff : kind;
    case kType1Sfnt:
      return PlausibleSfnt(start, fileSize) ? FontFileKind::Type1 : kind;
    case kCollection:
      return start.U32(8) >= 1 ? FontFileKind::Collection : kind;
    case kWoff:
      return FontFileKind::Woff;
    case kWoff2:
      return FontFileKind::Woff2;
  }
  // A .pfb is segments of 0x80, type and a 32-bit length around the same text.
  if (start.U8(0) == 0x80 && start.U8(1) == 1 && PostScriptFontHeader(start, 6, &kind)) return kind;
  if (PostScriptFontHeader(start, 0, &kind)) return kind;
  if (StartsWith(start, 0, "STARTFONT ") || StartsWith(start, 0, "\x01" "fcp"))
    return FontFileKind::Bitmap;
  return kind;
}

const char* FontKindName(FontFileKind kind) {
  switch (kind) {
    case FontFileKind::NotAFont:
      return "not a font file";
    case FontFileKind::TrueType:
      return "a TrueType font";
    case FontFileKind::Collection:
      return "a TrueType collection";
    case FontFileKind::Cff:
      return "an OpenType font with PostScript (CFF) outlines";
    case FontFileKind::Woff:
      return "a WOFF web font";
    case FontFileKind::Woff2:
      return "a WOFF2 web font";
    case FontFileKind::Type1:
      return "a PostScript Type 1 font";
    case FontFileKind::Type42:
      return "a PostScript Type 42 font";
    case FontFileKind::Bitmap:
      return "an X11 bitmap font";
  }
  return "";
}

uint32_t FaceCount(ByteView file) {
  if (file.U32(0) != kCollection) return file.size() >= 12 ? 1 : 0;
  uint32_t count = file.U32(8);
  // Every face's offset must be in the header.
  return file.Has(12, uint64_t{count} * 4) ? count : 0;
}

bool FaceDirectory(ByteView file, uint32_t face, uint64_t* offset) {
  if (file.U32(0) != kCollection) {
    *offset = 0;
    return face == 0;
  }
  if (face >= FaceCount(file)) return false;
  *offset = file.U32(12 + 4 * uint64_t{face});
  return file.Has(*offset, 12);
}

}  // namespace gc
