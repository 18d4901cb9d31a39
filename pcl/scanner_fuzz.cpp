// The scanner on any bytes. Whenever Measure ends with EndOfInput on whole
// data, Emit writes exactly the counted bytes; and when that is a pure soft
// font, what Emit wrote is itself a pure soft font with the same descriptor,
// which Emit passes through unchanged (a printer stores what we measured).
// The probe that adding a file runs agrees with the measure pass.
#include <cstdint>
#include <cstring>
#include <vector>

#include "io/channel.h"
#include "pcl/probe.h"
#include "pcl/scanner.h"

using namespace gc;

namespace {

// An emit pass into memory through the real channel; its status.
int Emit(ByteView input, std::vector<uint8_t>* out, ScanContext* emit) {
  out->clear();
  OutputChannel channel;
  channel.kind = ChannelKind::Memory;
  channel.memory = out;
  emit->mode = kEmit;
  emit->input = input;
  emit->outputKind = static_cast<int>(ChannelKind::Memory);
  emit->output = &channel;
  if (ScanSetup(*emit) != 0) __builtin_trap();
  int status = Scan(*emit);
  if (FlushChannel(channel) != 0) __builtin_trap();
  return status;
}

bool SameDescriptor(const ScanContext& a, const ScanContext& b) {
  return std::memcmp(a.descriptor.bytes, b.descriptor.bytes, sizeof a.descriptor.bytes) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ByteView input(data, size);  // libFuzzer's copy is exactly `size` long: ASan sees any overread
  ScanContext measure;
  int status = MeasureBytes(measure, input);
  if (status != kEndOfInput && status != kNotPureFont) __builtin_trap();
  bool whole = status == kEndOfInput && !measure.dataTruncated;

  std::vector<uint8_t> out;
  ScanContext emit;
  if (Emit(input, &out, &emit) != kEndOfInput && whole) __builtin_trap();
  if (!whole) return 0;
  if (emit.outputCount != measure.outputCount || out.size() != measure.outputCount) __builtin_trap();

  PclFontProbe probe = ProbeFontName(input);
  if (probe.pureFont != measure.descriptorSeen || probe.fontIdSeen != measure.fontIdSeen)
    __builtin_trap();
  if (!measure.descriptorSeen) return 0;

  ByteView stored(out.data(), out.size());
  ScanContext again;
  if (MeasureBytes(again, stored) != kEndOfInput || again.dataTruncated || !again.descriptorSeen ||
      again.outputCount != out.size() || !SameDescriptor(again, measure))
    __builtin_trap();
  std::vector<uint8_t> twice;
  ScanContext emitAgain;
  if (Emit(stored, &twice, &emitAgain) != kEndOfInput || twice != out) __builtin_trap();
  return 0;
}
