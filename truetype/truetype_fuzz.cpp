// Any bytes as a font file, read in place: the reader and the converter stay
// inside them (libFuzzer's copy is exactly the input's size, so ASan sees any
// read past it), a font name fits its buffer, and a conversion that plans a
// size writes exactly that many bytes: the download's SIZE is exact. What it
// writes is a pure PCL soft font to our own scanner, whose header agrees with
// the planned descriptor and which gives itself the planned font ID.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "io/channel.h"
#include "pcl/scanner.h"
#include "truetype/convert.h"
#include "truetype/font_kind.h"
#include "truetype/font_name.h"

namespace {

constexpr int kFontId = 1234;
constexpr size_t kNameCapacity = 201;
// A font of a kilobyte may map every code to a glyph and convert to
// megabytes. Past this size a conversion is planned only: writing it would
// take the same paths as a smaller one, a hundred times over.
constexpr uint32_t kWrittenPayload = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gc::ByteView file(data, size);
  gc::IdentifyFontFile(file, size);
  uint32_t faces = gc::FaceCount(file);
  for (uint32_t face : {0u, 1u}) {
    auto name = std::make_unique<char[]>(kNameCapacity);  // exact: ASan sees a write past it
    int format = 0;
    int length = gc::ReadTrueTypeFontName(file, name.get(), kNameCapacity, face, &format);
    if (length >= 0 && (static_cast<size_t>(length) >= kNameCapacity ||
                        std::strlen(name.get()) != static_cast<size_t>(length)))
      __builtin_trap();

    gc::TrueTypeSoftFont font;
    if (font.Plan(file, face, "FUZZ", kFontId) != 0) continue;
    if (face > 0 && face >= faces) __builtin_trap();  // only a collection has a second face
    if (font.payloadSize() > kWrittenPayload) continue;
    std::vector<uint8_t> out;
    gc::OutputChannel channel;
    channel.kind = gc::ChannelKind::Memory;
    channel.memory = &out;
    if (font.Write(gc::MemoryWrite, channel) != 0 || gc::FlushChannel(channel) != 0 ||
        out.size() != font.payloadSize())
      __builtin_trap();

    gc::ScanContext scan;
    if (gc::MeasureBytes(scan, gc::ByteView(out.data(), out.size())) != gc::kEndOfInput ||
        scan.dataTruncated || !scan.descriptorSeen || !scan.fontIdSeen || scan.fontId != kFontId ||
        scan.descriptor.U8(gc::fd::kHeaderFormat) != font.descriptor().U8(gc::fd::kHeaderFormat) ||
        std::memcmp(scan.descriptor.bytes + gc::fd::kFontName,
                    font.descriptor().bytes + gc::fd::kFontName, 16) != 0)
      __builtin_trap();
  }
  return 0;
}
