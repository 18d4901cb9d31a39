#include "items/item_fields.h"

#include "items/proposal.h"
#include "resources/messages.h"

namespace gc {

FieldCheck CheckItemFields(const std::string& name, size_t nameCharacters,
                           const std::string& idText, int type, const ItemList& items) {
  FieldCheck check;
  // A proposal from a long file name gets past the dialog's length limit.
  if (nameCharacters > kMaxDownloadName) {
    check.message = kMsgLengthLimit;
    check.focus = FieldCheck::Focus::Name;
    return check;
  }
  int id = 0;
  if (!ControlIdTextValid(idText, &id)) {
    check.message = kMsgBadControlId;
    return check;
  }
  switch (CheckDownloadName(name, type, items)) {
    case -3:
      check.message = kMsgNameMissing;
      return check;
    case -1:
      check.message = kMsgBadNameCharacters;
      return check;
    case -2:
      check.message = kMsgNameUsed;
      return check;
  }
  switch (CheckControlId(type, id, items)) {
    case -2:
      check.message = kMsgControlIdUsed;
      check.focus = FieldCheck::Focus::ControlId;
      return check;
    case -1:
      check.message = kMsgBadControlId;
      check.focus = FieldCheck::Focus::ControlId;
      return check;
  }
  check.controlId = id;
  return check;
}

}  // namespace gc
