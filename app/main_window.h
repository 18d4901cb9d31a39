// The main window (dialog 129): its state, the button rules applied to its
// controls, and the modal run that lasts as long as the program.
#pragma once
#include <windows.h>

#include <string>

#include "app/button_rules.h"
#include "items/download_item.h"
#include "printers/network_printers.h"

namespace gc::app {

struct MainWindow {
  HWND dialog = nullptr;
  HWND printerList = nullptr;  // control 1023
  HWND itemList = nullptr;     // control 1012
  WNDPROC itemListProc = nullptr;  // the item list's own procedure, while subclassed
  ItemList items;
  NetworkPrinterList networkPrinters;
  int registryEnabled = 0;
  std::string productName;
  HICON largeIcon = nullptr;
  HICON smallIcon = nullptr;
  std::string pendingDroppedPath;  // set only while a drop is handled
};

MainWindow& mainWindow();

// Shows dialog 129 modally until it closes; returns the program's exit code.
int RunMainWindow();

// Reads the lists and the Print check box, then enables and disables the
// buttons that `event` concerns.
void ApplyButtonRules(MainWindow& window, WindowEvent event);

// Sets the printer list's horizontal extent from its widest entry.
void RecomputePrinterListExtent(MainWindow& window);

}  // namespace gc::app
