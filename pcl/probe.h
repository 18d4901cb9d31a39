// What adding a file to the item list learns from a measure pass: whether it
// is a pure PCL5 soft font, its name and descriptor, and its own font ID.
#pragma once
#include <string>

#include "os/byte_view.h"
#include "pcl/font_descriptor.h"

namespace gc {

struct PclFontProbe {
  bool pureFont = false;
  std::string name;  // the descriptor's 16-byte font name, as it stands
  FontDescriptorRecord descriptor;
  // The file's font ID command (ESC*c#D), noted even when the file turns out
  // to be no pure soft font: the pass has seen it by then.
  bool fontIdSeen = false;
  int fontId = 0;
};

PclFontProbe ProbeFontName(ByteView file);

}  // namespace gc
