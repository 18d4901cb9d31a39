// What AddToList proposes for a new item, and the checks that the add-to-list
// dialog (and the CLI) apply before an item enters the list.
#pragma once
#include <string>

#include "items/download_item.h"

namespace gc {

// The file's name without folder, cut before its last ".", trailing white
// space removed, spaces replaced by "_".
std::string ProposeDownloadName(const std::string& path);

// The control ID proposal for a new item of `type`. `scannedFontIdSeen` is
// cleared when the file's own font ID is not used as the starting point.
int ProposeControlId(const ItemList& items, int type, int& scannedFontIdSeen, int scannedFontId,
                     int lastFontId, int lastMacroId);

// 0, -1 bad character, -2 used in the same space, -3 empty.
int CheckDownloadName(const std::string& name, int type, const ItemList& items);
// 0, -1 outside 0..32767, -2 used in the same space.
int CheckControlId(int type, int id, const ItemList& items);
// The text is a plain decimal 0..32767 that prints back as itself.
bool ControlIdTextValid(const std::string& text, int* id);

}  // namespace gc
