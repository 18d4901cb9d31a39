#include "app/item_commands.h"

// windows.h before the other system headers
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
// clang-format on

#include <iterator>

#include "app/add_to_list_dialog.h"
#include "app/commands.h"
#include "app/file_dialog.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/window_ui.h"
#include "items/recognize.h"
#include "resources/resource_ids.h"
#include "resources/messages.h"

namespace gc::app {

namespace {


void SetRowText(HWND list, int row, int column, const std::string& utf8) {
  std::string text = AnsiFromUtf8(utf8);
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text.data();
  SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

bool FolderExists(const std::string& folder) {
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The open dialog starts in the folder of the last added file while it
// exists, else in the user's documents.
std::string StartFolder() {
  std::string& last = program().items.lastItemFolder;
  if (!last.empty() && !FolderExists(last)) last.clear();
  if (!last.empty()) return last;
  char documents[MAX_PATH] = "";
  // Not SHGetFolderPath: the shell of Windows 98 has it only as a separate library.
  if (!SHGetSpecialFolderPathA(nullptr, documents, CSIDL_PERSONAL, FALSE)) return "";
  return documents;
}

bool AskItemPath(MainWindow& window, std::string* path) {
  if (!window.pendingDroppedPath.empty()) {
    *path = window.pendingDroppedPath;
    return true;
  }
  FileDialogRequest request{
      window.dialog,
      false,
      {{kMsgPclFontFilter, "*.hpp;*.sfl;*.sfs;*.sfp"},
       {kMsgTrueTypeFilter, "*.ttf;*.otf"},
       {kMsgPclMacroFilter, "*.pcl"},
       {kMsgAllFilesFilter, "*.*"}},
      OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY,
      nullptr,
      StartFolder(),
  };
  return AskFilePath(request, path);
}

}  // namespace

void AppendItemRow(MainWindow& window, const DownloadItem& item) {
  const int row = static_cast<int>(SendMessageA(window.itemList, LVM_GETITEMCOUNT, 0, 0));
  std::string name = AnsiFromUtf8(item.downloadName);
  LVITEMA entry{};
  entry.mask = LVIF_TEXT;
  entry.iItem = row;
  entry.pszText = name.data();
  const int at = static_cast<int>(
      SendMessageA(window.itemList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&entry)));
  SetRowText(window.itemList, at, 1, item.typeText);
  SetRowText(window.itemList, at, 2, item.idText);
}

void AddToList(MainWindow& window) {
  WindowUi ui(window.dialog);
  if (SendMessageA(window.itemList, LVM_GETITEMCOUNT, 0, 0) >=
      static_cast<LRESULT>(kItemListCapacity)) {
    ui.ShowMessage(kMsgItemListFull);
    return;
  }
  std::string path;
  if (!AskItemPath(window, &path)) return;

  DownloadItem item;
  if (RecognizeItem(path, window.items, ui, item, program().items) != 0) return;
  if (!RunAddToListDialog(window, item)) return;

  FillItemTexts(item);
  window.items.push_back(item);
  AppendItemRow(window, item);
  ApplyButtonRules(window, WindowEvent::ItemAdded);
  const size_t slash = item.filePath.find_last_of('\\');
  program().items.lastItemFolder = slash == std::string::npos ? "" : item.filePath.substr(0, slash);
}

void RemoveFromList(MainWindow& window) {
  for (;;) {
    const int row = static_cast<int>(
        SendMessageA(window.itemList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0 || static_cast<size_t>(row) >= window.items.size()) break;
    SendMessageA(window.itemList, LVM_DELETEITEM, row, 0);
    window.items.erase(std::next(window.items.begin(), row));
  }
  if (SendMessageA(window.itemList, LVM_GETITEMCOUNT, 0, 0) == 0)
    ApplyButtonRules(window, WindowEvent::ItemListEmptied);
}

}  // namespace gc::app
