#include "sample/sample_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/file.h"
#include "sample/recording_writer.h"
#include "tests/support/files.h"

namespace gc {
namespace {

using test::Esc;
using test::recording;
using test::ResetRecording;

const std::string kPageFont =
    Esc("(8U") + Esc("(s0p10.00h10.00v0s0b4099T") + Esc("&l8.00c") + Esc("=");
const std::string kDouble = std::string(62, '=') + "\r\n";
const std::string kSingle = std::string(60, '-') + "\r\n";

std::string FixedDate() {
  return "Mon Jan  1 09:30:00 2024";
}

DownloadItem Item(const std::string& name, int id) {
  DownloadItem item;
  item.downloadName = name;
  item.controlId = id;
  item.resourceType = static_cast<int>(ResourceType::PclFont);
  return item;
}

// Codes `from` to `to` as one string of bytes.
std::string Codes(int from, int to) {
  std::string s;
  for (int c = from; c <= to; ++c) s += static_cast<char>(c);
  return s;
}

std::vector<std::string> Head(const std::string& name, int id, const std::string& attribute,
                              unsigned size, const std::string& select,
                              const std::string& spacing) {
  return {"@PJL ENTER LANGUAGE=PCL\r\n",
          Esc("E"),
          kPageFont,
          kDouble,
          "SAMPLE File:" + name + "\r\n",
          kDouble,
          "\r\n",
          kSingle,
          "Attribute:" + attribute + "\r\n",
          kSingle,
          "ID:" + std::to_string(id) + "\r\n",
          kSingle,
          "DATE:" + FixedDate() + "\r\n",
          kSingle,
          "FILE SIZE:" + std::to_string(size) + "\r\n",
          kSingle,
          select,
          spacing};
}

const std::vector<std::string> kTail = {
    kPageFont,      kSingle, "end of sample print\r\n", kSingle, Esc("(3@") + Esc("(B"),
    Esc("%-12345X")};

TEST(SamplePage, WholePageWithRowsOfHundred) {
  OutputChannel ch;
  ResetRecording();
  std::string select = Esc("(10U") + Esc("(s0p40.00h12.0v1s3b4147T");
  std::string spacing = Esc("&l12.0000C") + Esc("=");
  ASSERT_EQ(WriteSamplePage(100, test::Record, ch, Item("MyFont", 12), 1234, select,
                            "<esc>(10U<esc>(s0p40.00h12.0v1s3b4147T", spacing, FixedDate),
            0);
  std::vector<std::string> expected =
      Head("MyFont", 12, "<esc>(10U<esc>(s0p40.00h12.0v1s3b4147T", 1234, select, spacing);
  for (const std::string& row : {Codes(32, 131), Codes(132, 231), Codes(232, 255)}) {
    expected.push_back(row);
    expected.push_back("\r\n");
  }
  expected.insert(expected.end(), kTail.begin(), kTail.end());
  EXPECT_EQ(recording().pieces, expected);
}

TEST(SamplePage, RowsHoldTheGivenNumberOfCodes) {
  struct Case {
    int perRow;
    size_t rows;
  } cases[] = {{1, 224}, {16, 14}, {100, 3}, {224, 1}, {500, 1}, {0, 224}, {-5, 224}};
  for (const Case& c : cases) {
    OutputChannel ch;
    ResetRecording();
    ASSERT_EQ(WriteSamplePage(c.perRow, test::Record, ch, Item("F", 1), 0, "", "", "", FixedDate), 0);
    const std::vector<std::string>& p = recording().pieces;
    ASSERT_EQ(p.size(), 18 + 2 * c.rows + 6) << c.perRow;
    std::string all;
    int width = c.perRow < 1 ? 1 : c.perRow;
    for (size_t r = 0; r < c.rows; ++r) {
      const std::string& row = p[18 + 2 * r];
      EXPECT_EQ(p[19 + 2 * r], "\r\n");
      if (r + 1 < c.rows) {
        EXPECT_EQ(row.size(), static_cast<size_t>(width)) << c.perRow;
      }
      all += row;
    }
    // Every code from 32 to 255 once, in order, 127 and 128-159 included.
    EXPECT_EQ(all, Codes(32, 255)) << c.perRow;
  }
}

TEST(SamplePage, EmptyTextsAndZeroSize) {
  OutputChannel ch;
  ResetRecording();
  ASSERT_EQ(WriteSamplePage(16, test::Record, ch, Item("", 0), 0, "", "", "", FixedDate), 0);
  std::vector<std::string> head = Head("", 0, "", 0, "", "");
  std::vector<std::string> got(recording().pieces.begin(), recording().pieces.begin() + 18);
  EXPECT_EQ(got, head);
  EXPECT_EQ(recording().pieces[4], "SAMPLE File:\r\n");
  EXPECT_EQ(recording().pieces[8], "Attribute:\r\n");
  EXPECT_EQ(recording().pieces[14], "FILE SIZE:0\r\n");
}

TEST(SamplePage, FirstFailureEndsThePage) {
  // 18 head pieces, 14 rows with their line ends, 6 tail pieces.
  for (int failAt : {0, 1, 12, 17, 18, 19, 45, 51}) {
    OutputChannel ch;
    ResetRecording(failAt);
    EXPECT_EQ(WriteSamplePage(16, test::Record, ch, Item("F", 1), 0, "", "", "", FixedDate), 6)
        << failAt;
    EXPECT_EQ(recording().calls, failAt + 1) << "no write after the failed one";
    EXPECT_EQ(recording().pieces.size(), static_cast<size_t>(failAt));
  }
}

TEST(SamplePage, PageReachesTheFileBeforeReturning) {
  std::string path = (test::ScratchDir() / "page.prn").string();
  {
    File file = File::Create(path.c_str());
    ASSERT_TRUE(file.IsOpen());
    OutputChannel ch;
    ch.kind = ChannelKind::File;
    ch.file = &file;
    ASSERT_EQ(WriteSamplePage(50, FileWrite, ch, Item("Real", 3), 77, Esc("(8U"), "x", "", FixedDate),
              0);
    EXPECT_TRUE(ch.pending.empty());
  }
  std::string bytes = test::ReadAll(path);
  EXPECT_EQ(bytes.substr(0, 25), "@PJL ENTER LANGUAGE=PCL\r\n");
  EXPECT_NE(bytes.find("FILE SIZE:77\r\n" + kSingle + Esc("(8U") + Codes(32, 81) + "\r\n"),
            std::string::npos);
  EXPECT_EQ(bytes.substr(bytes.size() - 9), Esc("%-12345X"));
}

TEST(SamplePage, FailureOfTheGatheredBytesIsThePages) {
  OutputChannel ch;  // a file channel without a file: delivery fails with 1
  ch.kind = ChannelKind::File;
  EXPECT_EQ(WriteSamplePage(16, FileWrite, ch, Item("F", 1), 0, "", "", "", FixedDate), 1);
}

TEST(SamplePage, DefaultClockFillsTheDateLine) {
  OutputChannel ch;
  ResetRecording();
  ASSERT_EQ(WriteSamplePage(16, test::Record, ch, Item("F", 1), 0, "", "", ""), 0);
  const std::string& date = recording().pieces[12];
  ASSERT_GT(date.size(), 7u);
  EXPECT_EQ(date.substr(0, 5), "DATE:");
  EXPECT_EQ(date.substr(date.size() - 2), "\r\n");
}

}  // namespace
}  // namespace gc
