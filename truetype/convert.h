// TrueType font -> PCL TrueType-scalable soft font: the payload of its PJL
// download (the font ID command, the font header command and header, the
// characters and the make-permanent command). The download line states the
// payload's size first, so a conversion is planned (a counting pass) before
// it is written.
#pragma once
#include <cstdint>
#include <memory>

#include "io/channel.h"
#include "os/byte_view.h"
#include "pcl/font_descriptor.h"

namespace gc {

struct Conversion;

class TrueTypeSoftFont {
 public:
  TrueTypeSoftFont();
  ~TrueTypeSoftFont();
  TrueTypeSoftFont(TrueTypeSoftFont&&) noexcept;
  TrueTypeSoftFont& operator=(TrueTypeSoftFont&&) noexcept;

  // The counting pass over face `face` of `file` (which must outlive this
  // object): 0, or kUnsupportedTrueType for a font the format cannot carry
  // (missing tables, a cmap format the writer does not know, a glyph or
  // table past the size fields); the caller shows message 158.
  int Plan(ByteView file, uint32_t face, const char* downloadName, int fontId);

  uint32_t payloadSize() const { return payloadSize_; }  // the download's SIZE
  // The descriptor the header carries, in the form the sample page reads.
  const FontDescriptorRecord& descriptor() const { return descriptor_; }

  // The payload; 0, kReadOrWriteFailed when a write failed.
  int Write(ChannelWrite write, OutputChannel& channel);

 private:
  std::unique_ptr<Conversion> conversion_;
  int fontId_ = 0;
  uint32_t headerSize_ = 0;
  uint32_t payloadSize_ = 0;
  FontDescriptorRecord descriptor_;
};

}  // namespace gc
