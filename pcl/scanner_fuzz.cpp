// Whenever Measure ends with EndOfInput on whole data, Emit writes exactly the
// counted bytes.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "pcl/scanner.h"

using namespace gc;

namespace {
std::string Scratch(const char* what) {
  return "/tmp/gc-fuzz-scan-" + std::to_string(getpid()) + "-" + what;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string in = Scratch("in"), out = Scratch("out");
  {
    File f = File::Create(in.c_str());
    f.Write(data, size, nullptr);
  }
  File input = File::OpenRead(in.c_str(), true);
  ScanContext& c = scanContext();
  int measured = MeasureFile(c, input);
  uint32_t count = c.outputCount;
  bool whole = measured == kEndOfInput && !c.dataTruncated;

  File output = File::Create(out.c_str());
  OutputChannel channel;
  channel.kind = ChannelKind::File;
  channel.file = &output;
  input.Rewind();
  c.mode = kEmit;
  c.input = &input;
  c.outputKind = 2;
  c.output = &channel;
  if (ScanSetup(c) != 0) __builtin_trap();
  Scan(c);
  if (FlushChannel(channel) != 0) __builtin_trap();
  uint64_t written = 0;
  output.Size(&written);
  if (whole && (c.outputCount != count || written != count)) __builtin_trap();
  return 0;
}
