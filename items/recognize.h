// Steps of AddToList before the dialog: recognise the file's kind and propose
// its download name and control ID.
#pragma once
#include <string>

#include "items/download_item.h"
#include "os/ui.h"

namespace gc {

// Fills `item` (path, type, proposed name, ID and texts); a TrueType collection
// is read at face `face`. Returns 0, or -1 after showing message 158 for a
// font file that cannot be used: font files that cannot be converted are
// refused, never taken for macros.
// `state` gives the last IDs and takes what the recognition found (the file's
// own font ID, the cmap format).
int RecognizeItem(const std::string& path, const ItemList& items, os::Ui& ui, DownloadItem& item,
                  ItemState& state, uint32_t face = 0);

// Fills the column texts from the final type and ID.
void FillItemTexts(DownloadItem& item);

}  // namespace gc
