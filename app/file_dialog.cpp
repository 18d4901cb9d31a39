#include "app/file_dialog.h"

#include <commdlg.h>

#include "app/program.h"
#include "app/window_ui.h"
#include "os/ui.h"
#include "resources/messages.h"

namespace gc::app {

bool AskFilePath(const FileDialogRequest& request, std::string* path) {
  // Pairs of texts, each ended by a NUL, and one more NUL at the end.
  std::string filter;
  for (const FileFilter& f : request.filters) {
    const char* text = MessageText(f.textId);
    if (!text) {
      WindowUi(request.owner).ShowText(kResourceLoadFailure, os::Buttons::Ok);
      return false;
    }
    filter += AnsiFromUtf8(text) + '\0' + f.pattern + '\0';
  }
  filter += '\0';

  char file[MAX_PATH] = "";
  const std::string& folder = request.initialFolder;
  OPENFILENAMEA ofn{};
  // The size every system knows: the dialogs of Windows 98 refuse the longer one.
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  ofn.hwndOwner = request.owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrDefExt = request.defaultExtension;
  ofn.Flags = request.flags | OFN_EXPLORER;
  const BOOL chosen = request.save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  if (!chosen || file[0] == '\0') return false;
  *path = file;
  return true;
}

}  // namespace gc::app
