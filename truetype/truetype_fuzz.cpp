// Any bytes as a font file: the reader and the converter stay inside the image.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "jobs/channel.h"
#include "truetype/convert.h"
#include "truetype/font_name.h"

namespace {
int Discard(gc::OutputChannel&, const uint8_t*, size_t) {
  return 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/gc-fuzz-truetype-" + std::to_string(getpid()) + ".ttf";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  char name[201] = {};
  gc::ReadTrueTypeFontName(path.c_str(), name, sizeof name);
  gc::OutputChannel channel;
  gc::ConvertTrueTypeFont(nullptr, Discard, channel, path.c_str(), "FUZZ", 1);
  return 0;
}
