// The converter's results, its payload and the descriptor it sends.
// The stream's structure, byte for byte against fontTools' reading of the same
// fonts, is checked by tests/e2e/truetype_stream_test.py.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "io/result_codes.h"
#include "pcl/font_descriptor.h"
#include "tests/support/files.h"
#include "truetype/convert.h"

namespace gc {
namespace {

std::string Font(const std::string& name) {
  return std::string(GC_TEST_FONTS) + "/" + name;
}

// A test font's bytes, kept for the whole run so that views of them stay valid.
ByteView FontBytes(const std::string& name) {
  static std::map<std::string, test::Bytes> loaded;
  auto [at, fresh] = loaded.try_emplace(name);
  if (fresh) at->second = test::ReadAll(Font(name));
  return ByteView(reinterpret_cast<const uint8_t*>(at->second.data()), at->second.size());
}

test::Bytes written;
long long failAfter = -1;  // bytes accepted before every write fails
int Collect(OutputChannel&, const uint8_t* bytes, size_t length) {
  if (failAfter >= 0 && static_cast<long long>(written.size() + length) > failAfter) return 6;
  written.append(reinterpret_cast<const char*>(bytes), length);
  return 0;
}

TrueTypeSoftFont converted;  // the last conversion

// Plans and writes the payload of `file`: its result, and what was written.
int Convert(const std::string& file, long long failAt = -1) {
  written.clear();
  failAfter = failAt;
  converted = TrueTypeSoftFont();
  if (int planned = converted.Plan(FontBytes(file), 0, "DLNAME", 7)) return planned;
  OutputChannel channel;
  int code = converted.Write(Collect, channel);
  if (code == 0) EXPECT_EQ(written.size(), converted.payloadSize());  // the SIZE is exact
  return code;
}

const FontDescriptorRecord& Descriptor() {
  return converted.descriptor();
}

TEST(TrueTypeWriter, RefusalsAndHeaderOnlyFonts) {
  // A subtable format the writer does not know, and a glyph the characters'
  // 16-bit size fields cannot carry: refused before anything is written.
  for (const char* file : {"format14.ttf", "big_glyph.ttf", "cff.otf"}) {
    SCOPED_TRACE(file);
    EXPECT_EQ(Convert(file), kUnsupportedTrueType);
    EXPECT_TRUE(written.empty());
  }
  // Format 12: the header without characters and without the make-permanent command.
  ASSERT_EQ(Convert("format12.ttf"), 0);
  EXPECT_EQ(written.find("\x1b*c5F"), std::string::npos);
  EXPECT_EQ(written.find("\x1b*c65E"), std::string::npos);
  EXPECT_EQ(written.substr(0, 5), "\x1b*c7D");
}

TEST(TrueTypeWriter, WriteFailureStopsAtOnce) {
  ASSERT_EQ(Convert("regular.ttf"), 0);
  size_t whole = written.size();
  for (long long at : {0LL, 40LL, static_cast<long long>(whole / 2),
                       static_cast<long long>(whole - 1)}) {
    SCOPED_TRACE(at);
    EXPECT_EQ(Convert("regular.ttf", at), kReadOrWriteFailed);
    EXPECT_LE(static_cast<long long>(written.size()), at);
  }
}

TEST(TrueTypeWriter, DescriptorWithoutPclt) {
  ASSERT_EQ(Convert("regular.ttf"), 0);
  const FontDescriptorRecord& d = Descriptor();
  EXPECT_EQ(d.U16(fd::kDescriptorSize), 72);
  EXPECT_EQ(d.U8(fd::kHeaderFormat), 15);
  EXPECT_EQ(d.U8(fd::kFontType), 11);
  EXPECT_EQ(d.U16(fd::kCellWidth), 620);
  EXPECT_EQ(d.U16(fd::kCellHeight), 800);
  EXPECT_EQ(d.U8(fd::kSpacing), 1);
  EXPECT_EQ(d.U16(fd::kSymbolSet), 0);
  EXPECT_EQ(d.U16(fd::kXHeight), 0);  // proportional
  EXPECT_EQ(d.U8(fd::kTypefaceLow), 0x39);  // TypefaceHash of the full name "abc"
  EXPECT_EQ(d.U8(fd::kTypefaceHigh), 0xF1);
  EXPECT_EQ(d.U8(fd::kQuality), 2);
  EXPECT_EQ(d.U32(fd::kFontNumber), 0x80000000u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(d.bytes) + fd::kFontName, 16),
            "Plain           ");
  EXPECT_EQ(d.U16(64), 1000);    // scale factor
  EXPECT_EQ(d.U16(66), 0xFFB5);  // underline position -75
  EXPECT_EQ(d.U16(68), 50);
  EXPECT_EQ(d.U8(70), 1);
}

TEST(TrueTypeWriter, DescriptorFromPclt) {
  ASSERT_EQ(Convert("pclt.ttf"), 0);
  const FontDescriptorRecord& d = Descriptor();
  EXPECT_EQ(d.U8(fd::kFontType), 11);  // file name ends in 00, symbol set 0
  EXPECT_EQ(d.U8(fd::kStyleHigh), 0x01);
  EXPECT_EQ(d.U8(fd::kStyleLow), 0x02);
  EXPECT_EQ(d.U16(fd::kPitch), 600);
  EXPECT_EQ(d.U16(fd::kXHeight), 480);
  EXPECT_EQ(d.U8(fd::kStrokeWeight), 3);
  EXPECT_EQ(d.U8(fd::kTypefaceLow), 0x57);
  EXPECT_EQ(d.U8(fd::kTypefaceHigh), 0x13);
  EXPECT_EQ(d.U8(fd::kSerifStyle), 64);
  EXPECT_EQ(d.U16(fd::kCapHeight), 700);
  EXPECT_EQ(d.U32(fd::kFontNumber), 0x80001234u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(d.bytes) + fd::kFontName, 16),
            "PCLT Face       ");
  ASSERT_EQ(Convert("pclt_bound.ttf"), 0);
  EXPECT_EQ(Descriptor().U8(fd::kFontType), 2);
  EXPECT_EQ(Descriptor().U16(fd::kSymbolSet), 277);
}

