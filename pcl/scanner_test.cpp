#include "pcl/scanner.h"

#include <gtest/gtest.h>

#include "os/file.h"
#include "pcl/font_descriptor.h"
#include "pcl/probe.h"
#include "tests/support/files.h"

namespace gc {
namespace {

using test::Bytes;
using test::Esc;

// A format-0 descriptor of `size` bytes, big-endian fields, name "TestFont".
Bytes Descriptor(int size = 64, int format = 0) {
  Bytes d(static_cast<size_t>(size), '\0');
  d[0] = static_cast<char>(size >> 8);
  d[1] = static_cast<char>(size & 0xFF);
  d[2] = static_cast<char>(format);
  d[14] = 0x01, d[15] = 0x0E;  // symbol set 270 (8U)
  d[16] = 0x02, d[17] = 0x00;  // pitch 512
  d[44] = 0x12, d[45] = 0x34, d[46] = 0x56, d[47] = 0x78;
  std::string name = "TestFont        ";
  d.replace(48, 16, name);
  return d;
}

Bytes Header(const Bytes& block) {
  return Esc(")s" + std::to_string(block.size()) + "W") + block;
}
Bytes Character(int code, int size = 20) {
  return Esc("*c" + std::to_string(code) + "E") + Esc("(s" + std::to_string(size) + "W") +
         test::Pattern(static_cast<size_t>(size), code);
}
Bytes PureFont() {
  return Header(Descriptor()) + Character(33) + Character(34);
}

struct Pass {
  int status;
  uint32_t count;
  bool descriptorSeen;
  Bytes output;  // Emit only
  ScanContext context;  // what the pass left
};

Pass Run(const Bytes& input, int mode) {
  static int serial = 0;
  std::string out = test::ScratchDir().string() + "/scan-out-" + std::to_string(++serial);
  File outFile = File::Create(out.c_str());
  OutputChannel channel;
  channel.kind = ChannelKind::File;
  channel.file = &outFile;
  ScanContext c;
  c.mode = mode;
  c.inputKind = kInputBytes;
  c.input = ByteView(reinterpret_cast<const uint8_t*>(input.data()), input.size());
  c.outputKind = static_cast<int>(ChannelKind::File);
  c.output = &channel;
  EXPECT_EQ(ScanSetup(c), 0);
  int status = Scan(c);
  EXPECT_EQ(FlushChannel(channel), 0);
  outFile.Close();
  return {status, c.outputCount, c.descriptorSeen, test::ReadAll(out), c};
}
Pass Measure(const Bytes& b) {
  return Run(b, kMeasure);
}
Pass Emit(const Bytes& b) {
  return Run(b, kEmit);
}

TEST(Scanner, PureFontMeasuresWhatEmitWrites) {
  Bytes font = PureFont();
  Pass m = Measure(font);
  EXPECT_EQ(m.status, kEndOfInput);
  EXPECT_TRUE(m.descriptorSeen);
  Pass e = Emit(font);
  EXPECT_EQ(e.status, kEndOfInput);
  EXPECT_EQ(e.output, font);  // nothing but font commands: the same bytes
  EXPECT_EQ(m.count, font.size());
  EXPECT_EQ(e.count, font.size());

  const FontDescriptorRecord& d = m.context.descriptor;
  EXPECT_EQ(d.U16(fd::kDescriptorSize), 64);
  EXPECT_EQ(d.U16(fd::kSymbolSet), 270);
  EXPECT_EQ(d.U16(fd::kPitch), 512);
  EXPECT_EQ(d.U32(fd::kFontNumber), 0x12345678u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(d.bytes + fd::kFontName), 16),
            "TestFont        ");
}

TEST(Scanner, NotPureFont) {
  struct Case {
    const char* what;
    Bytes input;
  } cases[] = {
      {"reset first", Esc("E") + PureFont()},
      {"character before header", Character(33) + PureFont()},
      {"two headers", PureFont() + Header(Descriptor())},
      {"unknown header format 2", Header(Descriptor(64, 2))},
      {"descriptor larger than block", Esc(")s10W") + Descriptor().substr(0, 10)},
      {"descriptor size below minimum", Header(Descriptor(64, 11))},
      {"unknown escape", Esc("|x") + PureFont()},
      {"page command", PureFont() + Esc("&l0O")},
      {"raster data", PureFont() + Esc("*b2W") + "ab"},
      {"character data cut short", Header(Descriptor()) + Esc("*c33E") + Esc("(s20W") + "abc"},
  };
  for (const Case& c : cases) EXPECT_EQ(Measure(c.input).status, kNotPureFont) << c.what;
}

TEST(Scanner, HeaderBlockLongerThanDescriptorIsSkipped) {
  // Format 11, descriptor size 88 in a 100-byte block: 12 more bytes skipped.
  Bytes block = Descriptor(88, 11) + Bytes(12, '\x1b');
  Bytes font = Header(block) + Character(65);
  Pass m = Measure(font);
  EXPECT_EQ(m.status, kEndOfInput);
  EXPECT_EQ(m.count, font.size());
  EXPECT_EQ(m.context.descriptor.U8(fd::kHeaderFormat), 11);
}

TEST(Scanner, TruncatedHeaderBlockIsFlagged) {
  Bytes font = Header(Descriptor(64) + Bytes(36, 'x')).substr(0, 5 + 64 + 10);
  Pass m = Measure(font);
  EXPECT_EQ(m.status, kEndOfInput);
  EXPECT_TRUE(m.context.dataTruncated);
  EXPECT_NE(Emit(font).count, m.count);
}

TEST(Scanner, FontIdIsNotedAndDropped) {
  Bytes font = Esc("*c5D") + PureFont();
  Pass m = Measure(font);
  EXPECT_EQ(m.status, kEndOfInput);
  EXPECT_TRUE(m.context.fontIdSeen);
  EXPECT_EQ(m.context.fontId, 5);
  EXPECT_EQ(Emit(font).output, Esc("*c") + PureFont());  // the bare prefix stays
  EXPECT_EQ(m.count, Emit(font).count);

  Pass e = Emit(Esc("*c5d65E"));
  EXPECT_EQ(e.output, Esc("*c65E"));
  EXPECT_TRUE(e.context.fontIdSeen);
  EXPECT_EQ(e.context.fontId, 5);
}

TEST(Scanner, ValueFields) {
  struct Case {
    Bytes input, output;
  } cases[] = {
      {Esc("*c-12.5E"), Esc("*c12E")},
      {Esc("*c99999999999E"), Esc("*c2147483647E")},
      {Esc("*c2147483648123E"), Esc("*c2147483647E")},
      {Esc("*c5;6E"), Esc("*c5E")},
      {Esc("*c5,6,7,8,9E"), Esc("*c5E")},
      {Esc("*cE"), Esc("*c0E")},
      {Esc("*c.E"), Esc("*c0E")},
      {Esc("*c 5E"), Esc("*c5E")},
      {Esc("*c5 E"), Esc("*c5E")},
      {Esc("*c5+3E"), Esc("*c5E")},
      {Esc("*c1.5.5E"), Esc("*c1E")},
      {Esc("*c7.123456789E"), Esc("*c7E")},
      {Esc("*c33e34E"), Esc("*c33e34E")},
      {Esc("*c") + Bytes(1, '\0') + "5E", Esc("*c")},  // NUL ends the sequence; the rest is text
      {Esc("*c5x6E"), Esc("*c6E")},       // unrecognised lowercase: ignored, the sequence goes on
      {Esc("*c5Z") + "text", Esc("*c")},  // unrecognised uppercase: consumed
      {Esc("(s12W") + test::Pattern(12), Esc("(s12W") + test::Pattern(12)},
      {Esc("(8U") + Esc("*c1E"), Esc("*c1E")},  // symbol set selection dropped
      {Esc("%-12345X") + Esc("*c2E"), Esc("*c2E")},
      {Esc("&l1o2E"), ""},
      {Esc("*b3W") + "\x1b\x1b\x1b" + Esc("*c3E"), Esc("*c3E")},  // data skipped, even ESC
      {Esc("|") + "x" + Esc("*c4E"), Esc("*c4E")},                // unknown escape
      {Esc("E") + Esc("*c4E"), Esc("*c4E")},
  };
  for (const Case& c : cases) {
    Pass e = Emit(c.input);
    EXPECT_EQ(e.output, c.output) << testing::PrintToString(c.input);
    EXPECT_EQ(e.count, c.output.size());
  }
}

TEST(Scanner, MeasureCountsCombinedCharacterCodes) {
  Bytes font = Header(Descriptor()) + Esc("*c33e34E");
  Pass m = Measure(font);
  EXPECT_EQ(m.status, kEndOfInput);
  EXPECT_EQ(m.count, font.size());
  EXPECT_EQ(Emit(font).output, font);
}

TEST(Scanner, TextParsingMethod31SwallowsEscAsSecondByte) {
  // 0x81 opens a two-byte character, so the ESC after it is text, and "*c9E" too.
  Bytes input = Esc("&t31P") + "\x81" + Esc("*c9E") + Esc("*c8E");
  EXPECT_EQ(Emit(input).output, Esc("*c8E"));
  // Each pass starts with the plain method.
  EXPECT_EQ(Emit("\x81" + Esc("*c8E")).output, Esc("*c8E"));
}

TEST(Scanner, ShortWriteFails) {
#ifndef _WIN32
  Bytes in = PureFont() + Bytes(200000, 'x');
  File full = File::Create("/dev/full");
  ASSERT_TRUE(full.IsOpen());
  OutputChannel channel;
  channel.kind = ChannelKind::File;
  channel.file = &full;
  ScanContext c;
  c.mode = kEmit;
  c.input = ByteView(reinterpret_cast<const uint8_t*>(in.data()), in.size());
  c.outputKind = 2;
  c.output = &channel;
  ASSERT_EQ(ScanSetup(c), 0);
  // Gathered output reaches the disk only in blocks; drive enough through.
  int status = kScanOk;
  for (int i = 0; i < 4000 && status != kScanWriteFailed; ++i) {
    uint8_t b[64] = {};
    status = c.write(channel, b, sizeof b) == 0 ? kScanOk : kScanWriteFailed;
  }
  EXPECT_EQ(status, kScanWriteFailed);
  EXPECT_EQ(Scan(c), kScanWriteFailed);  // every later write fails too
#endif
}

// What adding a file learns: a pure font's name and descriptor, and its own
// font ID even when the file turns out to be no pure font.
TEST(Scanner, ProbeFontName) {
  auto view = [](const Bytes& b) { return ByteView(reinterpret_cast<const uint8_t*>(b.data()), b.size()); };
  const Bytes font = Esc("*c7D") + PureFont();
  PclFontProbe probe = ProbeFontName(view(font));
  EXPECT_TRUE(probe.pureFont);
  EXPECT_EQ(probe.name, "TestFont        ");
  EXPECT_EQ(probe.descriptor.U16(fd::kPitch), 512);
  EXPECT_TRUE(probe.fontIdSeen);
  EXPECT_EQ(probe.fontId, 7);
  const Bytes macro = Esc("*c9D") + Esc("&f1y0X") + "text";
  probe = ProbeFontName(view(macro));
  EXPECT_FALSE(probe.pureFont);
  EXPECT_TRUE(probe.name.empty());
  EXPECT_TRUE(probe.fontIdSeen);
  EXPECT_EQ(probe.fontId, 9);
  EXPECT_FALSE(ProbeFontName(ByteView()).pureFont);
}

TEST(Scanner, SetupChecks) {
  ScanContext c;
  EXPECT_EQ(ScanSetup(c), 1);
  c.mode = 7;
  EXPECT_EQ(ScanSetup(c), 2);
  c.mode = kEmit;
  c.outputKind = 5;
  EXPECT_EQ(ScanSetup(c), 2);
  c.inputKind = 2;
  c.mode = kMeasure;
  EXPECT_EQ(ScanSetup(c), 2);
}

}  // namespace
}  // namespace gc
