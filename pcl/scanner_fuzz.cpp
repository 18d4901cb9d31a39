// Whenever Measure ends with EndOfInput on whole data, Emit writes exactly the
// counted bytes; both passes read only the input.
#include <cstdint>
#include <vector>

#include "pcl/scanner.h"

using namespace gc;

namespace {
std::vector<uint8_t> written;
int Collect(OutputChannel&, const uint8_t* bytes, size_t length) {
  written.insert(written.end(), bytes, bytes + length);
  return 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> exact(data, data + size);  // ASan sees any read past the end
  ByteView input(exact.data(), exact.size());
  ScanContext measure;
  int measured = MeasureBytes(measure, input);
  bool whole = measured == kEndOfInput && !measure.dataTruncated;

  written.clear();
  OutputChannel channel;
  ScanContext emit;
  emit.mode = kEmit;
  emit.input = input;
  emit.outputKind = static_cast<int>(ChannelKind::File);
  emit.output = &channel;
  if (ScanSetup(emit) != 0) __builtin_trap();
  emit.write = Collect;
  Scan(emit);
  if (whole && (emit.outputCount != measure.outputCount || written.size() != measure.outputCount))
    __builtin_trap();
  return 0;
}
