// A TrueType font becomes a PCL TrueType-scalable soft font. The PJL download
// line states the payload size first, so every conversion runs twice over the
// same image: once counting, once writing.
#include "truetype/convert.h"

#include "jobs/streams.h"
#include "os/ui.h"
#include "truetype/soft_font.h"
#include "resources/messages.h"

namespace gc {

namespace {

constexpr int kUnsupportedFormat = 11;
constexpr int kWriteFailed = 5;

bool WritesCharacters(uint16_t format) {
  return format == 0 || format == 4 || format == 6;
}
bool SendsHeaderOnly(uint16_t format) {
  return format == 2 || format == 8 || format == 10 || format == 12;
}

}  // namespace

int ConvertTrueTypeFont(os::Ui* ui, ChannelWrite write, OutputChannel& channel, const char* path,
                        const char* downloadName, int fontId, uint32_t face) {
  FontImage image;
  if (int code = LoadFontFile(path, image); code != 0) return code;
  ParseTableDirectory(image, face);

  Conversion c(image, downloadName);
  auto refuse = [&] {
    if (ui) ui->ShowMessage(kMsgUnsupportedFont);
    return kUnsupportedFormat;
  };
  // A file that changed since it was added, or tables that no header format's
  // sizes can carry, would give the printer a broken font.
  if (!HasRequiredTables(image) || c.headerFormat == 0) return refuse();
  if (!WritesCharacters(c.cmap.format) && !SendsHeaderOnly(c.cmap.format)) return refuse();

  StreamWriter header;
  WriteFontHeader(c, header);
  StreamWriter payload;
  if (WritesCharacters(c.cmap.format)) WriteMappedGlyphs(c, payload);
  uint64_t payloadCount =
      payload.count() + TrueTypeHeadCommandsLength(fontId, static_cast<uint32_t>(header.count()));
  // A glyph's 16-bit size fields, the header command's value and the PJL SIZE bound the rest.
  if (c.glyphTooLarge || header.count() > 0x7FFFFFFF || header.count() + payloadCount > 0xFFFFFFFFu)
    return refuse();

  StreamWriter out(write, channel);
  if (WriteTrueTypeHead(write, channel, downloadName, fontId, static_cast<uint32_t>(header.count()),
                        static_cast<uint32_t>(payloadCount)) != 0)
    return kWriteFailed;
  if (WriteFontHeader(c, out) != 0) return kWriteFailed;
  if (WritesCharacters(c.cmap.format) && WriteMappedGlyphs(c, out) != 0) return kWriteFailed;
  return WriteTrueTypeTail(write, channel);
}

}  // namespace gc
