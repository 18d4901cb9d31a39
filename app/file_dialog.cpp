#include "app/file_dialog.h"

#include <commdlg.h>

#include "app/program.h"
#include "app/window_ui.h"
#include "os/ui.h"
#include "resources/messages.h"

namespace gc::app {

std::wstring WidenAnsi(const std::string& text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

bool NarrowAnsi(const std::wstring& text, std::string* out) {
  out->clear();
  if (text.empty()) return true;
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, &lossy);
  if (n <= 0 || lossy) return false;
  out->resize(static_cast<size_t>(n));
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out->data(), n,
                      nullptr, nullptr);
  return true;
}

bool AskFilePath(const FileDialogRequest& request, std::string* path) {
  // Pairs of texts, each ended by a NUL, and one more NUL at the end.
  std::wstring filter;
  for (const FileFilter& f : request.filters) {
    const char* text = MessageText(f.textId);
    if (!text) {
      WindowUi(request.owner).ShowText(kResourceLoadFailure, os::Buttons::Ok);
      return false;
    }
    filter += Widen(text) + L'\0' + f.pattern + L'\0';
  }
  filter += L'\0';

  wchar_t file[MAX_PATH] = L"";
  const std::wstring folder = WidenAnsi(request.initialFolder);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = request.owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrDefExt = request.defaultExtension;
  ofn.Flags = request.flags | OFN_EXPLORER;
  const BOOL chosen = request.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!chosen || file[0] == L'\0') return false;
  if (!NarrowAnsi(file, path)) {
    // The engine could not open it: say why instead of doing nothing.
    WindowUi(request.owner).ShowSystemError(ERROR_NO_UNICODE_TRANSLATION);
    return false;
  }
  return !path->empty();
}

}  // namespace gc::app
