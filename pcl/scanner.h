// The table-driven PCL5 command scanner. Measure decides whether a file is a
// pure soft font and counts what Emit would write; Emit writes only the
// commands that build the soft font.
#pragma once
#include <cstdint>

#include "io/channel.h"
#include "os/file.h"
#include "pcl/byte_reader.h"

namespace gc {

enum ScanMode : int { kModeNotSet = 0, kMeasure = 1, kEmit = 2 };
enum ScanStatus : int { kScanOk = 0, kEndOfInput = -1, kNotPureFont = 3, kWriteFailed = 4 };
inline constexpr int kInputFile = 1;

struct ScanContext {
  // Set by the caller before ScanSetup.
  int mode = kModeNotSet;
  int inputKind = kInputFile;
  File* input = nullptr;
  int outputKind = -1;  // a ChannelKind value, for Emit
  OutputChannel* output = nullptr;

  // Results of a pass.
  uint32_t outputCount = 0;
  bool descriptorSeen = false;
  // Measure: the input ended inside a font header's data, so the count is
  // more than an emit pass could write.
  bool dataTruncated = false;

  // Per-pass state.
  int pendingChar = -1;
  double value = 0;
  int groupChar = 0;
  int16_t textParsingMethod = 0;
  ChannelWrite write = nullptr;  // bound by ScanSetup for Emit
  ByteReader reader;
};

// The program's one scanner.
ScanContext& scanContext();

// 0 ready, 1 mode not set, 2 bad mode, input or output kind.
int ScanSetup(ScanContext& context);
int Scan(ScanContext& context);

// A measure pass over `file` from its start; returns the scan status.
int MeasureFile(ScanContext& context, File& file);

}  // namespace gc
