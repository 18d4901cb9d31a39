#include "cli/inspect.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "items/recognize.h"
#include "os/file.h"
#include "pcl/font_descriptor.h"
#include "truetype/font_name.h"

namespace gc::cli {

namespace {

constexpr std::string_view kUel = "\x1b%-12345X";

bool ReadWhole(const std::string& path, std::string* bytes) {
  File f = File::OpenRead(path.c_str(), false);
  uint64_t size = 0;
  if (!f.IsOpen() || !f.Size(&size) || size > (1ull << 31)) return false;
  bytes->resize(static_cast<size_t>(size));
  size_t got = 0;
  while (got < bytes->size()) {
    long long n = f.Read(bytes->data() + got, bytes->size() - got);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return true;
}

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

// Lists the PJL file operations of a download stream.
int InspectStream(const std::string& path, std::string_view s) {
  std::printf("%s: PJL/PCL download stream, %zu bytes\n", path.c_str(), s.size());
  int downloads = 0, wrong = 0;
  size_t pcl = 0;
  for (size_t at = 0; at < s.size();) {
    if (s.substr(at, kUel.size()) == kUel) {
      at += kUel.size();
      continue;
    }
    if (s.substr(at, 4) == "@PJL") {
      size_t end = s.find('\n', at);
      std::string_view line = s.substr(at, end == std::string_view::npos ? end : end - at + 1);
      at += line.size();
      std::string_view text = line.substr(0, line.find_first_of("\r\n"));
      if (text.find("FSDOWNLOAD") != std::string_view::npos) {
        ++downloads;
        std::string name = PjlValue(text, "NAME=");
        unsigned long long size = std::strtoull(PjlValue(text, "SIZE=").c_str(), nullptr, 10);
        bool exact = at + size <= s.size() && s.substr(at + size, kUel.size()) == kUel;
        if (!exact) ++wrong;
        std::printf("  FSDOWNLOAD %s SIZE=%llu %s\n", name.c_str(), size,
                    exact ? "(exact)" : "(WRONG: not followed by UEL)");
        at = at + size <= s.size() ? at + size : s.size();
      } else if (text.size() > 5) {
        std::printf("  %s\n", std::string(text.substr(5)).c_str());
      }
      continue;
    }
    size_t next = s.find('\x1b', at + 1);
    while (next != std::string_view::npos && s.substr(next, kUel.size()) != kUel)
      next = s.find('\x1b', next + 1);
    size_t end = next == std::string_view::npos ? s.size() : next;
    pcl += end - at;
    at = end;
  }
  if (pcl) std::printf("  PCL data outside downloads: %zu bytes\n", pcl);
  if (downloads)
    std::printf(wrong ? "%d of %d FSDOWNLOAD SIZE values are wrong\n"
                      : "every FSDOWNLOAD SIZE is exact (%d of %d)\n",
                wrong ? wrong : downloads, downloads);
  return wrong ? 1 : 0;
}

}  // namespace

int Inspect(const std::string& path) {
  std::string bytes;
  if (!ReadWhole(path, &bytes)) {
    std::fprintf(stderr, "glyphcast: cannot read %s\n", path.c_str());
    return 1;
  }
  std::string_view s = bytes;
  if (s.substr(0, kUel.size()) == kUel || s.substr(0, 4) == "@PJL") return InspectStream(path, s);

  char name[201] = {};
  int tt = ReadTrueTypeFontName(path.c_str(), name, sizeof name);
  if (tt >= 0) {
    std::printf("%s: TrueType font \"%s\" (cmap format %d)%s\n", path.c_str(), name,
                lastCmapFormat(),
                lastCmapFormat() == 0 || lastCmapFormat() == 4 || lastCmapFormat() == 6
                    ? ""
                    : ": not a supported format");
    return 0;
  }
  if (tt == -3) {
    std::printf("%s: a font file that cannot be used\n", path.c_str());
    return 1;
  }
  FontState& fonts = fontState();
  fonts.scannedFontIdSeen = 0;
  int n = ProbeFontName(path.c_str(), name, sizeof name);
  if (n >= 0) {
    const FontDescriptorRecord& d = fonts.lastFontDescriptor;
    std::printf("%s: pure PCL5 soft font \"%.16s\" (header format %d)", path.c_str(), name,
                d.U8(fd::kHeaderFormat));
    if (fonts.scannedFontIdSeen) std::printf(", font ID command %d", fonts.scannedFontId);
    std::printf("\n");
    return 0;
  }
  std::printf("%s: PCL5 macro (not a pure soft font), %zu bytes\n", path.c_str(), bytes.size());
  return 0;
}

}  // namespace gc::cli
