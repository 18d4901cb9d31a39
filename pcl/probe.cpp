#include "pcl/probe.h"

#include "pcl/scanner.h"

namespace gc {

PclFontProbe ProbeFontName(ByteView file) {
  ScanContext scan;
  int status = MeasureBytes(scan, file);
  PclFontProbe probe;
  probe.fontIdSeen = scan.fontIdSeen;
  probe.fontId = scan.fontId;
  if (status != kEndOfInput || !scan.descriptorSeen) return probe;
  probe.pureFont = true;
  probe.descriptor = scan.descriptor;
  probe.name.assign(reinterpret_cast<const char*>(scan.descriptor.bytes + fd::kFontName), 16);
  return probe;
}

}  // namespace gc
