#include "jobs/streams.h"

#include <cstdio>
#include <cstring>

#include "io/result_codes.h"
#include "io/stream_writer.h"
#include "os/ui.h"
#include "pcl/scanner.h"
#include "pjl/requests.h"
#include "resources/messages.h"
#include "truetype/convert.h"

namespace gc {

namespace {

constexpr char kPjl[] = "@PJL\r\n";
constexpr char kFsinit[] = "@PJL FSINIT VOLUME=\"%d:\"\r\n";
constexpr char kEnterPcl[] = "@PJL ENTER LANGUAGE=PCL\r\n";
constexpr char kDeleteFontsAndMacros[] = "\x1b*c0F\x1b&f6X";
constexpr char kFontDirectory[] = "@PJL FSMKDIR NAME=\"%d:\\pcl\\fonts\"\r\n";
constexpr char kFontDownload[] =
    "@PJL FSDOWNLOAD FORMAT:BINARY SIZE=%u NAME=\"%d:\\pcl\\fonts\\%s\"\r\n";
constexpr char kMacroDirectories[] =
    "@PJL FSMKDIR NAME=\"%d:\\pcl\"\r\n@PJL FSMKDIR NAME=\"%d:\\pcl\\macros\"\r\n";
constexpr char kMacroDownload[] =
    "@PJL FSDOWNLOAD FORMAT:BINARY SIZE=%u NAME=\"%d:\\pcl\\macros\\%s\"\r\n";
constexpr char kFontId[] = "\x1b*c%dD";
constexpr char kMakePermanent[] = "\x1b*c5F";
constexpr char kMacroStart[] = "\x1b&f%dy0X";
constexpr char kMacroEnd[] = "\x1b&f1X";
constexpr char kTestMacro[] = "\x1b&f%dY\x1b&f%dX";
constexpr int kVolume = 0;
constexpr size_t kMacroBlock = 520;

// The download name as the stream carries it: at most 259 bytes.
struct NameBuffer {
  explicit NameBuffer(const char* name) {
    std::snprintf(text, sizeof text, "%s", name ? name : "");
  }
  char text[260] = {};
};

uint32_t FormattedLength(const char* format, int value) {
  char text[32];
  return static_cast<uint32_t>(std::snprintf(text, sizeof text, format, value));
}

}  // namespace

int WriteItem(os::Ui* ui, const DownloadItem& item, ItemFiles& files, ChannelWrite write,
              OutputChannel& channel, ItemOutcome* outcome) {
  ItemOutcome own;
  if (!outcome) outcome = &own;
  const ResourceType type = static_cast<ResourceType>(item.resourceType);
  if (type == ResourceType::PostScriptFont) return kStreamOk;
  if (type != ResourceType::PclMacro && type != ResourceType::PclFont &&
      type != ResourceType::TrueTypeFont)
    return kUnknownItemType;
  ByteView file;
  if (int code = files.Get(item.filePath, &file)) return code;
  const char* name = item.downloadName.c_str();
  int code;
  switch (type) {
    case ResourceType::PclMacro:
      code = WritePclMacroItem(write, channel, file, name, item.controlId, outcome);
      break;
    case ResourceType::PclFont:
      code = WritePclFontItem(write, channel, file, name, item.controlId, outcome);
      break;
    default:
      code = WriteTrueTypeItem(ui, write, channel, file, item.face, name, item.controlId, outcome);
      break;
  }
  // Each item stream reaches the OS before the next begins.
  int flushed = FlushChannel(channel);
  return code != 0 ? code : flushed;
}

int WritePclFontItem(ChannelWrite write, OutputChannel& channel, ByteView file,
                     const char* downloadName, int id, ItemOutcome* outcome) {
  uint32_t commandLength = FormattedLength(kFontId, id) + 5;
  ScanContext measure;
  int measured = MeasureBytes(measure, file);
  // Only a sound soft font may be announced: anything else would store a file
  // of another size than the SIZE the printer was told.
  if (measured != kEndOfInput || !measure.descriptorSeen || measure.dataTruncated)
    return kNotASoftFont;
  uint32_t m = measure.outputCount;
  if (m > UINT32_MAX - commandLength) return kNotASoftFont;
  uint32_t size = m + commandLength;
  NameBuffer name(downloadName);
  if (outcome) {
    outcome->size = size;
    outcome->descriptor = measure.descriptor;
  }

  StreamWriter out(write, channel);
  out.Put(pjl::kUel);
  out.Put(kPjl);
  out.Format(kFontDirectory, kVolume);
  out.Format(kFontDownload, size, kVolume, name.text);
  out.Format(kFontId, id);
  if (out.error()) return out.error();

  ScanContext emit;
  emit.mode = kEmit;
  emit.input = file;
  emit.outputKind = static_cast<int>(channel.kind);
  emit.output = &channel;
  if (ScanSetup(emit) != 0) return kNotASoftFont;
  emit.write = write;  // the emit pass goes through the builder's own writer
  int emitted = Scan(emit);
  if (emitted == kScanWriteFailed && channel.failure) return channel.failure;
  if (emitted != kEndOfInput) return kNotASoftFont;
  if (emit.outputCount != m) return kScanMismatch;
  out.Put(kMakePermanent);
  out.Put(pjl::kUel);
  return out.error();
}

int WritePclMacroItem(ChannelWrite write, OutputChannel& channel, ByteView file,
                      const char* downloadName, int id, ItemOutcome* outcome) {
  uint32_t commandLength = FormattedLength(kMacroStart, id) + 5;
  if (file.empty()) return kFileEmpty;
  if (file.size() > UINT32_MAX - commandLength) return kFileTooLarge;
  uint32_t size = static_cast<uint32_t>(file.size()) + commandLength;
  NameBuffer name(downloadName);
  if (outcome) outcome->size = size;

  StreamWriter out(write, channel);
  out.Put(pjl::kUel);
  out.Put(kPjl);
  out.Format(kMacroDirectories, kVolume, kVolume);
  out.Format(kMacroDownload, size, kVolume, name.text);
  out.Format(kMacroStart, id);
  for (size_t at = 0; at < file.size() && out.error() == 0; at += kMacroBlock)
    out.Put(file.data() + at, file.size() - at < kMacroBlock ? file.size() - at : kMacroBlock);
  out.Put(kMacroEnd);
  out.Put(pjl::kUel);
  return out.error();
}

int WriteTrueTypeItem(os::Ui* ui, ChannelWrite write, OutputChannel& channel, ByteView file,
                      uint32_t face, const char* downloadName, int id, ItemOutcome* outcome) {
  if (file.empty()) return kFileEmpty;
  TrueTypeSoftFont font;
  if (font.Plan(file, face, downloadName, id) != kStreamOk) {
    if (ui) ui->ShowMessage(kMsgUnsupportedFont);
    return kUnsupportedTrueType;
  }
  NameBuffer name(downloadName);
  StreamWriter out(write, channel);
  out.Put(pjl::kUel);
  out.Put(kPjl);
  out.Format(kFontDirectory, kVolume);
  out.Format(kFontDownload, font.payloadSize(), kVolume, name.text);
  if (out.error() || font.Write(write, channel) != 0) return kReadOrWriteFailed;
  if (outcome) {
    outcome->size = font.payloadSize();
    outcome->descriptor = font.descriptor();
  }
  return out.Put(pjl::kUel);
}

int WriteDeleteAll(ChannelWrite write, OutputChannel& channel) {
  StreamWriter out(write, channel);
  out.Put(pjl::kUel);
  out.Put(kPjl);
  out.Format(kFsinit, kVolume);
  out.Put(kEnterPcl);
  out.Put(kDeleteFontsAndMacros);
  out.Put(pjl::kUel);
  int flushed = FlushChannel(channel);
  return out.error() != 0 ? out.error() : flushed;
}

std::string FormatTestMacro(int controlId) {
  char text[64];
  std::snprintf(text, sizeof text, kTestMacro, controlId, 2);
  return text;
}

}  // namespace gc