TEST(TrueTypeWriter, FixedPitchRule) {
  struct Case {
    const char* file;
    uint16_t pitch, xHeight;
  } cases[] = {
      // One hmtx entry gives the pitch; OS/2 version 1: the height of "x".
      {"fixed.ttf", 600, 500},
      // The space's advance; OS/2 version 4: sxHeight.
      {"fixed_os2v4.ttf", 250, 480},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(Convert(c.file), 0);
    EXPECT_EQ(Descriptor().U8(fd::kSpacing), 0);
    EXPECT_EQ(Descriptor().U16(fd::kPitch), c.pitch);
    EXPECT_EQ(Descriptor().U16(fd::kXHeight), c.xHeight);
  }
}

// The pitch field is the default HMI: the advance over characters the font
// does not hold, the never-sent space among them.
TEST(TrueTypeWriter, PitchIsTheDefaultHmi) {
  struct Case {
    const char* file;
    uint16_t pitch;
  } cases[] = {
      {"regular.ttf", 250},   // proportional: the space's advance
      {"no_space.ttf", 250},  // no space at all: a quarter of the 1000-unit em
      {"pclt.ttf", 600},      // PCLT's own pitch
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(Convert(c.file), 0);
    EXPECT_EQ(Descriptor().U16(fd::kPitch), c.pitch);
  }
}

// Bytes 64 through the checksum byte sum to 0 modulo 256, null segment
// included; segments of 64 KB and more take format 16's 32-bit sizes.
TEST(TrueTypeWriter, HeaderChecksumAndFormat) {
  struct Case {
    const char* file;
    int format;
  } cases[] = {{"regular.ttf", 15}, {"pclt.ttf", 15}, {"big_gt.ttf", 16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(Convert(c.file), 0);
    size_t command = written.find("\x1b)s");
    ASSERT_NE(command, std::string::npos);
    size_t data = written.find('W', command) + 1;
    size_t length = std::stoul(written.substr(command + 3));
    std::string header = written.substr(data, length);
    ASSERT_EQ(header.size(), length);
    EXPECT_EQ(static_cast<uint8_t>(header[2]), c.format);
    EXPECT_EQ(Descriptor().U8(fd::kHeaderFormat), c.format);
    unsigned sum = 0;
    for (size_t i = 64; i < header.size(); ++i) sum += static_cast<uint8_t>(header[i]);
    EXPECT_EQ(sum % 256, 0u);
    // The segments chain to the null segment two bytes before the end.
    size_t sizeBytes = c.format == 16 ? 4 : 2, at = 72;
    while (header.compare(at, 2, "\xff\xff") != 0) {
      size_t size = 0;
      for (size_t i = 0; i < sizeBytes; ++i) size = size << 8 | static_cast<uint8_t>(header[at + 2 + i]);
      at += 2 + sizeBytes + size;
      ASSERT_LT(at, header.size());
    }
    EXPECT_EQ(header.substr(at + 2), std::string(sizeBytes + 1, '\0') + header.back());
  }
}

TEST(TrueTypeWriter, UnprintableNameBecomesDownloadName) {
  ASSERT_EQ(Convert("wide_name.ttf"), 0);  // its name has a byte above 0x7F
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Descriptor().bytes) + fd::kFontName, 16),
            "DLNAME          ");
}

}  // namespace
}  // namespace gc
