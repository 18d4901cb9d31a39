// Setting files (.lst): the item list as text, one item a line.
#pragma once
#include <string>
#include <string_view>
#include <vector>

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

// A setting file's text: the folder line and the item lines, each ended by
// "\n". False when a line has no end; the lines before it are kept.
bool SplitSettingFile(std::string_view text, std::string* lastItemFolder,
                      std::vector<std::string_view>* lines);
// One item line "name,id,type,path" as the import reads it (the texts filled
// but the type's); false when it does not hold.
bool ParseSettingLine(std::string_view line, DownloadItem* item);

}  // namespace gc
