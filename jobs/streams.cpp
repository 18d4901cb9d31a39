#include "jobs/streams.h"

#include <cstdio>
#include <cstring>

#include "os/file.h"
#include "pcl/font_descriptor.h"
#include "pcl/scanner.h"
#include "truetype/convert.h"

namespace gc {

namespace {

constexpr char kUel[] = "\x1b%-12345X";
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
constexpr char kTrueTypeHeader[] = "\x1b)s%dW";
constexpr char kTestMacro[] = "\x1b&f%dY\x1b&f%dX";
constexpr int kVolume = 0;
constexpr size_t kMacroBlock = 520;

// One builder's working buffer: formatted commands, each sent as one write.
class Commands {
 public:
  Commands(ChannelWrite write, OutputChannel& channel) : write_(write), channel_(channel) {}

  int Put(const char* text) { return Send(text, std::strlen(text)); }
  template <typename... Args>
  int Format(const char* format, Args... args) {
    int n = std::snprintf(buffer_, sizeof buffer_, format, args...);
    if (n < 0 || static_cast<size_t>(n) >= sizeof buffer_) return 1;
    return Send(buffer_, static_cast<size_t>(n));
  }
  int Send(const void* bytes, size_t length) {
    return write_(channel_, static_cast<const uint8_t*>(bytes), length);
  }

