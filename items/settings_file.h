// Setting files (.lst): the item list as text, one item a line.
#pragma once
#include <string>

#include "items/download_item.h"
#include "os/ui.h"

namespace gc {

// Writes line 1 `lastItemFolder`, then "%s,%d,%d,%s\n" per item whose file
// can be opened (the others are reported and left out). 0, or non-zero after
// its message; a failed write leaves no file.
int ExportSettings(const std::string& path, const ItemList& items,
                   const std::string& lastItemFolder, os::Ui& ui);

// Appends the file's items to `items` and sets `lastItemFolder`. 0 when the
// whole file was read; non-zero after its message (earlier items stay).
int ImportSettings(const std::string& path, ItemList& items, std::string& lastItemFolder,
                   os::Ui& ui);

}  // namespace gc
