// Export and import of setting files (.lst) from the main window.
// windows.h before the other system headers
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <iterator>

#include "app/commands.h"
#include "app/file_dialog.h"
#include "app/item_commands.h"
#include "app/main_window.h"
#include "app/window_ui.h"
#include "app/program.h"
#include "items/settings_file.h"
#include "resources/messages.h"

namespace gc::app {

namespace {


bool AskSettingPath(MainWindow& window, bool save, std::string* path) {
  FileDialogRequest request{
      window.dialog,
      save,
      {{kMsgSettingFileFilter, "*.lst"}, {kMsgAllFilesFilter, "*.*"}},
      kFileCommandFlags,
      // Without dot or wildcard: the dialog appends the text as it stands.
      "lst",
      {},
  };
  return AskFilePath(request, path);
}

}  // namespace

void ExportSettings(MainWindow& window) {
  std::string path;
  if (!AskSettingPath(window, true, &path)) return;
  WindowUi ui(window.dialog);
  gc::ExportSettings(path, window.items, program().items.lastItemFolder, ui);
}

void ImportSettings(MainWindow& window) {
  std::string path;
  if (!AskSettingPath(window, false, &path)) return;
  WindowUi ui(window.dialog);
  if (SendMessageA(window.itemList, LVM_GETITEMCOUNT, 0, 0) > 0) {
    if (ui.ShowMessage(kMsgConfirmImportSettings, os::Buttons::OkCancel) != os::Answer::Ok) return;
    window.items.clear();
    SendMessageA(window.itemList, LVM_DELETEALLITEMS, 0, 0);
    ApplyButtonRules(window, WindowEvent::ImportStarted);
  }
  // Items read before a failing line stay: the rows follow whatever was read.
  const size_t before = window.items.size();
  gc::ImportSettings(path, window.items, program().items.lastItemFolder, ui);
  for (auto it = std::next(window.items.begin(), static_cast<long>(before));
       it != window.items.end(); ++it)
    AppendItemRow(window, *it);
  if (window.items.size() > before) ApplyButtonRules(window, WindowEvent::ItemAdded);
  ApplyButtonRules(window, WindowEvent::ImportEnded);
}

}  // namespace gc::app
