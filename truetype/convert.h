// TrueType font file -> PCL TrueType-scalable soft font inside the PJL download framing.
#pragma once
#include <cstdint>

#include "io/channel.h"

namespace gc {
namespace os {
class Ui;
}

// Returns 0, or 1/3/4/5 for file problems, 11 for an unknown cmap format
// (message 158 shown through ui), or a write's failure code. `face` chooses
// the face of a collection.
int ConvertTrueTypeFont(os::Ui* ui, ChannelWrite write, OutputChannel& channel, const char* path,
                        const char* downloadName, int fontId, uint32_t face = 0);

}  // namespace gc
