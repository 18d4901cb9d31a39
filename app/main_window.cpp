#include "app/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <clocale>

#include "app/about_box.h"
#include "app/commands.h"
#include "app/help.h"
#include "app/private_heap.h"
#include "app/program.h"
#include "app/window_ui.h"
#include "resources/messages.h"
#include "resources/resource_ids.h"

namespace gc::app {

MainWindow& mainWindow() {
  static MainWindow w;
  return w;
}

void ApplyButtonRules(MainWindow& window, WindowEvent event) {
  WindowState state;
  const LRESULT selected = SendMessageA(window.printerList, LB_GETSELCOUNT, 0, 0);
  state.selectedPrinters = selected == LB_ERR ? 0 : static_cast<int>(selected);
  state.itemCount = static_cast<int>(SendMessageA(window.itemList, LVM_GETITEMCOUNT, 0, 0));
  state.selectedItems = static_cast<int>(SendMessageA(window.itemList, LVM_GETSELECTEDCOUNT, 0, 0));
  state.printChecked = IsDlgButtonChecked(window.dialog, IDC_PRINT_SAMPLE) == BST_CHECKED;
  for (const EnableChange& change : EnableChanges(event, state))
    EnableWindow(GetDlgItem(window.dialog, change.controlId), change.enabled);
}

void RecomputePrinterListExtent(MainWindow& window) {
  // Measured in the list box's own default DC, as the 0.8 factor expects.
  HDC dc = GetDC(window.printerList);
  int widest = 0;
  const int count = static_cast<int>(SendMessageA(window.printerList, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const std::string text = ListBoxText(window.printerList, i);
    SIZE size{};
    if (GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size) &&
        size.cx > widest)
      widest = size.cx;
  }
  ReleaseDC(window.printerList, dc);
  SendMessageA(window.printerList, LB_SETHORIZONTALEXTENT, HorizontalExtent(widest), 0);
}

namespace {

// Three columns, each as wide as its caption; the ID column 30 pixels wider.
void SetUpItemColumns(MainWindow& window) {
  const int captions[] = {IDS_COLUMN_NAME, IDS_COLUMN_TYPE, IDS_COLUMN_ID};
  for (int i = 0; i < 3; ++i) {
    std::string caption;
    LoadText(program().resources, captions[i], caption);
    caption = AnsiFromUtf8(caption);
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = caption.data();
    column.iSubItem = i;
    column.cx = static_cast<int>(SendMessageA(window.itemList, LVM_GETSTRINGWIDTHA, 0,
                                              reinterpret_cast<LPARAM>(caption.c_str()))) +
                (i == 2 ? 30 : 0);
    SendMessageA(window.itemList, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
}

// Only the item list takes dropped files: the first path, then AddToList.
LRESULT CALLBACK ItemListProc(HWND list, UINT message, WPARAM wp, LPARAM lp) {
  MainWindow& window = mainWindow();
  if (message == WM_DROPFILES) {
    auto drop = reinterpret_cast<HDROP>(wp);
    char path[MAX_PATH] = "";
    const UINT length = DragQueryFileA(drop, 0, path, sizeof path);
    DragFinish(drop);
    if (length > 0) {
      window.pendingDroppedPath = path;
      AddToList(window);
      window.pendingDroppedPath.clear();
    }
    return 0;
  }
  return CallWindowProcA(window.itemListProc, list, message, wp, lp);
}

// Quits from inside the opening: the dialog never shows.
BOOL Quit(HWND dialog) {
  EndDialog(dialog, IDCANCEL);
  return TRUE;
}

BOOL Open(MainWindow& window, HWND dialog) {
  window.dialog = dialog;
  window.printerList = GetDlgItem(dialog, IDC_PRINTER_LIST);
  window.itemList = GetDlgItem(dialog, IDC_ITEM_LIST);
  Program& p = program();

  window.items.clear();
  window.largeIcon = LoadIconA(p.resources, MAKEINTRESOURCEA(IDI_APP));
  window.smallIcon =
      static_cast<HICON>(LoadImageA(p.resources, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, 16, 16, 0));
  SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(window.largeIcon));
  SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(window.smallIcon));
  // Subclassed the classic way: the common controls of Windows 98 and 2000
  // have no SetWindowSubclass by name.
  window.itemListProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      window.itemList, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ItemListProc)));
  DragAcceptFiles(window.itemList, TRUE);

  WindowUi ui(dialog);
  PrivateHeap& heap = programHeap();
  if (!heap.exists() && !heap.Create()) {
    ui.ShowMessage(IDS_NO_MEMORY);
    return Quit(dialog);
  }

  std::string title;
  if (!LoadText(p.resources, IDS_PRODUCT_NAME, window.productName) ||
      !LoadText(p.resources, IDS_APP_TITLE, title)) {
    ui.ShowText(kResourceLoadFailure, os::Buttons::Ok);
    return TRUE;  // opens with empty lists
  }
  p.title = title;

  window.registryEnabled = 1;
  switch (LoadRegistrySettings(window)) {
    case -1:
    case -4:
      return Quit(dialog);
    case -2:
      window.registryEnabled = 0;
      break;
    default:
      break;
  }
  FillPrinterList(window);
  SetUpItemColumns(window);
  std::setlocale(LC_TIME, "");  // the resource listing page's date line
  RecomputePrinterListExtent(window);
  return TRUE;
}

