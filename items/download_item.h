// Download items: one resource file, its name on the printer and its control ID.
#pragma once
#include <cstdint>
#include <list>
#include <string>

#include "jobs/streams.h"

namespace gc {

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

// Program-wide IDs that seed proposals; -1 until the registry supplies them.
struct ItemState {
  int lastFontId = -1;
  int lastMacroId = -1;
  std::string lastItemFolder;
};
ItemState& itemState();

// The "Resource type" column text by type (string ids 128, 129, 127, 127).
int TypeTextId(int resourceType);

}  // namespace gc
