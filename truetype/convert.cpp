// A TrueType font becomes a PCL TrueType-scalable soft font. Every conversion
// runs twice over the same image: once counting, once writing.
#include "truetype/convert.h"

#include "io/result_codes.h"
#include "truetype/soft_font.h"

namespace gc {

namespace {

constexpr char kFontId[] = "\x1b*c%dD";
constexpr char kFontHeader[] = "\x1b)s%uW";

bool WritesCharacters(uint16_t format) {
  return format == 0 || format == 4 || format == 6;
}
bool SendsHeaderOnly(uint16_t format) {
  return format == 2 || format == 8 || format == 10 || format == 12;
}

// The two commands in front of the header, written or counted.
int WriteHeadCommands(StreamWriter& out, int fontId, uint32_t headerSize) {
  out.Format(kFontId, fontId);
  return out.Format(kFontHeader, headerSize);
}

}  // namespace

TrueTypeSoftFont::TrueTypeSoftFont() = default;
TrueTypeSoftFont::~TrueTypeSoftFont() = default;
TrueTypeSoftFont::TrueTypeSoftFont(TrueTypeSoftFont&&) noexcept = default;
TrueTypeSoftFont& TrueTypeSoftFont::operator=(TrueTypeSoftFont&&) noexcept = default;

int TrueTypeSoftFont::Plan(ByteView file, uint32_t face, const char* downloadName, int fontId) {
  FontImage image(file);
  ParseTableDirectory(image, face);
  conversion_ = std::make_unique<Conversion>(image, downloadName);
  Conversion& c = *conversion_;
  fontId_ = fontId;
  // A file that changed since it was added, or tables that no header format's
  // sizes can carry, would give the printer a broken font.
  if (!HasRequiredTables(c.image) || c.headerFormat == 0) return kUnsupportedTrueType;
  if (!WritesCharacters(c.cmap.format) && !SendsHeaderOnly(c.cmap.format))
    return kUnsupportedTrueType;

  StreamWriter header;
  WriteFontHeader(c, header);
  StreamWriter payload;
  if (header.count() <= 0x7FFFFFFF)
    WriteHeadCommands(payload, fontId, static_cast<uint32_t>(header.count()));
  if (WritesCharacters(c.cmap.format)) WriteMappedGlyphs(c, payload);
  // A glyph's 16-bit size fields, the header command's value and the PJL SIZE bound the rest.
  if (c.glyphTooLarge || header.count() > 0x7FFFFFFF ||
      header.count() + payload.count() > 0xFFFFFFFFu)
    return kUnsupportedTrueType;
  headerSize_ = static_cast<uint32_t>(header.count());
  payloadSize_ = static_cast<uint32_t>(header.count() + payload.count());
  descriptor_ = c.descriptor;
  return kStreamOk;
}

int TrueTypeSoftFont::Write(ChannelWrite write, OutputChannel& channel) {
  Conversion& c = *conversion_;
  StreamWriter out(write, channel);
  WriteHeadCommands(out, fontId_, headerSize_);
  if (out.error() == 0) WriteFontHeader(c, out);
  if (out.error() == 0 && WritesCharacters(c.cmap.format)) WriteMappedGlyphs(c, out);
  return out.error() ? kReadOrWriteFailed : kStreamOk;
}

}  // namespace gc
