// Download items: one resource file, its name on the printer and its control ID.
#pragma once
#include <cstdint>
#include <list>
#include <string>

#include "pcl/font_descriptor.h"

namespace gc {

// What a file is sent as; the values are stored in setting files.
enum class ResourceType : int { PclMacro = 0, PostScriptFont = 1, PclFont = 2, TrueTypeFont = 3 };

inline constexpr int kMaxControlId = 32767;
inline constexpr size_t kMaxDownloadName = 100;
inline constexpr size_t kItemListCapacity = 32768;

struct DownloadItem {
  std::string filePath;      // at most 259 bytes
  std::string downloadName;  // at most 100 characters from the admitted set
  std::string typeText;
  std::string idText;
  int resourceType = 0;
  int controlId = 0;
  uint32_t face = 0;  // the face of a TrueType collection that is sent
};

// In sending order.
using ItemList = std::list<DownloadItem>;

// PCL5 fonts and TrueType fonts share control IDs and names; macros have their
// own; PostScript fonts share with nobody.
bool SameIdSpace(int a, int b);

// What the item commands keep between calls; the program keeps one set and
// hands it to the engine. The last IDs seed proposals (-1 until the registry
// supplies them) and are set by each download; the rest is what the last
// recognition and the last font download found.
struct ItemState {
  int lastFontId = -1;
  int lastMacroId = -1;
  std::string lastItemFolder;
  int scannedFontIdSeen = 0;
  int scannedFontId = -1;
  int lastCmapFormat = 0;
  FontDescriptorRecord lastFontDescriptor;
};

// The "Resource type" column text by type (string ids 128, 129, 127, 127).
int TypeTextId(int resourceType);

}  // namespace gc
