#include "sample/font_sample.h"

#include <cstdio>

#include "io/result_codes.h"
#include "sample/sample_page.h"

namespace gc {

namespace {

constexpr char kSymbolSet[] = "\033(%d%c";
constexpr char kReadableSymbolSet[] = "<esc>(%d%c";
constexpr char kFontStart[] = "\033(s";
constexpr char kReadableFontStart[] = "<esc>(s";
constexpr char kUnboundSymbolSet[] = "\033(8U";
constexpr char kReadableUnboundStart[] = "<esc>(";
// Hatched boxes stand in for the values a scalable font leaves to the user:
// up 100 decipoints, a 144 x 100 cross-hatch, then back to the text line.
constexpr char kSymbolSetBox[] = "\033&a-100V\033*c144h100v6g3P\033&a+144h+100V";
constexpr char kPitchBox[] = "\033&a-100V\033*c144h100v3g3P\033&a+144h+100V";
constexpr char kHeightBox[] = "\033&a-100V\033*c144h100v4g3P\033&a+144h+100V";
constexpr char kScalablePitch[] = "10.00h";
constexpr char kScalableHeightValue[] = "10.00";
constexpr char kLineSpacing[] = "\033&l%.4fC\033=";
constexpr double kScalableLineSpacing = 8.0;

enum class Rule { None, Bitmap, BoundScalable, Unbound };

Rule RuleFor(const FontDescriptorRecord& d) {
  switch (d.U8(fd::kHeaderFormat)) {
    case 0:
    case 20:
      return Rule::Bitmap;
    case 10:
      return Rule::BoundScalable;
    case 15:
    case 16:
      return d.U8(fd::kFontType) == 11 ? Rule::Unbound : Rule::BoundScalable;
    case 11:
      return Rule::Unbound;
    default:
      return Rule::None;
  }
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[64];
  int length = std::snprintf(text, sizeof text, format, args...);
  return length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string();
}

// Appends the same piece to the command and to its readable form.
void AppendBoth(SampleTexts& t, const std::string& piece) {
  t.selectCommand += piece;
  t.attributeText += piece;
}

void StartWithSymbolSet(SampleTexts& t, int symbolSet) {
  int number = symbolSet / 32;
  int letter = symbolSet % 32 + 64;
  t.selectCommand = Format(kSymbolSet, number, letter);
  t.attributeText = Format(kReadableSymbolSet, number, letter);
}

void AppendSpacing(SampleTexts& t, int spacing) {
  t.selectCommand += kFontStart;
  t.attributeText += kReadableFontStart;
  AppendBoth(t, Format("%d", spacing) + "p");
}

void AppendStyleWeightTypeface(SampleTexts& t, const FontDescriptorRecord& d) {
  int style = d.U8(fd::kStyleHigh) * 256 + d.U8(fd::kStyleLow);
  int typeface = d.U8(fd::kTypefaceHigh) * 256 + d.U8(fd::kTypefaceLow);
  AppendBoth(t, Format("%ds", style));
  AppendBoth(t, Format("%db", static_cast<int>(d.S8(fd::kStrokeWeight))));
  AppendBoth(t, Format("%d", typeface) + "T");
}

void BuildBitmap(SampleTexts& t, const FontDescriptorRecord& d) {
  int spacing = d.U8(fd::kSpacing);
  StartWithSymbolSet(t, d.U16(fd::kSymbolSet));
  AppendSpacing(t, spacing);
  // A fixed-pitch descriptor without a pitch would divide by zero: the pitch
  // is then left out, and the printer keeps the pitch it has.
  long pitchDivisor = d.U16(fd::kPitch) * 256L + d.U8(fd::kPitchExtended);
  if (spacing == 0 && pitchDivisor != 0)
    AppendBoth(t, Format("%4.2f", 307200.0 / static_cast<double>(pitchDivisor)) + "h");
  double points = d.U16(fd::kHeight) * 3 * 0.02;  // quarter dots at 300 dpi
  AppendBoth(t, Format("%3.1f", points) + "v");
  AppendStyleWeightTypeface(t, d);
  t.lineSpacingCommand = Format(kLineSpacing, points);
}

void BuildBoundScalable(SampleTexts& t, const FontDescriptorRecord& d) {
  int spacing = d.U8(fd::kSpacing);
  StartWithSymbolSet(t, d.U16(fd::kSymbolSet));
  AppendSpacing(t, spacing);
  // A scalable font is chosen by pitch when fixed, by height when proportional.
  if (spacing == 0) {
    t.selectCommand += kScalablePitch;
    t.attributeText += std::string(kPitchBox) + "h";
  } else {
    t.selectCommand += std::string(kScalableHeightValue) + "v";
    t.attributeText += std::string(kHeightBox) + "v";
  }
  AppendStyleWeightTypeface(t, d);
  t.lineSpacingCommand = Format(kLineSpacing, kScalableLineSpacing);
}

void BuildUnbound(SampleTexts& t, const FontDescriptorRecord& d) {
  int spacing = d.U8(fd::kSpacing);
  t.selectCommand = kUnboundSymbolSet;
  t.attributeText = std::string(kReadableUnboundStart) + kSymbolSetBox;
  AppendSpacing(t, spacing);
  if (spacing == 0) {
    t.selectCommand += kScalablePitch;
    t.attributeText += std::string(kPitchBox) + "h";
  }
  t.selectCommand += std::string(kScalableHeightValue) + "v";
  t.attributeText += std::string(kHeightBox) + "v";
  AppendStyleWeightTypeface(t, d);
  t.lineSpacingCommand = Format(kLineSpacing, kScalableLineSpacing);
}

}  // namespace

bool UnboundFont(const FontDescriptorRecord& descriptor) {
  return RuleFor(descriptor) == Rule::Unbound;
}

SampleTexts BuildSampleTexts(const FontDescriptorRecord& descriptor) {
  SampleTexts texts;
  switch (RuleFor(descriptor)) {
    case Rule::Bitmap:
      BuildBitmap(texts, descriptor);
      break;
    case Rule::BoundScalable:
      BuildBoundScalable(texts, descriptor);
      break;
    case Rule::Unbound:
      BuildUnbound(texts, descriptor);
      break;
    case Rule::None:
      break;
  }
  return texts;
}

int PrintFontSample(int charsPerLine, ChannelWrite write, OutputChannel& channel,
                    const DownloadItem& item, const FontDescriptorRecord& descriptor,
                    uint32_t downloadSize, DateTimeText dateText) {
  if (item.resourceType != static_cast<int>(ResourceType::PclFont) &&
      item.resourceType != static_cast<int>(ResourceType::TrueTypeFont))
    return kUnknownItemType;
  SampleTexts texts = BuildSampleTexts(descriptor);
  return WriteSamplePage(charsPerLine, write, channel, item, downloadSize, texts.selectCommand,
                         texts.attributeText, texts.lineSpacingCommand, dateText);
}

}  // namespace gc
