// The checks an item's fields pass before the item enters the list, shared by
// the add-to-list dialog and glyphcast, in the dialog's order: the name's
// length, the control ID's text, the name, the ID against the list.
#pragma once
#include <cstddef>
#include <string>

#include "items/download_item.h"

namespace gc {

struct FieldCheck {
  int message = 0;  // the message to show; 0 when every check passed
  // The field the dialog moves the focus to after the message.
  enum class Focus { None, Name, ControlId } focus = Focus::None;
  int controlId = 0;  // when every check passed
};

// `nameCharacters` is the name's length in characters as the caller counts
// them (a code page may take two bytes for one). kMsgLengthLimit takes
// kMaxDownloadName as its %1.
FieldCheck CheckItemFields(const std::string& name, size_t nameCharacters,
                           const std::string& idText, int type, const ItemList& items);

}  // namespace gc
