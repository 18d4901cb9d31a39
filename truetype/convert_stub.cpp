#include "truetype/convert.h"

namespace gc {

// Until the converter lands, a TrueType item cannot be sent.
int ConvertTrueTypeFont(os::Ui*, ChannelWrite, OutputChannel&, const char*, const char*, int) {
  return 8;
}

}  // namespace gc

#include "truetype/font_name.h"

namespace gc {
int ReadTrueTypeFontName(const char*, char*, size_t) { return -1; }
int lastCmapFormat() { return -1; }
}  // namespace gc
