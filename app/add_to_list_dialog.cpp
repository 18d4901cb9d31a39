#include "app/add_to_list_dialog.h"

#include <windows.h>

#include "app/file_dialog.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/window_ui.h"
#include "items/item_fields.h"
#include "items/proposal.h"
#include "jobs/streams.h"
#include "resources/messages.h"
#include "resources/resource_ids.h"

namespace gc::app {

namespace {


struct DialogState {
  MainWindow* window;
  DownloadItem* item;
};

bool IsFontType(int type) {
  return type == static_cast<int>(ResourceType::PostScriptFont) ||
         type == static_cast<int>(ResourceType::PclFont) ||
         type == static_cast<int>(ResourceType::TrueTypeFont);
}

// A font file may go as a macro; anything else only as a macro.
int EffectiveType(HWND dialog, int type) {
  if (IsFontType(type) && IsDlgButtonChecked(dialog, IDC_AS_FONT) == BST_CHECKED) return type;
  return static_cast<int>(ResourceType::PclMacro);
}

// The text in the system code page.
std::string ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  const int n = GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(n) + 1, '\0');
  GetWindowTextA(control, text.data(), n + 1);
  text.resize(std::char_traits<char>::length(text.c_str()));
  return text;
}

// Characters, not bytes: a double-byte code page takes two for one.
size_t CharacterCount(const std::string& ansi) {
  if (ansi.empty()) return 0;
  const int n =
      MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  return n > 0 ? static_cast<size_t>(n) : ansi.size();
}

void FocusControl(HWND dialog, int id) {
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}

void ShowLengthLimit(os::Ui& ui) {
  std::string text;
  if (!FormatMessageText(IDS_LENGTH_LIMIT, {static_cast<int>(kMaxDownloadName), 0, 0}, &text))
    text = kResourceLoadFailure;
  ui.ShowText(text, os::Buttons::Ok);
}

// The checks of OK, in order; false after the first failure's message.
bool Confirm(HWND dialog, DialogState& state) {
  WindowUi ui(dialog);
  // Any character outside ASCII fails the name check, whatever its encoding.
  const std::string name = ControlText(dialog, IDC_DOWNLOAD_NAME);
  const int type = EffectiveType(dialog, state.item->resourceType);
  const FieldCheck check = CheckItemFields(name, CharacterCount(name),
                                           ControlText(dialog, IDC_CONTROL_ID), type,
                                           state.window->items);
  if (check.message == kMsgLengthLimit) {
    ShowLengthLimit(ui);
  } else if (check.message != 0) {
    ui.ShowMessage(check.message);
  }
  if (check.focus == FieldCheck::Focus::Name) FocusControl(dialog, IDC_DOWNLOAD_NAME);
  if (check.focus == FieldCheck::Focus::ControlId) FocusControl(dialog, IDC_CONTROL_ID);
  if (check.message != 0) return false;
  state.item->downloadName = name;
  state.item->controlId = check.controlId;
  state.item->resourceType = type;
  return true;
}

void Open(HWND dialog, const DownloadItem& item) {
  SendDlgItemMessageA(dialog, IDC_DOWNLOAD_NAME, EM_LIMITTEXT, kMaxDownloadName, 0);
  if (IsFontType(item.resourceType)) {
    CheckRadioButton(dialog, IDC_AS_FONT, IDC_AS_MACRO, IDC_AS_FONT);
  } else {
    CheckRadioButton(dialog, IDC_AS_FONT, IDC_AS_MACRO, IDC_AS_MACRO);
    EnableWindow(GetDlgItem(dialog, IDC_AS_FONT), FALSE);
  }
  // The proposal comes from the file name, in the system code page.
  SetDlgItemTextA(dialog, IDC_DOWNLOAD_NAME, item.downloadName.c_str());
  SetDlgItemTextA(dialog, IDC_CONTROL_ID, item.idText.c_str());
}

INT_PTR CALLBACK AddToListProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lp);
      Open(dialog, *reinterpret_cast<DialogState*>(lp)->item);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDOK:
          if (Confirm(dialog, *state)) EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

bool RunAddToListDialog(MainWindow& window, DownloadItem& item) {
  // Only a proposal that passes every check is written into the record.
  DialogState state{&window, &item};
  return RunDialog(IDD_ADD_TO_LIST, window.dialog, AddToListProc, &state) == IDOK;
}

}  // namespace gc::app
