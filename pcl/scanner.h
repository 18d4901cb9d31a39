// The table-driven PCL5 command scanner. Measure decides whether a file is a
// pure soft font and counts what Emit would write; Emit writes only the
// commands that build the soft font.
#pragma once
#include <cstdint>

#include "io/channel.h"
#include "os/byte_view.h"
#include "pcl/byte_reader.h"
#include "pcl/font_descriptor.h"

namespace gc {

enum ScanMode : int { kModeNotSet = 0, kMeasure = 1, kEmit = 2 };
// A pass's status; a write failure of the emitting pass is kScanWriteFailed.
enum ScanStatus : int { kScanOk = 0, kEndOfInput = -1, kNotPureFont = 3, kScanWriteFailed = 4 };
inline constexpr int kInputBytes = 1;

// One scan's context: each measure or emit pass has its own.
struct ScanContext {
  // Set by the caller before ScanSetup.
  int mode = kModeNotSet;
  int inputKind = kInputBytes;
  ByteView input;  // the whole file's bytes
  int outputKind = -1;  // a ChannelKind value, for Emit
  OutputChannel* output = nullptr;

  // Results of a pass.
  uint32_t outputCount = 0;
  bool descriptorSeen = false;
  // Measure: the input ended inside a font header's data, so the count is
  // more than an emit pass could write.
  bool dataTruncated = false;
  FontDescriptorRecord descriptor;  // Measure: the font header's, once seen
  bool fontIdSeen = false;          // the file's own font ID command (ESC*c#D)
  int fontId = 0;

  // Per-pass state.
  int pendingChar = -1;
  double value = 0;
  int groupChar = 0;
  int16_t textParsingMethod = 0;
  ChannelWrite write = nullptr;  // bound by ScanSetup for Emit
  ByteReader reader;
};

// 0 ready, 1 mode not set, 2 bad mode, input or output kind.
int ScanSetup(ScanContext& context);
int Scan(ScanContext& context);

// A measure pass over `input`; returns the scan status.
int MeasureBytes(ScanContext& context, ByteView input);

}  // namespace gc
