#include "app/error_choice_dialog.h"

#include <shellapi.h>

#include "app/program.h"
#include "resources/resource_ids.h"

namespace gc::app {

namespace {

struct Choice {
  const std::string* text;
  os::ErrorChoice result = os::ErrorChoice::None;
  HICON icon = nullptr;
};

// The second icon of a module in the system folder, or none.
HICON SystemIcon(const char* module) {
  char folder[MAX_PATH] = "";
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::string path = std::string(folder) + module;
  HICON icon = ExtractIconA(GetModuleHandleA(nullptr), path.c_str(), 1);
  // 1 says the file is no module with icons.
  return reinterpret_cast<UINT_PTR>(icon) > 1 ? icon : nullptr;
}

void Close(HWND dialog, Choice& choice, os::ErrorChoice result, int code) {
  SendDlgItemMessageA(dialog, IDC_ERROR_ICON, STM_SETICON, 0, 0);
  if (choice.icon) DestroyIcon(choice.icon);
  choice.icon = nullptr;
  choice.result = result;
  EndDialog(dialog, code);
}

INT_PTR CALLBACK ErrorChoiceProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  auto* choice = reinterpret_cast<Choice*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      choice = reinterpret_cast<Choice*>(lp);
      SetWindowLongPtrA(dialog, DWLP_USER, lp);
      choice->result = os::ErrorChoice::None;
      SetWindowTextA(dialog, AnsiFromUtf8(program().title).c_str());
      SetDlgItemTextA(dialog, IDC_ERROR_TEXT, AnsiFromUtf8(*choice->text).c_str());
      choice->icon = SystemIcon("\\user32.dll");
      if (!choice->icon) choice->icon = SystemIcon("\\user.exe");
      if (choice->icon)
        SendDlgItemMessageA(dialog, IDC_ERROR_ICON, STM_SETICON,
                            reinterpret_cast<WPARAM>(choice->icon), 0);
      return TRUE;
    }
    case WM_COMMAND:
      if (!choice) return FALSE;
      switch (LOWORD(wp)) {
        case IDOK:
          Close(dialog, *choice, os::ErrorChoice::Ignore, IDOK);
          return TRUE;
        case IDC_IGNORE_ALL:
          Close(dialog, *choice, os::ErrorChoice::IgnoreAll, IDOK);
          return TRUE;
        case IDCANCEL:  // Stop, Escape and the close box
          Close(dialog, *choice, os::ErrorChoice::Stop, IDCANCEL);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

os::ErrorChoice RunErrorChoiceDialog(HWND owner, const std::string& text) {
  Choice choice{&text};
  const INT_PTR shown = DialogBoxParamA(program().resources, MAKEINTRESOURCEA(IDD_ERROR_CHOICE),
                                        owner, ErrorChoiceProc, reinterpret_cast<LPARAM>(&choice));
  if (choice.icon) DestroyIcon(choice.icon);
  // A dialog that could not be shown stops, as the safe answer.
  return shown == -1 || choice.result == os::ErrorChoice::None ? os::ErrorChoice::Stop
                                                               : choice.result;
}

}  // namespace gc::app
