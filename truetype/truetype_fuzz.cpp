// Any bytes as a font file: the reader and the converter stay inside the image,
// and a conversion that succeeds announces exactly the payload it sends.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "io/channel.h"
#include "truetype/convert.h"
#include "truetype/font_name.h"

namespace {

std::string output;
int Collect(gc::OutputChannel&, const uint8_t* bytes, size_t length) {
  output.append(reinterpret_cast<const char*>(bytes), length);
  return 0;
}

void CheckSize() {
  const std::string line = "@PJL FSDOWNLOAD FORMAT:BINARY SIZE=";
  const std::string uel = "\x1b%-12345X";
  size_t at = output.find(line);
  size_t end = at == std::string::npos ? at : output.find("\r\n", at);
  if (end == std::string::npos || output.size() < end + 2 + uel.size() ||
      output.compare(output.size() - uel.size(), uel.size(), uel) != 0)
    std::abort();
  unsigned long size = std::strtoul(output.c_str() + at + line.size(), nullptr, 10);
  if (size != output.size() - uel.size() - (end + 2)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/gc-fuzz-truetype-" + std::to_string(getpid()) + ".ttf";
  static const bool cleanup = std::atexit([] { std::remove(path.c_str()); }) == 0;
  (void)cleanup;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  char name[201] = {};
  gc::ReadTrueTypeFontName(path.c_str(), name, sizeof name);
  gc::OutputChannel channel;
  output.clear();
  if (gc::ConvertTrueTypeFont(nullptr, Collect, channel, path.c_str(), "FUZZ", 1) == 0) CheckSize();
  return 0;
}
