#include "cli/stream_report.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace gc::cli {

namespace {

// The value of KEY=... in a PJL line: a quoted text or a number.
std::string PjlValue(std::string_view line, std::string_view key) {
  size_t at = line.find(key);
  if (at == std::string_view::npos) return "";
  at += key.size();
  if (at < line.size() && line[at] == '"') {
    size_t end = line.find('"', at + 1);
    return std::string(line.substr(at + 1, end == std::string_view::npos ? end : end - at - 1));
  }
  size_t end = line.find_first_of(" \r\n", at);
  return std::string(line.substr(at, end == std::string_view::npos ? end : end - at));
}

// What a stored file's payload makes of itself: its first command gives the
// font or macro its ID.
void PayloadId(std::string_view payload, StreamOperation* op) {
  auto number = [&](std::string_view prefix, char end, StreamOperation::IdKind kind) {
    if (payload.substr(0, prefix.size()) != prefix) return false;
    size_t stop = payload.find(end, prefix.size());
    std::string_view digits = payload.substr(prefix.size(), stop - prefix.size());
    if (stop == std::string_view::npos || digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos)
      return false;
    op->idKind = kind;
    op->id = std::string(digits);
    return true;
  };
  if (!number("\x1b*c", 'D', StreamOperation::IdKind::Font))
    number("\x1b&f", 'y', StreamOperation::IdKind::Macro);
}

// printf onto a string: texts are printed up to a NUL, as on a terminal.
void Append(std::string* out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (n > 0) {
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    text.pop_back();
    *out += text;
  }
  va_end(again);
}

}  // namespace

StreamReport InspectDownloadStream(std::string_view s) {
  StreamReport report;
  report.bytes = s.size();
  for (size_t at = 0; at < s.size();) {
    if (s.substr(at, pjl::kUel.size()) == pjl::kUel) {
      at += pjl::kUel.size();
      continue;
    }
    if (s.substr(at, 4) == "@PJL") {
      StreamOperation op;
      op.offset = at;
      size_t end = s.find('\n', at);
      std::string_view line = s.substr(at, end == std::string_view::npos ? end : end - at + 1);
      at += line.size();
      std::string_view text = line.substr(0, line.find_first_of("\r\n"));
      if (text.find("FSDOWNLOAD") != std::string_view::npos) {
        op.download = true;
        ++report.downloads;
        op.name = PjlValue(text, "NAME=");
        op.size = std::strtoull(PjlValue(text, "SIZE=").c_str(), nullptr, 10);
        // Compared with what is left, never added to the position: a SIZE near
        // 2^64 (or a negative one, which strtoull wraps) must not lead back.
        bool fits = op.size <= s.size() - at;
        op.exact = fits && s.substr(at + op.size, pjl::kUel.size()) == pjl::kUel;
        if (!op.exact) ++report.wrongSizes;
        PayloadId(s.substr(at, op.size), &op);
        at = fits ? at + op.size : s.size();
      } else if (text.size() > 5) {
        op.command = std::string(text.substr(5));
      }
      op.length = at - op.offset;
      report.operations.push_back(std::move(op));
      continue;
    }
    size_t next = s.find('\x1b', at + 1);
    while (next != std::string_view::npos && s.substr(next, pjl::kUel.size()) != pjl::kUel)
      next = s.find('\x1b', next + 1);
    size_t end = next == std::string_view::npos ? s.size() : next;
    report.pclBytes += end - at;
    at = end;
  }
  return report;
}

std::string FormatStreamReport(const std::string& path, const StreamReport& report) {
  std::string out;
  Append(&out, "%s: PJL/PCL download stream, %zu bytes\n", path.c_str(), report.bytes);
  for (const StreamOperation& op : report.operations) {
    if (!op.download) {
      if (!op.command.empty()) Append(&out, "  %s\n", op.command.c_str());
      continue;
    }
    std::string id;
    if (op.idKind == StreamOperation::IdKind::Font) id = ": font ID " + op.id;
    if (op.idKind == StreamOperation::IdKind::Macro) id = ": macro ID " + op.id;
    Append(&out, "  FSDOWNLOAD %s SIZE=%llu %s%s\n", op.name.c_str(), op.size,
           op.exact ? "(exact)" : "(WRONG: not followed by UEL)", id.c_str());
  }
  if (report.pclBytes) Append(&out, "  PCL data outside downloads: %zu bytes\n", report.pclBytes);
  if (report.downloads)
    Append(&out,
           report.wrongSizes ? "%d of %d FSDOWNLOAD SIZE values are wrong\n"
                             : "every FSDOWNLOAD SIZE is exact (%d of %d)\n",
           report.wrongSizes ? report.wrongSizes : report.downloads, report.downloads);
  return out;
}

}  // namespace gc::cli
