// The system's open and save dialogs for the commands that take a file, with
// the filter texts from the string table. Paths cross into the engine in the
// system code page, as the engine opens files with the ANSI calls.
#pragma once
// windows.h before the other system headers
// clang-format off
#include <windows.h>
#include <commdlg.h>  // the OFN_ flags of a request
// clang-format on

#include <initializer_list>
#include <string>

namespace gc::app {

struct FileFilter {
  int textId;              // string-table text shown in the dialog
  const char* pattern;  // "*.lst"
};

// The flags of the commands that open or save a file of their own kind.
inline constexpr DWORD kFileCommandFlags = OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT |
                                           OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                                           OFN_NOREADONLYRETURN;

struct FileDialogRequest {
  HWND owner = nullptr;
  bool save = false;
  std::initializer_list<FileFilter> filters;
  DWORD flags = 0;
  const char* defaultExtension = nullptr;
  std::string initialFolder;  // system code page; empty: the dialog's own choice
};

// False on Cancel, an empty path, or a filter text that cannot be loaded
// (after the fixed text).
bool AskFilePath(const FileDialogRequest& request, std::string* path);

}  // namespace gc::app
