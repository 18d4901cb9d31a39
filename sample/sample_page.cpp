#include "sample/sample_page.h"

#include <cstdio>

#include "io/stream_writer.h"
#include "pjl/requests.h"

namespace gc {

namespace {

constexpr char kEnterPcl[] = "@PJL ENTER LANGUAGE=PCL\r\n";
constexpr char kReset[] = "\033E";
// Roman-8, 10 cpi, 10 point, upright, medium, typeface 4099; 8/48 inch lines.
constexpr char kPageFont[] = "\033(8U\033(s0p10.00h10.00v0s0b4099T\033&l8.00c\033=";
constexpr char kDoubleRule[] = "==============================================================\r\n";
constexpr char kSingleRule[] = "------------------------------------------------------------\r\n";
constexpr char kNameLabel[] = "SAMPLE File:";
constexpr char kAttributeLabel[] = "Attribute:";
constexpr char kIdLine[] = "ID:%d\r\n";
constexpr char kDateLabel[] = "DATE:";
// Unsigned, so that a size past 2^31 does not print as a negative number.
constexpr char kSizeLine[] = "FILE SIZE:%u\r\n";
constexpr char kLineEnd[] = "\r\n";
constexpr char kClosingText[] = "end of sample print\r\n";
constexpr char kClosingCommands[] = "\033(3@\033(B";
constexpr int kFirstCode = 32, kLastCode = 255;

}  // namespace

int WriteSamplePage(int charsPerLine, ChannelWrite write, OutputChannel& channel,
                    const DownloadItem& item, uint32_t downloadSize, const std::string& selectCommand,
                    const std::string& attributeText, const std::string& lineSpacingCommand,
                    DateTimeText dateText) {
  // The job admits 1 to 100; a row must hold at least one code or the rows never end.
  int perRow = charsPerLine < 1 ? 1 : charsPerLine;
  StreamWriter page(write, channel);
  page.Put(kEnterPcl);
  page.Put(kReset);
  page.Put(kPageFont);
  page.Put(kDoubleRule);
  page.Put(kNameLabel + item.downloadName + kLineEnd);
  page.Put(kDoubleRule);
  page.Put(kLineEnd);
  page.Put(kSingleRule);
  page.Put(kAttributeLabel + attributeText + kLineEnd);
  page.Put(kSingleRule);
  page.Format(kIdLine, item.controlId);
  page.Put(kSingleRule);
  page.Put(kDateLabel + (dateText ? dateText() : std::string()) + kLineEnd);
  page.Put(kSingleRule);
  page.Format(kSizeLine, static_cast<unsigned>(downloadSize));
  page.Put(kSingleRule);
  page.Put(selectCommand);
  page.Put(lineSpacingCommand);
  for (int code = kFirstCode; code <= kLastCode && page.error() == 0;) {
    std::string row;
    for (int k = 0; k < perRow && code <= kLastCode; ++k, ++code) row += static_cast<char>(code);
    page.Put(row);
    page.Put(kLineEnd);
  }
  page.Put(kPageFont);
  page.Put(kSingleRule);
  page.Put(kClosingText);
  page.Put(kSingleRule);
  page.Put(kClosingCommands);
  page.Put(pjl::kUel);
  if (page.error() != 0) return page.error();
  // The page reaches the OS now, so that a failure is reported as the page's.
  return FlushChannel(channel);
}

}  // namespace gc
