// What inspect finds in a PJL/PCL download stream (a .prn file): the PJL
// operations, each FSDOWNLOAD's name and SIZE, whether the SIZE is exact, and
// the font or macro ID its payload gives itself. Finding is a pure function of
// the bytes; printing is separate.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "pjl/requests.h"

namespace gc::cli {

struct StreamOperation {
  // The bytes it took: its PJL line and, for a download, the payload read
  // after it (never past the stream's end).
  size_t offset = 0;
  size_t length = 0;
  bool download = false;
  // Any other PJL line: what follows "@PJL " (empty for a bare "@PJL").
  std::string command;
  // A download: NAME= and SIZE= as written, whether SIZE bytes follow the
  // line and a UEL follows them, and the payload's first command when it
  // gives the font or macro its ID (the digits as written).
  std::string name;
  unsigned long long size = 0;
  bool exact = false;
  enum class IdKind { None, Font, Macro } idKind = IdKind::None;
  std::string id;
};

struct StreamReport {
  size_t bytes = 0;
  std::vector<StreamOperation> operations;  // in stream order
  size_t pclBytes = 0;                      // outside PJL lines, UELs and payloads
  int downloads = 0;
  int wrongSizes = 0;
};

// The stream's operations; reads only inside `stream`.
StreamReport InspectDownloadStream(std::string_view stream);

// inspect's text for the report of the file at `path`.
std::string FormatStreamReport(const std::string& path, const StreamReport& report);

}  // namespace gc::cli
