// What kind of font file a file is, from its first bytes: the kinds that can
// be converted, and the font files that cannot but must never pass for macros.
#pragma once
#include <cstdint>

#include <cstddef>

#include "os/byte_view.h"

namespace gc {

enum class FontFileKind {
  NotAFont,
  TrueType,    // an sfnt with a table directory (TrueType or other outlines)
  Collection,  // "ttcf": several sfnt faces in one file
  Cff,         // "OTTO": OpenType with PostScript (CFF) outlines
  Woff,
  Woff2,
  Type1,     // PostScript Type 1 (.pfb or .pfa) or CID-keyed
  Type42,    // PostScript-wrapped TrueType
  Bitmap,    // X11 BDF or PCF
};

// `start` is the file's beginning (more bytes help the sfnt directory check);
// `fileSize` its whole size.
FontFileKind IdentifyFontFile(ByteView start, uint64_t fileSize);

// What the kind is called in messages: "a CFF-flavoured OpenType font", ...
const char* FontKindName(FontFileKind kind);

// The faces of a TrueType file: 1 for a single font, the count of a
// collection, 0 for anything else.
uint32_t FaceCount(ByteView file);

// Where face `face`'s table directory starts, or false when there is no such face.
bool FaceDirectory(ByteView file, uint32_t face, uint64_t* offset);

}  // namespace gc