void Destroy(MainWindow& window) {
  FreePrinterRecords(window);
  if (window.registryEnabled == 1) CloseRegistryKeys(window);
  programHeap().Destroy();
  window.items.clear();
  if (window.itemListProc)
    SetWindowLongPtrA(window.itemList, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(window.itemListProc));
  window.itemListProc = nullptr;
  PostQuitMessage(0);
}

void PaintMinimised(MainWindow& window, HWND dialog) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog, &paint);
  SendMessageA(dialog, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(dialog, &client);
  const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, window.largeIcon);
  EndPaint(dialog, &paint);
}

void Command(MainWindow& window, int id, int code) {
  switch (id) {
    case IDC_PRINTER_LIST:
      if (code == LBN_SELCHANGE) ApplyButtonRules(window, WindowEvent::PrinterSelectionChanged);
      break;
    case IDC_PRINT_SAMPLE:
      if (code == BN_CLICKED) ApplyButtonRules(window, WindowEvent::PrintCheckClicked);
      break;
    case IDC_ADD_PRINTER:
      AddPrinter(window);
      break;
    case IDC_REMOVE_PRINTER:
      RemovePrinter(window);
      break;
    case IDC_SEARCH_PRINTER:
      SearchPrinters(window);
      break;
    case IDC_ADD_TO_LIST:
      AddToList(window);
      break;
    case IDC_REMOVE_FROM_LIST:
      RemoveFromList(window);
      break;
    case IDC_EXPORT_SETTING:
      ExportSettings(window);
      break;
    case IDC_IMPORT_SETTING:
      ImportSettings(window);
      break;
    case IDC_DOWNLOAD:
      Download(window);
      break;
    case IDC_EXPORT_TO_FILE:
      ExportToFile(window);
      break;
    case IDC_DELETE_ALL:
      DeleteAllResources(window);
      break;
    case IDC_DOWNLOAD_FILE:
      DownloadFile(window);
      break;
    case IDC_TEST_MACRO:
      TestMacro(window);
      break;
    case IDC_ABOUT:
      RunAboutBox(window.dialog);
      break;
    case IDC_HELP_BUTTON:
      ShowHelp(window.dialog);
      break;
    case IDC_CLOSE:
    case IDCANCEL:  // Escape and the close box
      EndDialog(window.dialog, id);
      break;
    case IDC_HIDDEN_DEFAULT:  // Enter: deliberately nothing
      break;
  }
}

INT_PTR CALLBACK MainWindowProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  MainWindow& window = mainWindow();
  switch (message) {
    case WM_INITDIALOG:
      return Open(window, dialog);
    case WM_COMMAND:
      Command(window, LOWORD(wp), HIWORD(wp));
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lp);
      if (header->idFrom == IDC_ITEM_LIST && header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
        if ((change->uChanged & LVIF_STATE) &&
            ((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
          ApplyButtonRules(window, WindowEvent::ItemSelectionChanged);
      }
      return FALSE;
    }
    case WM_DROPFILES:  // outside the item list: ignored
      DragFinish(reinterpret_cast<HDROP>(wp));
      return TRUE;
    case WM_HELP:  // F1
      ShowHelp(dialog);
      return TRUE;
    case WM_PAINT:
      if (!IsIconic(dialog)) return FALSE;
      PaintMinimised(window, dialog);
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(window.largeIcon);
    case WM_DESTROY:
      Destroy(window);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int RunMainWindow() {
  return RunDialog(IDD_MAIN, nullptr, MainWindowProc, nullptr) == -1 ? 1 : 0;
}

}  // namespace gc::app
