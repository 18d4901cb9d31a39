// Search printer: the "Search printer" dialog (142) and the command that adds
// the printers chosen in it.
#include <windows.h>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/printer_commands.h"
#include "app/program.h"
#include "app/window_ui.h"
#include "resources/messages.h"
#include "resources/resource_ids.h"

namespace gc::app {

namespace {

constexpr int kSearchTimeLimitMs = 500;

struct SearchState {
  std::vector<SnmpAnswer> answers;
  std::vector<std::string> chosen;  // entry texts, in list order
};

void FillFoundList(HWND dialog, const SearchState& state) {
  HWND list = GetDlgItem(dialog, IDC_FOUND_PRINTERS);
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
  int widest = 0;
  for (const SnmpAnswer& answer : state.answers) {
    const std::string entry = AnswerEntryText(answer);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    SIZE size{};
    if (GetTextExtentPoint32A(dc, entry.c_str(), static_cast<int>(entry.size()), &size) &&
        size.cx > widest)
      widest = size.cx;
  }
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  SendMessageA(list, LB_SETHORIZONTALEXTENT, HorizontalExtent(widest), 0);
}

void TakeSelection(HWND dialog, SearchState& state) {
  HWND list = GetDlgItem(dialog, IDC_FOUND_PRINTERS);
  const int count = static_cast<int>(SendMessageA(list, LB_GETSELCOUNT, 0, 0));
  if (count <= 0) return;
  std::vector<int> rows(static_cast<size_t>(count));
  const int got = static_cast<int>(
      SendMessageA(list, LB_GETSELITEMS, count, reinterpret_cast<LPARAM>(rows.data())));
  for (int i = 0; i < got; ++i) {
    if (SendMessageA(list, LB_GETTEXTLEN, rows[i], 0) == LB_ERR) continue;
    state.chosen.push_back(ListBoxText(list, rows[i]));
  }
}

INT_PTR CALLBACK SearchPrinterProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lp);
      FillFoundList(dialog, *reinterpret_cast<SearchState*>(lp));
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDOK:
          TakeSelection(dialog,
                        *reinterpret_cast<SearchState*>(GetWindowLongPtrA(dialog, DWLP_USER)));
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

// Adds the chosen answer unless it is listed already; false when memory ran out.
bool AddChosen(MainWindow& window, const SnmpAnswer& answer, WindowUi& ui) {
  // Compared with the name as it would be stored, as Add printer does.
  const std::string name = StoredPrinterName(answer.value);
  bool elsewhere = false;
  for (const NetworkPrinter* p = window.networkPrinters.head(); p; p = p->next) {
    if (p->ipAddress != answer.address) continue;
    if (p->printerName == name) return true;
    elsewhere = true;
  }
  if (elsewhere && ui.ShowMessage(kMsgPrinterAlreadyAdded, os::Buttons::OkCancel) != os::Answer::Ok)
    return true;
  const NetworkPrinter* added = AppendNetworkPrinter(window.networkPrinters, name, answer.address);
  if (!added) return false;
  SendMessageA(window.printerList, LB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(EntryText(*added).c_str()));
  return true;
}

}  // namespace

void SearchNetworkPrinters(MainWindow& window, const std::vector<SnmpAnswer>* preloaded) {
  SearchState state;
  if (preloaded) {
    state.answers = *preloaded;
  } else {
    SnmpQuery query = BroadcastQuery();
    query.timeLimitMs = kSearchTimeLimitMs;
    // A failed query shows as an empty list, like one nobody answered.
    if (QueryPrinters(query, &state.answers) != 0) state.answers.clear();
  }
  WindowUi ui(window.dialog);
  if (RunDialog(IDD_SEARCH_PRINTER, window.dialog, SearchPrinterProc, &state) != IDOK) return;
  if (state.chosen.empty()) {
    ui.ShowMessage(kMsgNoPrinterSelected);
    return;
  }

  std::string firstEntry;
  for (const std::string& text : state.chosen) {
    for (const SnmpAnswer& answer : state.answers) {
      if (AnswerEntryText(answer) != text) continue;
      if (firstEntry.empty())
        firstEntry = std::string(NetworkPrefix()) + StoredPrinterName(answer.value) + "(" +
                     answer.address + ")";
      if (!AddChosen(window, answer, ui)) {
        ui.ShowMessage(IDS_NO_MEMORY);
        EndDialog(window.dialog, IDCANCEL);
        return;
      }
      break;
    }
  }
  SaveNetworkPrinters(window);
  RecomputePrinterListExtent(window);
  // The entry as listed: a printer without a name shows as "-".
  const int row = FindPrinterEntry(window, firstEntry);
  if (row >= 0) SendMessageA(window.printerList, LB_SETSEL, TRUE, row);
  ApplyButtonRules(window, WindowEvent::PrinterSelectionChanged);
}

void SearchPrinters(MainWindow& window) {
  SearchNetworkPrinters(window, nullptr);
}

}  // namespace gc::app
