#include "app/button_rules.h"

#include "resources/resource_ids.h"

namespace gc::app {

std::vector<EnableChange> EnableChanges(WindowEvent event, const WindowState& state) {
  const bool printers = state.selectedPrinters > 0;
  const bool items = state.itemCount > 0;
  std::vector<EnableChange> out;
  switch (event) {
    case WindowEvent::PrinterSelectionChanged:
      for (int id : {IDC_DELETE_ALL, IDC_DOWNLOAD_FILE, IDC_TEST_MACRO, IDC_REMOVE_PRINTER})
        out.push_back({id, printers});
      // Download is only ever switched on here, even with no printer selected.
      if (items) out.push_back({IDC_DOWNLOAD, true});
      break;
    case WindowEvent::ItemSelectionChanged:
      out.push_back({IDC_REMOVE_FROM_LIST, state.selectedItems > 0});
      break;
    case WindowEvent::PrintCheckClicked:
      out.push_back({IDC_CHARS_PER_LINE_LABEL, state.printChecked});
      out.push_back({IDC_CHARS_PER_LINE, state.printChecked});
      break;
    case WindowEvent::ItemAdded:
      out.push_back({IDC_EXPORT_TO_FILE, true});
      out.push_back({IDC_EXPORT_SETTING, true});
      if (printers) out.push_back({IDC_DOWNLOAD, true});
      break;
    case WindowEvent::ItemListEmptied:
      for (int id : {IDC_DOWNLOAD, IDC_EXPORT_TO_FILE, IDC_EXPORT_SETTING})
        out.push_back({id, false});
      break;
    case WindowEvent::ImportStarted:
      out.push_back({IDC_EXPORT_SETTING, false});
      out.push_back({IDC_REMOVE_FROM_LIST, false});
      break;
    case WindowEvent::ImportEnded:
      out.push_back({IDC_DOWNLOAD, printers && items});
      if (!items) out.push_back({IDC_EXPORT_TO_FILE, false});
      break;
    case WindowEvent::PrinterRemovedNoSelection:
      for (int id :
           {IDC_DOWNLOAD, IDC_DELETE_ALL, IDC_DOWNLOAD_FILE, IDC_TEST_MACRO, IDC_REMOVE_PRINTER})
        out.push_back({id, false});
      break;
  }
  return out;
}

int HorizontalExtent(int widestEntryWidth) {
  return widestEntryWidth > 0 ? widestEntryWidth * 4 / 5 : 0;
}

}  // namespace gc::app
