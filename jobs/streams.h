// The PJL/PCL byte streams: one download item, the TrueType framing, delete-all
// and the test macro. Each builder pushes its bytes through a ChannelWrite.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "io/channel.h"

namespace gc {
namespace os {
class Ui;
}

enum class ResourceType : int { PclMacro = 0, PostScriptFont = 1, PclFont = 2, TrueTypeFont = 3 };

// Program-wide: the SIZE that the last font stream announced.
uint32_t& downloadSizeTotal();

// `face` chooses the face of a TrueType collection.
int WriteItem(os::Ui* ui, int resourceType, const char* filePath, const char* downloadName,
              int controlId, ChannelWrite write, OutputChannel& channel, uint32_t face = 0);
int WritePclFontItem(ChannelWrite write, OutputChannel& channel, const char* path,
                     const char* downloadName, int id);
int WritePclMacroItem(ChannelWrite write, OutputChannel& channel, const char* path,
                      const char* downloadName, int id);
int WriteTrueTypeHead(ChannelWrite write, OutputChannel& channel, const char* downloadName, int id,
                      uint32_t headerLength, uint32_t bodyLength);
int WriteTrueTypeTail(ChannelWrite write, OutputChannel& channel);
// The bytes WriteTrueTypeHead writes after the FSDOWNLOAD line: the font ID
// and font header commands, which the body length counts.
uint32_t TrueTypeHeadCommandsLength(int id, uint32_t headerLength);
int WriteDeleteAll(ChannelWrite write, OutputChannel& channel);
std::string FormatTestMacro(int controlId);

// Length of the font name copied into `buffer`, -3 when the file cannot be
// opened, -1 when it is not a pure soft font.
int ProbeFontName(const char* path, char* buffer, size_t bufferSize);

}  // namespace gc
