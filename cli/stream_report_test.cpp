#include "cli/stream_report.h"

#include <gtest/gtest.h>

#include <string>

namespace gc::cli {
namespace {

const std::string kU(pjl::kUel);

std::string Download(const std::string& name, const std::string& payload, long size = -1) {
  return "@PJL FSDOWNLOAD FORMAT:BINARY SIZE=" +
         std::to_string(size < 0 ? static_cast<long>(payload.size()) : size) + " NAME=\"" + name +
         "\"\r\n" + payload + kU;
}

// A stream as export writes it: a font and a macro, each with its ID command.
TEST(StreamReport, ListsOperationsAndChecksSizes) {
  const std::string font = "\x1b*c12D\x1b)s3Wabc", macro = "\x1b&f7y0Xtext\x1b&f1X";
  const std::string stream = kU + "@PJL\r\n@PJL FSMKDIR NAME=\"0:\\pcl\\fonts\"\r\n" +
                             Download("0:\\pcl\\fonts\\F", font) +
                             "@PJL FSMKDIR NAME=\"0:\\pcl\\macros\"\r\n" +
                             Download("0:\\pcl\\macros\\M", macro);
  StreamReport r = InspectDownloadStream(stream);
  ASSERT_EQ(r.operations.size(), 5u);
  EXPECT_EQ(r.operations[1].command, "FSMKDIR NAME=\"0:\\pcl\\fonts\"");
  const StreamOperation& f = r.operations[2];
  EXPECT_TRUE(f.download && f.exact);
  EXPECT_EQ(f.name, "0:\\pcl\\fonts\\F");
  EXPECT_EQ(f.size, font.size());
  EXPECT_EQ(f.idKind, StreamOperation::IdKind::Font);
  EXPECT_EQ(f.id, "12");
  EXPECT_EQ(r.operations[4].idKind, StreamOperation::IdKind::Macro);
  EXPECT_EQ(r.pclBytes, 0u);
  EXPECT_EQ(FormatStreamReport("x.prn", r),
            "x.prn: PJL/PCL download stream, " + std::to_string(stream.size()) + " bytes\n"
            "  FSMKDIR NAME=\"0:\\pcl\\fonts\"\n"
            "  FSDOWNLOAD 0:\\pcl\\fonts\\F SIZE=14 (exact): font ID 12\n"
            "  FSMKDIR NAME=\"0:\\pcl\\macros\"\n"
            "  FSDOWNLOAD 0:\\pcl\\macros\\M SIZE=16 (exact): macro ID 7\n"
            "every FSDOWNLOAD SIZE is exact (2 of 2)\n");
}

TEST(StreamReport, WrongSizes) {
  const std::string payload = "\x1b*c1D\x1b)s3Wabc";
  struct Case {
    const char* what;
    std::string stream;
  } cases[] = {
      {"one short", kU + Download("F", payload, 12)},
      {"one long", kU + Download("F", payload, 14)},
      {"cut in the payload", (kU + Download("F", payload)).substr(0, 50)},
      {"no UEL after it", kU + "@PJL FSDOWNLOAD SIZE=14 NAME=F\r\n" + payload + "\x1b" + "E"},
  };
  for (const Case& c : cases) {
    StreamReport r = InspectDownloadStream(c.stream);
    ASSERT_EQ(r.downloads, 1) << c.what;
    EXPECT_EQ(r.wrongSizes, 1) << c.what;
    EXPECT_FALSE(r.operations.back().exact) << c.what;
    EXPECT_LE(r.operations.back().offset + r.operations.back().length, c.stream.size()) << c.what;
  }
}

// A SIZE that wraps the position around (near 2^64, or negative) once led
// back into the stream: a stream could pass as exact, count bytes twice or
// never end. The fuzzer found the second.
TEST(StreamReport, SizeThatWrapsAroundIsWrongAndNeverLeadsBack) {
  const std::string line = "@PJL FSDOWNLOAD NAME=\"x\" SIZE=";
  struct Case {
    const char* what;
    std::string stream;
    size_t operations;
  } cases[] = {
      {"negative, back into the stream (the fuzzer's input)",
       kU + "@PJL\r\n@PJL FI:FSDOWNLOAD FORY SIZE=-60 Mclf\r\n\x1b*c07sD#@", 2},
      // 2^64 - 60, the stream's length: back to its start, the UEL and this
      // line again, forever.
      {"back to the start", kU + line + "18446744073709551556\n", 1},
      // 2^64 - 10: onto the UEL at the end of its own line; it passed as exact.
      {"onto its own line's UEL", kU + line + "18446744073709551606" + kU + "\njunk", 1},
  };
  EXPECT_EQ(cases[1].stream.size(), 60u);
  for (const Case& c : cases) {
    StreamReport r = InspectDownloadStream(c.stream);
    ASSERT_EQ(r.operations.size(), c.operations) << c.what;
    const StreamOperation& op = r.operations.back();
    EXPECT_TRUE(op.download) << c.what;
    EXPECT_FALSE(op.exact) << c.what;
    EXPECT_EQ(r.wrongSizes, 1) << c.what;
    EXPECT_EQ(op.offset + op.length, c.stream.size()) << c.what;  // the rest is its payload
    EXPECT_EQ(r.pclBytes, 0u) << c.what;
  }
}

TEST(StreamReport, PclOutsideDownloads) {
  const std::string stream = kU + "@PJL ENTER LANGUAGE=PCL\r\n\x1b" "E\x1b(s3THello\x0c" + kU;
  StreamReport r = InspectDownloadStream(stream);
  EXPECT_EQ(r.downloads, 0);
  EXPECT_EQ(r.pclBytes, 13u);
  EXPECT_EQ(FormatStreamReport("j.prn", r),
            "j.prn: PJL/PCL download stream, 56 bytes\n"
            "  ENTER LANGUAGE=PCL\n"
            "  PCL data outside downloads: 13 bytes\n");
}

}  // namespace
}  // namespace gc::cli
