// The "Add printer" dialog (130): a printer name or an IPv4 address.
#pragma once
#include <string>

namespace gc::app {

struct MainWindow;

// True on Add with the typed text (system code page, at most 131 bytes:
// the edit takes no more); false on Cancel. The dialog checks nothing.
bool RunAddPrinterDialog(MainWindow& window, std::string* text);

}  // namespace gc::app
