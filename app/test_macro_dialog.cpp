#include "app/test_macro_dialog.h"

#include <windows.h>

#include "app/main_window.h"
#include "app/program.h"
#include "app/window_ui.h"
#include "items/proposal.h"
#include "resources/messages.h"
#include "resources/resource_ids.h"

namespace gc::app {

namespace {


INT_PTR CALLBACK TestMacroProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lp);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDOK: {
          char text[64] = "";
          GetDlgItemTextA(dialog, IDC_CONTROL_ID, text, sizeof text);
          auto* id = reinterpret_cast<int*>(GetWindowLongPtrA(dialog, DWLP_USER));
          if (ControlIdTextValid(text, id))
            EndDialog(dialog, IDOK);
          else
            WindowUi(dialog).ShowMessage(kMsgBadControlId);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

bool RunTestMacroDialog(MainWindow& window, int* controlId) {
  int id = 0;
  if (RunDialog(IDD_TEST_MACRO, window.dialog, TestMacroProc, &id) != IDOK) return false;
  *controlId = id;
  return true;
}

}  // namespace gc::app
