#include "jobs/streams.h"

#include <gtest/gtest.h>

#include <vector>

#include "pcl/font_descriptor.h"
#include "tests/support/files.h"

namespace gc {
namespace {

using test::Bytes;
using test::Esc;

// Records every write as its own piece; fails from write number `failAt` on.
std::vector<Bytes> pieces;
int failAt = -1;
int Record(OutputChannel&, const uint8_t* bytes, size_t length) {
  if (failAt >= 0 && static_cast<int>(pieces.size()) >= failAt) return 6;
  pieces.emplace_back(reinterpret_cast<const char*>(bytes), length);
  return 0;
}
Bytes Joined() {
  Bytes all;
  for (const Bytes& p : pieces) all += p;
  return all;
}
void Reset(int failFrom = -1) {
  pieces.clear();
  failAt = failFrom;
}

const Bytes kUel = "\x1b%-12345X";

Bytes FontDescriptor64() {
  Bytes d(64, '\0');
  d[1] = 64;  // size 64, format 0
  d.replace(48, 16, "Sample Font 16ch");
  return d;
}
Bytes PureFont() {
  return Esc(")s64W") + FontDescriptor64() + Esc("*c65E") + Esc("(s4W") + "\x01\x02\x03\x04";
}

TEST(Streams, MacroOfOneByteAnnouncesThirteen) {
  std::string path = test::WriteScratch("m1.pcl", "Z");
  OutputChannel ch;
  Reset();
  ASSERT_EQ(WritePclMacroItem(Record, ch, path.c_str(), "MAC1", 5), 0);
  Bytes expected = kUel + "@PJL\r\n" +
                   "@PJL FSMKDIR NAME=\"0:\\pcl\"\r\n@PJL FSMKDIR NAME=\"0:\\pcl\\macros\"\r\n" +
                   "@PJL FSDOWNLOAD FORMAT:BINARY SIZE=13 NAME=\"0:\\pcl\\macros\\MAC1\"\r\n" +
                   Esc("&f5y0X") + "Z" + Esc("&f1X") + kUel;
  EXPECT_EQ(Joined(), expected);
}

TEST(Streams, MacroIsCopiedIn520ByteBlocks) {
  struct Case {
    size_t size;
    std::vector<size_t> blocks;
  } cases[] = {{520, {520}}, {521, {520, 1}}, {1040, {520, 520}}, {1, {1}}};
  for (const Case& c : cases) {
    std::string path = test::WriteScratch("mb.pcl", test::Pattern(c.size));
    OutputChannel ch;
    Reset();
    ASSERT_EQ(WritePclMacroItem(Record, ch, path.c_str(), "M", 9), 0);
    // UEL, PJL, directories, FSDOWNLOAD, macro ID, the blocks, end, UEL.
    ASSERT_EQ(pieces.size(), 5 + c.blocks.size() + 2) << c.size;
    for (size_t i = 0; i < c.blocks.size(); ++i) EXPECT_EQ(pieces[5 + i].size(), c.blocks[i]);
    Bytes body;
    for (size_t i = 0; i < c.blocks.size(); ++i) body += pieces[5 + i];
    EXPECT_EQ(body, test::Pattern(c.size));
  }
}

TEST(Streams, FontFramesTheScannedFont) {
  std::string path = test::WriteScratch("f.sfp", Esc("*c77D") + PureFont() + "junk text");
  OutputChannel ch;
  Reset();
  ASSERT_EQ(WritePclFontItem(Record, ch, path.c_str(), "Arial", 0), 0);
  Bytes font = Esc("*c") + PureFont();  // the file's own font ID leaves its prefix
  uint32_t size = static_cast<uint32_t>(font.size()) + 10;  // "\e*c0D" and "\e*c5F"
  Bytes expected = kUel + "@PJL\r\n" + "@PJL FSMKDIR NAME=\"0:\\pcl\\fonts\"\r\n" +
                   "@PJL FSDOWNLOAD FORMAT:BINARY SIZE=" + std::to_string(size) +
                   " NAME=\"0:\\pcl\\fonts\\Arial\"\r\n" + Esc("*c0D") + font + Esc("*c5F") + kUel;
  EXPECT_EQ(Joined(), expected);
  EXPECT_EQ(downloadSizeTotal(), size);
}

TEST(Streams, UnsoundFontsSendNothing) {
  struct Case {
    const char* what;
    Bytes file;
  } cases[] = {
      {"not a font", "plain text"},
      {"impure", Esc("E") + PureFont()},
      {"ends inside the header data", (Esc(")s80W") + FontDescriptor64() + "abc")},
      {"ends inside character data", PureFont().substr(0, PureFont().size() - 2)},
      {"empty", ""},
  };
  for (const Case& c : cases) {
    std::string path = test::WriteScratch("bad.sfp", c.file);
    OutputChannel ch;
    Reset();
    EXPECT_EQ(WritePclFontItem(Record, ch, path.c_str(), "X", 1), 9) << c.what;
    EXPECT_TRUE(pieces.empty()) << c.what;
  }
}

TEST(Streams, FileProblems) {
  OutputChannel ch;
  Reset();
  std::string missing = (test::ScratchDir() / "missing.pcl").string();
  EXPECT_EQ(WritePclMacroItem(Record, ch, missing.c_str(), "M", 1), 1);
  EXPECT_EQ(WritePclFontItem(Record, ch, missing.c_str(), "F", 1), 1);
  std::string empty = test::WriteScratch("empty.pcl", "");
  EXPECT_EQ(WritePclMacroItem(Record, ch, empty.c_str(), "M", 1), 4);
  EXPECT_TRUE(pieces.empty());
  char name[32];
  EXPECT_EQ(ProbeFontName(missing.c_str(), name, sizeof name), -3);
}

TEST(Streams, WriteFailureStopsTheBuilder) {
  std::string path = test::WriteScratch("m2.pcl", test::Pattern(2000));
  OutputChannel ch;
  Reset(3);
  EXPECT_EQ(WritePclMacroItem(Record, ch, path.c_str(), "M", 1), 6);
  EXPECT_EQ(pieces.size(), 3u);
}

TEST(Streams, DeleteAllAndTestMacro) {
  OutputChannel ch;
  Reset();
  ASSERT_EQ(WriteDeleteAll(Record, ch), 0);
  EXPECT_EQ(Joined(), kUel + "@PJL\r\n" + "@PJL FSINIT VOLUME=\"0:\"\r\n" +
                          "@PJL ENTER LANGUAGE=PCL\r\n" + Esc("*c0F") + Esc("&f6X") + kUel);
  EXPECT_EQ(FormatTestMacro(12), Esc("&f12Y") + Esc("&f2X"));
  EXPECT_EQ(FormatTestMacro(12).size(), 11u);
}

TEST(Streams, WriteItemDispatch) {
  OutputChannel ch;
  ch.kind = ChannelKind::Tcp;  // never reached: nothing may be written
  Reset();
  EXPECT_EQ(WriteItem(nullptr, 1, "nowhere", "PS", 1, Record, ch), 0);
  EXPECT_EQ(WriteItem(nullptr, 4, "nowhere", "X", 1, Record, ch), 8);
  EXPECT_EQ(WriteItem(nullptr, -1, "nowhere", "X", 1, Record, ch), 8);
  EXPECT_TRUE(pieces.empty());
}

TEST(Streams, TrueTypeFraming) {
  OutputChannel ch;
  Reset();
  ASSERT_EQ(WriteTrueTypeHead(Record, ch, "TT", 3, 100, 20), 0);
  ASSERT_EQ(WriteTrueTypeTail(Record, ch), 0);
  EXPECT_EQ(Joined(), kUel + "@PJL\r\n" + "@PJL FSMKDIR NAME=\"0:\\pcl\\fonts\"\r\n" +
                          "@PJL FSDOWNLOAD FORMAT:BINARY SIZE=120 NAME=\"0:\\pcl\\fonts\\TT\"\r\n" +
                          Esc("*c3D") + Esc(")s100W") + kUel);
  EXPECT_EQ(downloadSizeTotal(), 120u);
}

TEST(Streams, ProbeFontName) {
  std::string path = test::WriteScratch("p.sfp", PureFont());
  char name[32] = {};
  EXPECT_EQ(ProbeFontName(path.c_str(), name, sizeof name), 16);
  EXPECT_STREQ(name, "Sample Font 16ch");
  char small[5];
  EXPECT_EQ(ProbeFontName(path.c_str(), small, sizeof small), 4);
  EXPECT_STREQ(small, "Samp");
  EXPECT_EQ(ProbeFontName(path.c_str(), small, 0), 0);
  std::string macro = test::WriteScratch("p.pcl", Esc("&f1y0X") + "text");
  EXPECT_EQ(ProbeFontName(macro.c_str(), name, sizeof name), -1);
}

}  // namespace
}  // namespace gc
