// The printed page that lists one downloaded font and shows its characters.
#pragma once
#include <cstdint>
#include <string>

#include "items/download_item.h"
#include "io/channel.h"
#include "sample/date_time_text.h"

namespace gc {

// Writes the page piece by piece, each piece one call of `write`, then hands
// the gathered bytes to the OS. `charsPerLine` codes go in each row of
// samples (the job admits 1 to 100); `downloadSize` is the SIZE the font's
// download announced. Returns 0, or the code of the first write that failed;
// nothing more is written after it.
int WriteSamplePage(int charsPerLine, ChannelWrite write, OutputChannel& channel,
                    const DownloadItem& item, uint32_t downloadSize, const std::string& selectCommand,
                    const std::string& attributeText, const std::string& lineSpacingCommand,
                    DateTimeText dateText = CurrentLocalDateTime);

}  // namespace gc
