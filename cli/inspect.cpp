#include "cli/inspect.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "cli/stream_report.h"
#include "items/recognize.h"
#include "os/file_bytes.h"
#include "pcl/font_descriptor.h"
#include "pcl/probe.h"
#include "sample/font_sample.h"
#include "truetype/convert.h"
#include "truetype/font_kind.h"
#include "truetype/font_name.h"

namespace gc::cli {

namespace {

// Message boxes of the recognition stay silent: inspect says it in its own words.
class QuietUi : public os::Ui {
 public:
  os::Answer ShowText(const std::string&, os::Buttons) override { return os::Answer::Ok; }
  os::ErrorChoice ChooseOnError(const std::string&) override { return os::ErrorChoice::Stop; }
};

void ListFaces(const std::string& path, ByteView file) {
  uint32_t faces = FaceCount(file);
  std::printf("%s: TrueType collection of %u faces (glyphcast takes --face N; the program "
              "converts face 0)\n",
              path.c_str(), faces);
  for (uint32_t face = 0; face < faces; ++face) {
    char name[201] = {};
    int format;
    int n = ReadTrueTypeFontName(file, name, sizeof name, face, &format);
    std::printf("  face %u: %s\n", face, n >= 0 ? name : "(not a TrueType face)");
  }
}

// Plans the conversion, for the descriptor and size the printer would receive.
bool DescribeConversion(ByteView file, const DownloadItem& item, FontDescriptorRecord* d) {
  TrueTypeSoftFont font;
  if (font.Plan(file, item.face, item.downloadName.c_str(), item.controlId) != 0) {
    std::printf("  cannot be converted: its tables do not fit the PCL font format\n");
    return false;
  }
  *d = font.descriptor();
  std::printf("  sent as a PCL TrueType soft font: header format %d, %s, %s, %u bytes on disk\n",
              d->U8(fd::kHeaderFormat), d->U8(fd::kFontType) == 11 ? "unbound" : "bound",
              d->U8(fd::kSpacing) ? "proportional" : "fixed pitch", font.payloadSize());
  return true;
}

std::string Readable(const std::string& command) {
  std::string text;
  for (char c : command) {
    if (c == '\x1b') text += text.empty() ? "ESC" : " ESC";
    else text += c;
  }
  return text;
}

// How to reach the font once it is on the printer.
void PrintSelection(const DownloadItem& item, const FontDescriptorRecord& d) {
  std::printf("Once stored as %s with font ID %d, select it\n", item.downloadName.c_str(),
              item.controlId);
  std::printf("  by ID:          ESC(%dX\n", item.controlId);
  std::string attributes = BuildSampleTexts(d).selectCommand;
  if (UnboundFont(d)) {
    // An unbound font maps text through the symbol set in force; the sample
    // page's choice of Roman-8 fits neither Windows nor UTF-8 text.
    attributes.erase(0, attributes.find("\x1b(s"));
    std::printf("  by attributes:  %s (10.00v: 10 point; any height),\n", Readable(attributes).c_str());
    std::printf("                  after a symbol set that fits the text: ESC(19U for Windows\n"
                "                  Latin 1 (cp1252) text, ESC(18N with ESC&t83P for UTF-8 text\n");
  } else if (!attributes.empty()) {
    std::printf("  by attributes:  %s\n", Readable(attributes).c_str());
  }
  std::printf("  by name:        ESC&n%zuW, the byte 2, then \"%s\" (a font on the printer's disk)\n",
              item.downloadName.size() + 1, item.downloadName.c_str());
}

}  // namespace

int Inspect(const std::string& path, const InspectOptions& options) {
  os::FileBytes file;
  if (file.Open(path.c_str(), false) != os::FileBytes::Status::Ok) {
    std::fprintf(stderr, "glyphcast: cannot read %s\n", path.c_str());
    return 1;
  }
  ByteView all = file.bytes();
  std::string_view s(reinterpret_cast<const char*>(all.data()), all.size());
  if (s.substr(0, pjl::kUel.size()) == pjl::kUel || s.substr(0, 4) == "@PJL") {
    StreamReport report = InspectDownloadStream(s);
    std::fputs(FormatStreamReport(path, report).c_str(), stdout);
    return report.wrongSizes ? 1 : 0;
  }

  FontFileKind kind = IdentifyFontFile(all, all.size());
  if (kind == FontFileKind::Collection) ListFaces(path, all);
  if (kind == FontFileKind::Collection && options.face >= FaceCount(all)) {
    std::printf("%s: no face %u\n", path.c_str(), options.face);
    return 1;
  }

  // What adding the file to the list would make of it.
  ItemList none;
  DownloadItem item;
  ItemState state;
  QuietUi quiet;
  if (RecognizeItem(path, none, quiet, item, state, options.face) != 0) {
    std::printf("%s: %s that cannot be converted: only fonts with TrueType outlines and a cmap "
                "subtable of format 0, 4 or 6 can\n",
                path.c_str(), kind == FontFileKind::NotAFont ? "a file" : FontKindName(kind));
    return 1;
  }
  if (options.name) item.downloadName = *options.name;
  if (options.id) item.controlId = *options.id;

  FontDescriptorRecord descriptor;
  switch (static_cast<ResourceType>(item.resourceType)) {
    case ResourceType::TrueTypeFont: {
      char name[201] = {};
      int format = 0;
      ReadTrueTypeFontName(all, name, sizeof name, options.face, &format);
      std::printf("%s: TrueType font \"%s\" (cmap format %d)\n", path.c_str(), name, format);
      if (!DescribeConversion(all, item, &descriptor)) return 1;
      break;
    }
    case ResourceType::PclFont: {
      PclFontProbe probe = ProbeFontName(all);
      descriptor = probe.descriptor;
      std::printf("%s: pure PCL5 soft font \"%s\" (header format %d)", path.c_str(),
                  probe.name.c_str(), descriptor.U8(fd::kHeaderFormat));
      if (probe.fontIdSeen) std::printf(", font ID command %d", probe.fontId);
      std::printf("\n");
      break;
    }
    default:
      std::printf("%s: PCL5 macro (not a pure soft font), %zu bytes\n", path.c_str(), all.size());
      std::printf("Once stored as %s with macro ID %d, run it with ESC&f%dY ESC&f2X\n",
                  item.downloadName.c_str(), item.controlId, item.controlId);
      return 0;
  }
  PrintSelection(item, descriptor);
  return 0;
}

}  // namespace gc::cli