 private:
  ChannelWrite write_;
  OutputChannel& channel_;
  char buffer_[400];
};

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

// Runs the steps in order and stops at the first non-zero code.
template <typename... Steps>
int Sequence(Steps... steps) {
  int code = 0;
  ((code == 0 ? (code = steps()) : 0), ...);
  return code;
}

}  // namespace

uint32_t& downloadSizeTotal() {
  static uint32_t total = 0;
  return total;
}

int WriteItem(os::Ui* ui, int resourceType, const char* filePath, const char* downloadName,
              int controlId, ChannelWrite write, OutputChannel& channel, uint32_t face) {
  int code;
  switch (resourceType) {
    case static_cast<int>(ResourceType::PclMacro):
      code = WritePclMacroItem(write, channel, filePath, downloadName, controlId);
      break;
    case static_cast<int>(ResourceType::PostScriptFont):
      return 0;
    case static_cast<int>(ResourceType::PclFont):
      code = WritePclFontItem(write, channel, filePath, downloadName, controlId);
      break;
    case static_cast<int>(ResourceType::TrueTypeFont):
      code = ConvertTrueTypeFont(ui, write, channel, filePath, downloadName, controlId, face);
      break;
    default:
      return 8;
  }
  // Each item stream reaches the OS before the next begins.
  int flushed = FlushChannel(channel);
  return code != 0 ? code : flushed;
}

int WritePclFontItem(ChannelWrite write, OutputChannel& channel, const char* path,
                     const char* downloadName, int id) {
  File file = File::OpenRead(path, true);
  if (!file.IsOpen()) return 1;
  uint32_t commandLength = FormattedLength(kFontId, id) + 5;

  ScanContext& scan = scanContext();
  scan.mode = kMeasure;
  scan.inputKind = kInputFile;
  scan.input = &file;
  if (ScanSetup(scan) != 0) return 9;
  int measured = Scan(scan);
  // Only a sound soft font may be announced: anything else would store a file
  // of another size than the SIZE the printer was told.
  if (measured != kEndOfInput || !scan.descriptorSeen || scan.dataTruncated) return 9;
  uint32_t m = scan.outputCount;
  if (m > UINT32_MAX - commandLength) return 9;
  uint32_t size = m + commandLength;
  NameBuffer name(downloadName);
  downloadSizeTotal() = size;

  Commands out(write, channel);
  int code = Sequence([&] { return out.Put(kUel); }, [&] { return out.Put(kPjl); },
                      [&] { return out.Format(kFontDirectory, kVolume); },
                      [&] { return out.Format(kFontDownload, size, kVolume, name.text); },
                      [&] { return out.Format(kFontId, id); });
  if (code != 0) return code;

  scan.mode = kEmit;
  scan.input = &file;
  scan.outputKind = static_cast<int>(channel.kind);
  scan.output = &channel;
  if (!file.Rewind() || ScanSetup(scan) != 0) return 9;
  scan.write = write;  // the emit pass goes through the builder's own writer
  int emitted = Scan(scan);
  if (emitted == kWriteFailed && channel.failure) return channel.failure;
  if (emitted != kEndOfInput) return 9;
  if (scan.outputCount != m) return 10;
  return Sequence([&] { return out.Put(kMakePermanent); }, [&] { return out.Put(kUel); });
}

int WritePclMacroItem(ChannelWrite write, OutputChannel& channel, const char* path,
                      const char* downloadName, int id) {
  File file = File::OpenRead(path, true);
  if (!file.IsOpen()) return 1;
  uint32_t commandLength = FormattedLength(kMacroStart, id) + 5;
  uint64_t fileSize = 0;
  if (!file.Size(&fileSize)) return 5;
  if (fileSize >> 32) return 3;
  if (fileSize == 0) return 4;
  if (fileSize > UINT32_MAX - commandLength) return 3;
  uint32_t size = static_cast<uint32_t>(fileSize) + commandLength;
  NameBuffer name(downloadName);

  Commands out(write, channel);
  int code = Sequence([&] { return out.Put(kUel); }, [&] { return out.Put(kPjl); },
                      [&] { return out.Format(kMacroDirectories, kVolume, kVolume); },
                      [&] { return out.Format(kMacroDownload, size, kVolume, name.text); },
                      [&] { return out.Format(kMacroStart, id); });
  if (code != 0) return code;

  uint8_t block[kMacroBlock];
  for (uint64_t left = fileSize; left > 0;) {
    size_t want = left > kMacroBlock ? kMacroBlock : static_cast<size_t>(left);
    size_t got = 0;
    while (got < want) {
      long long n = file.Read(block + got, want - got);
      if (n <= 0) return 5;
      got += static_cast<size_t>(n);
    }
    code = out.Send(block, want);
    if (code != 0) return code;
    left -= want;
  }
  return Sequence([&] { return out.Put(kMacroEnd); }, [&] { return out.Put(kUel); });
}

int WriteTrueTypeHead(ChannelWrite write, OutputChannel& channel, const char* downloadName, int id,
                      uint32_t headerLength, uint32_t bodyLength) {
  NameBuffer name(downloadName);
  uint32_t size = headerLength + bodyLength;
  downloadSizeTotal() = size;
  Commands out(write, channel);
  return Sequence([&] { return out.Put(kUel); }, [&] { return out.Put(kPjl); },
                  [&] { return out.Format(kFontDirectory, kVolume); },
                  [&] { return out.Format(kFontDownload, size, kVolume, name.text); },
                  [&] { return out.Format(kFontId, id); },
                  [&] { return out.Format(kTrueTypeHeader, static_cast<int>(headerLength)); });
}

uint32_t TrueTypeHeadCommandsLength(int id, uint32_t headerLength) {
  return FormattedLength(kFontId, id) +
         FormattedLength(kTrueTypeHeader, static_cast<int>(headerLength));
}

int WriteTrueTypeTail(ChannelWrite write, OutputChannel& channel) {
  return Commands(write, channel).Put(kUel);
}

int WriteDeleteAll(ChannelWrite write, OutputChannel& channel) {
  Commands out(write, channel);
  int code =
      Sequence([&] { return out.Put(kUel); }, [&] { return out.Put(kPjl); },
               [&] { return out.Format(kFsinit, kVolume); }, [&] { return out.Put(kEnterPcl); },
               [&] { return out.Put(kDeleteFontsAndMacros); }, [&] { return out.Put(kUel); });
  int flushed = FlushChannel(channel);
  return code != 0 ? code : flushed;
}

std::string FormatTestMacro(int controlId) {
  char text[64];
  std::snprintf(text, sizeof text, kTestMacro, controlId, 2);
  return text;
}

int ProbeFontName(const char* path, char* buffer, size_t bufferSize) {
  File file = File::OpenRead(path, true);
  if (!file.IsOpen()) return -3;
  ScanContext& scan = scanContext();
  int status = MeasureFile(scan, file);
  file.Close();
  if (status != kEndOfInput || !scan.descriptorSeen) return -1;
  if (bufferSize == 0) return 0;
  size_t n = bufferSize >= 17 ? 16 : bufferSize - 1;
  std::memcpy(buffer, fontState().lastFontDescriptor.bytes + fd::kFontName, n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

}  // namespace gc
