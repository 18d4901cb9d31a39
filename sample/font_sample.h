// The font sample printed after a font download: the selection texts derived
// from the font's descriptor, and the entry that prints the page.
#pragma once
#include <string>

#include "items/download_item.h"
#include "io/channel.h"
#include "pcl/font_descriptor.h"
#include "sample/date_time_text.h"

namespace gc {

struct SampleTexts {
  std::string selectCommand;       // selects the downloaded font
  std::string attributeText;       // the same, readable, "<esc>" for ESC
  std::string lineSpacingCommand;  // line spacing for the sample rows
};

// An unbound scalable font: the printer maps text through any symbol set.
bool UnboundFont(const FontDescriptorRecord& descriptor);

// All three stay empty for a header format that names no known font kind.
SampleTexts BuildSampleTexts(const FontDescriptorRecord& descriptor);

// Prints the sample page for `item` from the descriptor its download sent and
// the SIZE it announced, right after the download. Returns 8 without writing
// for an item that is neither a PCL5 font nor a TrueType font, else
// WriteSamplePage's result.
int PrintFontSample(int charsPerLine, ChannelWrite write, OutputChannel& channel,
                    const DownloadItem& item, const FontDescriptorRecord& descriptor,
                    uint32_t downloadSize, DateTimeText dateText = CurrentLocalDateTime);

}  // namespace gc
