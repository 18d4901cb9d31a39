#include "sample/font_sample.h"

#include <gtest/gtest.h>

#include <string>

#include "sample/recording_writer.h"
#include "tests/support/files.h"

namespace gc {
namespace {

using test::Esc;
using test::recording;
using test::ResetRecording;

const std::string kSymbolSetBox = Esc("&a-100V") + Esc("*c144h100v6g3P") + Esc("&a+144h+100V");
const std::string kPitchBox = Esc("&a-100V") + Esc("*c144h100v3g3P") + Esc("&a+144h+100V");
const std::string kHeightBox = Esc("&a-100V") + Esc("*c144h100v4g3P") + Esc("&a+144h+100V");
const std::string kScalableSpacing = Esc("&l8.0000C") + Esc("=");

struct Font {
  int format = 0, type = 0, spacing = 0, symbolSet = 277, pitch = 0, pitchExtended = 0, height = 0,
      style = 0, weight = 0, typeface = 0;
};

FontDescriptorRecord Descriptor(const Font& f) {
  FontDescriptorRecord d;
  d.SetU16(fd::kDescriptorSize, 64);
  d.bytes[fd::kHeaderFormat] = static_cast<uint8_t>(f.format);
  d.bytes[fd::kFontType] = static_cast<uint8_t>(f.type);
  d.bytes[fd::kSpacing] = static_cast<uint8_t>(f.spacing);
  d.SetU16(fd::kSymbolSet, static_cast<uint16_t>(f.symbolSet));
  d.SetU16(fd::kPitch, static_cast<uint16_t>(f.pitch));
  d.bytes[fd::kPitchExtended] = static_cast<uint8_t>(f.pitchExtended);
  d.SetU16(fd::kHeight, static_cast<uint16_t>(f.height));
  d.bytes[fd::kStyleHigh] = static_cast<uint8_t>(f.style >> 8);
  d.bytes[fd::kStyleLow] = static_cast<uint8_t>(f.style & 0xFF);
  d.bytes[fd::kStrokeWeight] = static_cast<uint8_t>(static_cast<int8_t>(f.weight));
  d.bytes[fd::kTypefaceHigh] = static_cast<uint8_t>(f.typeface >> 8);
  d.bytes[fd::kTypefaceLow] = static_cast<uint8_t>(f.typeface & 0xFF);
  return d;
}

TEST(FontSample, TextsFollowTheHeaderFormat) {
  struct Case {
    const char* what;
    Font font;
    std::string select, attribute, spacing;
  } cases[] = {
      {"fixed bitmap",
       {.format = 0,
        .spacing = 0,
        .symbolSet = 341,
        .pitch = 30,
        .height = 200,
        .style = 1,
        .weight = 3,
        .typeface = 4147},
       Esc("(10U") + Esc("(s0p40.00h12.0v1s3b4147T"),
       "<esc>(10U<esc>(s0p40.00h12.0v1s3b4147T",
       Esc("&l12.0000C") + Esc("=")},
      {"proportional bitmap",
       {.format = 0, .spacing = 1, .symbolSet = 277, .height = 48, .typeface = 4368},
       Esc("(8U") + Esc("(s1p2.9v0s0b4368T"),
       "<esc>(8U<esc>(s1p2.9v0s0b4368T",
       Esc("&l2.8800C") + Esc("=")},
      {"unbound proportional TrueType",
       {.format = 15, .type = 11, .spacing = 1, .symbolSet = 0, .weight = 0, .typeface = 4101},
       Esc("(8U") + Esc("(s1p10.00v0s0b4101T"),
       "<esc>(" + kSymbolSetBox + "<esc>(s1p" + kHeightBox + "v0s0b4101T",
       kScalableSpacing},
      {"symbol set 0",
       {.format = 20, .spacing = 1, .symbolSet = 0, .height = 100, .typeface = 3},
       Esc("(0@") + Esc("(s1p6.0v0s0b3T"),
       "<esc>(0@<esc>(s1p6.0v0s0b3T",
       Esc("&l6.0000C") + Esc("=")},
      {"negative stroke weight, two-byte style",
       {.format = 0,
        .spacing = 1,
        .symbolSet = 277,
        .height = 50,
        .style = 258,
        .weight = -3,
        .typeface = 5},
       Esc("(8U") + Esc("(s1p3.0v258s-3b5T"),
       "<esc>(8U<esc>(s1p3.0v258s-3b5T",
       Esc("&l3.0000C") + Esc("=")},
      {"pitch extended counts in 256ths",
       {.format = 0,
        .spacing = 0,
        .symbolSet = 277,
        .pitch = 30,
        .pitchExtended = 128,
        .height = 40},
       Esc("(8U") + Esc("(s0p39.34h2.4v0s0b0T"),
       "<esc>(8U<esc>(s0p39.34h2.4v0s0b0T",
       Esc("&l2.4000C") + Esc("=")},
      {"fixed bitmap without a pitch leaves the pitch out",
       {.format = 0, .spacing = 0, .symbolSet = 277, .pitch = 0, .pitchExtended = 0, .height = 200},
       Esc("(8U") + Esc("(s0p12.0v0s0b0T"),
       "<esc>(8U<esc>(s0p12.0v0s0b0T",
       Esc("&l12.0000C") + Esc("=")},
      {"bound scalable fixed",
       {.format = 10, .spacing = 0, .symbolSet = 341, .style = 0, .weight = 0, .typeface = 4099},
       Esc("(10U") + Esc("(s0p10.00h0s0b4099T"),
       "<esc>(10U<esc>(s0p" + kPitchBox + "h0s0b4099T",
       kScalableSpacing},
      {"bound scalable proportional, format 16 of another type",
       {.format = 16, .type = 10, .spacing = 1, .symbolSet = 277, .weight = 1, .typeface = 7},
       Esc("(8U") + Esc("(s1p10.00v0s1b7T"),
       "<esc>(8U<esc>(s1p" + kHeightBox + "v0s1b7T",
       kScalableSpacing},
      {"unbound fixed gets pitch and height",
       {.format = 11, .spacing = 0, .symbolSet = 341, .typeface = 4099},
       Esc("(8U") + Esc("(s0p10.00h10.00v0s0b4099T"),
       "<esc>(" + kSymbolSetBox + "<esc>(s0p" + kPitchBox + "h" + kHeightBox + "v0s0b4099T",
       kScalableSpacing},
      {"unknown header format", {.format = 12, .spacing = 1, .height = 200}, "", "", ""},
  };
  for (const Case& c : cases) {
    SampleTexts t = BuildSampleTexts(Descriptor(c.font));
    EXPECT_EQ(t.selectCommand, c.select) << c.what;
    EXPECT_EQ(t.attributeText, c.attribute) << c.what;
    EXPECT_EQ(t.lineSpacingCommand, c.spacing) << c.what;
  }
}

std::string FixedDate() {
  return "today";
}

TEST(FontSample, MacrosAndPostScriptFontsGetNoPage) {
  for (ResourceType type : {ResourceType::PclMacro, ResourceType::PostScriptFont}) {
    DownloadItem item;
    item.resourceType = static_cast<int>(type);
    OutputChannel ch;
    ResetRecording();
    EXPECT_EQ(PrintFontSample(16, test::Record, ch, item, FontDescriptorRecord{}, 0, FixedDate), 8);
    EXPECT_EQ(recording().calls, 0);
  }
}

TEST(FontSample, PageCarriesTheLastFontsTexts) {
  const FontDescriptorRecord descriptor = Descriptor({.format = 15, .type = 11, .spacing = 1, .symbolSet = 277, .typeface = 4101});
  DownloadItem item;
  item.resourceType = static_cast<int>(ResourceType::TrueTypeFont);
  item.downloadName = "TT";
  OutputChannel ch;
  ResetRecording();
  ASSERT_EQ(PrintFontSample(16, test::Record, ch, item, descriptor, 0, FixedDate), 0);
  const std::vector<std::string>& p = recording().pieces;
  ASSERT_EQ(p.size(), 18u + 28u + 6u);
  EXPECT_EQ(p[8], "Attribute:<esc>(" + kSymbolSetBox + "<esc>(s1p" + kHeightBox + "v0s0b4101T\r\n");
  EXPECT_EQ(p[12], "DATE:today\r\n");
  EXPECT_EQ(p[16], Esc("(8U") + Esc("(s1p10.00v0s0b4101T"));
  EXPECT_EQ(p[17], kScalableSpacing);
}

TEST(FontSample, UnknownFormatStillPrintsThePageInItsOwnFont) {
  const FontDescriptorRecord descriptor = Descriptor({.format = 99, .spacing = 0, .height = 200});
  DownloadItem item;
  item.resourceType = static_cast<int>(ResourceType::PclFont);
  OutputChannel ch;
  ResetRecording();
  ASSERT_EQ(PrintFontSample(16, test::Record, ch, item, descriptor, 0, FixedDate), 0);
  const std::vector<std::string>& p = recording().pieces;
  ASSERT_EQ(p.size(), 18u + 28u + 6u);
  EXPECT_EQ(p[8], "Attribute:\r\n");
  EXPECT_EQ(p[16], "");
  EXPECT_EQ(p[17], "");
  EXPECT_EQ(p[18], std::string(" !\"#$%&'()*+,-./"));
}

TEST(FontSample, FailedFirstWriteIsTheResult) {
  const FontDescriptorRecord descriptor = Descriptor({.format = 0, .spacing = 1, .height = 48});
  DownloadItem item;
  item.resourceType = static_cast<int>(ResourceType::PclFont);
  OutputChannel ch;
  ResetRecording(0);
  EXPECT_EQ(PrintFontSample(16, test::Record, ch, item, descriptor, 0, FixedDate), 6);
  EXPECT_EQ(recording().calls, 1);
  EXPECT_TRUE(recording().pieces.empty());
}

}  // namespace
}  // namespace gc
