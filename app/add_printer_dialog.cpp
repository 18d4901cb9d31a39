#include "app/add_printer_dialog.h"

#include <windows.h>

#include "app/main_window.h"
#include "app/program.h"
#include "app/window_ui.h"
#include "resources/messages.h"
#include "resources/resource_ids.h"

namespace gc::app {

namespace {

constexpr int kTextBuffer = 132;

INT_PTR CALLBACK AddPrinterProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lp);
      // Limited rather than cut later: what the user sees is what is searched.
      SendDlgItemMessageA(dialog, IDC_PRINTER_ADDRESS, EM_LIMITTEXT, kTextBuffer - 1, 0);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDOK: {
          char text[kTextBuffer] = "";
          GetDlgItemTextA(dialog, IDC_PRINTER_ADDRESS, text, kTextBuffer);
          *reinterpret_cast<std::string*>(GetWindowLongPtrA(dialog, DWLP_USER)) = text;
          EndDialog(dialog, IDOK);
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

bool RunAddPrinterDialog(MainWindow& window, std::string* text) {
  return RunDialog(IDD_ADD_PRINTER, window.dialog, AddPrinterProc, text) == IDOK;
}

}  // namespace gc::app
