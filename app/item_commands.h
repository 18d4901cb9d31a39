// The item list view beside the ItemList: row i always shows the i-th record.
#pragma once
#include "items/download_item.h"

namespace gc::app {

struct MainWindow;

// Adds the row of `item` at the end: download name, type text, ID text.
void AppendItemRow(MainWindow& window, const DownloadItem& item);

}  // namespace gc::app
