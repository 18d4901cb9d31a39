// The PJL/PCL byte streams: one download item (framing its payload in the PJL
// file-system download), delete-all and the test macro. Each builder pushes
// its bytes through a ChannelWrite.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "io/channel.h"
#include "items/download_item.h"
#include "jobs/item_files.h"
#include "os/byte_view.h"
#include "pcl/font_descriptor.h"

namespace gc {
namespace os {
class Ui;
}

// What one item's download announced and carried, for the sample page that
// follows it.
struct ItemOutcome {
  uint32_t size = 0;                // the SIZE of its FSDOWNLOAD
  FontDescriptorRecord descriptor;  // a font's descriptor
};

// The item's stream, its file's bytes taken from `files`. Returns 0 or a
// StreamResult: the file's (1, 3, 4, 5), the converter's or scanner's (9, 10,
// 11; for 11 message 158 has been shown through `ui`), a write's, or 8 for an
// unknown type. A PostScript font sends nothing.
int WriteItem(os::Ui* ui, const DownloadItem& item, ItemFiles& files, ChannelWrite write,
              OutputChannel& channel, ItemOutcome* outcome = nullptr);

int WritePclFontItem(ChannelWrite write, OutputChannel& channel, ByteView file,
                     const char* downloadName, int id, ItemOutcome* outcome = nullptr);
int WritePclMacroItem(ChannelWrite write, OutputChannel& channel, ByteView file,
                      const char* downloadName, int id, ItemOutcome* outcome = nullptr);
int WriteTrueTypeItem(os::Ui* ui, ChannelWrite write, OutputChannel& channel, ByteView file,
                      uint32_t face, const char* downloadName, int id,
                      ItemOutcome* outcome = nullptr);

int WriteDeleteAll(ChannelWrite write, OutputChannel& channel);
std::string FormatTestMacro(int controlId);

}  // namespace gc
