// Any bytes as a font file, read in place: the reader and the converter stay
// inside them, and a conversion that plans a size writes exactly that many
// bytes, the descriptor it sends agreeing with the header.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "io/channel.h"
#include "truetype/convert.h"
#include "truetype/font_name.h"

namespace {

std::string output;
int Collect(gc::OutputChannel&, const uint8_t* bytes, size_t length) {
  output.append(reinterpret_cast<const char*>(bytes), length);
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> exact(data, data + size);  // ASan sees any read past the end
  gc::ByteView file(exact.data(), exact.size());
  for (uint32_t face : {0u, 1u}) {
    char name[201] = {};
    int format = 0;
    gc::ReadTrueTypeFontName(file, name, sizeof name, face, &format);
    gc::TrueTypeSoftFont font;
    if (font.Plan(file, face, "FUZZ", 1) != 0) continue;
    gc::OutputChannel channel;
    output.clear();
    if (font.Write(Collect, channel) != 0 || output.size() != font.payloadSize()) std::abort();
    // The header's format byte is the descriptor's.
    size_t header = output.find("W", 5);
    if (header == std::string::npos || header + 3 >= output.size() ||
        static_cast<uint8_t>(output[header + 3]) != font.descriptor().U8(2))
      std::abort();
  }
  return 0;
}
