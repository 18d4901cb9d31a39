// The "Add to list" dialog (134): the user confirms or changes the proposed
// download name, control ID and, for a font file, font or macro.
#pragma once
#include "items/download_item.h"

namespace gc::app {

struct MainWindow;

// True on OK, with the final name, ID and type written into `item`; on
// Cancel `item` is unchanged. The checks compare with window.items.
bool RunAddToListDialog(MainWindow& window, DownloadItem& item);

}  // namespace gc::app
