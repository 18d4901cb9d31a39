// inspect's reading of a download stream on any bytes: the operations it lists
// lie in order inside the stream and take each byte at most once, the counts
// agree with them, and a SIZE called exact is: that many payload bytes follow
// the line inside the stream, then a UEL.
#include <cstdint>
#include <string_view>

#include "cli/stream_report.h"

using gc::pjl::kUel;
using gc::cli::StreamOperation;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view s(reinterpret_cast<const char*>(data), size);
  gc::cli::StreamReport report = gc::cli::InspectDownloadStream(s);
  if (report.bytes != size) __builtin_trap();

  size_t taken = report.pclBytes, next = 0;
  int downloads = 0, wrong = 0;
  for (const StreamOperation& op : report.operations) {
    if (op.offset < next || op.length > size - op.offset || op.length == 0) __builtin_trap();
    if (s.substr(op.offset, 4) != "@PJL") __builtin_trap();
    next = op.offset + op.length;
    taken += op.length;
    if (!op.download) continue;
    ++downloads;
    if (!op.exact) ++wrong;
    size_t lineEnd = s.find('\n', op.offset);
    size_t payload = lineEnd == std::string_view::npos ? size : lineEnd + 1;
    if (op.exact && (op.size > size - payload || s.substr(payload + op.size, kUel.size()) != kUel))
      __builtin_trap();
    if (op.idKind != StreamOperation::IdKind::None &&
        (op.id.empty() || op.id.size() > 5 || op.id.find_first_not_of("0123456789") != op.id.npos))
      __builtin_trap();
  }
  if (taken > size || downloads != report.downloads || wrong != report.wrongSizes) __builtin_trap();
  gc::cli::FormatStreamReport("fuzz.prn", report);
  return 0;
}
