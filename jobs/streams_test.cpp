#include "jobs/streams.h"

#include <gtest/gtest.h>

#include <vector>

#include "pcl/font_descriptor.h"
#include "tests/support/files.h"
#include "tests/support/recording_ui.h"

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

ByteView View(const Bytes& bytes) {
  return ByteView(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

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
  OutputChannel ch;
  Reset();
  ASSERT_EQ(WritePclMacroItem(Record, ch, View("Z"), "MAC1", 5), 0);
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
    const Bytes macro = test::Pattern(c.size);
    OutputChannel ch;
    Reset();
    ASSERT_EQ(WritePclMacroItem(Record, ch, View(macro), "M", 9), 0);
    // UEL, PJL, directories, FSDOWNLOAD, macro ID, the blocks, end, UEL.
    ASSERT_EQ(pieces.size(), 5 + c.blocks.size() + 2) << c.size;
    for (size_t i = 0; i < c.blocks.size(); ++i) EXPECT_EQ(pieces[5 + i].size(), c.blocks[i]);
    Bytes body;
    for (size_t i = 0; i < c.blocks.size(); ++i) body += pieces[5 + i];
    EXPECT_EQ(body, test::Pattern(c.size));
  }
}

TEST(Streams, FontFramesTheScannedFont) {
  const Bytes file = Esc("*c77D") + PureFont() + "junk text";
  OutputChannel ch;
  Reset();
  ItemOutcome outcome;
  ASSERT_EQ(WritePclFontItem(Record, ch, View(file), "Arial", 0, &outcome), 0);
  Bytes font = Esc("*c") + PureFont();  // the file's own font ID leaves its prefix
  uint32_t size = static_cast<uint32_t>(font.size()) + 10;  // "\e*c0D" and "\e*c5F"
  Bytes expected = kUel + "@PJL\r\n" + "@PJL FSMKDIR NAME=\"0:\\pcl\\fonts\"\r\n" +
                   "@PJL FSDOWNLOAD FORMAT:BINARY SIZE=" + std::to_string(size) +
                   " NAME=\"0:\\pcl\\fonts\\Arial\"\r\n" + Esc("*c0D") + font + Esc("*c5F") + kUel;
  EXPECT_EQ(Joined(), expected);
  EXPECT_EQ(outcome.size, size);
  EXPECT_EQ(outcome.descriptor.U16(fd::kDescriptorSize), 64);
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
    OutputChannel ch;
    Reset();
    EXPECT_EQ(WritePclFontItem(Record, ch, View(c.file), "X", 1), 9) << c.what;
    EXPECT_TRUE(pieces.empty()) << c.what;
  }
}

// An item's file is read where its stream begins: a missing one fails with
// 1 whatever the type, an empty macro or TrueType font with 4.
TEST(Streams, FileProblems) {
  struct Case {
    std::string path;
    ResourceType type;
    int result;
  } cases[] = {
      {(test::ScratchDir() / "missing.pcl").string(), ResourceType::PclMacro, 1},
      {(test::ScratchDir() / "missing.sfp").string(), ResourceType::PclFont, 1},
      {(test::ScratchDir() / "missing.ttf").string(), ResourceType::TrueTypeFont, 1},
      {test::WriteScratch("empty.pcl", ""), ResourceType::PclMacro, 4},
      {test::WriteScratch("empty.ttf", ""), ResourceType::TrueTypeFont, 4},
      {test::WriteScratch("empty.sfp", ""), ResourceType::PclFont, 9},
  };
  for (const Case& c : cases) {
    DownloadItem item;
    item.filePath = c.path;
    item.resourceType = static_cast<int>(c.type);
    item.downloadName = "X";
    ItemFiles files;
    OutputChannel ch;
    Reset();
    EXPECT_EQ(WriteItem(nullptr, item, files, Record, ch), c.result) << c.path;
    EXPECT_TRUE(pieces.empty()) << c.path;
  }
}

TEST(Streams, WriteFailureStopsTheBuilder) {
  const Bytes macro = test::Pattern(2000);
  OutputChannel ch;
  Reset(3);
  EXPECT_EQ(WritePclMacroItem(Record, ch, View(macro), "M", 1), 6);
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
  ItemFiles files;
  auto item = [](int type) {
    DownloadItem i;
    i.resourceType = type;
    i.filePath = "nowhere";
    return i;
  };
  EXPECT_EQ(WriteItem(nullptr, item(1), files, Record, ch), 0);
  EXPECT_EQ(WriteItem(nullptr, item(4), files, Record, ch), 8);
  EXPECT_EQ(WriteItem(nullptr, item(-1), files, Record, ch), 8);
  EXPECT_TRUE(pieces.empty());
}

// The converter writes the payload; the item stream frames it, announcing its
// exact size, and keeps that size and the descriptor for the sample page.
TEST(Streams, TrueTypeFraming) {
  const Bytes font = test::ReadAll(std::string(GC_TEST_FONTS) + "/regular.ttf");
  OutputChannel ch;
  Reset();
  ItemOutcome outcome;
  ASSERT_EQ(WriteTrueTypeItem(nullptr, Record, ch, View(font), 0, "TT", 3, &outcome), 0);
  const Bytes all = Joined();
  const Bytes head = kUel + "@PJL\r\n" + "@PJL FSMKDIR NAME=\"0:\\pcl\\fonts\"\r\n" +
                     "@PJL FSDOWNLOAD FORMAT:BINARY SIZE=" + std::to_string(outcome.size) +
                     " NAME=\"0:\\pcl\\fonts\\TT\"\r\n";
  ASSERT_EQ(all.substr(0, head.size()), head);
  EXPECT_EQ(all.size(), head.size() + outcome.size + kUel.size());
  EXPECT_EQ(all.substr(head.size(), 5 + 3), Esc("*c3D") + Esc(")s"));
  EXPECT_EQ(all.substr(all.size() - kUel.size() - 5), Esc("*c5F") + kUel);
  EXPECT_EQ(outcome.descriptor.U8(fd::kHeaderFormat), 15);
}

// A font the format cannot carry shows message 158 and sends nothing; a
// failure inside the download fails it with 5, the closing UEL's with its own code.
TEST(Streams, TrueTypeResultsAndMessages) {
  const Bytes format14 = test::ReadAll(std::string(GC_TEST_FONTS) + "/format14.ttf");
  OutputChannel ch;
  test::RecordingUi ui;
  Reset();
  EXPECT_EQ(WriteTrueTypeItem(&ui, Record, ch, View(format14), 0, "TT", 3), 11);
  EXPECT_EQ(ui.shown, std::vector<std::string>{"The font file is not supported format."});
  EXPECT_TRUE(pieces.empty());

  const Bytes font = test::ReadAll(std::string(GC_TEST_FONTS) + "/regular.ttf");
  Reset();
  ASSERT_EQ(WriteTrueTypeItem(&ui, Record, ch, View(font), 0, "TT", 3), 0);
  const int writes = static_cast<int>(pieces.size());
  for (int failAt : {0, 3, 5, writes / 2, writes - 2}) {
    Reset(failAt);
    EXPECT_EQ(WriteTrueTypeItem(&ui, Record, ch, View(font), 0, "TT", 3), 5) << failAt;
  }
  Reset(writes - 1);
  EXPECT_EQ(WriteTrueTypeItem(&ui, Record, ch, View(font), 0, "TT", 3), 6);
  EXPECT_EQ(ui.shown.size(), 1u);
}

}  // namespace
}  // namespace gc
